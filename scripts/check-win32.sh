#!/usr/bin/env bash
# The Windows build's check, on this Linux machine:
#  1. cross-builds the game's .exe and the Win32 driver's tests (scripts/build-win32.sh), and
#     builds the Linux game in build/;
#  2. runs the driver's tests under Wine 8 inside Xvfb, in a fresh Wine prefix;
#  3. plays the Windows game under Wine and the Linux game side by side, each on its own Xvfb
#     screen and in the same way: answers the start-up format warning, moves the first pair
#     three columns left (each press paced by the board the game shows, so that a slow machine
#     loses none), waits until the board has filled up (read from the board itself) and the
#     picture stands still, captures the client area, and closes the window;
#  4. compares the two pictures: equal outside the board, within 4 levels on the board, where
#     every cell is alpha-blended; and the Windows game must have exited with status 0.
# Installs what is missing first. Pictures and logs stay in $CHECK_OUT (default
# build-win32/check).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/lib/x11.sh
source scripts/lib/game-pictures.sh

out=${CHECK_OUT:-$root/build-win32/check}
screen=1280x1024x24

scripts/install-deps.sh wine wine64 g++-mingw-w64-x86-64-posix dpkg-dev debian-archive-keyring
scripts/build-win32.sh
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target puzzle_tumblix
rm -rf "$out"
mkdir -p "$out"

# Wine keeps its state in a prefix: a fresh one for every run, never the user's.
export WINEPREFIX="$out/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer boxes
servers=()
cleanup() {
  jobs -p | xargs -r kill 2>/dev/null || true
  timeout 20 wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"  # some 700 MB, and never reused
  for pid in "${servers[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

x11_start "$screen" "$out/xvfb-windows.log"
windows_display=$XVFB_DISPLAY
servers+=("$XVFB_PID")
x11_start "$screen" "$out/xvfb-linux.log"
linux_display=$XVFB_DISPLAY
servers+=("$XVFB_PID")

# The Windows path of a file, through the Z: drive that maps the Unix root.
windows_path() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}

# Wine's server records a program's exit status when its last thread ends, and kills the process
# if it has not gone half a second later, which on a loaded machine it may not have: its Unix
# status then reads "killed" for a program that ended well. So Windows programs run from a batch
# file, which cmd waits on, and which writes the program's own status to a file.
#
# Writes $out/<name>.bat, which runs `program` (a file, or one of Wine's own programs) with
# `args` and writes its status to $out/<name>.status.
wine_batch() {
  local name=$1 program=$2 line arg
  shift 2
  [[ -f $program ]] && program=$(windows_path "$program")
  line="\"$program\""
  for arg in "$@"; do
    line+=" \"$arg\""
  done
  # The space before '>' keeps a one-digit status from being read as a handle number.
  printf '@%s\r\n@echo %%errorlevel%% >"%s"\r\n' "$line" "$(windows_path "$out/$name.status")" \
    >"$out/$name.bat"
  rm -f "$out/$name.status"
}

# The status that $out/<name>.bat wrote, or nothing when it wrote none.
wine_status() {
  tr -d ' \r\n' <"$out/$1.status" 2>/dev/null || true
}

# Runs `program` with `args` as wine_batch does, within `seconds`, its output going to standard
# output; true when it exited with status 0.
wine_run() {
  local seconds=$1 name
  shift
  name=$(basename "$(mktemp -u "$out/wine-run.XXXXXX")")
  wine_batch "$name" "$@"
  timeout -k 10 "$seconds" wine cmd /c "$(windows_path "$out/$name.bat")" || true
  local status
  status=$(wine_status "$name")
  [[ $status == 0 ]] || { echo "$1 exited with status '${status:-none}'" >&2; return 1; }
}

# One Wine server for the whole check, kept even while no program runs. A server left without
# programs shuts itself down 3 seconds later and refuses to start programs while it does, which
# the next program of a check on a loaded machine may run into.
start_wineserver() {
  wineserver -p >>"$out/wineserver.log" 2>&1
}

prepare_wine() {
  mkdir -p "$WINEPREFIX"
  start_wineserver
  wine_run 180 wineboot --init >"$out/wineboot.log" 2>&1
  local reg=(wine_run 60 reg add)
  # Unmanaged windows answer at once under a bare X server, where managed ones wait seconds.
  "${reg[@]}" 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  # A virtual desktop lists the common display modes below its size (Xvfb offers only its
  # own), so the game's own rules find the windowed 800 x 600 they ask for.
  "${reg[@]}" 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  "${reg[@]}" 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${screen%x*}" /f >/dev/null
  # The settings take effect from the server's next start.
  timeout 60 wineserver -k
  timeout 60 wineserver -w
  start_wineserver
}

# Only 64-bit Wine is installed, and a 32-bit program that cannot start under it still ends
# with status 0: make sure both programs are 64-bit before trusting any status.
for program in build-win32/app/puzzle_tumblix.exe build-win32/tests/win32/win32_tests.exe; do
  x86_64-w64-mingw32-objdump -f "$program" | grep -q 'file format pei-x86-64' ||
    { echo "$program is not a 64-bit Windows program" >&2; exit 1; }
done

echo "== Win32 driver tests under Wine"
export DISPLAY=$windows_display
prepare_wine
wine_run 300 build-win32/tests/win32/win32_tests.exe

echo "== The game under Wine and on Linux"
(
  export DISPLAY=$windows_display
  wine_batch windows-game build-win32/app/puzzle_tumblix.exe  # windows.status is then cmd's
  play windows keys timeout -k 10 1800 wine cmd /c "$(windows_path "$out/windows-game.bat")"
) &
windows_play=$!
(
  export DISPLAY=$linux_display
  play linux signal timeout -k 10 1800 build/app/puzzle_tumblix
) &
linux_play=$!
failed=0
wait "$windows_play" || failed=1
wait "$linux_play" || failed=1
((failed == 0)) || { echo "a game could not be played through (logs in $out)" >&2; exit 1; }

windows_status=$(wine_status windows-game)
[[ $windows_status == 0 ]] || { echo "the Windows game exited with $windows_status" >&2; exit 1; }
compare_pictures linux windows || {
  echo "the Windows picture differs from the Linux one ($out/windows.png, $out/linux.png)" >&2
  exit 1
}
echo "The Windows game matches the Linux game and exited with status 0."
