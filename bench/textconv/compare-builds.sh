#!/usr/bin/env bash
# Two builds of the decoders side by side in one run: `compare-builds.sh OLD_ARC NEW_ARC`, each
# a tovik-arc program (for instance one copied aside before a change and the one built after).
#
# For the 1,000,000-byte Japanese texts of make-texts.py (EUC-JP, ISO-2022-JP, UTF-8,
# UTF-16LE), times `tovik-arc decode --cp932 FILE CODE` of both and prints the medians and the
# ratio new / old. The two must give the same bytes before their times are compared.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
old=${1:?usage: compare-builds.sh OLD_ARC NEW_ARC}
new=${2:?usage: compare-builds.sh OLD_ARC NEW_ARC}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/bench/textconv/make-texts.py" "$work"

runs="${RUNS:-30}"
printf '%-12s %9s %9s %6s   %9s %9s %6s\n' "text" "old ms" "new ms" "ratio" "old cpu" "new cpu" "ratio"
for row in "euc-jp -932" "iso-2022-jp -933" "utf-8 65001" "utf-16le -6"; do
  set -- $row
  file="$work/$1.txt"
  cmp -s <("$old" decode --cp932 "$file" "$2") <("$new" decode --cp932 "$file" "$2") ||
    { echo "$1: the two builds decode differently" >&2; exit 1; }
  hyperfine -N --style none --warmup 5 --runs "$runs" --export-json "$work/$1.json" \
    "$old decode --cp932 $file $2" "$new decode --cp932 $file $2" >/dev/null 2>&1
  python3 - "$work/$1.json" "$1" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
old, new = r[0]["median"] * 1000, r[1]["median"] * 1000
cpu = [(x["user"] + x["system"]) * 1000 for x in r]
print(f"{sys.argv[2]:<12} {old:9.2f} {new:9.2f} {new / old:6.2f}   {cpu[0]:9.2f} {cpu[1]:9.2f} {cpu[1] / cpu[0]:6.2f}")
PY
done
