#!/usr/bin/env bash
# Offers the image-file launcher under "open with" for the kinds Scribant
# opens (TIFF, BMP, JPEG, PNG, PCX images and PDF documents): writes its desktop entry into $XDG_DATA_HOME/applications (default
# ~/.local/share/applications) with Exec naming the built program, and
# refreshes that folder's MIME cache. It never makes the launcher the default
# handler of any kind.
#   tools/install-desktop.sh [path of the Feedgate program]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$top/build/bin/Feedgate}
[ -x "$program" ] || { echo "install-desktop: no program at $program (build it first)" >&2; exit 1; }
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
apps=${XDG_DATA_HOME:-$HOME/.local/share}/applications
mkdir -p "$apps"

# Exec quoting of desktop entries: a path with reserved characters goes in
# double quotes, with '"', '`', '$' and '\' escaped by a backslash; the entry
# file itself then doubles every backslash.
exec_program=$program
if [[ $program =~ [[:space:]\"\'\\\>\<~\|\&\;\$\*\?\#\(\)\`] ]]; then
  escaped=$(printf '%s' "$program" | sed -e 's/[\\"`$]/\\&/g')
  exec_program="\"$escaped\""
fi
exec_line=$(printf '%s' "$exec_program" | sed -e 's/\\/\\\\/g')

entry="$apps/Feedgate.desktop"
temp=$(mktemp "$apps/.Feedgate.desktop.XXXXXX")
trap 'rm -f "$temp"' EXIT
while IFS= read -r line || [ -n "$line" ]; do
  if [[ $line == Exec=* ]]; then
    printf 'Exec=%s %%f\n' "$exec_line"
  else
    printf '%s\n' "$line"
  fi
done < "$top/feedgate/Feedgate.desktop" > "$temp"
chmod 644 "$temp"
mv -f "$temp" "$entry"
trap - EXIT
if command -v update-desktop-database >/dev/null; then
  update-desktop-database "$apps"
fi
echo "install-desktop: $entry"
