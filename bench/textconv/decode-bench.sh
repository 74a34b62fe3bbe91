#!/usr/bin/env bash
# Decoding speed of the text viewer's decoders against iconv, side by side in one run.
#
# For a 1,000,000-byte Japanese text in each of EUC-JP, ISO-2022-JP, UTF-8 and UTF-16LE, times
# `tovik-arc decode --cp932 FILE CODE` (decode into the viewer's lines and write them as CP932)
# against `iconv -f X -t CP932 FILE`, and prints the ratio. The target is at most 2.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
"$here/scripts/build.sh" tovik-arc >/dev/null
arc="$build/bin/tovik-arc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/bench/textconv/make-texts.py" "$work"

runs="${RUNS:-30}"
# Wall-clock medians (the median shrugs off the odd slow run on a busy machine), and the CPU
# time (user + system) of each, which waiting for a core does not inflate.
printf '%-12s %9s %9s %6s   %9s %9s %6s\n' "text" "tovik ms" "iconv ms" "ratio" "tovik cpu" "iconv cpu" "ratio"
for row in "euc-jp EUC-JP -932" "iso-2022-jp ISO-2022-JP -933" "utf-8 UTF-8 65001" "utf-16le UTF-16LE -6"; do
  set -- $row
  file="$work/$1.txt"
  # The two must agree on the text before their times mean anything.
  cmp -s <("$arc" decode --cp932 "$file" "$3") <(iconv -f "$2" -t CP932 "$file" | sed 's/$/\r/') ||
    { echo "$1: decoded text differs from iconv's" >&2; exit 1; }
  hyperfine -N --style none --warmup 5 --runs "$runs" --export-json "$work/$1.json" \
    "$arc decode --cp932 $file $3" "iconv -f $2 -t CP932 $file" >/dev/null 2>&1
  python3 - "$work/$1.json" "$1" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
ours, theirs = r[0]["median"] * 1000, r[1]["median"] * 1000
cpu = [(x["user"] + x["system"]) * 1000 for x in r]
print(f"{sys.argv[2]:<12} {ours:9.2f} {theirs:9.2f} {ours / theirs:6.2f}   {cpu[0]:9.2f} {cpu[1]:9.2f} {cpu[0] / cpu[1]:6.2f}")
PY
done
