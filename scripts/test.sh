#!/usr/bin/env bash
# Builds Numerlo with its tests and runs every test (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build window test browser
# playwright-core drives Debian's Chromium; it never downloads a browser.
if [ ! -d tests/browser/node_modules/playwright-core ]; then
  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefix tests/browser --no-audit --no-fund
fi
# The dev preset (CMakePresets.json) builds into build/; the browser check
# is on here, where its npm package is at hand.
cmake --preset dev -DNUMERLO_BROWSER_TEST=ON
cmake --build --preset dev --parallel "$(nproc)"
ctest --preset dev --parallel "$(nproc)"
