#!/usr/bin/env bash
# Listing 100,000 entries in 1,000 folders: tovik-arc (wrappers, registry and, with "tree",
# the contents model and every list-row text) beside bsdtar -tf on the same tree, in one
# hyperfine run. The scripted test library stands in where the real ZIP library is not
# built yet; with build/bin/archivers/unzip32.so present the real ZIP is measured too.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
"$here/scripts/build.sh" tovik-arc test_archive >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/bench/arcdata/make-tree.py" "$work"
arc="$build/bin/tovik-arc"
scripted="$build/tests/archive/testlibs/complete"

commands=(
  "bsdtar -tf $work/tree.zip"
  "env TOVIK_ARCHIVERS=$scripted $arc list $work/tree-scripted.zip"
  "env TOVIK_ARCHIVERS=$scripted $arc tree $work/tree-scripted.zip"
)
if [ -f "$build/bin/archivers/unzip32.so" ]; then
  commands+=("$arc list $work/tree.zip" "$arc tree $work/tree.zip")
fi
hyperfine --warmup 1 --runs "${RUNS:-5}" -N "${commands[@]}" 2>&1
