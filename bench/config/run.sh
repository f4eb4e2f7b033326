#!/usr/bin/env bash
# Configuration load of a real mvnd. A figure, not a test.
#   1. parse-only time of the library (bench_config; goal: under 20 ms);
#   2. a file of 1,000 RoziRoruners x 20 commands: time from the start of mvnd to
#      "Processing Started" in its log (goal: under 100 ms), best and median of runs;
#   3. a file of 3,000 RoziRoruners: SIGTERM sent 1 s after the start, time until the
#      process has ended, and whether it ended cleanly (status 0, "Daemon is shutting
#      down..." logged; goal: within 1 s).
# Times come from mvnd_startclock, which polls the log every 0.2 ms.
#   $1  build folder (default build)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
BIN=$BUILD_DIR/bench-bin
. "$(dirname "$0")/../mvnd-env.sh"
if [ -x "$BIN/bench_config" ]; then "$BIN/bench_config"
else echo "bench_config not built: no parse-only figure"; fi
bench_root config
RUNS=${MVNZ_BENCH_CONFIG_RUNS:-7}

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

# stats: best and median of the numbers on standard input, "best median".
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", v[1], v[int((NR + 1) / 2)] }'; }

# ratio A B: A / B.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", a / b }'; }

# 2. start to "Processing Started"
jobs_file 1000 20 | crlf >"$windir/MVNZuri.ini"
limit=${MVNZ_BENCH_CONFIG_LIMIT:-180}
times=()
for _ in $(seq "$RUNS"); do
  rm -rf "$BENCH_LOGS" && mkdir -p "$BENCH_LOGS"
  t=$("$BIN/mvnd_startclock" "$(day_log System.log)" "Processing Started" "$limit" \
    "$BUILD_DIR/bin/mvnd")
  [ "$t" = timeout ] && break
  times+=("$t")
done
printf '1,000 RoziRoruners x 20 commands (%s bytes):\n' "$(stat -c %s "$windir/MVNZuri.ini")"
if [ "${#times[@]}" -eq "$RUNS" ]; then
  read -r best median < <(printf '%s\n' "${times[@]}" | stats)
  printf '  start of mvnd to "Processing Started": best %.1f ms, median %.1f ms of %d runs' \
    "$best" "$median" "$RUNS"
  printf ' (goal: under 100 ms; median/goal %.2f)\n' "$(ratio "$median" 100)"
else
  printf '  "Processing Started" not logged within %d s (goal: under 100 ms)\n' "$limit"
fi

# 3. SIGTERM during the load of 3,000 RoziRoruners
rm -rf "$BENCH_LOGS" && mkdir -p "$BENCH_LOGS"
jobs_file 3000 20 | crlf >"$windir/MVNZuri.ini"
read -r answered status < <("$BIN/mvnd_startclock" --term-after 1000 30 "$BUILD_DIR/bin/mvnd")
clean=no
if [ "$status" -eq 0 ] && [ -f "$(day_log System.log)" ] &&
  tr -d '\r' <"$(day_log System.log)" | grep -qF "Daemon is shutting down..."; then clean=yes; fi
printf '3,000 RoziRoruners x 20 commands, SIGTERM 1 s after the start:\n'
printf '  answered in %.1f ms (goal: within 1 s; answer/goal %.3f); exit status %d; clean end: %s\n' \
  "$answered" "$(ratio "$answered" 1000)" "$status" "$clean"
