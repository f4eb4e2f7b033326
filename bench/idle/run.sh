#!/usr/bin/env bash
# Idle cost: CPU seconds a real mvnd uses while it watches empty hot folders, each
# scanned every second (Interval=1, the polling rate). A figure, not a test.
#   $1                          build folder (default build)
#   MVNZ_BENCH_IDLE_SECONDS     measured time (default 60)
#   MVNZ_BENCH_IDLE_FOLDERS     number of watched folders (default 100)
#   MVNZ_BENCH_IDLE_TRACE_SECONDS  the strace run counting system calls (default 10)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
. "$(dirname "$0")/../mvnd-env.sh"
seconds=${MVNZ_BENCH_IDLE_SECONDS:-60}
folders=${MVNZ_BENCH_IDLE_FOLDERS:-100}
bench_root idle

{
  config_header 1
  for i in $(seq -w 1 "$folders"); do
    mkdir -p "$BENCH_ROOT/hot/$i"
    printf '%s\n' "[Watch$i]" "Description=empty folder $i" "Trigger=FILE" \
      "ScanDirectory=$BENCH_ROOT/hot/$i" "IncludeSubdir=0" "InputFilter=*" "RejectFilter=" \
      "SkipRejected=1" "Interval=1" "StableTimer=20" "Enabled=1" ""
  done
} | crlf >"$windir/MVNZuri.ini"

# cpu_ns PID: nanoseconds on a processor so far, summed over the threads alive (clock
# ticks are too coarse for a process that is idle most of the time).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{n += $1} END {print n}'; }

mvnd_start "$BUILD_DIR"
start_ticks=$(cpu_ticks "$MVND_PID")
sleep 3  # the first cycles and the start-up's lingering work are not counted
t0=$(cpu_ticks "$MVND_PID")
n0=$(cpu_ns "$MVND_PID")
s0=$(date +%s.%N)
sleep "$seconds"
t1=$(cpu_ticks "$MVND_PID")
n1=$(cpu_ns "$MVND_PID")
s1=$(date +%s.%N)
rss=$(awk '/VmHWM/ {print $2}' "/proc/$MVND_PID/status")

# System calls of a short extra run under strace (which slows the daemon, so it is not
# part of the CPU figure), per folder and second: the cost of one idle folder's turn.
trace_seconds=${MVNZ_BENCH_IDLE_TRACE_SECONDS:-10}
calls=
if command -v strace >/dev/null; then
  timeout -s INT "$trace_seconds" strace -c -f -p "$MVND_PID" -o "$BENCH_ROOT/strace.txt" \
    2>/dev/null || true
  calls=$(awk '$NF == "total" {print $4}' "$BENCH_ROOT/strace.txt" 2>/dev/null || true)
fi

# A file in the last folder proves the folders are really being scanned: the cycle
# lists it ("Scanning hotfolder contents....." in that RoziRoruner's log).
echo canary >"$BENCH_ROOT/hot/$folders/canary.txt"
scanned=no
wait_for_line "$(day_log "FS$((10#$folders))_Watch$folders.log")" "Scanning hotfolder contents" 15 &&
  scanned=yes
mvnd_stop

tck=$(getconf CLK_TCK)
awk -v a="$t0" -v b="$t1" -v n0="$n0" -v n1="$n1" -v s0="$s0" -v s1="$s1" -v tck="$tck" -v st="$start_ticks" \
  -v n="$folders" -v rss="$rss" -v scanned="$scanned" -v calls="$calls" -v ts="$trace_seconds" 'BEGIN {
  cpu = (n1 - n0) / 1e9; wall = s1 - s0
  printf "mvnd watching %d empty folders (each scanned every second) for %.1f s\n", n, wall
  printf "  cpu used: %.3f s = %.3f%% of one core (goal: under 0.1%%); clock ticks: %.2f s\n",
    cpu, 100 * cpu / wall, (b - a) / tck
  if (calls != "")
    printf "  system calls per idle folder turn: %.2f (%d in %d s under strace)\n", calls / (n * ts), calls, ts
  else
    print "  system calls per idle folder turn: not counted (strace missing or not allowed)"
  printf "  start-up cpu (not counted): %.2f s; peak memory %.1f MB\n", st / tck, rss / 1024
  printf "  scan cycle seen running: %s\n", scanned
  if (scanned != "yes") print "  NOTE: no cycle listed the canary file; the engine may not be linked"
}'
