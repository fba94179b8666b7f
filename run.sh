#!/usr/bin/env bash
# The one entry point: build, test, demo. See ./run.sh --help.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

usage() {
  cat <<'HELP'
Usage: ./run.sh COMMAND

  demo    install the demo's packages, build the native tools and sample
          movies (build/native, tools in build/bin, movies in build/samples),
          then render every sample into build/demo: a contact sheet of its
          frames and its first frame
  test    install what the tests need, build the test trees, then run every
          suite, each closing with its summary: the native tests (sanitized),
          the fuzz targets over their corpora, the full Win32 suite on the
          64-bit test twin under 64-bit Wine, and the i686 deliverables'
          run: the full suite where 32-bit code runs natively, otherwise
          one emulated smoke process (LMR_WINE=0 skips both Wine runs)
  build [TREE]
          install what TREE needs and build it; TREE is one of
            native  release tools and sample movies      (build/native)
            tests   native tests, ASan + UBSan           (build/native-tests)
            win32   i686 deliverables, build/win32/bin   (build/win32)
            win64   x86_64 test twin of win32            (build/win64)
          or all of them when none is given. A tree whose preset or
          toolchain changed is configured afresh.
  bench   build the renderer benchmark in release mode (build/bench) and
          print our render times against cairo's for the same scenes
  fuzz [SECONDS]
          build the libFuzzer targets (clang, ASan + UBSan) in build/fuzz and
          run each for SECONDS (default 60) on a copy of its seed corpus;
          reports executions, coverage and findings (build/fuzz/findings)
  --help  this text

LMR_JOBS sets the build's parallel jobs (default 2).
HELP
}

jobs=${LMR_JOBS:-2}

# Seconds each stage took, printed at the end of `test`.
timings=()
stage_start=0
stage() {
  echo "== $1"
  stage_name=$1
  stage_start=$SECONDS
}
stage_done() {
  timings+=("$(printf '%5d s  %s' $((SECONDS - stage_start)) "$stage_name")")
}

# --- Build trees ------------------------------------------------------------

tree_dir() {
  case "$1" in
    native) echo build/native ;;
    native-tests) echo build/native-tests ;;
    win32) echo build/win32 ;;
    win64) echo build/win64 ;;
  esac
}

# Configures a preset's tree when it has none yet or when the preset (or
# its toolchain) changed since: cmake --build alone never re-reads presets.
configure_tree() {
  local preset=$1 dir hash
  dir=$(tree_dir "$preset")
  hash=$(cmake -DPRESET="$preset" -P cmake/PresetHash.cmake)
  if [ -f "$dir/build.ninja" ] && [ "$(cat "$dir/.preset-hash" 2>/dev/null)" = "$hash" ]; then
    return 0
  fi
  if [ -f "$dir/CMakeCache.txt" ]; then
    echo "$dir: its preset changed; configuring it afresh"
    cmake --preset "$preset" --fresh >/dev/null
  else
    cmake --preset "$preset" >/dev/null
  fi
  echo "$hash" >"$dir/.preset-hash"
}

# build_tree PRESET [TARGET...]: everything, or only the targets named.
build_tree() {
  local preset=$1
  shift
  configure_tree "$preset"
  local targets=()
  [ "$#" -eq 0 ] || targets=(--target "$@")
  cmake --build --preset "$preset" -j "$jobs" "${targets[@]}"
}

win_arch() {
  case "$1" in
    win32) echo i686 ;;
    win64) echo x86_64 ;;
  esac
}

do_build() {
  local which=${1:-all}
  case "$which" in
    native) scripts/install-deps.sh demo; build_tree native ;;
    tests) scripts/install-deps.sh tests; build_tree native-tests ;;
    win32 | win64)
      scripts/install-deps.sh win
      scripts/build-win-deps.sh "$(win_arch "$which")"
      build_tree "$which"
      ;;
    all)
      scripts/install-deps.sh tests win
      scripts/build-win-deps.sh i686 x86_64
      for preset in native native-tests win64 win32; do build_tree "$preset"; done
      ;;
    *) echo "build: unknown tree '$which' (native, tests, win32, win64)" >&2; return 2 ;;
  esac
}

build_fuzz() {
  if [ ! -f build/fuzz/build.ninja ]; then
    cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || return 1
  fi
  cmake --build build/fuzz -j "$jobs"
}

# --- Wine session -----------------------------------------------------------

xvfb_pid=""
stop_wine() {
  if [ -n "$xvfb_pid" ]; then
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" >/dev/null 2>&1 || true
    xvfb_pid=""
  fi
}

# Debian installs Wine's 64-bit loader outside the PATH.
wine64_loader() {
  if command -v wine64 >/dev/null 2>&1; then command -v wine64; else echo /usr/lib/wine/wine64; fi
}

