#!/usr/bin/env bash
# Installs what the game needs, builds the game (only the game: no tests, benchmarks or tools,
# so none of their packages are needed), and starts Puzzle Tumblix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
GAME_ONLY=1 BUILD_TARGET=puzzle_tumblix "$root/scripts/build.sh" -DTUMBLIX_BUILD_GAME=ON \
  -DTUMBLIX_BUILD_TESTS=OFF -DTUMBLIX_BUILD_BENCHMARKS=OFF -DTUMBLIX_BUILD_TOOLS=OFF
cd "$root"   # the game finds its images under resources/
exec "${BUILD_DIR:-$root/build}/app/puzzle_tumblix"
