#!/usr/bin/env bash
# Print preview speed against QTextDocument::print in the same run: paginating a
# 1,000,000-byte Japanese text with row numbers (limit 2 s), turning a page (30 ms) and
# printing it to PDF (5 s). Runs offscreen; exits non-zero when a figure is over its limit.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${TOVIK_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" tovik_preview_bench >/dev/null
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 0700 "$XDG_RUNTIME_DIR"
ini=$(mktemp --suffix=.ini)
trap 'rm -f "$ini"' EXIT
export TOVIK_INI="$ini"
"$build/bin/tovik_preview_bench"
