#!/usr/bin/env bash
# Retakes the README's screenshots of the text viewer and the print preview: opens the sample
# archive under Xvfb, double-clicks its first text, then presses 印刷. Needs xdotool.
# Usage: scripts/readme-screenshots.sh   (writes docs/screenshot-textviewer.png and
#                                         docs/screenshot-preview.png)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/shots.sh" <<SCRIPT
set -eu
export TOVIK_INI="$work/tovik.ini" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "\$XDG_RUNTIME_DIR"
printf '[General]\nFormPosLoad=False\n' >"\$TOVIK_INI"
"$build/bin/tovik" "$build/samples/sample.lzh" &
pid=\$!
trap 'kill \$pid 2>/dev/null || true' EXIT
for i in \$(seq 100); do xdotool search --name "sample.lzh — Tovik" >/dev/null 2>&1 && break; sleep 0.2; done
main=\$(xdotool search --name "sample.lzh — Tovik" | head -1)
xdotool windowmove "\$main" 0 0; sleep 1
# The first text row of the list: the third row, below the two folders.
xdotool mousemove 330 146 click --repeat 2 --delay 80 1; sleep 3
viewer=\$(xdotool search --name "テキストビューア" | head -1)
import -window "\$viewer" "$here/docs/screenshot-textviewer.png"
xdotool mousemove --window "\$viewer" 620 469 click 1; sleep 4
preview=\$(xdotool search --name "印刷プレビュー" | head -1)
import -window "\$preview" "$here/docs/screenshot-preview.png"
SCRIPT
xvfb-run -a -s '-screen 0 1024x768x24' bash "$work/shots.sh"
echo "$here/docs/screenshot-textviewer.png"
echo "$here/docs/screenshot-preview.png"
