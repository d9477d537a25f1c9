#!/usr/bin/env bash
# Runs the playing benchmark on an X server of its own (Xvfb), as the tests do.
#   bench/playing/run-bench.sh [BUILD_DIR] open|cpu|memory [ARGS...]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
shift || true
bench="$build/bench/playing/playing_bench"
[ -x "$bench" ] || { echo "build the playing_bench target first ($bench)"; exit 1; }
exec "$(dirname "$0")/../with-xvfb" "$bench" "$@"