# Wine's 32-bit loader is a 32-bit Linux program. Some machines of this kind
# run no 32-bit code at all (the kernel answers "Exec format error"); there
# scripts/enable-i386.sh registers qemu's user-mode emulator for it, and
# every start of a 32-bit Windows program takes minutes.
emulated_32bit() { grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; }

# One X display and one persistent Wine server for the whole Win32 run. The
# server is started before CTest: started from inside CTest, Wine's
# background services would inherit CTest's output pipe and keep it waiting.
# It is also started before the prefix is made, so the session that
# wineboot sets up is the one the tests use (every new server session
# starts wineboot again). The 64-bit loader sets the session up: it runs
# natively even where 32-bit programs are emulated.
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
  # No Mono or Gecko install dialog can hang the run, and a program that
  # crashes ends at once instead of waiting in Wine's debugger.
  export WINEPREFIX="$root/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  mkdir -p "$WINEPREFIX"
  wineserver -p
  local limit=${LMR_WINE_TIMEOUT:-1200} wine64
  wine64=$(wine64_loader)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix in $WINEPREFIX (once)"
    timeout --kill-after=30 "$limit" "$wine64" wineboot.exe -i </dev/null >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  else
    timeout --kill-after=30 "$limit" "$wine64" cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

# --- Commands ---------------------------------------------------------------

# CTest shows one line per Windows test program; GoogleTest's own closing
# lines say how many tests ran inside it.
gtest_summary() {
  grep -hE '^\[==========\] [0-9]+ tests? from .* ran|^\[  (PASSED|FAILED)  \] [0-9]+ test' \
    "$1/Testing/Temporary/LastTest.log" 2>/dev/null || true
}

# The i686 run: the full suite where 32-bit code runs natively; otherwise
# one smoke process, since each emulated start costs minutes.
run_i686() {
  local status=0
  if emulated_32bit; then
    echo "i686 run: the smoke process only. This machine runs no 32-bit code natively, so"
    echo "32-bit Wine runs through qemu's emulator (minutes per program start); the full"
    echo "suite ran on the 64-bit twin above."
    export LMR_WINE_EMULATED=1
    ctest --preset win32-smoke || status=1
  else
    echo "i686 run: the full suite (32-bit code runs natively here)"
    ctest --preset win32 || status=1
  fi
  gtest_summary build/win32
  return $status
}

do_test() {
  local status=0
  stage "installing packages"
  scripts/install-deps.sh tests win fuzz
  stage_done
  stage "libjpeg for i686 and x86_64"
  scripts/build-win-deps.sh i686 x86_64
  stage_done
  for preset in native-tests win64 win32; do
    stage "building $(tree_dir "$preset")"
    build_tree "$preset"
    stage_done
  done
  stage "building build/fuzz"
  build_fuzz || status=1
  stage_done

  stage "native tests"
  ctest --preset native-tests || status=1
  stage_done
  stage "fuzz targets over their seed corpora (fixed seed and run count)"
  if [ -f build/fuzz/CTestTestfile.cmake ]; then
    ctest --test-dir build/fuzz --output-on-failure -j "$jobs" || status=1
  else
    echo "the fuzz targets did not build"
  fi
  stage_done

  if [ "${LMR_WINE:-1}" = 0 ]; then
    echo "== Win32 tests built but not run (LMR_WINE=0)"
  else
    stage "Wine session (Xvfb, server, prefix)"
    start_wine
    stage_done
    stage "Win32 suite on the x86_64 twin under 64-bit Wine"
    ctest --preset win64 || status=1
    gtest_summary build/win64
    stage_done
    stage "i686 deliverables under Wine"
    run_i686 || status=1
    stage_done
    stop_wine
  fi

  echo "== time per stage"
  printf '%s\n' "${timings[@]}"
  return $status
}

do_demo() {
  scripts/install-deps.sh demo
  build_tree native lmr2png contact_sheet samples
  samples/render_demo.sh build/bin build/samples build/demo
}

# Each target runs on a scratch copy of its corpus, so the seeds stay as
# committed; inputs that crash, leak or time out land in build/fuzz/findings.
do_fuzz() {
  local seconds=$1 found=0
  case "$seconds" in '' | *[!0-9]*) echo "fuzz: SECONDS must be a whole number" >&2; return 2 ;; esac
  scripts/install-deps.sh fuzz
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
  scripts/install-deps.sh bench
  bench/run_bench.sh build/bench
}

case "${1:-}" in
  build) do_build "${2:-all}" ;;
  test) do_test ;;
  demo) do_demo ;;
  bench) do_bench ;;
  fuzz) do_fuzz "${2:-60}" ;;
  -h | --help | help) usage ;;
  *) usage >&2; exit 2 ;;
esac
