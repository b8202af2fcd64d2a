#!/usr/bin/env bash
# The web build's check, in Debian's Chromium, headless, driven by playwright-core (the version
# in tests/web/package-lock.json, set up in the build folder; never a downloaded browser):
#  1. builds the web version (scripts/build-web.sh) and the Linux game (build/);
#  2. serves build-web/ on 127.0.0.1 and plays the game's page (tests/web/check_pages.mjs):
#     answers the start-up box in the page's dialog, moves the first pair three columns left,
#     and takes the canvas's picture once the board has filled up; meanwhile the Linux game is
#     played the same way on Xvfb;
#  3. compares the two pictures: equal outside the board, within 4 levels on it;
#  4. starts the windowed example's page, and loads and reloads the storage check's page, whose
#     second start must find the first start's save and log entry.
# Any error in a page's console fails it. Installs what is missing first. Pictures and logs stay
# in $CHECK_OUT (default build-web/check).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/lib/x11.sh
source scripts/lib/game-pictures.sh

web=${WEB_BUILD_DIR:-$root/build-web}
out=${CHECK_OUT:-$web/check}
# Another node than Debian's may bring npm with it; Debian's comes as its own package.
command -v npm >/dev/null || scripts/install-deps.sh nodejs npm
scripts/install-deps.sh chromium nodejs python3
WEB_BUILD_DIR=$web scripts/build-web.sh
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target puzzle_tumblix
rm -rf "$out"
mkdir -p "$out"

# playwright-core as the lock file pins it, installed again only when the lock file changes.
tools=$web/check-tools
if ! cmp -s tests/web/package-lock.json "$tools/package-lock.json"; then
  rm -rf "$tools"
  mkdir -p "$tools"
  cp tests/web/package.json tests/web/package-lock.json tests/web/.npmrc "$tools/"
  (cd "$tools" && npm ci --no-audit --no-fund >/dev/null)
fi
cp tests/web/check_pages.mjs "$tools/"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

# A static server on a free port of 127.0.0.1, as any web server would serve the folder.
python3 -u -m http.server --bind 127.0.0.1 --directory "$web" 0 >"$out/server.log" 2>&1 &
pids+=("$!")
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^Serving HTTP on [0-9.]* port \([0-9]*\).*/\1/p' "$out/server.log")
  [[ -n $port ]] && break
  sleep 0.1
done
[[ -n $port ]] || { echo "the web server did not start (see $out/server.log)" >&2; exit 1; }

x11_start 1280x1024x24 "$out/xvfb.log"
pids+=("$XVFB_PID")
(
  export DISPLAY=$XVFB_DISPLAY
  play linux signal timeout -k 10 600 build/app/puzzle_tumblix
) &
linux_play=$!

echo "== The web pages in Chromium"
failed=0
timeout -k 10 900 node "$tools/check_pages.mjs" "http://127.0.0.1:$port" "$out" || failed=1
wait "$linux_play" || { echo "the Linux game could not be played through (see $out)" >&2; exit 1; }
((failed == 0)) || { echo "the web pages failed their check (above)" >&2; exit 1; }
compare_pictures linux game || {
  echo "the web game's picture differs from the Linux one ($out/game.png, $out/linux.png)" >&2
  exit 1
}
echo "The web game matches the Linux game, the pages ran without errors, a save survived a reload."
