#!/usr/bin/env bash
# Decoding speed of the text viewer's decoders, side by side in one run.
#
# For a 1,000,000-byte Japanese text in each of EUC-JP, ISO-2022-JP, UTF-8 and UTF-16LE, times
# `tovik-arc decode --cp932 FILE CODE` (decode into the viewer's lines and write them as CP932)
# against `iconv -f X -t CP932 FILE`, and prints the ratio. The target is at most 2.
#
# `decode-bench.sh OLD_ARC NEW_ARC` compares two builds of tovik-arc instead (for instance one
# copied aside before a change to the decoders and the one built after): the ratio is new / old.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
if [ $# -eq 2 ]; then
  old=$1 new=$2 heads=("old ms" "new ms" "old cpu" "new cpu")
else
  "$here/scripts/build.sh" tovik-arc >/dev/null
  old="" new="$build/bin/tovik-arc" heads=("tovik ms" "iconv ms" "tovik cpu" "iconv cpu")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/bench/textconv/make-texts.py" "$work"

runs="${RUNS:-30}"
# Wall-clock medians (the median shrugs off the odd slow run on a busy machine), and the CPU
# time (user + system) of each, which waiting for a core does not inflate.
printf '%-12s %9s %9s %6s   %9s %9s %6s\n' "text" "${heads[0]}" "${heads[1]}" "ratio" "${heads[2]}" "${heads[3]}" "ratio"
for row in "euc-jp EUC-JP -932" "iso-2022-jp ISO-2022-JP -933" "utf-8 UTF-8 65001" "utf-16le UTF-16LE -6"; do
  set -- $row
  file="$work/$1.txt"
  if [ -n "$old" ]; then
    first="$old decode --cp932 $file $3" second="$new decode --cp932 $file $3" flip=1
  else
    first="$new decode --cp932 $file $3" second="iconv -f $2 -t CP932 $file" flip=0
  fi
  # The two must agree on the text before their times mean anything (iconv ends lines in LF).
  cmp -s <($first) <(if [ -n "$old" ]; then $second; else $second | sed 's/$/\r/'; fi) ||
    { echo "$1: the two decode the text differently" >&2; exit 1; }
  hyperfine -N --style none --warmup 5 --runs "$runs" --export-json "$work/$1.json" "$first" "$second" >/dev/null 2>&1
  python3 - "$work/$1.json" "$1" "$flip" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
a, b = r[0]["median"] * 1000, r[1]["median"] * 1000
cpu = [(x["user"] + x["system"]) * 1000 for x in r]
# The ratio is the measured build over its reference: tovik / iconv, or new / old.
wall, used = (b / a, cpu[1] / cpu[0]) if sys.argv[3] == "1" else (a / b, cpu[0] / cpu[1])
print(f"{sys.argv[2]:<12} {a:9.2f} {b:9.2f} {wall:6.2f}   {cpu[0]:9.2f} {cpu[1]:9.2f} {used:6.2f}")
PY
done
