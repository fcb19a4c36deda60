#!/usr/bin/env bash
# Installs what is missing, builds, starts the gauge bench (simulated gauges) and
# runs LonvarStd's engine on it until Ctrl-C. Extra arguments go to the program
# (e.g. --seconds 30, --text-only, --timer 1000).
# The windows are not built yet: the console runner stands in for them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target LonvarStdConsole gaugebench

work=$(mktemp -d)
socket="$work/bench.sock"
build/release/tools/gaugebench/gaugebench --demo --socket "$socket" >"$work/bench.log" 2>&1 &
bench=$!
trap 'kill $bench 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done

echo "Gauge bench: $socket (drive it with: socat - UNIX-CONNECT:$socket)"
TAVRIX_BENCH="$socket" build/release/lonvarstd/shell/LonvarStdConsole "$@"
