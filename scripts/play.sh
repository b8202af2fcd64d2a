#!/usr/bin/env bash
# Installs what is missing, builds, and starts Puzzle Tumblix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
cd "$root"   # the game finds its images under resources/
exec "${BUILD_DIR:-$root/build}/app/puzzle_tumblix"
