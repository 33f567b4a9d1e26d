#!/usr/bin/env bash
# Formatting and clang-tidy's checks over the project's own sources.
# Needs the compile database of build/ (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh lint
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"
mapfile -t units < <(git ls-files 'run/*.cpp' 'window/*.cpp' 'tests/*.cpp' 'bench/*.cpp')
found=$(printf '%s\n' "${units[@]}" |
  xargs -P "$(nproc)" -n 1 clang-tidy -p build --quiet 2>/dev/null |
  grep -E 'warning:|error:' | sort -u || true)
if [ -n "$found" ]; then
  echo "$found"
  echo "clang-tidy found the above" >&2
  exit 1
fi
echo "lint: formatting and clang-tidy clean (${#units[@]} units)"
