# Helpers for the benchmarks that run the real mvnd (sourced, not run): every system
# path points into one temporary root, the configuration is written with CR LF, and
# the daemon runs headless (AutoStart=1, AutoStartState=4).

# bench_root NAME: makes the temporary root and exports the daemon's paths into it.
bench_root() {
  BENCH_ROOT=$(mktemp -d "${MVNZ_BENCH_DIR:-${TMPDIR:-/tmp}}/mvnz-bench-$1-XXXXXX")
  mkdir -p "$BENCH_ROOT"/{windows,registry,run,config,data,units,logs}
  export windir=$BENCH_ROOT/windows
  export MVNZ_REGISTRY_DIR=$BENCH_ROOT/registry
  export MVNZ_RUNTIME_DIR=$BENCH_ROOT/run
  export XDG_CONFIG_HOME=$BENCH_ROOT/config
  export XDG_DATA_HOME=$BENCH_ROOT/data
  export MVNZ_UNIT_DIR=$BENCH_ROOT/units
  export MVNZ_POWER_DRYRUN=1 MVNZ_SYSTEMCTL=/bin/true QT_QPA_PLATFORM=offscreen
  unset MVNZ_RUNNING_AS_SERVICE
  BENCH_LOGS=$BENCH_ROOT/logs
  MVND_PID=
  trap bench_cleanup EXIT
}

# Other processes a benchmark started, ended by bench_cleanup: BENCH_PIDS="pid ...".
BENCH_PIDS=
bench_cleanup() {
  local p
  for p in $BENCH_PIDS; do kill "$p" 2>/dev/null || true; done
  if [ -n "${MVND_PID:-}" ] && kill -0 "$MVND_PID" 2>/dev/null; then
    kill -TERM "$MVND_PID" 2>/dev/null || true
    wait "$MVND_PID" 2>/dev/null || true
  fi
  [ -n "${MVNZ_BENCH_KEEP:-}" ] || rm -rf "$BENCH_ROOT"
}

# crlf: standard input to standard output with CR LF line ends.
crlf() { sed 's/$/\r/'; }

# config_header: the [CONFIGURATION] section of a headless run logging to $BENCH_LOGS.
config_header() {
  printf '%s\n' "; benchmark configuration" "[CONFIGURATION]" "LogDirectory=$BENCH_LOGS" \
    "EnableLogging=1" "AutoLogInternalCommands=${1:-0}" "AutoStart=1" "AutoStartState=4" ""
}

# day_log NAME: today's log file NAME ("System.log", "FS1_Job.log").
day_log() { echo "$BENCH_LOGS/$(date +%Y/%m/%d)/$1"; }

# wait_for_line FILE TEXT SECONDS: waits until FILE holds a line ending in TEXT.
wait_for_line() {
  local end=$((SECONDS + $3))
  while [ $SECONDS -lt "$end" ]; do
    if [ -f "$1" ] && tr -d '\r' <"$1" | grep -qF -- "$2"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# mvnd_start BUILD_DIR: starts the daemon on $windir/MVNZuri.ini and waits until it
# processes.
mvnd_start() {
  "$1/bin/mvnd" >"$BENCH_ROOT/mvnd.out" 2>&1 &
  MVND_PID=$!
  if ! wait_for_line "$(day_log System.log)" "Processing Started" 60; then
    echo "mvnd did not start processing:" >&2
    cat "$BENCH_ROOT/mvnd.out" "$(day_log System.log)" >&2 2>/dev/null || true
    return 1
  fi
}

mvnd_stop() {
  kill -TERM "$MVND_PID" 2>/dev/null || true
  wait "$MVND_PID" 2>/dev/null || true
  MVND_PID=
}

# cpu_ticks PID: user + system clock ticks used so far by the process.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
