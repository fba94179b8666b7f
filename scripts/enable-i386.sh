#!/usr/bin/env bash
# Wine's loader and server are 32-bit Linux programs. Some machines of this
# kind run no 32-bit code natively (the kernel answers "Exec format error");
# there 32-bit programs are run through qemu's user-mode emulator, registered
# with binfmt_misc. Does nothing where 32-bit programs already run.
set -euo pipefail

runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
runs_32bit && exit 0

if ! command -v qemu-i386-static >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends qemu-user-static >/dev/null
fi
binfmt=/proc/sys/fs/binfmt_misc
[ -f "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -e "$binfmt/qemu-i386" ]; then
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$binfmt/register"
fi
runs_32bit || { echo "32-bit programs cannot run on this machine" >&2; exit 1; }
