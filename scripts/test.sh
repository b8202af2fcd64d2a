#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to CMake's configure
# step (the CI's sanitizer build passes -DTUMBLIX_SANITIZE=ON with BUILD_DIR=build-asan).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
# Everything is built, whatever the play command last chose for this build folder.
BUILD_DIR=$build "$root/scripts/build.sh" -DTUMBLIX_BUILD_TESTS=ON -DTUMBLIX_BUILD_BENCHMARKS=ON \
  -DTUMBLIX_BUILD_TOOLS=ON -DTUMBLIX_BUILD_GAME=ON "$@"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
