#!/usr/bin/env bash
# Builds Numerlo with its tests and runs every test (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build window test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUMERLO_WINDOW=ON -DNUMERLO_TESTS=ON -DNUMERLO_BENCH=ON
cmake --build build --parallel "$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
