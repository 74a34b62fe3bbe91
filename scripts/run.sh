#!/usr/bin/env bash
# Installs what is missing, builds Tovik and runs it on the bundled sample archive
# (build/samples/sample.lzh: Japanese names, Shift_JIS text inside).
# With a display the viewer opens normally. Without one ($DISPLAY empty) it runs under
# xvfb-run, a screenshot of the main window is saved and its path printed, and the viewer
# is closed again. Arguments, when given, replace the sample archive.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${TOVIK_BUILD_DIR:-$here/build}"
if [ $# -eq 0 ]; then
  set -- "$build/samples/sample.lzh"
fi

if [ ! -x "$build/bin/tovik" ]; then
  # No viewer program yet: show what the archiver libraries make of the archives.
  if [ -x "$build/bin/tovik-arc" ]; then
    "$build/bin/tovik-arc" libs
    for a in "$@"; do [ -f "$a" ] && "$build/bin/tovik-arc" list "$a"; done
  fi
  exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$build/bin/tovik" "$@"
fi

shot="${TOVIK_SCREENSHOT:-$build/screenshots/tovik-main.png}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 0700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s '-screen 0 1280x800x24' \
  "$here/scripts/screenshot.sh" "$shot" "$build/bin/tovik" "$@"
echo "$shot"
