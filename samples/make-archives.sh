#!/bin/sh
# Builds the sample archives from the UTF-8 sources beside this script:
#   sample.lzh  Japanese (CP932) names, texts in Shift_JIS, EUC-JP, UTF-8 and ASCII
#   sample.zip  the same files under UTF-8 names
# Usage: make-archives.sh SOURCE_DIR OUTPUT_DIR
# Needs iconv and jlha ("lha"); the time stamps are fixed so the archives come out the same
# on every build.
set -eu
src=$1
out=$2
stamp=202604011200.00

stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage/文書" "$stage/ソース"

# source file, name inside the archives, encoding of the text inside
while IFS='|' read -r from to enc; do
  [ -n "$from" ] || continue
  if [ "$enc" = "UTF-8" ]; then
    cp "$src/$from" "$stage/$to"
  else
    iconv -f UTF-8 -t "$enc" "$src/$from" > "$stage/$to"
  fi
  TZ=Asia/Tokyo touch -t "$stamp" "$stage/$to"
done <<'LIST'
readme-ja.txt|お読みください.txt|CP932
README.txt|README.txt|UTF-8
poem-sjis.txt|文書/枕草子.txt|CP932
memo-eucjp.txt|文書/メモ(EUC-JP).txt|EUC-JP
note-utf8.txt|文書/ノート(UTF-8).txt|UTF-8
hello.c|ソース/hello.c|UTF-8
LIST

files="お読みください.txt README.txt 文書/枕草子.txt 文書/メモ(EUC-JP).txt 文書/ノート(UTF-8).txt ソース/hello.c"

# jlha writes "?" for every non-ASCII name unless told the encoding; Java reads the UTF-8
# names from the disk only under a UTF-8 locale.
rm -f "$out/sample.lzh" "$out/sample.zip"
(
  cd "$stage"
  # shellcheck disable=SC2086
  LC_ALL=C.UTF-8 JAVA_TOOL_OPTIONS=-Dlha.encoding=MS932 lha aq "$out/sample.lzh" $files >/dev/null 2>&1
  # shellcheck disable=SC2086
  LC_ALL=C.UTF-8 zip -X -q "$out/sample.zip" $files
)
# jlha answers 0 even when it wrote nothing.
if [ ! -s "$out/sample.lzh" ]; then
  echo "make-archives.sh: lha did not create $out/sample.lzh" >&2
  exit 1
fi
rm -rf "$stage"
