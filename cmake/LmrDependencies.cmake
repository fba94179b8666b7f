# Third-party libraries. Natively they come from Debian's packages; for the
# Windows trees (i686 and x86_64) GoogleTest is built from Debian's sources
# here and libjpeg is prebuilt for the tree's architecture into build/deps
# by scripts/build-win-deps.sh.

if(LMR_TESTS)
  enable_testing()
  include(GoogleTest)
endif()

if(CMAKE_CROSSCOMPILING)
  if(LMR_TESTS)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()

  set(LMR_WIN32_JPEG_DIR "" CACHE PATH "Folder holding this architecture's libjpeg.a, jpeglib.h and jconfig.h")
  if(NOT EXISTS ${LMR_WIN32_JPEG_DIR}/libjpeg.a)
    message(FATAL_ERROR "Windows libjpeg not found in '${LMR_WIN32_JPEG_DIR}': run ./run.sh build win32 (or win64)")
  endif()
  add_library(lmr_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(lmr_jpeg PROPERTIES
    IMPORTED_LOCATION ${LMR_WIN32_JPEG_DIR}/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${LMR_WIN32_JPEG_DIR})
else()
  if(LMR_TESTS)
    find_package(GTest REQUIRED)
  endif()
  find_package(JPEG REQUIRED)
  add_library(lmr_jpeg INTERFACE IMPORTED GLOBAL)
  target_link_libraries(lmr_jpeg INTERFACE JPEG::JPEG)
  find_package(PNG REQUIRED)
  find_package(Freetype REQUIRED)
endif()
