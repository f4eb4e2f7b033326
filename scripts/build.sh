#!/usr/bin/env bash
# Configures and builds the project. BUILD_DIR (default build) and MVNZ_SANITIZE=1
# (ASan/UBSan, default folder build-asan) select the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ "${MVNZ_SANITIZE:-0}" = "1" ]; then
  BUILD_DIR=${BUILD_DIR:-build-asan}
  SAN=ON
else
  BUILD_DIR=${BUILD_DIR:-build}
  SAN=OFF
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DMVNZ_SANITIZE=$SAN >/dev/null
cmake --build "$BUILD_DIR" -j "${MVNZ_JOBS:-$(nproc)}"
