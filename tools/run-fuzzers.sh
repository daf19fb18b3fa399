#!/usr/bin/env bash
# Runs every fuzzer found in BINDIR for SECONDS each: run-fuzzers.sh BINDIR SECONDS.
# Each fuzzer grows its corpus under BINDIR/../fuzz-corpus/<name>, seeded from the committed
# fuzz/corpus/<name>/ when there is one; a failing input is kept under BINDIR/../fuzz-crashes/<name>/
# and ends the run with the fuzzer's exit status; each run's output goes to BINDIR/../fuzz-<name>.log.
set -euo pipefail
usage="usage: $0 BINDIR SECONDS"
bindir=${1:?$usage}
seconds=${2:?$usage}
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$bindir/.." && pwd)

shopt -s nullglob
fuzzers=("$bindir"/fuzz_*)
if [ ${#fuzzers[@]} -eq 0 ]; then
    echo "no fuzzers in $bindir" >&2
    exit 1
fi

for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer")
    corpus="$build/fuzz-corpus/$name"
    crashes="$build/fuzz-crashes/$name"
    mkdir -p "$corpus" "$crashes"
    seeds=()
    if [ -d "$src/fuzz/corpus/$name" ]; then
        seeds=("$src/fuzz/corpus/$name")
    fi
    log="$build/fuzz-$name.log"
    echo "== $name: ${seconds}s (log: $log)"
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        tail -n 60 "$log"
        exit 1
    fi
    # The rate is per wall-clock second: on a busy machine it is less than one core would do.
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" || true
done
echo "all ${#fuzzers[@]} fuzzers ran ${seconds}s each without a failure"
