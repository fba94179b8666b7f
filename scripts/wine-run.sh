#!/usr/bin/env bash
# CMake's cross-compiling emulator: runs one Windows program under Wine in
# the project's own prefix, quietly, on the X display that run.sh started.
#   scripts/wine-run.sh ARCH PROGRAM [ARGS...]    ARCH: i686 or x86_64
#
# x86_64 programs (the test twin) start with Wine's 64-bit loader, which
# runs natively everywhere. i686 programs (the deliverables) start with
# `wine`, whose loader is a 32-bit Linux program.
#
# Where that loader runs through qemu's user-mode emulator (machines that
# run no 32-bit code natively; run.sh sets LMR_WINE_EMULATED=1), the
# emulator has been seen to crash while a Win32 process exits, after its
# work is done. There the test program's own verdict decides (its XML
# report, or the summary lines of its output): a failed test is a failure,
# all passed is a pass, and a run that never reached its verdict (Wine did
# not come up within the time limit, or the emulator crashed mid-run) is
# reported to CTest as "not run" (exit 77), never as a pass.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${LMR_WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
# No install dialog; a crashing program ends at once, not in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# Debian installs the 64-bit loader outside the PATH.
wine64_loader() {
  if command -v wine64 >/dev/null 2>&1; then command -v wine64; else echo /usr/lib/wine/wine64; fi
}

# A program that hangs (a window waiting for input that never comes) is
# ended after this many seconds.
limit=${LMR_WINE_TEST_TIMEOUT:-900}

arch=$1
shift
case "$arch" in
  x86_64) exec timeout --kill-after=30 "$limit" "$(wine64_loader)" "$@" ;;
  i686) ;;
  *) echo "wine-run: unknown architecture '$arch' (i686, x86_64)" >&2; exit 2 ;;
esac

if [ "${LMR_WINE_EMULATED:-0}" != 1 ]; then
  exec timeout --kill-after=30 "$limit" wine "$@"
fi

program=$1
shift
report_dir=$(dirname "$program")/../reports
mkdir -p "$report_dir"
name=$(basename "$program" .exe)
report=$report_dir/$name.xml
log=$report_dir/$name.log
# A run the emulator broke off before any verdict is tried once more.
attempt=1
while :; do
  rm -f "$report" "$log"
  timeout --kill-after=30 "$limit" wine "$program" "$@" --gtest_output="xml:$report" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  # Test failures fail the run whatever the exit status says; a failed
  # assertion prints its "file:line: Failure" line before anything else.
  if grep -qE '^\[  FAILED  \]|: Failure$' "$log"; then
    echo "wine-run: tests failed (exit $status)" >&2
    exit 1
  fi
  [ "$status" -eq 0 ] && exit 0
  if [ -s "$report" ] || grep -q '^\[  PASSED  \]' "$log" || [ "$attempt" -ge "${LMR_WINE_ATTEMPTS:-2}" ]; then
    break
  fi
  echo "wine-run: the emulator broke off the run (exit $status); trying again" >&2
  attempt=$((attempt + 1))
done
if [ -s "$report" ]; then
  head=$(grep -m 1 '<testsuites' "$report")
  tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$head")
  failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$head")
  errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$head")
  if [ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" -eq 0 ] && [ "${errors:-1}" -eq 0 ]; then
    echo "wine-run: all $tests tests passed; the emulator failed only at process exit (exit $status)" >&2
    exit 0
  fi
  echo "wine-run: ${failures:-?} of ${tests:-?} tests failed (exit $status)" >&2
  exit 1
fi
if grep -q '^\[  PASSED  \]' "$log"; then
  echo "wine-run: all tests passed; the emulator failed only at process exit (exit $status)" >&2
  exit 0
fi
echo "wine-run: $name did not finish under the emulator (exit $status): not run" >&2
exit 77
