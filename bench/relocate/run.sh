#!/usr/bin/env bash
# Throughput: small files dropped into a hot folder whose script Relocates each one to
# another folder, against inotifywait -m piped into a shell loop of mv on the same
# files, back to back in the same run. Checks that every file arrives exactly once
# with its content. A figure, not a test.
#   $1                           build folder (default build)
#   MVNZ_BENCH_RELOCATE_FILES    number of files (default 10000)
#   MVNZ_BENCH_RELOCATE_STALL    give up on a side when no file arrived for that many
#                                seconds (default 60)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
. "$(dirname "$0")/../mvnd-env.sh"
files=${MVNZ_BENCH_RELOCATE_FILES:-10000}
stall=${MVNZ_BENCH_RELOCATE_STALL:-60}
command -v inotifywait >/dev/null || { echo "inotifywait (inotify-tools) is missing" >&2; exit 1; }
[ -f "$BUILD_DIR/bin/Plugins/Relocate.so" ] || { echo "no $BUILD_DIR/bin/Plugins/Relocate.so" >&2; exit 1; }
bench_root relocate

# stage DIR: the files to drop, written beforehand; their checksums in $BENCH_ROOT/expected.
stage() {
  mkdir -p "$1"
  awk -v dir="$1" -v n="$files" 'BEGIN {
    srand(7)
    for (i = 1; i <= n; i++) {
      f = sprintf("%s/file%05d.dat", dir, i)
      printf "file %d of the relocate benchmark %d\n", i, int(rand() * 1000000000) > f
      close(f)
    }
  }'
  (cd "$1" && find . -type f -printf '%f\0' | sort -z | xargs -0 md5sum) >"$BENCH_ROOT/expected"
}

# drop STAGE HOT: renames every staged file into the hot folder; prints the start time.
drop() {
  date +%s.%N
  find "$1" -type f -exec mv -t "$2" {} +
}

# wait_all OUT: waits until OUT holds every file, or gives up when no file has arrived
# for $stall seconds.
wait_all() {
  local got=0 seen=-1 since=$SECONDS
  while :; do
    got=$(find "$1" -maxdepth 1 -type f | wc -l)
    [ "$got" -ge "$files" ] && return 0
    if [ "$got" -ne "$seen" ]; then seen=$got since=$SECONDS; fi
    [ $((SECONDS - since)) -lt "$stall" ] || return 1
    sleep 0.05
  done
}

# report NAME START OUT HOT: files per second from the drop to the last arrival (the
# newest change time in OUT), and the checks. Sets RATE.
report() {
  local name=$1 start=$2 out=$3 hot=$4 last got left same
  last=$(find "$out" -maxdepth 1 -type f -printf '%C@\n' | sort -n | tail -1)
  got=$(find "$out" -maxdepth 1 -type f | wc -l)
  left=$(find "$hot" -type f | wc -l)
  same=$( (cd "$out" && find . -type f -printf '%f\0' | sort -z | xargs -0 -r md5sum) |
    cmp -s - "$BENCH_ROOT/expected" && echo yes || echo no)
  RATE=$(awk -v n="$got" -v a="$start" -v b="${last:-$start}" \
    'BEGIN { d = b - a; printf "%.0f", (d > 0) ? n / d : 0 }')
  printf '  %-8s %6d files in %6.2f s = %7d files/s; arrived %d, left behind %d, contents %s\n' \
    "$name" "$files" "$(awk -v a="$start" -v b="${last:-$start}" 'BEGIN{print b - a}')" "$RATE" \
    "$got" "$left" "$([ "$same" = yes ] && echo intact || echo DIFFERENT)"
}

echo "relocate: $files small files dropped (renamed) into a hot folder at once"

# The peer: inotifywait piped into a shell loop of mv.
P=$BENCH_ROOT/peer
mkdir -p "$P/hot" "$P/out"
stage "$P/stage"
mkfifo "$P/events"
inotifywait -m -e close_write,moved_to --format '%f' "$P/hot" >"$P/events" 2>"$P/inotify.err" &
INOTIFY_PID=$!
while IFS= read -r f; do
  mv -- "$P/hot/$f" "$P/out/$f" || echo "mv failed: $f" >&2
done <"$P/events" 2>"$P/loop.err" &
LOOP_PID=$!
BENCH_PIDS="$INOTIFY_PID $LOOP_PID"
wait_for_line "$P/inotify.err" "Watches established." 30
peer_start=$(drop "$P/stage" "$P/hot")
wait_all "$P/out" || echo "  peer: no progress for $stall s, gave up"
kill "$INOTIFY_PID" 2>/dev/null || true
wait "$INOTIFY_PID" "$LOOP_PID" 2>/dev/null || true
report peer "$peer_start" "$P/out" "$P/hot"
peer_rate=$RATE
peer_errors=$(wc -l <"$P/loop.err")
echo "           mv failures (a file handled twice or lost): $peer_errors"

# mvnd: one RoziRoruner whose script Relocates each file.
D=$BENCH_ROOT/daemon
mkdir -p "$D/hot" "$D/out"
stage "$D/stage"
{
  config_header 0
  printf '%s\n' "[Mover]" "Description=relocates every file" "Trigger=FILE" \
    "ScanDirectory=$D/hot" "IncludeSubdir=0" "InputFilter=*" "RejectFilter=" "SkipRejected=1" \
    "Interval=1" "StableTimer=0" "Enabled=1" \
    "Command=Relocate]~[<SCANPATHFILENAME>]~[$D/out/<FILENAME>]~[0]~[0" ""
} | crlf >"$windir/MVNZuri.ini"
mvnd_start "$BUILD_DIR"
sleep 1.5  # past the first (empty) cycle
daemon_start=$(drop "$D/stage" "$D/hot")
wait_all "$D/out" || echo "  mvnd: no progress for $stall s, gave up"
cpu=$(awk -v t="$(cpu_ticks "$MVND_PID")" -v k="$(getconf CLK_TCK)" 'BEGIN{printf "%.2f", t / k}')
mvnd_stop
report mvnd "$daemon_start" "$D/out" "$D/hot"
daemon_rate=$RATE
job_log=$(day_log FS1_Mover.log)
daemon_errors=$( (tr -d '\r' 2>/dev/null <"$job_log" || true) | grep -c -e 'WARNING_RELOCATE' -e 'ERROR_RELOCATE' || true)
echo "           Relocate warnings/errors (a file handled twice or lost): $daemon_errors; mvnd cpu $cpu s"

awk -v a="$daemon_rate" -v b="$peer_rate" \
  'BEGIN { printf "  ratio mvnd/peer: %.2fx (goal: at least 5x)\n", (b > 0) ? a / b : 0 }'
