#!/usr/bin/env bash
# Runs the playing benchmark on an X server of its own (Xvfb), as the tests do.
#   bench/playing/run-bench.sh [BUILD_DIR] open|cpu|memory [ARGS...]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
shift || true
bench="$build/bench/playing/playing_bench"
[ -x "$bench" ] || { echo "build the playing_bench target first ($bench)"; exit 1; }
for n in $(seq 171 199); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  DISPLAY=":$n" "$bench" "$@"
  exit $?
done
echo "no free display number"; exit 1
