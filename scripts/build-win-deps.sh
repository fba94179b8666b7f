#!/usr/bin/env bash
# Builds the static Windows libjpeg (release 6 API) from Debian's
# libjpeg-turbo source package, unpacked once into build/deps/src, for each
# architecture asked for:
#   scripts/build-win-deps.sh [i686] [x86_64]   (default: both)
# i686 goes to build/deps/win32-jpeg (the deliverables), x86_64 to
# build/deps/win64-jpeg (the test twin). An architecture whose library is
# there already is skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
archs=("$@")
[ "${#archs[@]}" -gt 0 ] || archs=(i686 x86_64)

out_dir() {
  case "$1" in
    i686) echo "$root/build/deps/win32-jpeg" ;;
    x86_64) echo "$root/build/deps/win64-jpeg" ;;
    *) echo "build-win-deps: unknown architecture '$1' (i686, x86_64)" >&2; return 2 ;;
  esac
}

src=$root/build/deps/src
srcdir() { ls -d "$src"/libjpeg-turbo-*/ 2>/dev/null | head -n 1; }

for arch in "${archs[@]}"; do
  out=$(out_dir "$arch")
  [ -f "$out/libjpeg.a" ] && continue
  if [ -z "$(srcdir)" ]; then
    mkdir -p "$src"
    # Debian's source package needs deb-src entries; they are added (and
    # the package lists read again) only when the first try fails.
    if ! (cd "$src" && apt-get source -q libjpeg-turbo >/dev/null 2>&1); then
      "$root/scripts/add-deb-src.sh"
      sudo_cmd=()
      [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
      "${sudo_cmd[@]}" apt-get update -q >/dev/null
      (cd "$src" && apt-get source -q libjpeg-turbo >/dev/null)
    fi
  fi
  dir=$(srcdir)
  work=$out-build
  # An absolute Unix install prefix: the Windows default breaks configuring.
  cmake -S "$dir" -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
    -DCMAKE_INSTALL_PREFIX="$out/install" -Wno-dev >/dev/null
  cmake --build "$work" --target jpeg-static -j 2 >/dev/null
  mkdir -p "$out"
  cp "$work/jconfig.h" "$dir/jpeglib.h" "$dir/jmorecfg.h" "$dir/jerror.h" "$out/"
  # The library last: its presence marks the folder complete.
  cp "$work/libjpeg.a" "$out/"
  echo "built $arch libjpeg in $out"
done
