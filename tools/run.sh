#!/usr/bin/env bash
# Runs Scribant's main job on the bundled sample page in a fresh home: start
# with the page, layout (F5), recognition (F8), "Output to format" as a text
# file, close. Prints the text file's path and its first lines.
#   tools/run.sh                 the sample page
#   tools/run.sh --grab DIR      also saves grabs of the window after each step
#   tools/run.sh [--grab DIR] PAGE   another page
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
if [ ! -f "$build/build.ninja" ]; then
  "$top/tools/install-deps.sh"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "${JOBS:-3}" --target scribant_run
args=()
page="$top/tools/sample/page.tif"
while [ $# -gt 0 ]; do
  case "$1" in
    --grab) args+=(--grab "$(realpath -m "$2")"); shift 2 ;;
    *) page=$(realpath "$1"); shift ;;
  esac
done
home=$(mktemp -d "${TMPDIR:-/tmp}/scribant-home.XXXXXX")
echo "home: $home" >&2
export SUITE_HOME="$home" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec "$build/bin/scribant_run" "${args[@]}" "$page"
