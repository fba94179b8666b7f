# 64-bit Windows: the test twin of the deliverables (build/win64).
set(LMR_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
