#!/usr/bin/env bash
# Runs the demo from an existing build folder ($1, default build).
set -euo pipefail
BUILD_DIR=${1:-build}
echo "The demo is not built yet."
