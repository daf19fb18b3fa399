#!/usr/bin/env bash
# Saves a screenshot of every window to docs/screenshots/: runs the window tests (offscreen) with
# ORVANE_SCREENSHOT_DIR set, which makes the tests that take pictures save them there. Then renders
# the first pages of the operator's manual, which shows those pictures, as manual-page-NN.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out="$root/docs/screenshots"
mkdir -p "$out"
ORVANE_SCREENSHOT_DIR="$out" ctest --test-dir "$build" -L gui -j "$(nproc)" --output-on-failure
cmake --build "$build" --target orvane_manual
pdftoppm -r 60 -f 1 -l 3 -png "$build/bin/Tovik_Usermenu.pdf" "$out/manual-page"
echo "Screenshots in $out"
