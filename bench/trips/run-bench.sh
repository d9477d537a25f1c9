#!/usr/bin/env bash
# Runs the trips benchmark on an X server of its own (Xvfb), as the tests do.
#   bench/trips/run-bench.sh [BUILD_DIR] [FOLDER [ROUNDS [--without-trips]]]
# Without a folder, 500 one-minute recordings of one drive are made once (a few minutes) into
# ${VINDREL_BENCH_TRIPS:-/tmp/vindrel-bench-trips}/card.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
bench="$build/bench/trips/trips_bench"
[ -x "$bench" ] || { echo "build the trips_bench target first ($bench)"; exit 1; }
folder=${1:-}
rounds=${2:-2}
extra=${3:-}
if [ -z "$folder" ]; then
  card=${VINDREL_BENCH_TRIPS:-/tmp/vindrel-bench-trips}/card
  if [ ! -f "$card/.complete" ]; then
    echo "Making 500 one-minute recordings in $card (a few minutes)..."
    rm -rf "$card"
    "$root/tools/make-sample-recording" card "$card" --count 500 --seconds 60 --size 160x90 --fps 2 >/dev/null
    touch "$card/.complete"
  fi
  folder="$card/DCIM/100MEDIA"
fi
exec "$(dirname "$0")/../with-xvfb" "$bench" "$folder" "$rounds" $extra
