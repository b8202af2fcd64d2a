#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for $1 seconds (default 60), seeded with
# the state files under tests/data. Any crash, leak, timeout (1 s) or oversized allocation fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${BUILD_DIR:-$root/build-fuzz}
"$root/scripts/install-deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTUMBLIX_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target state_file_fuzz
corpus=$(mktemp -d) && trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/data/*.state "$corpus"/
"$build/fuzz/state_file_fuzz" "$corpus" -max_total_time="$seconds" -timeout=1 \
  -malloc_limit_mb=100 -print_final_stats=1 -artifact_prefix="$build/"
