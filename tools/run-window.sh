#!/usr/bin/env bash
# `make run`: starts Orvane's window from a run folder under the build folder, which holds a copy
# of the executable and the shipped data files (the program's folder is its data folder). Without
# a USB-serial Writer attached, a simulated Writer serves a pseudo-terminal that the run folder's
# settings file names as COM1; it stops when the window closes. Without a display, the command
# line shows a short session instead.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
tools=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): showing the command line on the simulated Writer instead."
    exec "$tools/run-with-simulator.sh" "$build/bin"
fi

run="$build/run"
mkdir -p "$run"
cp -f "$build/bin/orvane" "$run/"
cp -rf "$build/bin/device.name" "$build/bin/About.txt" "$build/bin/"*.S19 "$run/"
[ -d "$build/bin/image" ] && cp -rf "$build/bin/image" "$run/"
for doc in Tovik_Usermenu.pdf Tovik_Usermenu_en.pdf help; do [ -e "$build/bin/$doc" ] && cp -rf "$build/bin/$doc" "$run/"; done

# The settings file keeps the operator's choices between runs; only its [PORTS] section is ours.
ini="$run/Udate_VX.ini"
touch "$ini"
awk 'BEGIN{skip=0} /^\[/{skip=($0 ~ /^\[PORTS\]/)} !skip' "$ini" >"$ini.new" && mv "$ini.new" "$ini"

sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null; true; }
trap cleanup EXIT
if ! compgen -G "/dev/ttyUSB*" >/dev/null && ! compgen -G "/dev/ttyACM*" >/dev/null; then
    rm -f "$run/com1"
    "$build/bin/orvane-writer-sim" --link "$run/com1" --pace >"$run/sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$run/com1" ] && break; sleep 0.1; done
    printf '[PORTS]\r\nCOM1=%s\r\n' "$run/com1" >>"$ini"
    echo "No Writer attached: the simulated Writer answers as COM1 ($run/com1)."
fi
"$run/orvane"
