#!/usr/bin/env bash
# Saves a screenshot of every window to docs/screenshots/: runs the window tests named
# "Screenshot" on the offscreen platform with ORVANE_SCREENSHOT_DIR set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
out="$root/docs/screenshots"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen ORVANE_SCREENSHOT_DIR="$out" ORVANE_DATA_DIR="$root/data/files/"
for t in "$bin"/*_test; do
    if "$t" --gtest_list_tests | grep -q 'Screenshot'; then
        "$t" --gtest_filter='*Screenshot*' --gtest_brief=1
    fi
done
echo "Screenshots in $out"
