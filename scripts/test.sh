#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Extra arguments go to CMake's configure
# step (the CI's sanitizer build passes -DTUMBLIX_SANITIZE=ON with BUILD_DIR=build-asan).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
BUILD_DIR=$build "$root/scripts/build.sh" "$@"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
