#!/usr/bin/env bash
# Runs Numerlo under the Orca screen reader on a virtual X display, drives a
# keyboard session with xdotool and prints, step by step, what Orca spoke.
# Nothing is heard: Orca speaks to a silent speech server of ours, and every
# utterance is read back from Orca's debug file, where Orca writes it as
#   HH:MM:SS.ffffff - SPEECH OUTPUT: '<what it says>'{<voice>}
#
#   scripts/orca-session.sh [path/to/numerlo]
#
# Installs what it needs (scripts/deps.sh orca): orca, at-spi2-core,
# python3-pyatspi, xvfb, xauth, openbox, x11-utils, xdotool, dbus-bin and
# imagemagick. Build the
# program first (scripts/test.sh or scripts/start.sh).
#
# Settings, all optional:
#   ORCA_SESSION_DIR    keeps Orca's debug file, the program's output and a
#                       screenshot after each step (default: a new temporary
#                       folder, named at the end)
#   ORCA_SESSION_STEPS  a bash file of `step` lines to run instead of the
#                       session below (see step, keys and typed)
#   ORCA_KEY_ECHO=0     Orca does not speak each key pressed
#   ORCA_LAYOUT=desktop Orca's desktop key layout, where Orca takes the keypad
#                       keys (KP_Enter is "where am I") so they never reach
#                       the program; the default is the laptop layout
#   ORCA_STEP_WAIT      seconds to wait after each step (default 1.5)
#   ORCA_SESSION_LANG   LANG for Orca and the program (default C.UTF-8:
#                       Orca speaks its own words in English)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" != --inside ]; then
  "$here/deps.sh" orca
  app=$(realpath "${1:-$here/../build/app/numerlo}")
  [ -x "$app" ] || { echo "no program at $app" >&2; exit 1; }
  out=${ORCA_SESSION_DIR:-$(mktemp -d /tmp/orca-session.XXXXXX)}
  mkdir -p "$out"
  # A display and a session bus of its own; both end with the session. The
  # buses' own chatter goes to session.err, shown only on failure.
  status=0
  xvfb-run -a -s '-screen 0 1280x1024x24' \
    dbus-run-session -- "$0" --inside "$app" "$out" 2>"$out/session.err" || status=$?
  [ "$status" = 0 ] || grep -v '^dbus-daemon\[' "$out/session.err" >&2
  exit "$status"
fi

app=$2
out=$3
pids=()
stop_all() {
  local i p alive
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill -TERM "${pids[i]}" 2>/dev/null || true
  done
  for _ in $(seq 50); do
    alive=0
    for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && alive=1; done
    [ "$alive" = 0 ] && return
    sleep 0.1
  done
  # Orca at times does not end on SIGTERM.
  for p in "${pids[@]}"; do
    kill -KILL "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
}
trap stop_all EXIT

export HOME=$out/home XDG_RUNTIME_DIR=$out/runtime
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME" && mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export LANG=${ORCA_SESSION_LANG:-C.UTF-8}
unset LC_ALL LANGUAGE
# Qt 6 turns its AT-SPI bridge on when the session says a screen reader
# runs, or always with this.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# A window manager, as on a desktop: it makes the window active again when a
# dialog or box closes, which is what a screen reader follows.
openbox >"$out/openbox.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done

# The accessibility bus; its registry daemon starts on it when first asked.
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$out/at-spi.out" 2>&1 &
pids+=($!)
sleep 1

# Orca's preferences, all its own: the silent speech server, no braille, no
# sounds, and its debug file written line by line.
prefs=$out/orca-prefs
mkdir -p "$prefs"
cat >"$prefs/silent_speech.py" <<'PY'
# A speech server that makes no sound. Orca writes each utterance to its
# debug file before it hands it to the server. Orca finds this module because
# it puts its preferences folder first on sys.path.
from orca import speechserver


