#!/usr/bin/env bash
# Runs the suite's main job on the bundled sample page in a fresh home:
# Textory opens tools/sample/page.tif, recognises it and writes its text to a
# .txt file (UTF-16); then the file's path and its first lines are printed.
#   tools/run.sh                 the sample page into a temporary folder
#   tools/run.sh PAGE OUT        another page, or another output (.txt, .doc or .htm)
# The exit status is Textory's: 0 written, 1 command line refused, 2 start
# failed, 3 image unreadable, 4 nothing recognised, 5 output not written.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
if [ ! -f "$build/build.ninja" ]; then
  "$top/tools/install-deps.sh"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "${JOBS:-3}" --target Textory Convert outside_plenmar outside_fremlin outside_tresk \
  ocrkit_tess outside_pendril20 outside_ostrel outside_glenrith >/dev/null
page=$(realpath "${1:-$top/tools/sample/page.tif}")
home=$(mktemp -d "${TMPDIR:-/tmp}/textory-home.XXXXXX")
echo "home: $home" >&2
out=$(realpath -m "${2:-$home/page.txt}")
export SUITE_HOME="$home" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
status=0
"$build/bin/Textory" "$page" "$out" || status=$?
if [ "$status" -ne 0 ]; then
  echo "run.sh: Textory ended with status $status" >&2
  exit "$status"
fi
echo "$out"
case "$out" in
  *.txt|*.TXT) iconv -f UTF-16 -t UTF-8 "$out" | head -n 5 ;;
  *) head -c 600 "$out"; echo ;;
esac
