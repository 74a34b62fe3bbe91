#!/usr/bin/env bash
# Times the libarchive-based libraries through tovik-arc side by side with bsdtar, one
# hyperfine run each:
#   1. listing a ZIP of 100,000 entries in 1,000 folders      vs  bsdtar -tf   (ratio <= 1.3)
#   2. listing a tar.gz of the same tree                       vs  bsdtar -tf   (ratio <= 1.3)
#   3. a 1,000,000-byte entry extracted into memory (ZIP)      vs  bsdtar -xOf  (ratio <= 1.3)
#   4. the same entry from a tar.gz                            vs  bsdtar -xOf  (ratio <= 1.3)
# Prints the ratios (ours / bsdtar) and exits non-zero when one is above its limit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="${TOVIK_BUILD_DIR:-$root/build}"
runs="${RUNS:-10}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$root/scripts/build.sh" tovik-arc tovik_unzip32 tovik_7zip32 tovik_cab32 tovik_tar32 tovik_unrar32 >/dev/null
export TOVIK_ARCHIVERS="$build/bin/archivers"
arc="$build/bin/tovik-arc"

cd "$work"
python3 - <<'PY'
import os, random
random.seed(3)
for d in range(1000):
    folder = f"tree/folder{d:04d}"
    os.makedirs(folder)
    for f in range(100):
        with open(f"{folder}/file{f:03d}.txt", "w") as out:
            out.write(f"entry {d} {f}\n" * (1 + (d + f) % 5))
words = "archive entry header window table code length position block stream folder name size".split()
text = []
n = 0
while n < 1_000_000:
    w = random.choice(words) + (" " if random.random() > 0.1 else "\n")
    text.append(w)
    n += len(w)
os.makedirs("one")
with open("one/entry.txt", "w") as out:
    out.write("".join(text)[:1_000_000])
PY
bsdtar -cf big.zip --format zip -C tree .
bsdtar -czf big.tar.gz -C tree .
bsdtar -cf one.zip --format zip -C one entry.txt
bsdtar -czf one.tar.gz -C one entry.txt
test "$("$arc" list big.zip | wc -l)" -eq "$(( $(bsdtar -tf big.zip | wc -l) + 1 ))"
cmp <("$arc" cat one.zip entry.txt) one/entry.txt
cmp <("$arc" cat one.tar.gz entry.txt) one/entry.txt

status=0
measure() {   # name limit ours peer
  hyperfine -N --warmup 2 --runs "$runs" --export-json "$work/$1.json" "$3" "$4" >/dev/null
  python3 - "$work/$1.json" "$1" "$2" <<'PY' || status=1
import json, sys
r = json.load(open(sys.argv[1]))["results"]
ours, peer = r[0]["mean"], r[1]["mean"]
ratio = ours / peer
print(f"{sys.argv[2]:<22} ours {ours*1000:8.1f} ms   bsdtar {peer*1000:8.1f} ms   ratio {ratio:.2f} (limit {sys.argv[3]})")
sys.exit(0 if ratio <= float(sys.argv[3]) else 1)
PY
}
measure list-zip-100k 1.3 "$arc list big.zip" "bsdtar -tf big.zip"
measure list-tgz-100k 1.3 "$arc list big.tar.gz" "bsdtar -tf big.tar.gz"
measure cat-zip-1MB 1.3 "$arc cat one.zip entry.txt" "bsdtar -xOf one.zip entry.txt"
measure cat-tgz-1MB 1.3 "$arc cat one.tar.gz entry.txt" "bsdtar -xOf one.tar.gz entry.txt"
exit $status
