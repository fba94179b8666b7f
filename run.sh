#!/usr/bin/env bash
# The one entry point: build, test, demo. See ./run.sh --help.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

usage() {
  cat <<'HELP'
Usage: ./run.sh COMMAND

  build   install missing Debian packages, then configure and build everything:
          native release tools in build/bin, native tests (Debug, Address- and
          UndefinedBehaviorSanitizer) in build/native-tests, the Win32 side in
          build/win32 (deliverables in build/win32/bin)
  test    build, then run every test: native through CTest, the fuzz targets
          over their corpora, and the Win32 tests through CTest under Wine
          (one Xvfb display for the whole run; LMR_WINE=0 skips them)
  demo    build, then render every sample movie in build/samples into
          build/demo: a contact sheet of its frames and its first frame
  bench   build the renderer benchmark in release mode (build/bench) and
          print our render times against cairo's for the same scenes
  fuzz [SECONDS]
          build the libFuzzer targets (clang, ASan + UBSan) in build/fuzz and
          run each for SECONDS (default 60) on a copy of its seed corpus;
          reports executions, coverage and findings (build/fuzz/findings)
  --help  this text
HELP
}

jobs=$(nproc 2>/dev/null || echo 2)

do_build() {
  scripts/install-deps.sh
  scripts/build-win32-deps.sh
  for preset in native native-tests win32; do
    if [ ! -f "build/$preset/build.ninja" ] && [ ! -f "build/$preset/CMakeCache.txt" ]; then
      cmake --preset "$preset" >/dev/null
    fi
    cmake --build --preset "$preset" -j "$jobs"
  done
}

xvfb_pid=""
stop_wine() {
  if [ -n "$xvfb_pid" ]; then
    WINEPREFIX="$root/build/wine-prefix" wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" >/dev/null 2>&1 || true
    xvfb_pid=""
  fi
}

# Wine's loader is a 32-bit Linux program. Some machines of this kind run no
# 32-bit code at all (the kernel answers "Exec format error"); there Wine
# runs through qemu's user-mode emulator (scripts/enable-i386.sh), where
# starting Wine's session takes minutes. LMR_WINE=0 skips the Win32 run.
emulated_32bit() { grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; }

# One X display and one persistent Wine server for the whole Win32 run. The
# server is started before CTest: started from inside CTest, Wine's
# background services would inherit CTest's output pipe and keep it waiting.
# It is also started before the prefix is made, so the session that
# wineboot sets up is the one the tests use (every new server session
# starts wineboot again).
start_wine() {
  scripts/enable-i386.sh
  local display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap stop_wine EXIT
  export DISPLAY=":$display"
  export WINEPREFIX="$root/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineserver -p
  local limit=${LMR_WINE_TIMEOUT:-1200}
  # The session is set up by 64-bit Wine where it is installed: it runs
  # natively even where 32-bit programs are emulated.
  local boot=wine
  command -v wine64 >/dev/null 2>&1 && boot=wine64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix in $WINEPREFIX (once)"
    timeout --kill-after=30 "$limit" "$boot" wineboot.exe -i </dev/null >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  else
    timeout --kill-after=30 "$limit" "$boot" cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

run_win32_tests() {
  echo "== Win32 tests under Wine"
  ctest --test-dir build/win32 -N | sed -n '/Test *#/p'
  if [ "${LMR_WINE:-1}" = 0 ]; then
    echo "Win32 tests built but not run (LMR_WINE=0)."
    return 0
  fi
  start_wine
  if emulated_32bit; then
    echo "this machine runs no 32-bit code natively: Wine's 32-bit side runs through qemu's emulator (slow)"
    export LMR_WINE_EMULATED=1
  fi
  local status=0
  ctest --preset win32 || status=1
  stop_wine
  return $status
}

do_test() {
  do_build
  local status=0
  echo "== native tests"
  ctest --preset native-tests -j "$jobs" || status=1
  echo "== fuzz targets over their seed corpora (fixed seed and run count)"
  if build_fuzz; then
    ctest --test-dir build/fuzz --output-on-failure -j "$jobs" || status=1
  else
    status=1
  fi
  run_win32_tests || status=1
  return $status
}

do_demo() {
  do_build
  samples/render_demo.sh build/bin build/samples build/demo
}

build_fuzz() {
  if [ ! -f build/fuzz/build.ninja ]; then
    cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || return 1
  fi
  cmake --build build/fuzz -j "$jobs"
}

# Each target runs on a scratch copy of its corpus, so the seeds stay as
# committed; inputs that crash, leak or time out land in build/fuzz/findings.
do_fuzz() {
  local seconds=$1 found=0
  case "$seconds" in ''|*[!0-9]*) echo "fuzz: SECONDS must be a whole number" >&2; return 2 ;; esac
  scripts/install-deps.sh
  build_fuzz
  mkdir -p build/fuzz/findings
  for target in movie compiler dump; do
    local work="build/fuzz/work/$target" log="build/fuzz/$target.log"
    rm -rf "$work" && mkdir -p "$work" && cp fuzz/corpus/$target/* "$work/"
    echo "== fuzz_$target for $seconds s"
    build/fuzz/fuzz_$target -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      -dict=fuzz/lmr.dict -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$target-" \
      "$work" >"$log" 2>&1 || found=1
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" || true
    grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true
    grep -E '^(SUMMARY|==[0-9]+==ERROR)' "$log" || true
  done
  echo "findings: $(find build/fuzz/findings -type f | wc -l) file(s) in build/fuzz/findings (logs: build/fuzz/*.log)"
  [ "$found" -eq 0 ]
}

do_bench() {
  scripts/install-deps.sh
  bench/run_bench.sh build/bench
}

case "${1:-}" in
  build) do_build ;;
  test) do_test ;;
  demo) do_demo ;;
  bench) do_bench ;;
  fuzz) do_fuzz "${2:-60}" ;;
  -h|--help|help) usage ;;
  *) usage >&2; exit 2 ;;
esac
