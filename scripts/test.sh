#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${TOVIK_BUILD_DIR:-$here/build}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 0700 "$XDG_RUNTIME_DIR"
cd "$build"
# A default limit for any test that sets none of its own: a hang fails instead of blocking.
ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
