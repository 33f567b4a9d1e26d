#!/usr/bin/env bash
# Builds Numerlo with its tests and runs every test (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build window test browser
# playwright-core drives Debian's Chromium; it never downloads a browser.
if [ ! -d tests/browser/node_modules/playwright-core ]; then
  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefix tests/browser --no-audit --no-fund
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUMERLO_WINDOW=ON \
  -DNUMERLO_TESTS=ON -DNUMERLO_BENCH=ON -DNUMERLO_BROWSER_TEST=ON
cmake --build build --parallel "$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
