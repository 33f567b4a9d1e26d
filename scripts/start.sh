#!/usr/bin/env bash
# Builds Numerlo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build window
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUMERLO_TESTS=OFF -DNUMERLO_BENCH=OFF
cmake --build build --parallel "$(nproc)"
echo "The table run is built (build/run). The main window comes next."
