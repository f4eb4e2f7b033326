#!/usr/bin/env bash
# Throughput: small files dropped into a hot folder whose script Relocates each one to
# another folder, against inotifywait -m piped into a shell loop of mv on the same
# files, back to back in the same run. Checks that every file arrives exactly once
# with its content. A figure, not a test. Two rows: within one file system, and from a
# hot folder on tmpfs (/dev/shm) to a disk folder, when both are there.
#   $1                           build folder (default build)
#   MVNZ_BENCH_RELOCATE_FILES    number of files (default 10000)
#   MVNZ_BENCH_RELOCATE_ROUNDS   rounds of peer then mvnd, the median is taken (default 3)
#   MVNZ_BENCH_RELOCATE_STALL    give up on a side when no file arrived for that many
#                                seconds (default 60)
set -euo pipefail
BUILD_DIR=$(cd "${1:-build}" && pwd)
. "$(dirname "$0")/../mvnd-env.sh"
files=${MVNZ_BENCH_RELOCATE_FILES:-10000}
stall=${MVNZ_BENCH_RELOCATE_STALL:-60}
rounds=${MVNZ_BENCH_RELOCATE_ROUNDS:-3}
command -v inotifywait >/dev/null || { echo "inotifywait (inotify-tools) is missing" >&2; exit 1; }
[ -f "$BUILD_DIR/bin/Plugins/Relocate.so" ] || { echo "no $BUILD_DIR/bin/Plugins/Relocate.so" >&2; exit 1; }
bench_root relocate

# stage DIR: the files to drop, written beforehand; their checksums in DIR.md5.
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
  checksums "$1" >"$1.md5"
}

# checksums DIR: "md5  name" of every file in DIR, sorted by name.
checksums() { (cd "$1" && find . -type f -printf '%f\0' | sort -z | xargs -0 -r md5sum); }

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

# check NAME STAGE OUT HOT START FAILURES: the rate from the drop to the last arrival
# (the newest change time in OUT) into RATE, and whether every file arrived once with
# its content; prints one line.
check() {
  local name=$1 stage=$2 out=$3 hot=$4 start=$5 failures=$6 last got left content verdict
  last=$(find "$out" -maxdepth 1 -type f -printf '%C@\n' | sort -n | tail -1)
  got=$(find "$out" -maxdepth 1 -type f | wc -l)
  left=$(find "$hot" -type f | wc -l)
  content=intact
  checksums "$out" | cmp -s - "$stage.md5" || content=DIFFERENT
  verdict=ok
  if [ "$got" -ne "$files" ] || [ "$left" -ne 0 ] || [ "$content" != intact ] ||
    [ "$failures" -ne 0 ]; then
    verdict=PROBLEM
    PROBLEMS=$((PROBLEMS + 1))
  fi
  RATE=$(awk -v n="$got" -v a="$start" -v b="${last:-$start}" \
    'BEGIN { d = b - a; printf "%.0f", (d > 0) ? n / d : 0 }')
  printf '    %-5s %6.2f s %7d files/s  arrived %d, left %d, contents %s, failures %d: %s\n' \
    "$name" "$(awk -v a="$start" -v b="${last:-$start}" 'BEGIN { print b - a }')" "$RATE" \
    "$got" "$left" "$content" "$failures" "$verdict"
}

# peer DIR [HOTBASE]: inotifywait piped into a shell loop of mv. Failures are mv errors
# (a file handled twice or gone). The staged files and the hot folder are under
# HOTBASE (default DIR), the out folder under DIR.
peer() {
  local P=$1 H=${2:-$1} start
  mkdir -p "$H/hot" "$P/out"
  stage "$H/stage"
  mkfifo "$P/events"
  inotifywait -m -e close_write,moved_to --format '%f' "$H/hot" >"$P/events" 2>"$P/inotify.err" &
  local inotify=$!
  while IFS= read -r f; do
    mv -- "$H/hot/$f" "$P/out/$f" || echo "mv failed: $f" >&2
  done <"$P/events" 2>"$P/loop.err" &
  local loop=$!
  BENCH_PIDS="$inotify $loop"
  wait_for_line "$P/inotify.err" "Watches established." 30
  start=$(drop "$H/stage" "$H/hot")
  wait_all "$P/out" || echo "    peer: no progress for $stall s, gave up"
  kill "$inotify" 2>/dev/null || true
  wait "$inotify" "$loop" 2>/dev/null || true
  BENCH_PIDS=
  check peer "$H/stage" "$P/out" "$H/hot" "$start" "$(wc -l <"$P/loop.err")"
}

