#!/usr/bin/env bash
# Starts Orvane from the build's bin folder. Filled in as the executables arrive.
set -euo pipefail
bin=${1:-build/bin}
ls "$bin"
