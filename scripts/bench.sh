#!/usr/bin/env bash
# Runs every benchmark of a build once and prints the lines each ends with (TIME, REFERENCE,
# RATIO, and the figures some print beside them). $BUILD_DIR as for test.sh; extra arguments go to every
# benchmark, e.g. --benchmark_min_time=0.05 for a quick pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
for bench in "$build"/bench/bench_*; do
  echo "== $(basename "$bench")"
  "$bench" "$@" | grep -E '^(TIME|RATIO|REFERENCE|MEMORY|SOAK) ' || true
done
