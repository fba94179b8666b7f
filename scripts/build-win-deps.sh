#!/usr/bin/env bash
# Builds the static Win32 libjpeg (release 6 API) from Debian's libjpeg-turbo
# source package into build/deps/win32-jpeg. Does nothing when it is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/deps/win32-jpeg
[ -f "$out/libjpeg.a" ] && exit 0

src=$root/build/deps/src
mkdir -p "$src" "$out"
cd "$src"
if ! ls -d libjpeg-turbo-*/ >/dev/null 2>&1; then
  apt-get source -q libjpeg-turbo >/dev/null
fi
srcdir=$(ls -d "$src"/libjpeg-turbo-*/ | head -n 1)

work=$root/build/deps/win32-jpeg-build
cmake -S "$srcdir" -B "$work" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
  -DCMAKE_INSTALL_PREFIX="$out/install" >/dev/null
cmake --build "$work" --target jpeg-static >/dev/null
cp "$work/libjpeg.a" "$work/jconfig.h" "$out/"
cp "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" "$out/"
echo "built Win32 libjpeg in $out"
