#!/usr/bin/env bash
# Installs what is missing, builds what the demo runs (mvnd and the plug-ins its sample
# configuration names, not the tests and benchmarks), and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
targets=(mvnd)
for name in $(sed -n 's/^Command=\([A-Za-z]*\).*/\1/p' examples/demo/MVNZuri.ini.in | sort -u); do
  [ -d "plugins/$name" ] && targets+=("$name")
done
echo "Building ${targets[*]} ..."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S . -B "$BUILD_DIR" -G Ninja -DMVNZ_SANITIZE=OFF &&
       cmake --build "$BUILD_DIR" -j "${MVNZ_JOBS:-$(nproc)}" --target "${targets[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
grep -A3 -i 'warning' "$log" >&2 || true
bash examples/run-demo.sh "$BUILD_DIR"
