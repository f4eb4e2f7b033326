#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Ends non-zero on any failure.
# MVNZ_SANITIZE=1 runs the same tests in an ASan/UBSan build, leaks looked for.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ "${MVNZ_SANITIZE:-0}" = "1" ]; then BUILD_DIR=${BUILD_DIR:-build-asan}; else BUILD_DIR=${BUILD_DIR:-build}; fi
export QT_QPA_PLATFORM=offscreen MVNZ_POWER_DRYRUN=1 MVNZ_UPDATE_SERVER=127.0.0.1:9
# Leaks are looked for too; what the suppressions name lies in libraries of the system.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
ctest --test-dir "$BUILD_DIR" -j "${MVNZ_JOBS:-$(nproc)}" --output-on-failure --timeout 300
