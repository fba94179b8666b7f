# Compiler settings shared by every target of ours. Third-party code
# (GoogleTest, libjpeg) is built without them.

if(LMR_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Our DLLs and EXEs need only system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Warnings are errors in our own code.
function(lmr_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()

# One GoogleTest executable made of every *_test.cpp file in the calling
# folder's tests/ subfolder; natively each test case becomes a CTest test.
# For the Win32 side the folders' tests are gathered into one executable
# (lmr_win32_tests, made by lmr_win32_test_executable at the end of the top
# CMakeLists): every start of a Win32 process under Wine costs a great deal.
function(lmr_folder_tests name)
  if(NOT LMR_TESTS)
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(CMAKE_CROSSCOMPILING)
    set_property(GLOBAL APPEND PROPERTY LMR_WIN32_TEST_SOURCES ${sources})
    set_property(GLOBAL APPEND PROPERTY LMR_WIN32_TEST_LIBS ${ARGN})
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE LMR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  lmr_target_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()

# Windows test programs are optimised at -O2, not Release's -O3: they need
# no more speed, and at -O3 GCC 12 for x86_64 inlines deep enough to report
# writes into vectors of unknown size as overflows that cannot happen.
function(lmr_windows_test_options target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-O2>)
endfunction()

function(lmr_win32_test_executable)
  get_property(sources GLOBAL PROPERTY LMR_WIN32_TEST_SOURCES)
  get_property(libs GLOBAL PROPERTY LMR_WIN32_TEST_LIBS)
  if(NOT CMAKE_CROSSCOMPILING OR NOT LMR_TESTS OR NOT sources)
    return()
  endif()
  list(REMOVE_DUPLICATES libs)
  add_executable(lmr_win32_tests ${sources})
  target_link_libraries(lmr_win32_tests PRIVATE ${libs} GTest::gtest_main)
  target_include_directories(lmr_win32_tests PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(lmr_win32_tests PRIVATE LMR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  lmr_target_warnings(lmr_win32_tests)
  lmr_windows_test_options(lmr_win32_tests)
  add_test(NAME lmr_win32_tests COMMAND lmr_win32_tests)
  # scripts/wine-run.sh answers 77 when Wine could not run the program at all.
  set_tests_properties(lmr_win32_tests PROPERTIES SKIP_RETURN_CODE 77)
endfunction()
