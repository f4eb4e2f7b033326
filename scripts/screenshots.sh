#!/usr/bin/env bash
# Pictures of the daemon's windows, for a person to look at (not a test). Runs the
# real mvnd in its window mode under Xvfb in a temporary root, fills its log through
# the log socket, and saves:
#   <out>/mainwindow.png   the main window with a filled log
#   <out>/messagebar.png   the last-message bar
#   <out>/manager.png      the configuration manager's main window on that configuration,
#                          its first RoziRoruner selected
#   <out>/manager-globals.png  the same window showing the global settings
#   <out>/manager-script.png   the command-script editor on the first RoziRoruner's
#                          script, opened from the side bar, every line expanded
#   <out>/svcwright.png    the service installer's window
#   <out>/deployer.png     the uninstall utility's window
#   <out>/gallery-<name>.png  every window and dialog of the manager on that
#                          configuration: main, globals, script-small, script-large, the
#                          four command dialogs, add, rename, both constants dialogs, the
#                          trigger pickers, the update offer, about, credits, ordering,
#                          the regular-expression editor and tester, the splash
#   <out>/regex-tester.png the manager's regular-expression tester after a replacement
#   <out>/load-report.png  the manager's list of the lines of a hand-edited file that a
#                          save will not write back, shown after the load
#   <out>/unreadable.png   the manager started on a folder at the configuration path:
#                          the box that says why it starts with no RoziRoruners
# Usage: bash scripts/screenshots.sh [out folder]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
OUT=$(realpath -m "${1:-$BUILD_DIR/screenshots}")
cmake -S . -B "$BUILD_DIR" -G Ninja >/dev/null
cmake --build "$BUILD_DIR" --target mvnd MervaneZuri svcwright deployer mvnz-dialogshow -j "${MVNZ_JOBS:-3}"
mkdir -p "$OUT"

ROOT=$(mktemp -d /tmp/mvnz-shots-XXXXXX)
trap 'rm -rf "$ROOT"' EXIT
export windir=$ROOT/windows MVNZ_REGISTRY_DIR=$ROOT/registry MVNZ_RUNTIME_DIR=$ROOT/run
export XDG_CONFIG_HOME=$ROOT/config XDG_DATA_HOME=$ROOT/data MVNZ_POWER_DRYRUN=1
export MVNZ_UPDATE_SERVER=127.0.0.1:9  # the update check never leaves this machine
mkdir -p "$windir" "$MVNZ_REGISTRY_DIR" "$MVNZ_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$ROOT/hot"
chmod 700 "$MVNZ_RUNTIME_DIR"
TITLE="Mervane Zuri - screenshot"

# Mode 1 (window) with two RoziRoruners; CR LF lines as the manager writes them.
printf '%s\r\n' "[CONFIGURATION]" "RoziRoruTitle=$TITLE" "LogDirectory=$ROOT/logs" \
  "EnableLogging=1" "AutoStart=1" "AutoStartState=1" "" \
  "[Invoices]" "Trigger=FILE" "Description=incoming invoices" "ScanDirectory=$ROOT/hot" \
  "InputFilter=*.pdf" "Interval=30" \
  "Command=Comment]~[file each invoice under its year" \
  "Command=Relocate]~[<SCANPATHFILENAME>]~[$ROOT/archive/<FILENAME>]~[0]~[1" \
  "Command=!Duplicate]~[<SCANPATHFILENAME>]~[$ROOT/backup/<FILENAME>]~[1]~[1" \
  "Command=JournalNote]~[Filed <FILENAME>" "Enabled=1" "" \
  "[Nightly]" "Trigger=TIME" "Description=nightly clean-up" "Interval=23:30" "Enabled=1" "" \
  >"$windir/MVNZuri.ini"

# Window settings (twips, 15 per pixel): the main window at 30,30 px and
# 800 x 460 px, the bar shown below it.
python3 - "$MVNZ_REGISTRY_DIR/store.json" <<'PY'
import json, sys
daemon = {"values": {
    "LogWindowLeft": "450", "LogWindowTop": "450",
    "LogWindowWidth": "12000", "LogWindowHeight": "6900",
    "MessageWindowLeft": "450", "MessageWindowTop": "8250", "MessageWindowWidth": "9000",
    "MessageWindowStatus": "1", "MessageWindowOnTop": "0"}, "keys": {}}
