#!/usr/bin/env bash
# Extracting everything from the 100,000-entry flat ZIP of the listing benchmark, side by side
# with bsdtar -xf into an empty folder, in one run:
#   tovik-arc extract -a    at most 1.2 times bsdtar's mean;
#   the viewer (tovik-extract-timing: from the command to the last file) at most 1.5 times.
# Then the viewer's filter on the same 100,000 rows, one key at a time (each within 50 ms).
#
# Usage: bench/extract/run.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build="${1:-${TOVIK_BUILD_DIR:-$here/build}}"
data="$build/bench-data"
python3 "$here/bench/viewer/make_big_zips.py" "$data"
archive="$data/flat.zip"
export TOVIK_ARCHIVERS="$build/bin/archivers"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 0700 "$XDG_RUNTIME_DIR"
out=$(mktemp -d)
ini=$(mktemp --suffix=.ini)
trap 'rm -rf "$out" "$ini"' EXIT
export TOVIK_INI="$ini"

json=$(mktemp --suffix=.json)
hyperfine --style basic --warmup 1 --runs 3 --export-json "$json" \
  --prepare "rm -rf '$out/x' && mkdir -p '$out/x'" \
  -n "bsdtar -xf" "bsdtar -xf '$archive' -C '$out/x'" \
  -n "tovik-arc extract -a" "'$build/bin/tovik-arc' extract -a '$archive' '$out/x'"
read -r bsdtar_ms arc_ms < <(python3 -c "import json; r=json.load(open('$json'))['results']; print(r[0]['mean']*1000, r[1]['mean']*1000)")
rm -f "$json"

# The viewer: three runs, the median of the extraction time.
times=()
for i in 1 2 3; do
  rm -rf "$out/x" && mkdir -p "$out/x"
  line=$("$build/bin/tovik-extract-timing" "$archive" "$out/x" "FILE0" 2>&1 | tee "$out/timing.txt" | grep '^tovik-timing: extract')
  echo "$line"
  times+=("$(echo "$line" | sed -E 's/.*extract=([0-9.]+)ms.*/\1/')")
done
grep '^tovik-timing: filter' "$out/timing.txt"

status=0
python3 - "$bsdtar_ms" "$arc_ms" "${times[@]}" <<'PY' || status=1
import statistics, sys
bsdtar, arc = float(sys.argv[1]), float(sys.argv[2])
window = statistics.median(float(t) for t in sys.argv[3:])
ok = True
for name, value, limit in (("tovik-arc extract -a", arc, 1.2), ("viewer extraction", window, 1.5)):
    ratio = value / bsdtar
    print(f"ratio {name} / bsdtar -xf = {value:.0f}ms / {bsdtar:.0f}ms = {ratio:.2f} (limit {limit:.2f})")
    ok = ok and ratio <= limit
sys.exit(0 if ok else 1)
PY
worst=$(grep '^tovik-timing: filter' "$out/timing.txt" | sed -E 's/.* ([0-9.]+)ms$/\1/' | sort -n | tail -1)
echo "slowest filter keystroke: ${worst}ms (limit 50)"
python3 -c "import sys; sys.exit(0 if float('$worst') <= 50 else 1)" || status=1
exit $status
