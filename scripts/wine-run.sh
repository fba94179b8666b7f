#!/usr/bin/env bash
# CMake's cross-compiling emulator: runs one Win32 program under Wine in the
# project's own prefix, quietly, on the X display that run.sh started.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${LMR_WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
