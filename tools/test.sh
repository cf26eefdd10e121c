#!/usr/bin/env bash
# Installs what is needed, configures, builds and runs the whole test suite.
#   tools/test.sh              normal build in build/
#   SANITIZE=1 tools/test.sh   address and undefined-behaviour sanitizers in build-asan/
#   JOBS=N tools/test.sh       build and test with N jobs (default: all cores)
# Extra arguments are passed to ctest (for example -R Registry).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
# The image layer lies below the document layer: no file of imaging/ includes
# one of ocrdoc/.
if grep -rl --include='*.h' --include='*.cpp' '#include "ocrdoc/' "$top/imaging"; then
  echo "tools/test.sh: the files above include ocrdoc/ from imaging/" >&2
  exit 1
fi
# The views lie above the page image and the document: no file of imaging/ or
# ocrdoc/ includes one of views/.
if grep -rl --include='*.h' --include='*.cpp' '#include "views/' "$top/imaging" "$top/ocrdoc"; then
  echo "tools/test.sh: the files above include views/ from imaging/ or ocrdoc/" >&2
  exit 1
fi
# The shell lies above the page image, the document and the views: none of
# their files includes one of shell/ (each layer declares what it asks of the
# program around it in its own folder).
if grep -rl --include='*.h' --include='*.cpp' '#include "shell/' "$top/imaging" "$top/ocrdoc" "$top/views"; then
  echo "tools/test.sh: the files above include shell/ from imaging/, ocrdoc/ or views/" >&2
  exit 1
fi
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
# The tests get a temporary folder and a runtime folder of this run alone
# (other runs may go on beside it); the last test checks that the temporary
# folder was left empty, and the run's folder goes when the run ends.
run=$(mktemp -d "${TMPDIR:-/tmp}/suite-test-run.XXXXXX")
trap 'chmod -R u+rwX "$run" 2>/dev/null; rm -rf "$run"' EXIT
mkdir -m 700 "$run/tmp" "$run/runtime"
export TMPDIR="$run/tmp" TEST_TMPDIR="$run/tmp" SUITE_TEST_TMPDIR="$run/tmp" XDG_RUNTIME_DIR="$run/runtime"
cd "$build"
# A test that fails is run once more before the run counts it: a few tests
# time processes and threads and can miss their bound on a machine loaded by
# other builds. A fault that shows on both runs still fails the suite.
ctest --output-on-failure -j "$jobs" --timeout 900 --repeat until-pass:2 "$@"