class SpeechServer(speechserver.SpeechServer):
    _active = None

    @staticmethod
    def getFactoryName():
        return "silent"

    @staticmethod
    def getSpeechServers():
        return [SpeechServer.getSpeechServer()]

    @staticmethod
    def getSpeechServer(info=None):
        if SpeechServer._active is None:
            SpeechServer._active = SpeechServer()
        return SpeechServer._active

    @staticmethod
    def shutdownActiveServers():
        SpeechServer._active = None

    def getInfo(self):
        return ["silent", "silent"]

    def getVoiceFamilies(self):
        return []
PY
cat >"$prefs/orca-customizations.py" <<'PY'
# Each line of the debug file is written at once, so that what Orca said can
# be read while the session runs.
from orca import debug

if debug.debugFile is not None:
    debug.debugFile.reconfigure(line_buffering=True)
PY
python3 - "$prefs/user-settings.conf" "${ORCA_KEY_ECHO:-1}" "${ORCA_LAYOUT:-laptop}" <<'PY'
import json, sys
path, echo, layout = sys.argv[1:]
profile = ["Default", "default"]
general = {
    "speechServerFactory": "silent_speech",
    "speechServerInfo": None,
    "enableSpeech": True,
    "enableBraille": False,
    "enableSound": False,
    "enableTutorialMessages": False,
    "enableKeyEcho": echo != "0",
    "keyboardLayout": 1 if layout == "desktop" else 2,
    "orcaModifierKeys": ["Insert", "KP_Insert"] if layout == "desktop"
                        else ["Caps_Lock", "Shift_Lock"],
    "profile": profile, "activeProfile": profile, "startingProfile": profile,
}
json.dump({"general": general,
           "profiles": {"default": {"profile": profile, "pronunciations": {}, "keybindings": {}}},
           "pronunciations": {}, "keybindings": {}}, open(path, "w"), indent=2)
PY
log=$out/orca-debug.log
orca --user-prefs "$prefs" --debug-file="$log" >"$out/orca.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$log" 2>/dev/null && break
  sleep 0.2
done
grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$log" || { echo "Orca did not start" >&2; exit 1; }

# What Orca says as the window comes up belongs to the first step.
before_window=$(wc -l <"$log")
"$app" >"$out/numerlo.out" 2>&1 &
app_pid=$!
pids+=($app_pid)
win=$(timeout 30 xdotool search --sync --onlyvisible --pid "$app_pid" --name '^Numerlo$' | head -1)
[ -n "$win" ] || { echo "the window did not show" >&2; exit 1; }

# What Orca spoke from line $1 of its debug file on, one utterance a line
# (a line break inside one shows as ⏎).
spoken_since() {
  python3 - "$log" "$1" <<'PY'
import re, sys
lines = open(sys.argv[1], encoding="utf-8", errors="replace").read().split("\n")[int(sys.argv[2]):]
said = re.compile(r"^\d\d:\d\d:\d\d\.\d+ - SPEECH OUTPUT: '(.*)$")
# After the closing quote: a voice's name, then its settings, a dict or a
# list of one.
tail = re.compile(r"'( voice=\w+)? ?\[?\{[^{}]*\}\]?$")
entries, current = [], None
for line in lines:
    m = said.match(line)
    if m:
        if current is not None:
            entries.append(current)
        current = m.group(1)
    elif current is not None and line.startswith(" " * 18) and not tail.search(current):
        current += "\n" + line[18:]
    elif current is not None:
        entries.append(current)
        current = None
if current is not None:
    entries.append(current)
for entry in entries:
    print("  " + tail.sub("", entry).replace("\n", "⏎"))
PY
}

