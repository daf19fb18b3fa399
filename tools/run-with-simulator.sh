#!/usr/bin/env bash
# Starts Orvane from the build's bin folder. Without a USB-serial Writer attached, a simulated
# Writer serves a pseudo-terminal and Orvane talks to it; the simulator stops when Orvane ends.
# Until the window arrives, Orvane is its command line: this shows a short session with it.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
cli="$bin/orvane-cli"

port_args=()
if ! compgen -G "/dev/ttyUSB*" >/dev/null && ! compgen -G "/dev/ttyACM*" >/dev/null; then
    work=$(mktemp -d)
    trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
    "$bin/orvane-writer-sim" --link "$work/com1" --pace >"$work/sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$work/com1" ] && break; sleep 0.1; done
    echo "No Writer attached: using the simulated Writer on $(head -n1 "$work/sim.log")"
    port_args=(--port "$work/com1")
fi

set -x
"$cli" version "${port_args[@]}"
"$cli" blank-check "${port_args[@]}"
"$cli" info "$bin/QK128_20.S19" --model QK128
