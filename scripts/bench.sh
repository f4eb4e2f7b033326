#!/usr/bin/env bash
# Builds (optimised) and runs every benchmark; prints their figures. Not a test.
# Each bench/<name>/run.sh, when present, runs that benchmark (it gets the build
# folder as $1); otherwise build/bench-bin/bench_<name> is run directly.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${BUILD_DIR:-build-bench}
bash scripts/install-deps.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMVNZ_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "${MVNZ_JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen MVNZ_POWER_DRYRUN=1 MVNZ_UPDATE_SERVER=127.0.0.1:9
only=${1:-}
for d in bench/*/; do
  n=$(basename "$d")
  [ -z "$only" ] || [ "$only" = "$n" ] || continue
  echo "== $n"
  if [ -f "$d/run.sh" ]; then bash "$d/run.sh" "$BUILD_DIR"
  elif [ -x "$BUILD_DIR/bench-bin/bench_$n" ]; then "$BUILD_DIR/bench-bin/bench_$n"
  fi
done
