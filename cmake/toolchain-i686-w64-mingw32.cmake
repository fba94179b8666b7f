# 32-bit Windows: the deliverables (build/win32).
set(LMR_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
