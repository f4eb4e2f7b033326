#!/usr/bin/env bash
# Runs the daemon once on the sample configuration in examples/demo, in a folder of its
# own, and shows what it did. The configuration's last job ends the daemon after its
# first cycle, so the demo stops by itself. Ends non-zero when a file is not where the
# sample jobs should have put it.
#   $1  build folder (default build)
#   MVNZ_DEMO_DIR  where to run (default: a new temporary folder, kept afterwards)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD_DIR=$(cd "${1:-build}" && pwd)
MVND="$BUILD_DIR/bin/mvnd"
[ -x "$MVND" ] || { echo "run-demo: $MVND is missing; build first" >&2; exit 1; }

ROOT=${MVNZ_DEMO_DIR:-$(mktemp -d /tmp/mvnz-demo.XXXXXX)}
mkdir -p "$ROOT"
ROOT=$(cd "$ROOT" && pwd)
# A run empties the demo's own folders first; a folder that holds anything else and was
# not made by an earlier demo run is refused, so no one's files are ever removed.
if [ ! -e "$ROOT/.mvnz-demo" ] && [ -n "$(ls -A "$ROOT")" ]; then
  echo "run-demo: $ROOT is not empty and was not made by the demo; choose another folder" >&2
  exit 1
fi
touch "$ROOT/.mvnz-demo"
rm -rf "${ROOT:?}"/{inbox,archive,outbox,rejected,logs,windows,registry,run,config,data,units}
mkdir -p "$ROOT"/{inbox,archive,outbox,rejected,logs,windows,registry,run,config,data,units}

# Every system path of the daemon points into the demo folder; nothing outside it is touched.
export windir="$ROOT/windows" MVNZ_REGISTRY_DIR="$ROOT/registry" MVNZ_RUNTIME_DIR="$ROOT/run"
export XDG_CONFIG_HOME="$ROOT/config" XDG_DATA_HOME="$ROOT/data" MVNZ_UNIT_DIR="$ROOT/units"
export MVNZ_POWER_DRYRUN=1 QT_QPA_PLATFORM=offscreen
unset MVNZ_RUNNING_AS_SERVICE

# The daemon's status listener gets a port of its own, so the demo never meets a daemon
# that runs already.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$MVNZ_REGISTRY_DIR/store.json" <<JSON
{"keys": {"Software": {"keys": {"Orvendel": {"keys": {"MervaneZuri": {"keys": {"Daemon": {
 "keys": {}, "values": {"StatusPort": "$port"}}}, "values": {}}}, "values": {}}}, "values": {}}},
 "values": {}}
JSON

# The configuration file is CR LF text.
sed -e "s|@ROOT@|$ROOT|g" -e 's/$/\r/' "$HERE/demo/MVNZuri.ini.in" > "$windir/MVNZuri.ini"

# Sample files, old enough to count as stable at once; one archived file is 60 days old.
cp "$HERE"/demo/inbox/* "$ROOT/inbox/"
touch -d '1 hour ago' "$ROOT"/inbox/*
printf 'last quarter\n' > "$ROOT/archive/old-report.txt"
touch -d '60 days ago' "$ROOT/archive/old-report.txt"

listing() { (cd "$ROOT" && find inbox archive outbox rejected -type f | sort | sed 's/^/  /'); }
echo "Demo folder: $ROOT (status port $port)"
echo "Before:"; listing

status=0
timeout 120 "$MVND" || status=$?
echo "mvnd ended with status $status"

echo "After:"; listing
day=$(date +%Y/%m/%d)
echo; echo "System log:"; sed 's/\r$//; s/^/  /' "$ROOT/logs/$day/System.log" 2>/dev/null || true
for f in "$ROOT/logs/$day"/FS*.log; do
  [ -e "$f" ] || continue
  echo; echo "$(basename "$f"):"; sed 's/\r$//; s/^/  /' "$f"
done

fail=0
expect() { if [ "$@" ]; then :; else echo "run-demo: expected $*" >&2; fail=1; fi; }
today=$(date +%Y-%m-%d)
for f in invoice-001.txt invoice-002.txt stock.csv; do
  expect -f "$ROOT/outbox/$today/$f"
  expect -f "$ROOT/archive/$f"
  expect ! -e "$ROOT/inbox/$f"
  cmp -s "$HERE/demo/inbox/$f" "$ROOT/outbox/$today/$f" || { echo "run-demo: $f changed" >&2; fail=1; }
done
expect -f "$ROOT/rejected/scratch.tmp"
expect -f "$ROOT/inbox/photo.png"
expect ! -e "$ROOT/archive/old-report.txt"
[ "$status" -eq 0 ] || fail=1
if [ "$fail" -eq 0 ]; then echo; echo "Demo finished: every sample file is where its job put it."; fi
exit "$fail"
