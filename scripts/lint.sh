#!/usr/bin/env bash
# Formatting, clang-tidy's checks and the layers' include rules over the
# project's own sources. Needs the compile database of build/ (scripts/test.sh
# makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh lint
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"

# The layers: run/, text/ and files/ include no Qt; only files/ makes file
# calls; nothing includes from a layer above it (app -> window -> run, text,
# files).
layer_fault() { echo "lint: $1" >&2; exit 1; }
if git grep -n -E '#include <Q' -- run text files; then
  layer_fault "run/, text/ and files/ stay free of Qt"
fi
if git grep -n -E '#include <(fcntl|sys/stat|sys/xattr|poll)\.h>|[^:]::(open|fstat|rename|unlink)\(' -- window; then
  layer_fault "window/ makes no POSIX file calls: files/ does"
fi
# numerlo-page and the pane lines it shares with the window need no display:
# Qt Core and Gui only, never Widgets.
if git grep -n -E 'Qt6::Widgets|#include <Q(Application|Widget|PlainTextEdit|Style)>' -- cli lines; then
  layer_fault "cli/ and lines/ never use Qt Widgets"
fi
for lower in run text files; do
  if git grep -n -E '#include "(tform1|memo_pane|qstring_cp932|error_box|file_dialog|app_title|quit_on_signal)\.h"' -- "$lower"; then
    layer_fault "$lower/ includes from a layer above it"
  fi
done

# fuzz/ is built only by clang with -DNUMERLO_FUZZ=ON, so build/ has no
# compile commands for it; the formatting check above covers it.
folders=(app cli lines run text files window tests bench)
mapfile -t units < <(git ls-files "${folders[@]/%//*.cpp}")
found=$(printf '%s\n' "${units[@]}" |
  xargs -P "$(nproc)" -n 1 clang-tidy -p build --quiet 2>/dev/null |
  grep -E 'warning:|error:' | sort -u || true)
if [ -n "$found" ]; then
  echo "$found"
  echo "clang-tidy found the above" >&2
  exit 1
fi
echo "lint: formatting, layers and clang-tidy clean (${#units[@]} units)"