# daemon DIR [HOTBASE]: mvnd with one RoziRoruner whose script Relocates each file.
# Failures are the Relocate warnings and errors of its log (a file handled twice or
# gone). The staged files and the hot folder are under HOTBASE (default DIR).
daemon() {
  local D=$1 H=${2:-$1} start failures
  mkdir -p "$H/hot" "$D/out" "$D/logs"
  BENCH_LOGS=$D/logs
  stage "$H/stage"
  {
    config_header 0
    printf '%s\n' "[Mover]" "Description=relocates every file" "Trigger=FILE" \
      "ScanDirectory=$H/hot" "IncludeSubdir=0" "InputFilter=*" "RejectFilter=" \
      "SkipRejected=1" "Interval=1" "StableTimer=0" "Enabled=1" \
      "Command=Relocate]~[<SCANPATHFILENAME>]~[$D/out/<FILENAME>]~[0]~[0" ""
  } | crlf >"$windir/MVNZuri.ini"
  mvnd_start "$BUILD_DIR"
  sleep 1.5  # past the first (empty) cycle
  start=$(drop "$H/stage" "$H/hot")
  wait_all "$D/out" || echo "    mvnd: no progress for $stall s, gave up"
  CPU=$(awk -v t="$(cpu_ticks "$MVND_PID")" -v k="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.2f", t / k }')
  mvnd_stop
  failures=$( (tr -d '\r' 2>/dev/null <"$(day_log FS1_Mover.log)" || true) |
    grep -c -e 'WARNING_RELOCATE' -e 'ERROR_RELOCATE' || true)
  check mvnd "$H/stage" "$D/out" "$H/hot" "$start" "$failures"
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# row NAME HOTROOT: the rounds of one row (HOTROOT: where the hot folders go, "" for
# beside the out folders) and its medians.
row() {
  local name=$1 hotroot=$2 r pm dm
  local peer_rates=() mvnd_rates=()
  echo "  -- $name"
  for r in $(seq 1 "$rounds"); do
    echo "  round $r"
    peer "$BENCH_ROOT/$name/r$r/peer" "${hotroot:+$hotroot/r$r/peer}"
    peer_rates+=("$RATE")
    daemon "$BENCH_ROOT/$name/r$r/daemon" "${hotroot:+$hotroot/r$r/daemon}"
    mvnd_rates+=("$RATE")
    echo "          mvnd cpu $CPU s (start-up included)"
  done
  pm=$(median "${peer_rates[@]}")
  dm=$(median "${mvnd_rates[@]}")
  awk -v n="$name" -v a="$dm" -v b="$pm" 'BEGIN {
    printf "  median, %s: peer %d files/s, mvnd %d files/s, ratio %.2fx (goal: at least 10x)\n",
      n, b, a, (b > 0) ? a / b : 0
  }'
}

echo "relocate: $files small files dropped (renamed) into a hot folder at once, in $BENCH_ROOT"
echo "  peer: inotifywait -m -e close_write,moved_to | while read f; do mv ...; done"
echo "  mvnd: Interval=1, StableTimer=0, Command=Relocate <SCANPATHFILENAME> -> out/<FILENAME>"
PROBLEMS=0
row same-fs ""
shm=
if [ -d /dev/shm ] && [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] &&
  [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$BENCH_ROOT")" ]; then
  shm=$(mktemp -d /dev/shm/mvnz-bench-relocate-XXXXXX)
  trap 'rm -rf "$shm"; bench_cleanup' EXIT
  row tmpfs-to-disk "$shm"
else
  echo "  -- tmpfs-to-disk: no tmpfs at /dev/shm apart from $BENCH_ROOT's file system, row left out"
fi
echo "  files lost, changed or handled twice: $([ "$PROBLEMS" -eq 0 ] && echo none || echo "$PROBLEMS round(s) with problems")"
