#!/usr/bin/env bash
# Installs what is needed, configures, builds and runs the whole test suite.
#   tools/test.sh              normal build in build/
#   SANITIZE=1 tools/test.sh   address and undefined-behaviour sanitizers in build-asan/
#   JOBS=N tools/test.sh       build and test with N jobs (default: all cores)
# Extra arguments are passed to ctest (for example -R Registry).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
build="$top/build"
flags=()
if [ "${SANITIZE:-0}" = 1 ]; then
  build="$top/build-asan"
  flags+=(-DSUITE_SANITIZE=ON -DSUITE_BENCH=OFF)
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}"
jobs=${JOBS:-$(nproc)}
cmake --build "$build" -j "$jobs"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 900 "$@"
