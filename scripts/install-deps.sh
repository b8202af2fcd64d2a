#!/usr/bin/env bash
# Installs the Debian packages that building and running the game need and, unless the first
# argument is --game, those that the tests, benchmarks and tools need too; then any further
# packages named as arguments (the Windows build names its own). Does nothing when all of them
# are present, so the run and test commands can call it every time.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config liblua5.1-0-dev libsdl2-dev libsdl2-image-dev)
if [[ ${1:-} == --game ]]; then
  shift
else
  packages+=(
    zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev libluajit-5.1-dev
    clang libclang-rt-14-dev
    xvfb xauth xdotool imagemagick x11-utils openbox desktop-file-utils
  )
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}" >&2
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
