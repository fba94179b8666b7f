#!/usr/bin/env bash
# CMake's cross-compiling emulator: runs one Win32 program under Wine in the
# project's own prefix, quietly, on the X display that run.sh started.
#
# Where Wine runs through qemu's user-mode emulator (machines that run no
# 32-bit code natively), the emulator has been seen to crash while a Win32
# process exits, after its work is done. A GoogleTest program there writes
# an XML report, and the report decides: all passed is a pass, failures are
# a failure, and no report at all (Wine did not come up within the time
# limit) is reported to CTest as "not run" (exit 77), never as a pass.
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${LMR_WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ "${LMR_WINE_EMULATED:-0}" != 1 ]; then
  exec wine "$@"
fi

program=$1
shift
report_dir=$root/build/win32/reports
mkdir -p "$report_dir"
report=$report_dir/$(basename "$program" .exe).xml
rm -f "$report"
timeout --kill-after=30 "${LMR_WINE_TIMEOUT:-1200}" wine "$program" "$@" --gtest_output="xml:$report"
status=$?
[ "$status" -eq 0 ] && exit 0
if [ ! -s "$report" ]; then
  echo "wine-run: no test report from $(basename "$program") (exit $status): Wine did not finish under the emulator; not run" >&2
  exit 77
fi
head=$(grep -m 1 '<testsuites' "$report")
tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$head")
failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$head")
errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$head")
if [ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" -eq 0 ] && [ "${errors:-1}" -eq 0 ]; then
  echo "wine-run: all $tests tests passed; the emulator failed only at process exit (exit $status)" >&2
  exit 0
fi
echo "wine-run: $failures of $tests tests failed (exit $status)" >&2
exit 1
