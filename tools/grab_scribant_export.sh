#!/usr/bin/env bash
# Grabs the real Scribant's main road on a virtual screen (Xvfb): a file of
# another kind refused at start, an image on the command line, the Open
# dialog's kinds of file, a PDF of three pages handed over by a second start
# (split, one row a page), the batch over every row, the export's save dialog
# (typed into with xdotool), the question before replacing a file, and the
# message naming a page that could not be exported.
#   tools/grab_scribant_export.sh [DIR]      PNG files into DIR (default: grabs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-grabs}")
build="$top/build"
cmake --build "$build" -j "${JOBS:-3}" --target Scribant scribant_command
mkdir -p "$out"
home=$(mktemp -d "${TMPDIR:-/tmp}/scribant-grab.XXXXXX")
trap 'rm -rf "$home"' EXIT
cp "$top/tools/sample/page.tif" "$home/page.tif"
cp "$top/tools/sample/page.tif" "$home/second.tif"
tiff2pdf -o "$home/one.pdf" "$home/page.tif"
qpdf --empty --pages "$home/one.pdf" "$home/one.pdf" "$home/one.pdf" -- "$home/report.pdf"
echo "not a page" > "$home/notes.txt"
export SUITE_HOME="$home" SUITE_LANGID="${SUITE_LANGID:-0x0804}" QT_QPA_PLATFORM=xcb
export SUITE_IPC_DIR="$home/ipc" GRAB_OUT="$out" GRAB_BIN="$build/bin" GRAB_TOOLS="$top/tools"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  grab() { xwd -root -silent > "$GRAB_OUT/$1.xwd" && python3 "$GRAB_TOOLS/xwd_to_png.py" "$GRAB_OUT/$1.xwd" "$GRAB_OUT/$1.png" && rm "$GRAB_OUT/$1.xwd" && echo "grab: $GRAB_OUT/$1.png"; }
  command() { "$GRAB_BIN/scribant_command" --wait 240 "$@"; }
  # A file of another kind: refused, in the interface'"'"'s words, naming it.
  "$GRAB_BIN/Scribant" "$SUITE_HOME/notes.txt" &
  refused=$!
  sleep 4; grab export-1-refused-at-start
  kill $refused 2>/dev/null || true; wait $refused 2>/dev/null || true
  "$GRAB_BIN/Scribant" "$SUITE_HOME/second.tif" &
  program=$!
  for i in $(seq 1 100); do "$GRAB_BIN/scribant_command" --probe && break; sleep 0.2; done
  sleep 4
  # The Open dialog offers every kind the program reads.
  ( command 57601 || true ) &
  sleep 3; grab export-2-open-dialog
  xdotool key Escape; sleep 2
  # A second start hands its PDF over: split and listed in the running one.
  "$GRAB_BIN/Scribant" "$SUITE_HOME/report.pdf" || true
  sleep 5; grab export-2-pages-listed
  command 32857; command 32794; sleep 2; grab export-3-recognised
  # The save dialog of "Output to format": typed into, as a user would.
  command 32857
  ( command 32827 || true ) &
  sleep 3; grab export-4-save-dialog
  xdotool type --delay 50 "all.txt"; xdotool key Return
  sleep 3
  ( command 32827 || true ) &
  sleep 3; xdotool type --delay 50 "all.txt"; xdotool key Return
  sleep 2; grab export-5-replace-question
  xdotool key Return; sleep 2
  # A page whose image went away is named by the export.
  rm -f "$SUITE_HOME/second.tif" "$SUITE_HOME/second.tif.PST"
  sleep 1
  ( command 32827 || true ) &
  sleep 3; xdotool type --delay 50 "again.txt"; xdotool key Return
  sleep 4; grab export-6-page-left-out
  xdotool key Return; sleep 1
  command 57665 || true
  for i in $(seq 1 50); do kill -0 $program 2>/dev/null || break; sleep 0.2; done
  kill $program 2>/dev/null || true
'
