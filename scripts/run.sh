#!/usr/bin/env bash
# Installs what is missing, builds, and runs LonvarStd on the gauge bench.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"
echo "Build finished; the program is not assembled yet."
