# Cross-compiling for Windows with the POSIX-threads flavour of mingw-w64
# (GoogleTest needs std::mutex, which the win32 flavour lacks). Included by
# the per-architecture files, which set LMR_MINGW_ARCH first:
#   i686   the deliverables (build/win32)
#   x86_64 their test twin (build/win64): the same sources, which 64-bit
#          Wine starts natively where 32-bit code is emulated
if(NOT LMR_MINGW_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "LMR_MINGW_ARCH must be i686 or x86_64, not '${LMR_MINGW_ARCH}'")
endif()
set(triple ${LMR_MINGW_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LMR_MINGW_ARCH})

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine through our wrapper, which picks the
# loader for the architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${LMR_MINGW_ARCH})
unset(triple)
