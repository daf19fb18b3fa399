#!/usr/bin/env bash
# Saves a screenshot of every window to docs/screenshots/: runs the window tests (offscreen) with
# ORVANE_SCREENSHOT_DIR set, which makes the tests that take pictures save them there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out="$root/docs/screenshots"
mkdir -p "$out"
ORVANE_SCREENSHOT_DIR="$out" ctest --test-dir "$build" -L gui -j "$(nproc)" --output-on-failure
echo "Screenshots in $out"
