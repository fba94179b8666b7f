#!/usr/bin/env bash
# Builds the renderer benchmark in its own release tree (-O2, no sanitizers,
# no tests) and runs it. Usage: run_bench.sh BUILD-DIR [benchmark options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLMR_TESTS=OFF \
  -DLMR_BENCH=ON -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
if ! cmake --build "$build" --target render_bench -j 2 >"$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi
"$build/bin/render_bench" "$@"
