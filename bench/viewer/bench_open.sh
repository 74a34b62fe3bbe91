#!/usr/bin/env bash
# Opening a large archive in the viewer against listing it with tovik-arc, side by side.
#
# For each of the two archives (100,000 entries in 1,000 folders; 100,000 entries flat),
# hyperfine times `tovik-arc list ARCHIVE` and the viewer (`tovik-open-timing ARCHIVE`: the
# program as it runs, ended once the first tab is fully shown: tree built, root folder listed
# and painted), and the ratio of the two means
# is printed; the viewer must stay within 1.5 times the lister. Then the viewer sorts the
# flat archive's 100,000 rows by a column and prints how long that took (limit 0.3 s).
#
# Usage: bench/viewer/bench_open.sh [BUILD_DIR]   (runs offscreen; set QT_QPA_PLATFORM=xcb
# under xvfb-run to measure on a real X server)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build="${1:-${TOVIK_BUILD_DIR:-$here/build}}"
data="$build/bench-data"
python3 "$here/bench/viewer/make_big_zips.py" "$data"
export TOVIK_ARCHIVERS="$build/bin/archivers"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 0700 "$XDG_RUNTIME_DIR"
# A fresh settings file: no remembered window placement, no history.
ini=$(mktemp --suffix=.ini)
trap 'rm -f "$ini"' EXIT
export TOVIK_INI="$ini"

status=0
for name in nested flat; do
  archive="$data/$name.zip"
  json=$(mktemp --suffix=.json)
  hyperfine --style basic --warmup 1 --runs 5 --export-json "$json" \
    -n "tovik-arc list $name.zip" "'$build/bin/tovik-arc' list '$archive' > /dev/null" \
    -n "tovik $name.zip" "'$build/bin/tovik-open-timing' '$archive' 2> /dev/null"
  ratio=$(python3 -c "import json,sys; r=json.load(open('$json'))['results']; print(f\"{r[1]['mean']/r[0]['mean']:.2f}\")")
  rm -f "$json"
  echo "ratio $name.zip: tovik / tovik-arc list = $ratio (limit 1.50)"
  python3 -c "import sys; sys.exit(0 if float('$ratio') <= 1.5 else 1)" || status=1
  "$build/bin/tovik-open-timing" "$archive" 2>&1 | grep '^tovik-timing' || true
done

# Re-sorting 100,000 rows: the viewer clicks a heading twice (ascending, then descending).
for column in 0 1 4; do
  TOVIK_SORT_COLUMN=$column "$build/bin/tovik-open-timing" "$data/flat.zip" 2>&1 |
    grep '^tovik-timing: sort' | while read -r line; do
      echo "$line"
      ms=$(echo "$line" | sed -E 's/.* ([0-9.]+)ms$/\1/')
      python3 -c "import sys; sys.exit(0 if float('$ms') <= 300 else 1)" || echo "  over the 0.3 s limit"
    done
done
exit $status
