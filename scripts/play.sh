#!/usr/bin/env bash
# Installs what is missing, builds the game (only the game: no tests), and starts Puzzle Tumblix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_TARGET=puzzle_tumblix "$root/scripts/build.sh"
cd "$root"   # the game finds its images under resources/
exec "${BUILD_DIR:-$root/build}/app/puzzle_tumblix"
