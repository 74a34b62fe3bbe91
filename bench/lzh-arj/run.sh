#!/usr/bin/env bash
# Times the LZH and ARJ libraries side by side with peer tools, one hyperfine run each:
#   1. a 10,000,000-byte -lh7- entry extracted into memory   vs  lhasa p     (ratio <= 1.2)
#   2. a 10,000,000-byte ARJ -m1 entry extracted into memory vs  arj e       (ratio <= 1.2)
#   3. listing an LZH of 10,000 entries                       vs  lhasa l     (ratio <= 1.0)
# Archives are made with jlha and arj in a scratch folder. Prints the ratios (ours / peer)
# and exits non-zero when one is above its limit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="${TOVIK_BUILD_DIR:-$root/build}"
libs="$build/bin/archivers"
runs="${RUNS:-10}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$root/scripts/build.sh" tovik_unlha32 tovik_unarj32j >/dev/null
g++ -std=c++20 -O2 -I"$root" "$here/arcdriver.cpp" -o "$work/arcdriver" -ldl
drv="$work/arcdriver"
jlha="java -jar /usr/share/java/jlhafrontend.jar"

cd "$work"
# Ten million bytes that compress like text: words, numbers and line breaks.
python3 - <<'PY'
import random
random.seed(7)
words = ("archive entry header window table code length position block stream folder "
         "name size time data file list memory viewer library").split()
out = []
n = 0
while n < 10_000_000:
    w = random.choice(words) + (" " if random.random() > 0.1 else "\n")
    if random.random() < 0.05:
        w += str(random.randint(0, 99999)) + " "
    out.append(w)
    n += len(w)
open("data.txt", "w").write("".join(out)[:10_000_000])
PY
$jlha a2o7 big7.lzh data.txt >/dev/null
arj a -y -m1 big1.arj data.txt >/dev/null
mkdir many
python3 -c "
import os
for i in range(10000):
    d = 'many/d%02d' % (i % 50)
    os.makedirs(d, exist_ok=True)
    open('%s/f%05d.txt' % (d, i), 'w').write('entry %d\n' % i * (1 + i % 7))
"
$jlha a2o5 many.lzh many >/dev/null
mkdir -p out

ratio() { # json-file -> ratio of the first command's mean to the second's
  python3 -c "import json,sys; r=json.load(open('$1'))['results']; print('%.3f' % (r[0]['mean']/r[1]['mean']))"
}

hyperfine -N --warmup 2 --runs "$runs" --export-json lh7.json \
  -n "unlha32.so ExtractMem" "$drv $libs/unlha32.so Unlha cat big7.lzh data.txt" \
  -n "lhasa p" "lhasa p big7.lzh data.txt"
hyperfine --warmup 2 --runs "$runs" --export-json arj.json \
  -n "unarj32j.so ExtractMem" "$drv $libs/unarj32j.so Unarj cat big1.arj data.txt > /dev/null" \
  -n "arj e" "cd out && arj e -y ../big1.arj data.txt > /dev/null"
hyperfine -N --warmup 2 --runs "$runs" --export-json list.json \
  -n "unlha32.so list" "$drv $libs/unlha32.so Unlha list many.lzh" \
  -n "lhasa l" "lhasa l many.lzh"

fail=0
check() { # name ratio limit
  echo "$1: ratio $2 (limit $3)"
  python3 -c "import sys; sys.exit(0 if $2 <= $3 else 1)" || fail=1
}
check "-lh7- 10 MB into memory vs lhasa p" "$(ratio lh7.json)" 1.2
check "ARJ -m1 10 MB into memory vs arj e" "$(ratio arj.json)" 1.2
check "list 10,000 LZH entries vs lhasa l" "$(ratio list.json)" 1.0
exit $fail
