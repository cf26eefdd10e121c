#!/usr/bin/env bash
# Probes the real Scribant on a virtual screen (Xvfb): a PDF conversion is
# asked for by a sender that stops waiting after 2 s (scribant_command), the
# user then answers the conversion dialog and the closing message box with
# Return (xdotool), and the program must still be running afterwards.
# Exit status 0 when it is, 1 when it died.
#   tools/probe_gone_sender.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
cmake --build "$build" -j "${JOBS:-3}" --target Scribant scribant_command >/dev/null
home=$(mktemp -d "${TMPDIR:-/tmp}/scribant-probe.XXXXXX")
trap 'rm -rf "$home"' EXIT
cp "$top/tools/sample/page.tif" "$home/page.tif"
tiff2pdf -o "$home/one.pdf" "$home/page.tif"
export SUITE_HOME="$home" SUITE_LANGID="${SUITE_LANGID:-0x0804}" QT_QPA_PLATFORM=xcb
export SUITE_IPC_DIR="$home/ipc" PROBE_BIN="$build/bin"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$PROBE_BIN/Scribant" "$SUITE_HOME/one.pdf" >/dev/null 2>&1 &
  program=$!
  for i in $(seq 1 100); do "$PROBE_BIN/scribant_command" --probe && break; sleep 0.2; done
  sleep 3
  "$PROBE_BIN/scribant_command" --wait 2 32919 2>/dev/null || true   # PDF to text; the sender gives up
  sleep 1; xdotool key Return    # the conversion dialog: OK
  sleep 4; xdotool key Return    # the closing message: OK
  sleep 3
  if kill -0 $program 2>/dev/null; then
    echo "alive after the sender went"; kill $program; exit 0
  fi
  echo "the program died after the sender went" >&2; exit 1
'
