#!/usr/bin/env bash
# Longer fuzzing of the LZH and ARJ readers and their decoders with libFuzzer (clang,
# AddressSanitizer and UndefinedBehaviorSanitizer), seeded with the shared corpus.
#   bench/lzh-arj/fuzz.sh [SECONDS per target, default 300]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds="${1:-300}"
corpus="$root/../shared/corpus/lhasa/archives"
out="${FUZZ_OUT:-$(mktemp -d)}"
mkdir -p "$out"
src=(archivers/codecs/ArchiveFile.cpp archivers/codecs/Crc.cpp archivers/codecs/CheckedSink.cpp archivers/codecs/EntryFields.cpp
     archivers/codecs/OutputWindow.cpp archivers/codecs/HuffmanTable.cpp
     archivers/codecs/StaticHuffmanDecoder.cpp archivers/codecs/DynamicHuffmanDecoder.cpp
     archivers/codecs/LarcDecoder.cpp archivers/codecs/PmarcDecoder.cpp archivers/codecs/ArjFastDecoder.cpp archivers/codecs/StoredDecoder.cpp
     archivers/unlha32/LzhReader.cpp archivers/unarj32j/ArjReader.cpp archivers/common/DosTime.cpp
     platform/Cp932.cpp tests/lzhfuzz/ReaderFuzzTargets.cpp tests/lzhfuzz/HostileHeaders.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root" -I"$root/tests/lzhfuzz")
# Archives whose checksums are right but whose fields lie: random mutation rarely makes one.
(cd "$root" && clang++ -std=c++20 -O1 -I"$root" -I"$root/tests/lzhfuzz" "${src[@]}" tests/lzhfuzz/FuzzCorpusMain.cpp \
   -o "$out/hostile-seeds")
"$out/hostile-seeds" --write "$out/seeds"
for target in Lzh Arj Decoder; do
  echo "== $target: building"
  (cd "$root" && clang++ "${flags[@]}" "${src[@]}" "tests/lzhfuzz/${target}FuzzTarget.cpp" -o "$out/fuzz-$target")
  mkdir -p "$out/corpus-$target"
  echo "== $target: ${seconds}s"
  "$out/fuzz-$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -max_len=262144 \
    -artifact_prefix="$out/crash-$target-" "$out/corpus-$target" "$out/seeds" "$corpus" 2>&1 | tail -3
done
echo "artifacts and grown corpora in $out"
