#!/usr/bin/env bash
# Grabs the real Textory on a virtual screen (Xvfb): started without a job,
# the task bar alone on the screen, as a user first sees it; then a job on
# the sample page, its progress window while the page is read and recognised.
#   tools/grab_textory.sh [DIR]      PNG files into DIR (default: grabs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-grabs}")
build="$top/build"
cmake --build "$build" -j "${JOBS:-3}" --target Textory
mkdir -p "$out"
home=$(mktemp -d "${TMPDIR:-/tmp}/textory-grab.XXXXXX")
trap 'rm -rf "$home"' EXIT
export SUITE_HOME="$home" SUITE_LANGID="${SUITE_LANGID:-0x0804}" QT_QPA_PLATFORM=xcb
export GRAB_OUT="$out" GRAB_BIN="$build/bin" GRAB_TOOLS="$top/tools"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -eu
  grab() { xwd -root -silent > "$GRAB_OUT/$1.xwd" && python3 "$GRAB_TOOLS/xwd_to_png.py" "$GRAB_OUT/$1.xwd" "$GRAB_OUT/$1.png" && rm "$GRAB_OUT/$1.xwd" && echo "grab: $GRAB_OUT/$1.png"; }
  "$GRAB_BIN/Textory" &
  program=$!
  sleep 4
  grab textory-started
  kill $program 2>/dev/null || true
  wait $program 2>/dev/null || true
  "$GRAB_BIN/Textory" "$GRAB_TOOLS/sample/page.tif" "$SUITE_HOME/sample.txt" &
  program=$!
  for shot in 1 2 3; do sleep 1; grab textory-job-$shot; done
  wait $program 2>/dev/null || true
'
