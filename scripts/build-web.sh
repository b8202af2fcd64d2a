#!/usr/bin/env bash
# Builds the web version with Debian 12's emscripten into build-web/ (WEB_BUILD_DIR to build
# elsewhere), installing what is missing first:
#   build-web/index.html and puzzle_tumblix.{js,wasm,data}   the game
#   build-web/windowed/                                       the windowed example, built as a
#                                                             host builds against the engine
#   build-web/storage-check/                                  the check's save-and-reload host
# Serve the folder with any static web server. SDL2, SDL2_image and Lua 5.1 are compiled for the
# web from Debian's source packages, fetched into the build folder on the first build and kept
# there (scripts/lib/debian-source.sh). Extra arguments go to the engine's CMake configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${WEB_BUILD_DIR:-$root/build-web}
jobs=$(nproc)
"$root/scripts/install-deps.sh" --game emscripten dpkg-dev debian-archive-keyring python3

# Debian's emscripten runs its JavaScript tools with the machine's node; they need Debian's
# acorn, which another node (not Debian's) finds only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
source "$root/scripts/lib/debian-source.sh"

deps=$build/deps
prefix=$deps/prefix
# Emscripten's CMake looks for packages inside its own system root only, where SDL2 stands for
# its SDL port (fetched from the internet): the ones built here are named by their folders.
sdl_packages=(-DSDL2_DIR="$prefix/lib/cmake/SDL2" -DSDL2_image_DIR="$prefix/lib/cmake/SDL2_image")

# Builds and installs the Debian source package `package` into $prefix with emcmake and the
# given CMake options, once: a later build finds it done and leaves it.
build_dependency() {
  local package=$1 tree
  shift
  local done_mark=$prefix/.built-$package
  [[ -f $done_mark ]] && return 0
  echo "build-web: fetching and building $package for the web (once)" >&2
  rm -rf "${deps:?}/$package" "$deps/$package-build"
  tree=$(debian_source "$package" "$deps/$package" "$deps/apt")
  emcmake cmake -S "$tree" -B "$deps/$package-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${sdl_packages[@]}" "$@" >"$deps/$package.log"
  cmake --build "$deps/$package-build" -j "$jobs" >>"$deps/$package.log"
  cmake --install "$deps/$package-build" >>"$deps/$package.log"
  basename "$tree" >"$done_mark"
}

mkdir -p "$deps"
# The engine opens video and events only: no audio, joysticks or sensors to carry. The answers
# to SDL's configure checks are known (scripts/lib/sdl2-emscripten-checks.cmake).
build_dependency libsdl2 -C "$root/scripts/lib/sdl2-emscripten-checks.cmake" -DSDL_SHARED=OFF \
  -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF \
  -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF
# stb_image (in Debian's source) reads the PNG images, so no libpng or zlib is needed. Only PNG
# is read: the other formats stay out of the program.
build_dependency libsdl2-image -DBUILD_SHARED_LIBS=OFF -DSDL2IMAGE_BACKEND_STB=ON \
  -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF -DSDL2IMAGE_PNG_SAVE=OFF \
  -DSDL2IMAGE_{AVIF,BMP,GIF,JPG,JXL,LBM,PCX,PNM,QOI,SVG,TGA,TIF,WEBP,XCF,XPM,XV}=OFF

# SDL2_image 2.6's package config asks for libpng even when stb_image reads PNG, and offers only
# SDL2_image::SDL2_image-static for a static build: mend both, as SDL2's own config does.
image_config=$prefix/lib/cmake/SDL2_image/SDL2_imageConfig.cmake
if ! grep -q 'NOT SDL2IMAGE_BACKEND_STB AND NOT TARGET PNG::PNG' "$image_config"; then
  sed -i 's/^if(SDL2IMAGE_PNG AND NOT SDL2IMAGE_VENDORED AND/& NOT SDL2IMAGE_BACKEND_STB AND/' \
    "$image_config"
  grep -q 'NOT SDL2IMAGE_BACKEND_STB AND NOT TARGET PNG::PNG' "$image_config" ||
    { echo "build-web: unexpected $image_config" >&2; exit 1; }
  cat >>"$image_config" <<'CONFIG'
if(TARGET SDL2_image::SDL2_image-static AND NOT TARGET SDL2_image::SDL2_image)
  add_library(SDL2_image::SDL2_image INTERFACE IMPORTED)
  set_target_properties(SDL2_image::SDL2_image PROPERTIES
                        INTERFACE_LINK_LIBRARIES SDL2_image::SDL2_image-static)
endif()
CONFIG
fi

# The engine, the game and the check's host, then the engine installed for hosts.
engine=$build/engine
emcmake cmake -S "$root" -B "$build/build" -G Ninja -DTUMBLIX_PLATFORM=web \
  -DCMAKE_BUILD_TYPE=Release "${sdl_packages[@]}" "$@" >/dev/null
cmake --build "$build/build" -j "$jobs"
cmake --install "$build/build" --prefix "$engine" >/dev/null

# The windowed example, built as a host builds its game against the installed engine.
emcmake cmake -S "$root/examples/windowed" -B "$build/windowed-build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DTumblix_DIR="$engine/lib/cmake/Tumblix" "${sdl_packages[@]}" \
  >/dev/null
cmake --build "$build/windowed-build" -j "$jobs"

# Each page in a folder of its own, the game's at the top.
copy_page() {
  local from=$1 program=$2 to=$3 suffix
  mkdir -p "$to"
  for suffix in .js .wasm .data; do
    [[ $suffix != .data || -f $from/$program$suffix ]] || continue  # a page with no files
    cp "$from/$program$suffix" "$to/"
  done
  cp "$from/index.html" "$to/"
}
copy_page "$build/build/app" puzzle_tumblix "$build"
copy_page "$build/windowed-build" windowed "$build/windowed"
copy_page "$build/build/tests/web" storage_check "$build/storage-check"
echo "build-web: the game is in $build (index.html), the windowed example in $build/windowed" >&2
