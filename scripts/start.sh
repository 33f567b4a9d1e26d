#!/usr/bin/env bash
# Builds Numerlo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build window
cmake -S . -B build-app -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUMERLO_TESTS=OFF -DNUMERLO_BENCH=OFF
cmake --build build-app --parallel "$(nproc)" --target numerlo
exec build-app/app/numerlo
