# The sources of the player's portable core: the movie engine, the
# renderer, the movie stage, and the platform seam's implementation for the
# system being built for. Included by the main build (player/CMakeLists.txt)
# and by the fuzz project, so both compile the same files. Sets
# LMR_CORE_SOURCES.
file(GLOB LMR_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/engine/*.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render/*.cpp)
list(APPEND LMR_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/host/movie_stage.cpp)
if(WIN32)
  list(APPEND LMR_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform/platform_win32.cpp)
else()
  list(APPEND LMR_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform/platform_native.cpp)
endif()
