#!/usr/bin/env bash
# The cost of the Rar library's look at packed streams (run before an entry is decoded; here for
# the last entry with all before it) beside decoding the same archive with bsdtar -xOf, one
# hyperfine run per archive of the shared corpus that holds RAR 4 LZ data with and without
# filters, or PPMd data (whole entries, and PPMd blocks turning into LZ and back). Prints the
# ratio (look / bsdtar). The look walks what the decode decodes: in LZ data it skips the
# copying, so it must stay well below it (ratio <= 0.75); in PPMd data it runs the same model
# as the decoder, so it only has to stay below it (ratio < 1). bsdtar's failure at the end of
# the conversion archive (libarchive 3.6.2 reports a CRC error there) is ignored.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
corpus="$root/../shared/corpus/libarchive"
runs="${RUNS:-20}"
[ -d "$corpus" ] || { echo "shared corpus absent ($corpus): nothing to time"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -I"$root" "$here/RarCheckBench.cpp" "$root/archivers/unrar32/RarFilterCheck.cpp" \
  "$root/archivers/unrar32/RarPpmd.cpp" -o "$work/look"
status=0
for name in read_format_rar_binary_data.rar read_format_rar_filter.rar read_format_rar_compress_normal.rar \
  read_format_rar_compress_best.rar read_format_rar_ppmd_lzss_conversion.rar; do
  bound=0.75
  case "$name" in *best*|*ppmd*) bound=0.999 ;; esac
  file="$corpus/$name"
  # The last file header, found as libarchive finds it.
  last=$(python3 - "$file" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
p = d.find(b"Rar!\x1a\x07\x00") + 7
last = 0
while p + 11 <= len(d):
    _, kind, flags, size = struct.unpack_from("<HBHH", d, p)
    add = struct.unpack_from("<I", d, p + 7)[0] if flags & 0x8000 or kind == 0x74 else 0
    if kind == 0x7B or size < 7:
        break
    if kind == 0x74:
        last = p
    p += size + add
print(last)
PY
)
  hyperfine -N -i -w 3 -r "$runs" --export-json "$work/t.json" "$work/look $file $last" "bsdtar -xOf $file" >/dev/null
  ratio=$(python3 -c "import json; r=json.load(open('$work/t.json'))['results']; print(f\"{r[0]['mean']/r[1]['mean']:.3f} {r[0]['mean']*1e3:.2f} {r[1]['mean']*1e3:.2f}\")")
  read -r value look decode <<<"$ratio"
  echo "$name: look ${look} ms, bsdtar -xOf ${decode} ms, ratio $value"
  python3 -c "import sys; sys.exit(0 if $value <= $bound else 1)" || status=1
done
exit $status
