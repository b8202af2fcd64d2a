#!/usr/bin/env bash
# Cross-builds the Windows program (build-win32/app/puzzle_tumblix.exe) and the Win32 driver's
# tests with Debian's 64-bit mingw-w64, installing what is missing first. Lua 5.1 comes from
# Debian's lua5.1 source package, fetched into the build tree on the first build. Set
# WIN32_BUILD_DIR to build elsewhere; extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WIN32_BUILD_DIR:-$root/build-win32}
"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix dpkg-dev debian-archive-keyring
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
