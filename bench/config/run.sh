#!/usr/bin/env bash
# Configuration load of a real mvnd. A figure, not a test.
#   1. a file of 1,000 RoziRoruners x 20 commands: time from the start of mvnd to
#      "Processing Started" in its log (goal: under 100 ms);
#   2. a file of 3,000 RoziRoruners: SIGTERM sent 1 s after the start, time until the
#      process has ended, and whether it ended cleanly (status 0, "Daemon is shutting
#      down..." logged; goal: within 1 s).
# A parse-only figure comes from bench_config when that program is built.
#   $1  build folder (default build)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
. "$(dirname "$0")/../mvnd-env.sh"
[ ! -x "$BUILD_DIR/bench-bin/bench_config" ] || "$BUILD_DIR/bench-bin/bench_config"
bench_root config

# jobs_file JOBS COMMANDS: a configuration of JOBS time-triggered RoziRoruners, each
# with COMMANDS comment commands, all disabled but the first (nothing runs).
jobs_file() {
  config_header 0
  awk -v jobs="$1" -v cmds="$2" -v root="$BENCH_ROOT" 'BEGIN {
    for (j = 1; j <= jobs; j++) {
      printf "[Job%05d]\nDescription=job %d\nTrigger=TIME\nScanDirectory=%s/hot\n", j, j, root
      printf "IncludeSubdir=0\nInputFilter=\\.txt$\nRejectFilter=\nSkipRejected=True\n"
      printf "Interval=3600\nStableTimer=1.5\nOldestFirst=0\nSingleFileHandling=0\n"
      for (c = 1; c <= cmds; c++) {
        printf "Command=COMMENT]~[comment %d of job %d", c, j
        for (p = 2; p <= 30; p++) printf "]~["
        printf "\n"
      }
      for (k = 1; k <= 3; k++) printf "Constant=value %d\n", k
      printf "Enabled=%d\n\n", (j == 1) ? 1 : 0
    }
  }'
}

now_ms() { date +%s%3N; }

# 1. start to "Processing Started"
jobs_file 1000 20 | crlf >"$windir/MVNZuri.ini"
limit=${MVNZ_BENCH_CONFIG_LIMIT:-180}
t0=$(now_ms)
"$BUILD_DIR/bin/mvnd" >"$BENCH_ROOT/mvnd.out" 2>&1 &
MVND_PID=$!
# Polls every 0.1 s: the figure is exact to about 100 ms.
started=yes
wait_for_line "$(day_log System.log)" "Processing Started" "$limit" || started=no
t1=$(now_ms)
mvnd_stop
printf '1,000 RoziRoruners x 20 commands (%s bytes):\n' "$(stat -c %s "$windir/MVNZuri.ini")"
if [ "$started" = yes ]; then
  printf '  start of mvnd to "Processing Started": %d ms (goal: under 100 ms)\n' $((t1 - t0))
else
  printf '  "Processing Started" not logged within %d s (goal: under 100 ms)\n' "$limit"
fi

# 2. SIGTERM during the load of 3,000 RoziRoruners
rm -rf "$BENCH_LOGS" && mkdir -p "$BENCH_LOGS"
jobs_file 3000 20 | crlf >"$windir/MVNZuri.ini"
"$BUILD_DIR/bin/mvnd" >"$BENCH_ROOT/mvnd.out" 2>&1 &
MVND_PID=$!
sleep 1
t0=$(now_ms)
kill -TERM "$MVND_PID"
status=0
wait "$MVND_PID" || status=$?
t1=$(now_ms)
MVND_PID=
clean=no
if [ "$status" -eq 0 ] && [ -f "$(day_log System.log)" ] &&
  tr -d '\r' <"$(day_log System.log)" | grep -qF "Daemon is shutting down..."; then clean=yes; fi
printf '3,000 RoziRoruners x 20 commands, SIGTERM 1 s after the start:\n'
printf '  answered in %d ms (goal: within 1 s); exit status %d; clean end: %s\n' \
  $((t1 - t0)) "$status" "$clean"
