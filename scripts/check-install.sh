#!/usr/bin/env bash
# The engine as a host program's developer gets it, from the configured and built $BUILD_DIR
# (default build):
#  1. installs it into a temporary prefix, where every public header compiles from <tumblix/...>,
#     the hello example builds with pkg-config alone and the editor definitions lie;
#  2. builds the examples against that prefix with find_package, runs hello and headless and
#     compares what they print with examples/*/expected_output.txt, and runs the windowed one
#     for 60 frames on SDL's offscreen driver;
#  3. starts the game installed in that prefix from another folder for a few frames on SDL's
#     offscreen driver, and checks its menu entry and icon;
#  4. makes the Debian packages, installs the engine's with dpkg -i, builds and runs the headless
#     example against it, installs the game's and plays it the same way, and removes both;
#  5. configures a host that adds Tumblix with add_subdirectory while GoogleTest, Google
#     Benchmark and zlib cannot be found: only the engine and its drivers are built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
work=$(mktemp -d)
package_installed=0
game_installed=0
cleanup() {
  ((package_installed == 0)) || dpkg -r libtumblix-dev >/dev/null
  ((game_installed == 0)) || dpkg -r puzzle-tumblix >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-install: $*" >&2; exit 1; }
# No box may wait for a click: every report goes to standard error only.
export TUMBLIX_NO_MESSAGE_BOXES=1

# Builds examples/$1 in $work/$2 with the extra configure arguments that follow.
build_example() {
  local example=$1 dir=$work/$2
  shift 2
  cmake -S "$root/examples/$example" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" >/dev/null
}

# Runs a built example in its folder (its scripts sit there) and compares its output.
run_and_compare() {
  local example=$1 dir=$work/$2
  (cd "$dir" && timeout 60 "./$example") >"$dir/output.txt" ||
    fail "$example ended with status $?"
  diff -u "$root/examples/$example/expected_output.txt" "$dir/output.txt" ||
    fail "$example printed something else (above)"
}

echo "== Install into a temporary prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
[[ -f $prefix/share/tumblix/editor/tumblix.lua ]] || fail "the editor definitions are not installed"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
(cd "$prefix/include" && find tumblix -name '*.h' -printf '#include <%p>\n') >"$work/headers.cpp"
g++ -std=c++20 -fsyntax-only $(pkg-config --cflags tumblix) "$work/headers.cpp" ||
  fail "the installed headers do not compile from <tumblix/...>"
mkdir "$work/hello-pc"
g++ -std=c++20 -o "$work/hello-pc/hello" "$root/examples/hello/main.cpp" \
  $(pkg-config --cflags --libs tumblix) || fail "hello does not build with pkg-config"
cp "$root/examples/hello/hero.lua" "$work/hello-pc/"
run_and_compare hello hello-pc

# Starts the game at $1 in a new folder $work/$2, on SDL's offscreen driver, which saves every
# frame it shows there as a BMP file. After a few frames it asks the game to quit, as the desktop
# does (SIGTERM), and checks that it ended well having shown its backdrop, so that its images
# were found from there.
play_from_elsewhere() {
  local game=$1 dir=$work/$2 status=0 tries
  mkdir "$dir"
  (cd "$dir" && exec env SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software \
    SDL_FRAMEBUFFER_ACCELERATION=0 SDL_VIDEO_OFFSCREEN_SAVE_FRAMES=1 DISPLAY= WAYLAND_DISPLAY= \
    "$game") >"$dir/out.txt" 2>"$dir/err.txt" &
  local pid=$!
  for ((tries = 0; tries < 600; tries++)); do
    [[ -f $dir/SDL_window1-00000005.bmp ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || status=$?
  ((status == 0)) || fail "$game ended with status $status: $(cat "$dir/err.txt")"
  [[ -f $dir/SDL_window1-00000005.bmp ]] || fail "$game showed no five frames"
  # Nothing is drawn over the side panel: the frame shows the backdrop's as it is.
  local panel=240x560+555+20
  convert "$dir/SDL_window1-00000005.bmp" -alpha off -crop "$panel" +repage "$dir/shown.png"
  convert "$root/resources/backdrop.png" -alpha off -crop "$panel" +repage "$dir/painted.png"
  [[ $(compare -metric AE "$dir/shown.png" "$dir/painted.png" null: 2>&1) == 0 ]] ||
    fail "$game did not show its backdrop"
  rm -f "$dir"/SDL_window*.bmp
}

echo "== The game, installed into the prefix and started from elsewhere"
for file in bin/puzzle-tumblix share/applications/puzzle-tumblix.desktop \
  share/icons/hicolor/128x128/apps/puzzle-tumblix.png; do
  [[ -f $prefix/$file ]] || fail "the game's install lacks $file"
done
desktop-file-validate "$prefix/share/applications/puzzle-tumblix.desktop" ||
  fail "the game's menu entry is not valid"
grep -qx "Exec=$prefix/bin/puzzle-tumblix" "$prefix/share/applications/puzzle-tumblix.desktop" ||
  fail "the game's menu entry does not start the installed program"
play_from_elsewhere "$prefix/bin/puzzle-tumblix" game

echo "== The examples against the prefix"
for example in hello headless windowed; do
  build_example "$example" "$example" -DCMAKE_PREFIX_PATH="$prefix"
done
run_and_compare hello hello
run_and_compare headless headless
(cd "$work/windowed" &&
  SDL_VIDEODRIVER=offscreen SDL_RENDER_DRIVER=software DISPLAY= WAYLAND_DISPLAY= \
    timeout 60 ./windowed 60) >"$work/windowed.txt" || fail "windowed ended with status $?"
grep -qx "Drew 60 frames." "$work/windowed.txt" || fail "windowed did not draw its 60 frames"

echo "== The Debian packages"
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(find "$work/package" -maxdepth 1 -name 'libtumblix-dev_*.deb')
game_deb=$(find "$work/package" -maxdepth 1 -name 'puzzle-tumblix_*.deb')
[[ -n $deb && -n $game_deb ]] || fail "cpack did not make both packages"
dpkg-deb -f "$deb" Depends
dpkg-deb -f "$game_deb" Depends
dpkg -i "$deb" >/dev/null
package_installed=1
unset PKG_CONFIG_PATH
build_example headless headless-deb
run_and_compare headless headless-deb
dpkg -r libtumblix-dev >/dev/null
package_installed=0
dpkg -i "$game_deb" >/dev/null
game_installed=1
play_from_elsewhere /usr/bin/puzzle-tumblix game-deb
dpkg -r puzzle-tumblix >/dev/null
game_installed=0

echo "== Tumblix as a subproject, without test or tool dependencies"
mkdir "$work/host"
cat >"$work/host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(host CXX)
add_subdirectory("$root" tumblix)
add_executable(hello "$root/examples/hello/main.cpp")
target_link_libraries(hello PRIVATE Tumblix::tumblix Tumblix::sdl)
CMAKE
cmake -S "$work/host" -B "$work/host/build" -G Ninja --no-warn-unused-cli -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_ZLIB=ON >/dev/null ||
  fail "a host cannot add Tumblix as a subproject without the test and tool dependencies"
targets=$(cmake --build "$work/host/build" --target help)
for target in unit_tests puzzle_tumblix state_dump bench_wait_cycle; do
  ! grep -q "^$target:" <<<"$targets" || fail "the subproject builds $target"
done
echo "The engine installs, packages and builds its examples as a host would; the game installs and plays."
