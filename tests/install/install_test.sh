#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the result as a desktop would see it:
# the programs run from there and find their archiver libraries, the launcher validates and
# becomes the default for archive types, a second start on a real X display reaches the first
# window, and the Debian package lists its files and declares resolvable dependencies.
#
#   install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
first=""
cleanup() {
  if [ -n "$first" ]; then kill "$first" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "-- $(date +%T) $*"; }

prefix="$work/prefix"
unset TOVIK_ARCHIVERS TOVIK_INI
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

step "install into $prefix"
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log"
for f in bin/tovik bin/tovik-arc share/applications/tovik.desktop share/mime/packages/tovik.xml \
         share/icons/hicolor/scalable/apps/tovik.svg share/icons/hicolor/48x48/apps/tovik.png \
         share/icons/hicolor/256x256/apps/tovik.png share/man/man1/tovik.1.gz share/man/man1/tovik-arc.1.gz; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
for lib in unlha32 unzip32 7-zip32 cab32 tar32 unarj32j; do
  [ -f "$prefix/lib/tovik/archivers/$lib.so" ] || fail "archiver library not installed: $lib.so"
done

step "the installed programs find their libraries below the prefix"
mkdir "$work/elsewhere"
cd "$work/elsewhere"
libs=$("$prefix/bin/tovik-arc" libs)
grep -q "^UNLHA32.DLL.*	$prefix/lib/tovik/archivers	" <<<"$libs" || { echo "$libs"; fail "unlha32 not found below the prefix"; }
grep -q "^TAR32.DLL.*	$prefix/lib/tovik/archivers	" <<<"$libs" || fail "tar32 not found below the prefix"
printf 'hello\n' >hello.txt
tar czf hello.tgz hello.txt
"$prefix/bin/tovik-arc" list hello.tgz | grep -q "hello.txt" || fail "the installed tovik-arc cannot read a .tgz"

step "--help and --version, Japanese under a Japanese locale"
for prog in tovik tovik-arc; do
  LC_ALL= LC_MESSAGES= LANG=C.UTF-8 "$prefix/bin/$prog" --help | grep -qi "^usage: $prog" || fail "$prog --help in English"
  LC_ALL=ja_JP.UTF-8 "$prefix/bin/$prog" --help | grep -q "^使い方: $prog" || fail "$prog --help in Japanese"
  [ "$("$prefix/bin/$prog" --version)" = "$prog $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")" ] \
    || fail "$prog --version"
  # Without any display: the help needs no window system.
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/$prog" --help >/dev/null || fail "$prog --help needs a display"
  MANWIDTH=80 man -l "$prefix/share/man/man1/$prog.1.gz" 2>"$work/man.err" | grep -q "^NAME" || fail "man page of $prog"
  [ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "man page of $prog has warnings"; }
done

step "desktop-file-validate accepts the launcher"
desktop-file-validate "$prefix/share/applications/tovik.desktop"

step "the launcher becomes the default for archives in a fresh XDG_DATA_HOME"
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS=/usr/share
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_DATA_HOME/mime/packages"
cp "$prefix/share/applications/tovik.desktop" "$XDG_DATA_HOME/applications/"
cp "$prefix/share/mime/packages/tovik.xml" "$XDG_DATA_HOME/mime/packages/"
update-desktop-database "$XDG_DATA_HOME/applications"
update-mime-database "$XDG_DATA_HOME/mime"
type_of() {   # the MIME type the database gives a file name, by its glob
  local name=$1 ext=${1##*.}
  cat "$XDG_DATA_HOME/mime/globs2" /usr/share/mime/globs2 | grep -i ":\*\.$ext$" | head -1 | cut -d: -f2
}
for name in a.lzh a.zip a.war a.lib; do
  type=$(type_of "$name")
  [ -n "$type" ] || fail "no MIME type for $name"
  default=$(xdg-mime query default "$type")
  [ "$default" = "tovik.desktop" ] || fail "xdg-mime query default $type ($name) gave \"$default\""
done

step "a second start reaches the first window on a real X display"
cat >"$work/two-starts.sh" <<SCRIPT
set -u
"$prefix/bin/tovik" "$build_dir/samples/sample.lzh" >"$work/first.log" 2>&1 &
echo \$! >"$work/first.pid"
for i in \$(seq 100); do
  xwininfo -root -tree | grep -q '"sample.lzh — Tovik 書庫ビューア"' && break
  sleep 0.1
done
xwininfo -root -tree | grep -q '"sample.lzh — Tovik 書庫ビューア"' || { echo "no first window"; exit 11; }
cd "$build_dir/samples"
timeout 20 "$prefix/bin/tovik" sample.zip || { echo "the second start failed"; exit 12; }
for i in \$(seq 100); do
  xwininfo -root -tree | grep -q '"sample.zip — Tovik 書庫ビューア"' && break
  sleep 0.1
done
xwininfo -root -tree >"$work/windows.txt"
grep -q '"sample.zip — Tovik 書庫ビューア"' "$work/windows.txt" || { cat "$work/windows.txt"; echo "the first window did not open the second file"; exit 13; }
# Nothing is appended to any caption.
if grep -q '— Tovik"' "$work/windows.txt"; then echo "a caption ends in the program name"; exit 14; fi
kill -0 \$(cat "$work/first.pid") || exit 15
kill \$(cat "$work/first.pid")
SCRIPT
if command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null; then
  TOVIK_INI="$work/tovik.ini" xvfb-run -a -s '-screen 0 1024x768x24' bash "$work/two-starts.sh" \
    || fail "two starts on X (status $?)"
else
  fail "xvfb-run and xwininfo are needed (scripts/install-deps.sh installs them)"
fi

step "the Debian package"
(cd "$build_dir" && cpack -G DEB -B "$work/package" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work/package"/tovik_*.deb)
dpkg -c "$deb" >"$work/contents.txt"
for f in ./usr/bin/tovik ./usr/bin/tovik-arc ./usr/lib/tovik/archivers/unlha32.so ./usr/share/applications/tovik.desktop \
         ./usr/share/mime/packages/tovik.xml ./usr/share/icons/hicolor/scalable/apps/tovik.svg ./usr/share/man/man1/tovik.1.gz; do
  grep -q " $f$" "$work/contents.txt" || fail "the package lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6network6 libarchive13 fonts-ipafont-gothic; do
  grep -q "$lib" <<<"$depends" || fail "the package does not declare $lib: $depends"
done
# Every dependency names a package apt knows (one of its alternatives at least).
IFS=',' read -ra groups <<<"$depends"
for group in "${groups[@]}"; do
  ok=""
  IFS='|' read -ra alternatives <<<"$group"
  for alternative in "${alternatives[@]}"; do
    name=$(sed 's/(.*//; s/ //g' <<<"$alternative")
    if apt-cache show "$name" >/dev/null 2>&1; then ok=1; fi
  done
  [ -n "$ok" ] || fail "no package for dependency \"$group\""
done
echo "install test passed"
