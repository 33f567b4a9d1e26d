#!/bin/sh
# Runs a test program on a virtual X display with a window manager that
# frames windows (openbox), on Qt's xcb platform. Exits 77, which the test
# takes as skipped, where Xvfb or openbox is missing.
#   under_window_manager.sh PROGRAM [ARGUMENT...]
command -v xvfb-run >/dev/null && command -v openbox >/dev/null && command -v xprop >/dev/null ||
  exit 77
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  QT_QPA_PLATFORM=xcb "$@"
  status=$?
  kill "$wm"
  exit "$status"' sh "$@"
