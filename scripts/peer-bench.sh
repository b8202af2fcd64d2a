#!/usr/bin/env bash
# The peer benchmark: Tumblix against LÖVE 11.4 (Debian's `love`, LuaJIT inside) on the same
# work, the Tumblix host of bench/peer and the LÖVE project of bench/peer/love alternated in
# every round, on a private X server for the windowed workloads. The scripted workloads run a
# third time on each build as its floor (peer_host scripts-floor): the same Lua work the
# engine's design asks for, in a bare host without the engine's bookkeeping, so a reader sees
# how much of the gap to LÖVE is the engine's and how much the design's:
#
#   frame_10k, frame_100k  10,000 and 100,000 scripted objects, ms of processor time per frame
#                          of 0.01 s (1,000 frames); every object waits a random 0.1 to 1 s
#                          and counts its wakes
#   rss_10k                growth of the resident memory with those 10,000 objects, in MB
#   create_10k             creating and starting the 10,000, ms of processor time
#   sprites_cpu_10k, _50k  an 800 x 600 backdrop and 10,000 or 50,000 moving 32 x 32 sprites
#                          of one alpha-blended image, both on OpenGL: the drawing thread's
#                          processor time per frame, in ms
#   sprites_wall_10k, _50k the same frames in wall time, each engine on the renderer it picks
#                          by itself
#   startup                from starting the program to its first presented frame, in ms
#
# Usage: ./scripts/peer-bench.sh [rounds]   (5 unless given; the medians need at least 5)
# PEER_BACKENDS names the Tumblix builds to measure (default "lua5.1 luajit"), each a Release
# build in build-peer-<backend>. For every workload and build it prints the medians of Tumblix,
# its floor and LÖVE with the range of the rounds, then the median of the rounds' ratios,
# Tumblix ÷ LÖVE, in a line "RATIO peer_<workload>_<build> <ratio> range <lowest>-<highest>",
# and after those the floor's, floor ÷ LÖVE, as "RATIO peer_floor_<workload>_<build> ...".
# Fails when a program fails or when the engines' objects did not wake equally often.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
peer=$root/bench/peer
rounds=${1:-5}
read -r -a backends <<<"${PEER_BACKENDS:-lua5.1 luajit}"
sprite_frames_10k=${PEER_SPRITE_FRAMES_10K:-60}
sprite_frames_50k=${PEER_SPRITE_FRAMES_50K:-20}
script_frames=1000

fail() {
  echo "peer-bench: $*" >&2
  exit 1
}