n=0
# step TITLE COMMAND...: runs the command, waits, and prints what Orca said.
step() {
  local title=$1 from
  shift
  from=${before_window:-$(wc -l <"$log")}
  before_window=
  "$@"
  sleep "${ORCA_STEP_WAIT:-1.5}"
  n=$((n + 1))
  echo "== $n. $title"
  spoken_since "$from"
  import -window root "$out/step-$n.png" 2>/dev/null || true
}
# keys KEY...: one xdotool key name each (Tab, shift+Tab, space, Return, KP_Enter).
keys() {
  local k
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.3
  done
}
# settle: the pause a person makes between typing a name and pressing
# Return. A name typed at xdotool's pace, each letter moving the file
# dialog's folder list, leaves Orca more than 50 events behind; Orca then
# drops whatever is shown meanwhile, the spoken confirmations among it.
settle() {
  sleep 2
}
# orca_twice KEY: Orca's modifier held and KEY pressed twice, the second
# press within Orca's double-click time: Orca's second command on that key.
orca_twice() {
  local modifier=Caps_Lock
  [ "${ORCA_LAYOUT:-laptop}" != desktop ] || modifier=Insert
  xdotool keydown "$modifier" key --delay 100 "$1" "$1" keyup "$modifier"
}
# typed TEXT: types it, each line break as Return (xdotool's own "\n" is a
# Linefeed key, which Qt does not take as Enter).
typed() {
  local first=1 line
  while IFS= read -r line || [ -n "$line" ]; do
    [ "$first" = 1 ] || xdotool key Return
    first=0
    [ -z "$line" ] || xdotool type --delay 30 -- "$line"
  done <<<"$1"
}

if [ -n "${ORCA_SESSION_STEPS:-}" ]; then
  source "$ORCA_SESSION_STEPS"
else
  # Focus starts in the serial pane; Tab goes round the eight controls.
  step "window shown, focus in Memo1" xdotool windowfocus --sync "$win"
  step "Tab: Memo2" keys Tab
  step "Tab: 抽選回数" keys Tab
  step "Tab: 本数字+B数字" keys Tab
  step "Tab: 作成" keys Tab
  step "Tab: 保存" keys Tab
  step "Tab: クリア" keys Tab
  step "Tab: Memo3" keys Tab
  step "Tab: Memo1 again" keys Tab
  step "Shift+Tab x4: 作成" keys shift+Tab shift+Tab shift+Tab shift+Tab
  step "Space: 作成 with the instruction lines as input" keys space
  step "Tab, Space: 保存 opens the save dialog" keys Tab space
  step "Escape: the dialog is cancelled" keys Escape
  step "Shift+Tab x3, Space: 抽選回数 opens the open dialog" keys shift+Tab shift+Tab shift+Tab space
  step "a missing file's name, Return: the error box" \
    eval 'typed /tmp/no-such-folder/missing.txt; keys Return'
  step "Return: the box closes" keys Return
  # Ten good draws, loaded through the open dialogs, then a run.
  for i in $(seq -w 1 10); do printf '0%s\r\n' "$i"; done >"$out/serials.txt"
  for i in $(seq 1 10); do
    printf '%02d %02d %02d %02d %02d %02d %02d\r\n' $(seq "$i" $((i + 6)))
  done >"$out/draws.txt"
  step "Space, a serial file's name, Return: the serials are loaded" \
    eval 'keys space; sleep 1; typed "$out/serials.txt"; settle; keys Return'
  step "Tab, Space, a draw file's name, Return: the draws are loaded" \
    eval 'keys Tab space; sleep 1; typed "$out/draws.txt"; settle; keys Return'
  step "Tab, Return: 作成 makes the page" keys Tab Return
  step "Tab, Space, a page name, Return: the page is saved" \
    eval 'keys Tab space; sleep 1; typed "$out/page.html"; settle; keys Return'
  step "Tab, Space: クリア empties the panes" keys Tab space
  step "Shift+Tab x2, Space: 作成 fails on the empty panes" keys shift+Tab shift+Tab space
  # Laptop layout: Orca+slash twice; desktop layout: Orca+KP_Enter twice.
  status_key=slash
  [ "${ORCA_LAYOUT:-laptop}" != desktop ] || status_key=KP_Enter
  step "Orca's status-bar command: the failed run's message" orca_twice "$status_key"
fi
echo "Orca's debug file: $log"
