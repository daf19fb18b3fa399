#!/usr/bin/env bash
# Starts Orvane from the build's bin folder. Without a USB-serial Writer attached, a simulated
# Writer serves a pseudo-terminal and Orvane talks to it; the simulator stops when Orvane ends.
# Until the window arrives, Orvane is its command line: this shows a short session with it.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
cli="$bin/orvane-cli"
sample=$(cd "$(dirname "$0")/.." && pwd)/tests/cli/golden/program.S19 # a small QK128 program
work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

port_args=()
if ! compgen -G "/dev/ttyUSB*" >/dev/null && ! compgen -G "/dev/ttyACM*" >/dev/null; then
    "$bin/orvane-writer-sim" --link "$work/com1" --pace >"$work/sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$work/com1" ] && break; sleep 0.1; done
    echo "No Writer attached: using the simulated Writer on $(head -n1 "$work/sim.log")"
    port_args=(--port "$work/com1")
fi

# Blank check, download and program the sample, read the chip back.
set -x
"$cli" version "${port_args[@]}"
"$cli" blank-check --model QK128 "${port_args[@]}"
"$cli" program "$sample" --model QK128 --yes "${port_args[@]}"
"$cli" read "$work/read.S19" --model QK128 "${port_args[@]}"
cat "$work/read.S19"
