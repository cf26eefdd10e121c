#!/usr/bin/env bash
# Grabs the real Scribant on a virtual screen (Xvfb): started with the sample
# page, the page open, the page analysed and recognised, and each layout
# (page list only, page and text views only, every pane). The commands go to
# the running program as menu commands through its window (scribant_command).
#   tools/grab_scribant.sh [DIR]      PNG files into DIR (default: grabs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-grabs}")
build="$top/build"
cmake --build "$build" -j "${JOBS:-3}" --target Scribant scribant_command
mkdir -p "$out"
home=$(mktemp -d "${TMPDIR:-/tmp}/scribant-grab.XXXXXX")
trap 'rm -rf "$home"' EXIT
cp "$top/tools/sample/page.tif" "$home/page.tif"
export SUITE_HOME="$home" SUITE_LANGID="${SUITE_LANGID:-0x0804}" QT_QPA_PLATFORM=xcb
export SUITE_IPC_DIR="$home/ipc" GRAB_OUT="$out" GRAB_BIN="$build/bin" GRAB_TOOLS="$top/tools"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  grab() { xwd -root -silent > "$GRAB_OUT/$1.xwd" && python3 "$GRAB_TOOLS/xwd_to_png.py" "$GRAB_OUT/$1.xwd" "$GRAB_OUT/$1.png" && rm "$GRAB_OUT/$1.xwd" && echo "grab: $GRAB_OUT/$1.png"; }
  command() { "$GRAB_BIN/scribant_command" --wait 120 "$@"; }
  "$GRAB_BIN/Scribant" "$SUITE_HOME/page.tif" &
  program=$!
  for i in $(seq 1 100); do "$GRAB_BIN/scribant_command" --probe && break; sleep 0.2; done
  grab 1-started
  sleep 3; grab 2-page-open
  want="Scribant - Default Task - page.tif"
  if "$GRAB_BIN/scribant_command" --title "$want"; then echo "title: $want"; else echo "title: not \"$want\"" >&2; fi
  command 32793; sleep 2; command 32794; sleep 8; grab 3-recognised
  command 32817; sleep 1; grab 4-layout-page-list-only
  command 32819; sleep 1; grab 5-layout-views-only
  command 32818; sleep 1; grab 6-layout-every-pane
  command 57665 || true
  for i in $(seq 1 50); do kill -0 $program 2>/dev/null || break; sleep 0.2; done
  kill $program 2>/dev/null || true
'
