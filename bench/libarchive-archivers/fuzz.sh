#!/usr/bin/env bash
# Longer fuzzing of the libarchive-based libraries with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer), one target per library, seeded with the shared corpus.
#   bench/libarchive-archivers/fuzz.sh [SECONDS per target, default 300] [PREFIX ...]
# PREFIX is one of UnZip SevenZip Cab Tar Rar (default: all five), or SevenZipHeader: the 7z
# header reader alone, or RarStream: the Rar library's walk of one packed stream alone (LZ and
# PPMd blocks), seeded with the packed data of the corpus's RAR 4 entries. libarchive reserves memory
# by sizes a header declares (freed at once when the header proves false); under
# AddressSanitizer such reservations cost real memory and can trip -rss_limit_mb on inputs that
# use a few megabytes in a normal build; the limit is 2 GB, as for the LZH and ARJ targets, and
# an input that takes more than 30 s is a finding too.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds="${1:-300}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(UnZip SevenZip Cab Tar Rar)
corpus="$root/../shared/corpus/libarchive"
out="${FUZZ_OUT:-$(mktemp -d)}"
mkdir -p "$out"
common=(archivers/common/ArchiverExports.cpp archivers/common/CommandLine.cpp archivers/common/DosTime.cpp
        archivers/common/LeafName.cpp archivers/common/LocaleGuard.cpp archivers/common/Messages.cpp
        archivers/common/SafeFileWriter.cpp archivers/common/LibarchiveReader.cpp archivers/common/ZipDirectory.cpp
        archivers/common/SevenZipDirectory.cpp platform/Cp932.cpp archivers/fuzz/ArchiverFuzzTarget.cpp)
declare -A library=(
  [UnZip]="archivers/unzip32/UnZip32.cpp"
  [SevenZip]="archivers/7-zip32/SevenZip32.cpp archivers/7-zip32/SevenZipHeaderCheck.cpp"
  [Cab]="archivers/cab32/Cab32.cpp"
  [Tar]="archivers/tar32/Tar32.cpp"
  [Rar]="archivers/unrar32/UnRar32.cpp archivers/unrar32/RarFilterCheck.cpp archivers/unrar32/RarPpmd.cpp")
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root")
export ASAN_OPTIONS="allocator_may_return_null=1:${ASAN_OPTIONS:-}"
for target in "${targets[@]}"; do
  echo "== $target: building"
  if [ "$target" = SevenZipHeader ]; then
    (cd "$root" && clang++ "${flags[@]}" archivers/fuzz/SevenZipDirectoryFuzzTarget.cpp \
       archivers/common/SevenZipDirectory.cpp -lz -llzma -o "$out/fuzz-$target")
    mkdir -p "$out/corpus-$target"
    echo "== $target: ${seconds}s"
    "$out/fuzz-$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -max_len=1048576 \
      -artifact_prefix="$out/crash-$target-" "$out/corpus-$target" "$corpus" 2>&1 | tail -3 ||
      echo "== $target: stopped on a finding (see $out)"
    continue
  fi
  if [ "$target" = RarStream ]; then
    (cd "$root" && clang++ "${flags[@]}" archivers/fuzz/RarStreamFuzzTarget.cpp \
       archivers/unrar32/RarFilterCheck.cpp archivers/unrar32/RarPpmd.cpp -o "$out/fuzz-$target")
    mkdir -p "$out/corpus-$target" "$out/seeds-$target"
    python3 - "$corpus" "$out/seeds-$target" <<'PY'
import os, struct, sys
src, dst = sys.argv[1], sys.argv[2]
for name in sorted(os.listdir(src)):
    d = open(os.path.join(src, name), "rb").read()
    p = d.find(b"Rar!\x1a\x07\x00")
    if p < 0:
        continue
    p += 7
    n = 0
    while p + 11 <= len(d):
        _, kind, flags, size = struct.unpack_from("<HBHH", d, p)
        if kind == 0x7B or size < 7:
            break
        add = struct.unpack_from("<I", d, p + 7)[0] if flags & 0x8000 or kind == 0x74 else 0
        if kind == 0x74 and p + 26 <= len(d) and d[p + 25] != 0x30 and 0 < add <= 1 << 20:
            open(os.path.join(dst, "%s.%d" % (name, n)), "wb").write(d[p + size:p + size + add])
            n += 1
        p += size + add
PY
    echo "== $target: ${seconds}s"
    "$out/fuzz-$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -max_len=262144 \
      -artifact_prefix="$out/crash-$target-" "$out/corpus-$target" "$out/seeds-$target" 2>&1 | tail -3 ||
      echo "== $target: stopped on a finding (see $out)"
    continue
  fi
  # shellcheck disable=SC2086
  (cd "$root" && clang++ "${flags[@]}" -DTOVIK_FUZZ_LIBRARY="$target" "${common[@]}" ${library[$target]} \
     -larchive -lz -llzma -o "$out/fuzz-$target")
  mkdir -p "$out/corpus-$target"
  echo "== $target: ${seconds}s"
  "$out/fuzz-$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -max_len=1048576 \
    -artifact_prefix="$out/crash-$target-" "$out/corpus-$target" "$corpus" 2>&1 | tail -3 || echo "== $target: stopped on a finding (see $out)"
done
echo "artifacts and grown corpora in $out"
