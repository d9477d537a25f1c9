#!/usr/bin/env bash
# Runs the engine benchmark on an X server of its own (Xvfb), as the tests do.
#   bench/engine/run-bench.sh [BUILD_DIR] [MOVIE] [SECONDS]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
shift || true
bench="$build/bench/engine/engine_bench"
[ -x "$bench" ] || { echo "build the engine_bench target first ($bench)"; exit 1; }
exec "$(dirname "$0")/../with-xvfb" "$bench" "$@"