[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "rounds must be a positive number, not '$rounds'"
for backend in "${backends[@]}"; do
  [[ $backend == lua5.1 || $backend == luajit ]] || fail "unknown backend '$backend'"
done

"$root/scripts/install-deps.sh" love
for backend in "${backends[@]}"; do
  echo "Building the Release host on $backend..." >&2
  BUILD_DIR="$root/build-peer-$backend" BUILD_TARGET=peer_host "$root/scripts/build.sh" \
    -DCMAKE_BUILD_TYPE=Release -DTUMBLIX_LUA="$backend" -DTUMBLIX_BUILD_TESTS=OFF \
    -DTUMBLIX_BUILD_GAME=OFF -DTUMBLIX_BUILD_TOOLS=OFF -DTUMBLIX_BUILD_BENCHMARKS=ON >/dev/null
done

work=$(mktemp -d)
XVFB_PID=
cleanup() {
  [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$root/scripts/lib/x11.sh"
x11_start 1024x768x24 "$work/xvfb.log"
export DISPLAY=$XVFB_DISPLAY
unset SDL_VIDEODRIVER SDL_RENDER_DRIVER
export TUMBLIX_NO_MESSAGE_BOXES=1
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/values"

engines=()
script_engines=()  # the scripted workloads' engines: the floors too
for backend in "${backends[@]}"; do
  engines+=("tumblix-$backend")
  script_engines+=("tumblix-$backend" "floor-$backend")
done
engines+=(love)
script_engines+=(love)

# Runs one program of `engine` with the arguments of a workload (and, for Tumblix, the
# environment given before them) and leaves its "name value" lines in $work/out.
run() {
  local engine=$1
  shift
  local -a environment=() command
  while [[ $1 == *=* ]]; do
    environment+=("$1")
    shift
  done
  if [[ $engine == love ]]; then
    command=(love "$peer/love" "$@")
  else
    command=("$root/build-peer-${engine#*-}/bench/peer/peer_host" "$@")
  fi
  if ! env "${environment[@]}" "${command[@]}" >"$work/out" 2>"$work/err"; then
    tail -n 20 "$work/err" >&2
    fail "$engine failed: ${command[*]}"
  fi
}

# The value of `name` in the last run's lines.
field() {
  local value
  value=$(awk -v name="$1" '$1 == name { print $2; exit }' "$work/out")
  [[ -n $value ]] || fail "no $1 in the output of the last run: $(cat "$work/out")"
  echo "$value"
}

# Notes one round's `metric` for `engine`: the value of `name` in the last run's lines.
note() {
  local value
  value=$(field "$3")
  echo "$value" >>"$work/values/$1.$2"
}

# Every engine must wake the same objects equally often: the total of the wakes and a checksum
# of who woke how often, the same in every run of `objects`.
check_wakes() {
  local engine=$1 objects=$2 wakes checksum
  wakes=$(field wakes)
  checksum=$(field checksum)
  wakes="$wakes $checksum"
  if [[ ! -e $work/wakes.$objects ]]; then
    echo "$wakes $engine" >"$work/wakes.$objects"
  fi
  local expected
  read -r -a expected <"$work/wakes.$objects"
  if [[ "${expected[0]} ${expected[1]}" != "$wakes" ]]; then
    fail "wakes of $objects objects disagree: $engine woke $wakes (total, checksum)," \
      "${expected[2]} ${expected[0]} ${expected[1]}"
  fi
}

scripts_workload() {
  local engine=$1 objects=$2 suffix=$3
  if [[ $engine == love ]]; then
    run love scripts "$objects" "$script_frames"
  elif [[ $engine == floor-* ]]; then
    run "$engine" scripts-floor "$objects" "$script_frames" "$peer/sleeper.lua"
  else
    run "$engine" scripts "$objects" "$script_frames" "$peer/sleeper.lua"
  fi
  check_wakes "$engine" "$objects"
  note "$engine" "frame_$suffix" frame_ms
  if [[ $objects == 10000 ]]; then
    note "$engine" create_10k create_ms
    note "$engine" rss_10k rss_mb_per_10k
  fi
}

# LÖVE draws on OpenGL whatever it is asked, so one run gives both its figures.
sprites_workload() {
  local engine=$1 sprites=$2 frames=$3 suffix=$4
  if [[ $engine == love ]]; then
    run love sprites "$sprites" "$frames"
    note love "sprites_cpu_$suffix" frame_cpu_ms
    note love "sprites_wall_$suffix" frame_wall_ms
    renderer=$(grep '^renderer ' "$work/out" | cut -d' ' -f2-)
  else
    run "$engine" SDL_RENDER_DRIVER=opengl sprites "$sprites" "$frames" "$peer/love"
    note "$engine" "sprites_cpu_$suffix" frame_cpu_ms
    run "$engine" sprites "$sprites" "$frames" "$peer/love"
    note "$engine" "sprites_wall_$suffix" frame_wall_ms
  fi
}

startup_workload() {
  local engine=$1 start
  start=$EPOCHREALTIME
  if [[ $engine == love ]]; then
    run love startup
  else
    run "$engine" startup "$peer/love" "$peer/sleeper.lua"
  fi
  local end
  end=$(field first_frame_us)
  awk -v start="${start/./}" -v end="$end" 'BEGIN { printf "%.1f\n", (end - start) / 1000 }' \
    >>"$work/values/$engine.startup"
}

renderer=unknown
for ((round = 0; round < rounds; ++round)); do
  echo "Round $((round + 1)) of $rounds..." >&2
  # Each round starts with another engine, so none always runs first, or right after another.
  order=()
  for ((i = 0; i < ${#engines[@]}; ++i)); do
    order+=("${engines[(i + round) % ${#engines[@]}]}")
  done
  script_order=()
  for ((i = 0; i < ${#script_engines[@]}; ++i)); do
    script_order+=("${script_engines[(i + round) % ${#script_engines[@]}]}")
  done
  for engine in "${script_order[@]}"; do scripts_workload "$engine" 10000 10k; done
  for engine in "${script_order[@]}"; do scripts_workload "$engine" 100000 100k; done
  for engine in "${order[@]}"; do sprites_workload "$engine" 10000 "$sprite_frames_10k" 10k; done
  for engine in "${order[@]}"; do sprites_workload "$engine" 50000 "$sprite_frames_50k" 50k; done
  for engine in "${order[@]}"; do startup_workload "$engine"; done
done

# "median lowest highest" of the numbers in a file, one a line.
summary() {
  sort -g "$1" | awk '{ v[NR] = $1 }
    END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%.4g %.4g %.4g\n", m, v[1], v[NR] }'
}

metrics=(frame_10k frame_100k rss_10k create_10k sprites_cpu_10k sprites_cpu_50k
  sprites_wall_10k sprites_wall_50k startup)
declare -A units=([rss_10k]=MB)

# "median [lowest - highest]" of `engine`'s `metric`, with its unit.
cell() {
  local median low high
  read -r median low high < <(summary "$work/values/$1.$2")
  echo "$median ${units[$2]:-ms} [$low - $high]"
}

# "median lowest highest" of the rounds' ratios of `engine`'s `metric` to LÖVE's.
ratio() {
  paste "$work/values/$1.$2" "$work/values/love.$2" | awk '{ print $1 / $2 }' >"$work/ratios"
  summary "$work/ratios"
}

echo
echo "Medians of $rounds alternated rounds [lowest - highest]. The ratios, to LÖVE, are the"
echo "medians of the rounds' ratios. The floor is the scripted work bare, without the engine's"
echo "bookkeeping. LÖVE draws on $renderer;"
echo "Tumblix's sprites_cpu on OpenGL, its sprites_wall on the renderer SDL picks."
ratios=()
for backend in "${backends[@]}"; do
  engine=tumblix-$backend
  floor=floor-$backend
  floor_ratios=()
  echo
  echo "== Tumblix on $backend"
  # (Ö and ÷ take two bytes each, which printf counts as two columns.)
  printf '%-17s %-28s %-28s %-29s %-27s %s\n' workload Tumblix floor LÖVE "Tumblix ÷ LÖVE" \
    "floor ÷ LÖVE"
  for metric in "${metrics[@]}"; do
    read -r tumblix_ratio tumblix_low tumblix_high < <(ratio "$engine" "$metric")
    floor_cell=-
    floor_ratio_cell=-
    if [[ -e $work/values/$floor.$metric ]]; then
      floor_cell=$(cell "$floor" "$metric")
      read -r floor_ratio floor_low floor_high < <(ratio "$floor" "$metric")
      floor_ratio_cell="$floor_ratio [$floor_low - $floor_high]"
      range=$floor_low-$floor_high
      floor_ratios+=("RATIO peer_floor_${metric}_${backend/./} $floor_ratio range $range")
    fi
    printf '%-17s %-28s %-28s %-28s %-25s %s\n' "$metric" "$(cell "$engine" "$metric")" \
      "$floor_cell" "$(cell love "$metric")" "$tumblix_ratio [$tumblix_low - $tumblix_high]" \
      "$floor_ratio_cell"
    ratios+=("RATIO peer_${metric}_${backend/./} $tumblix_ratio range $tumblix_low-$tumblix_high")
  done
  ratios+=("${floor_ratios[@]}")
done
echo
printf '%s\n' "${ratios[@]}"
