#!/usr/bin/env bash
# Configures and builds Tovik into build/ (Ninja, ccache when present). Extra arguments are
# passed to the build tool, so `scripts/build.sh tovik-arc` builds one target.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$here}"
export CCACHE_NOHASHDIR=1
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -- "$@"
