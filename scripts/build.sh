#!/usr/bin/env bash
# Configures and builds into $BUILD_DIR (default: build). Extra arguments go to CMake's
# configure step, e.g. -DTUMBLIX_SANITIZE=ON. $BUILD_TARGET limits the build to one target;
# GAME_ONLY=1 installs only the packages the game needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" ${GAME_ONLY:+--game}
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
