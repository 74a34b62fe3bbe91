#!/usr/bin/env bash
# Extracts a slow archive (bzip2) from the real program under Xvfb with a window manager and
# saves what the user sees: the progress window (as it comes up, then counting), then the overwrite question of a second run
# into the same folder: build/screenshots/extract-{start,progress,question}.png. Prints the files'
# paths. Uses a temporary ini file and folders, so the user's settings are not touched.
source "$(dirname "$0")/screenshot-session.sh" "$@"
export TOVIK_ARCHIVERS="$build/bin/archivers"
printf '[General]\nFormPosLoad=False\nWorkFolder=%s\n' "$tmp" >"$TOVIK_INI"
mkdir -p "$tmp/src/資料" "$tmp/out"
python3 - "$tmp/src" <<'PY'
import os, random, sys
r = random.Random(7)
for i in range(40):
    with open(os.path.join(sys.argv[1], "資料", "データ%02d.bin" % i), "wb") as f:
        f.write(r.randbytes(1_500_000))
with open(os.path.join(sys.argv[1], "説明書.txt"), "w") as f:
    f.write("説明\n")
PY
(cd "$tmp/src" && bsdtar -cjf "$tmp/大きな書庫.tar.bz2" .)

# Ctrl+E, the folder typed into the folder dialog.
extract() {
  # The command is there once the archive is listed (it lists after the window shows).
  local dialog=""
  for _ in $(seq 1 120); do
    xdotool windowactivate --sync "$main"
    xdotool key --clearmodifiers ctrl+e
    sleep 0.5
    dialog=$(xdotool search --onlyvisible --name "展開先フォルダの選択" | head -1 || true)
    [ -n "$dialog" ] && break
  done
  sleep 0.5
  xdotool windowactivate --sync "$dialog"
  xdotool type --delay 10 "$tmp/out/"
  xdotool key Return
  sleep 0.3
  # The dialog may want a second Return once the folder is entered.
  if xdotool search --onlyvisible --name "展開先フォルダの選択" >/dev/null 2>&1; then
    xdotool key Return
  fi
}

openbox >/dev/null 2>&1 &
sleep 1
"$build/bin/tovik" "$tmp/大きな書庫.tar.bz2" &
main=$(xdotool search --sync --onlyvisible --classname tovik | head -1)
sleep 2

extract
progress=$(xdotool search --sync --onlyvisible --name "展開中" | head -1)
sleep 0.5
shoot "$progress" "$outdir/extract-start.png"
# Once the archive is read, the files and bytes are counted.
sleep 2
shoot "$progress" "$outdir/extract-progress.png" || echo "the extraction ended before its second screenshot" >&2
while xdotool search --onlyvisible --name "展開中" >/dev/null 2>&1; do sleep 0.3; done
sleep 0.5

extract
xdotool search --sync --onlyvisible --name "上書きの確認" >/dev/null
sleep 1
# The whole screen: the question must stand in front of the progress window.
import -window root "$outdir/extract-question.png"
echo "$outdir/extract-question.png"
# "中止", then the closing report.
xdotool key Escape
sleep 1
