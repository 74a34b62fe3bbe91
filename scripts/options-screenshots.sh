#!/usr/bin/env bash
# Opens each page of the options dialog in the real program under Xvfb (with a window
# manager, so the dialog is placed and focused as on a desktop), through the main window's
# "オプション" menu, and saves a screenshot of each: build/screenshots/options-{0,1,2}.png.
# Prints the files' paths. Uses a temporary ini file, so the user's settings are not touched.
source "$(dirname "$0")/screenshot-session.sh" "$@"
printf '[General]\nFormPosLoad=False\nUseSound=True\nMsgSound=/usr/share/sounds/message.wav\n' >"$TOVIK_INI"
openbox >/dev/null 2>&1 &
sleep 1
"$build/bin/tovik" &
main=$(xdotool search --sync --onlyvisible --classname tovik | head -1)
sleep 1.5

titles=("一般オプション" "組込みエディタオプション" "プレビューオプション")
for page in 0 1 2; do
  xdotool windowactivate --sync "$main"
  keys=(alt+o)
  for ((i = 0; i < page; i++)); do keys+=(Down); done
  keys+=(Return)
  for k in "${keys[@]}"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.3
  done
  dialog=$(xdotool search --sync --onlyvisible --name "${titles[$page]}" | head -1)
  sleep 1
  # The frame of the window manager is included: what the user sees.
  shoot "$dialog" "$outdir/options-$page.png"
  xdotool key Escape
  sleep 1
done