def key(keys): return {"values": {}, "keys": keys}
store = key({"Software": key({"Orvendel": key({"MervaneZuri": key({"Daemon1": daemon})})})})
json.dump(store, open(sys.argv[1], "w"))
PY

MVND=$(realpath "$BUILD_DIR/bin/mvnd")
export MVND OUT TITLE ROOT
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  "$MVND" >"$ROOT/mvnd.out" 2>&1 &
  pid=$!
  for _ in $(seq 100); do [ -S "$MVNZ_RUNTIME_DIR/mvnd.MVNdcom" ] && break; sleep 0.1; done
  # Log lines of every level, as plug-ins send them.
  python3 - "$MVNZ_RUNTIME_DIR/mvnd.MVNdcom" <<"PY"
import json, socket, sys, time
lines = [(0, "Scanning [incoming invoices] ....."), (0, "File [2026-117.pdf] is free"),
         (0, "Relocated [2026-117.pdf] to [archive/2026]"),
         (1, "WARNING_DUPLICATE: Target exists [archive/2026/2026-118.pdf]"),
         (0, "Duplicated [2026-118.pdf] to [backup]"),
         (2, "ERROR_ERASE: Cannot delete [2026-119.pdf] [permission denied]"),
         (3, "System-command: STOP,RELOAD,START"), (0, "Memory load [23%]")]
for level, text in lines:
    s = socket.socket(socket.AF_UNIX)
    s.connect(sys.argv[1])
    s.sendall((json.dumps({"level": level, "text": text, "time": ""}) + "\n").encode())
    s.recv(16)
    s.close()
    time.sleep(0.05)
PY
  sleep 1.5
  xwd -silent -name "$TITLE" | convert xwd:- "$OUT/mainwindow.png"
  # The bar has no caption: cut it out of the screen at its stored place.
  xwd -silent -root | convert xwd:- -crop 600x24+30+550 +repage "$OUT/messagebar.png"
  kill -INT $pid
  wait $pid || true
'
# The configuration manager on the same configuration, found by its exact caption:
# its main window, the global settings, the script editor and the tester.
MANAGER=$(realpath "$BUILD_DIR/bin/MervaneZuri")
CAPTION=$(printf 'Orvendel \u00b7 Mervane Zuri v1.0 \u00b7 Configuration Manager')
export MANAGER CAPTION
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  "$MANAGER" >"$ROOT/manager.out" 2>&1 &
  pid=$!
  for _ in $(seq 100); do xwininfo -name "$CAPTION" >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1
  id=$(xwininfo -name "$CAPTION" | sed -n "s/.*Window id: \(0x[0-9a-f]*\).*/\1/p")
  xwd -silent -id "$id" | convert xwd:- "$OUT/manager.png"
  # The side bar'"'"'s Preferences link (Alt+P) brings the global settings to the front.
  xdotool windowfocus --sync "$id" key --window "$id" alt+p
  sleep 0.5
  xwd -silent -id "$id" | convert xwd:- "$OUT/manager-globals.png"
  # Alt+C only focuses the side bar'"'"'s Command Script link (the Copy button shares
  # the letter); Space opens the editor. Tab to the script, "*" expands every line.
  xdotool windowfocus --sync "$id" key alt+c
  sleep 0.3
  xdotool key space
  for _ in $(seq 50); do xdotool search --onlyvisible --name "^Command Script\$" >/dev/null 2>&1 && break; sleep 0.1; done
  ed=$(xdotool search --onlyvisible --name "^Command Script\$" | head -1)
  xdotool windowfocus --sync "$ed" key Tab asterisk
  sleep 0.5
  xwd -silent -id "$ed" | convert xwd:- "$OUT/manager-script.png"
  # Esc hides the editor; the regular-expression tester (Ctrl+N), filled by keyboard
  # and replaced.
  xdotool key Escape
  sleep 0.3
  xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers ctrl+n
  tester="Test Regular Expressions"
  for _ in $(seq 50); do xwininfo -name "$tester" >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 0.5
  tid=$(xdotool search --onlyvisible --name "^$tester\$" | head -n 1)
  xdotool windowfocus --sync "$tid"
  sleep 0.3
  xdotool type --clearmodifiers --delay 20 "invoice-2026-117.pdf"
  xdotool key --clearmodifiers Tab
  xdotool type --clearmodifiers --delay 20 "[0-9]+\.pdf$"
  xdotool key --clearmodifiers Tab
  xdotool type --clearmodifiers --delay 20 "archived.pdf"
  xdotool key --clearmodifiers alt+r
  sleep 0.5
  xwd -silent -name "$tester" | convert xwd:- "$OUT/regex-tester.png"
  kill -TERM $pid
  wait $pid || true
