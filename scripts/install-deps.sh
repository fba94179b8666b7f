#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the fuzzers and the
# benchmarks need. Quick when everything is present: apt-get runs only when a
# package is missing.
set -euo pipefail

native_packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev libfreetype-dev fonts-dejavu-core
  clang libclang-rt-14-dev
  libcairo2-dev
)
# wine64 too: its 64-bit server and services run natively even where 32-bit
# programs need an emulator (scripts/enable-i386.sh); only our 32-bit test
# programs then run emulated.
win32_packages=(
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb xauth fonts-wine
  dpkg-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${native_packages[@]}" "${win32_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# The Win32 libjpeg is built from Debian's own source package, which needs a
# deb-src entry.
src_list=/etc/apt/sources.list.d/lumora-deb-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  "${sudo_cmd[@]}" tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

if [ "${#missing[@]}" -gt 0 ] || [ "$need_update" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
