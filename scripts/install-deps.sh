#!/usr/bin/env bash
# Installs the Debian packages one job needs: scripts/install-deps.sh GROUP...
#   demo   the native tools and the sample movies (compiler, libjpeg, libpng,
#          FreeType, the DejaVu font)
#   tests  the native tests (GoogleTest) on top of demo
#   win    the Win32 side: mingw-w64 for i686 (deliverables) and x86_64 (the
#          test twin), Wine (64-bit, and 32-bit where i386 packages exist),
#          Xvfb, the Wine fonts, and dpkg-dev for Debian's libjpeg sources
#   fuzz   clang with its fuzzer runtime
#   bench  Google Benchmark and cairo
# Without a group: all of them. Quick when everything is present: apt-get
# runs only when a package is missing.
set -euo pipefail

group_packages() {
  case "$1" in
    demo) echo build-essential cmake ninja-build pkg-config libjpeg62-turbo-dev libpng-dev libfreetype-dev fonts-dejavu-core ;;
    tests) group_packages demo; echo googletest libgtest-dev ;;
    win) echo gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
      gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
      wine wine64 wine32:i386 xvfb xauth fonts-wine dpkg-dev ;;
    fuzz) group_packages demo; echo clang libclang-rt-14-dev ;;
    bench) group_packages demo; echo libbenchmark-dev libcairo2-dev ;;
    *) echo "install-deps: unknown group '$1' (demo, tests, win, fuzz, bench)" >&2; return 2 ;;
  esac
}

groups=("$@")
[ "${#groups[@]}" -gt 0 ] || groups=(tests win fuzz bench)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

wanted=()
for g in "${groups[@]}"; do
  read -r -a list <<<"$(group_packages "$g" | tr '\n' ' ')"
  wanted+=("${list[@]}")
done

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ "${#missing[@]}" -gt 0 ] || exit 0

win=0
for g in "${groups[@]}"; do [ "$g" = win ] && win=1; done
if [ "$win" -eq 1 ]; then
  # 32-bit Wine needs the i386 architecture; the Win32 libjpeg is built from
  # Debian's own source package, which needs deb-src entries.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "$(dirname "$0")/add-deb-src.sh"
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
echo "installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