'
# The two installation tools, each found by its caption.
BIN=$(realpath "$BUILD_DIR/bin")
SHOW=$(realpath "$BUILD_DIR/tests-bin/mvnz-dialogshow")
export BIN SHOW
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  shoot() {  # caption, picture, program and its arguments
    local caption=$1 picture=$2
    shift 2
    "$@" >"$ROOT/tool.out" 2>&1 &
    local pid=$!
    for _ in $(seq 100); do xwininfo -name "$caption" >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 0.5
    xwd -silent -name "$caption" | convert xwd:- "$OUT/$picture"
    kill -TERM $pid
    wait $pid || true
  }
  shoot "Install Mervane Zuri Daemon Service - Version 1.0.0" svcwright.png "$BIN/svcwright"
  shoot "Mervane Zuri Uninstall" deployer.png "$BIN/deployer" -remove
'
# Every window and dialog of the manager (mvnz-dialogshow --list), each opened on the
# same configuration and found as the one window its process shows:
# <out>/gallery-<name>.png.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  for name in $("$SHOW" --list); do
    "$SHOW" "$name" "$windir/MVNZuri.ini" >"$ROOT/show.out" 2>&1 &
    pid=$!
    id=
    for _ in $(seq 100); do
      id=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | tail -n 1) && [ -n "$id" ] && break
      sleep 0.1
    done
    sleep 0.7
    xwd -silent -id "$id" | convert xwd:- "$OUT/gallery-$name.png"
    kill -TERM $pid
    wait $pid || true
  done
'
echo "Saved $OUT/regex-tester.png and $OUT/gallery-*.png"
echo "Saved $OUT/mainwindow.png, $OUT/messagebar.png, $OUT/manager.png, $OUT/manager-globals.png, $OUT/manager-script.png, $OUT/svcwright.png and $OUT/deployer.png"
# The manager on a hand-edited file (its load report) and on a folder in place of the
# file (why nothing was loaded), each box found by its caption.
printf '%s\r\n' "; notes of my own" "[CONFIGURATION]" "RoziRoruTitle=$TITLE" \
  "GlobalConstant=one" "" "[Invoices]" "Trigger=FILE" "Description=incoming invoices" \
  "ScanDirectroy=$ROOT/hot" "SkipRejected=yes" "Interval = 30" "Enabled=1" "" >"$ROOT/handedited.ini"
mkdir -p "$ROOT/folder.ini"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  unset QT_QPA_PLATFORM
  shoot() {  # caption, picture, configuration path
    "$MANAGER" "$3" >"$ROOT/manager.out" 2>&1 &
    local pid=$!
    for _ in $(seq 100); do xwininfo -name "$1" >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 0.5
    xwd -silent -name "$1" | convert xwd:- "$OUT/$2"
    kill -TERM $pid
    wait $pid || true
  }
  shoot "Configuration Lines Passed Over" load-report.png "$ROOT/handedited.ini"
  shoot "Error Loading Configuration" unreadable.png "$ROOT/folder.ini"
'
echo "Saved $OUT/load-report.png and $OUT/unreadable.png"
