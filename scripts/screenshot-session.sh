# Sourced by the screenshot scripts: runs the calling script again under Xvfb (1280x800) when
# it is not there yet, then gives it $here, $build, $outdir (made), a temporary folder $tmp
# removed at exit with every background job, and a temporary ini file $TOVIK_INI there, so
# the user's settings are not touched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
outdir="${TOVIK_SCREENSHOT_DIR:-$build/screenshots}"
mkdir -p "$outdir"

if [ -z "${TOVIK_SHOTS_INNER:-}" ]; then
  export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
  chmod 0700 "$XDG_RUNTIME_DIR"
  TOVIK_SHOTS_INNER=1 exec xvfb-run -a -s '-screen 0 1280x800x24' "$0" "$@"
fi

tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$tmp"' EXIT
export TOVIK_INI="$tmp/tovik.ini"

# The frame of the window manager around window $1, as the user sees it, into file $2.
shoot() {
  local frame=$1 parent root info x y w h
  while :; do
    parent=$(xwininfo -id "$frame" -tree | awk '/Parent window id:/ {print $4}')
    root=$(xwininfo -id "$frame" -tree | awk '/Root window id:/ {print $4}')
    [ "$parent" = "$root" ] && break
    frame=$parent
  done
  info=$(xwininfo -id "$frame")
  x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
  w=$(awk '/Width:/ {print $NF}' <<<"$info")
  h=$(awk '/Height:/ {print $NF}' <<<"$info")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
  echo "$2"
}
