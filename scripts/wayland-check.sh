#!/usr/bin/env bash
# Starts Numerlo natively on Wayland, in a headless weston of its own, and
# checks that its window comes up: the client gives its toplevel the app id,
# acknowledges the compositor's first configure, then attaches a buffer to
# that toplevel's surface and commits it.
#   scripts/wayland-check.sh [/usr/bin/numerlo] [screenshot.png]
# Needs weston and qt6-wayland (scripts/deps.sh package installs both).
set -euo pipefail
# wayland_window_check PROGRAM [SCREENSHOT.png]
# Starts the program natively on Wayland, in a headless weston of its own,
# and waits until its window is up: the client has given its toplevel our
# app id, acknowledged the compositor's first configure, then attached a
# buffer to that toplevel's surface and committed it. Saves what weston drew
# as SCREENSHOT.png if asked. On failure keeps weston's log and the client's
# protocol log, and names their folder.
wayland_window_check() {
  local program=$1 shot=${2:-} dir weston_pid app_pid status=1
  dir=$(mktemp -d /tmp/numerlo-wayland.XXXXXX)
  chmod 700 "$dir"
  # No fade-in (a screenshot would catch the window half drawn), no panel.
  printf '[shell]\nanimation=none\nstartup-animation=none\npanel-position=none\nbackground-color=0xff303030\n' \
    >"$dir/weston.ini"
  XDG_RUNTIME_DIR=$dir weston --backend=headless-backend.so --socket=numerlo-check \
    --width=1280 --height=800 --use-pixman --idle-time=0 --config="$dir/weston.ini" --debug \
    --log="$dir/weston.log" --logger-scopes=log,proto >/dev/null 2>&1 &
  weston_pid=$!
  for _ in $(seq 100); do [ -S "$dir/numerlo-check" ] && break; sleep 0.1; done
  if [ ! -S "$dir/numerlo-check" ]; then
    echo "weston did not start; its log: $dir/weston.log" >&2
    kill "$weston_pid" 2>/dev/null || true
    return 1
  fi
  XDG_RUNTIME_DIR=$dir WAYLAND_DISPLAY=numerlo-check QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 \
    "$program" >"$dir/program.out" 2>"$dir/client.log" &
  app_pid=$!
  for _ in $(seq 150); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      echo "numerlo quit on Wayland:" >&2
      { grep -v '^\[' "$dir/client.log" | tail -5 >&2; } || true
      break
    fi
    if awk '
      match($0, /get_xdg_surface\(new id xdg_surface@[0-9]+, wl_surface@[0-9]+\)/) {
        split(substr($0, RSTART, RLENGTH), f, /[@,)]/); surface_of[f[2]] = f[4]
      }
      match($0, /xdg_surface@[0-9]+\.get_toplevel\(new id xdg_toplevel@[0-9]+\)/) {
        split(substr($0, RSTART, RLENGTH), f, /[@.)]/); xdg_of[f[4]] = f[2]
      }
      match($0, /-> xdg_toplevel@[0-9]+\.set_app_id\("com\.example\.numerlo"\)/) {
        split(substr($0, RSTART, RLENGTH), f, /[@.]/); xdg = xdg_of[f[2]]; wl = surface_of[xdg]
      }
      xdg != "" && index($0, "-> xdg_surface@" xdg ".ack_configure(") { acked = 1 }
      acked && index($0, "-> wl_surface@" wl ".attach(wl_buffer@") { attached = 1 }
      attached && index($0, "-> wl_surface@" wl ".commit()") { found = 1; exit }
      END { exit !found }' "$dir/client.log"; then
      status=0
      break
    fi
    sleep 0.2
  done
  if [ "$status" = 0 ]; then
    if [ -n "$shot" ]; then
      # The screen as weston drew it, once the window has painted (weston
      # lets weston-screenshooter in only with --debug; it writes the file
      # into its working folder).
      sleep 1
      (cd "$dir" && XDG_RUNTIME_DIR=$dir WAYLAND_DISPLAY=numerlo-check \
        timeout 10 weston-screenshooter >/dev/null 2>&1) || true
      mv "$dir"/wayland-screenshot-*.png "$shot" 2>/dev/null || echo "no screenshot" >&2
    fi
    echo "Wayland: the window is up"
  else
    echo "Wayland: no window within 30 s; logs in $dir" >&2
  fi
  kill -TERM "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  kill -TERM "$weston_pid" 2>/dev/null || true
  wait "$weston_pid" 2>/dev/null || true
  [ "$status" != 0 ] || rm -rf "$dir"
  return "$status"
}

wayland_window_check "${1:-/usr/bin/numerlo}" "${2:-}"
