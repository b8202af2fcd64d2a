# shellcheck shell=bash disable=SC2154  # $out is set by the script that sources this file
# Puzzle Tumblix played the same way by the checks of each build, and the pictures compared.
# Source this file after scripts/lib/x11.sh; pictures and logs go to the folder $out.
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/board_reader.sh"

board_region="25,35 536,546"  # the 16 x 16 cells of 32 pixels from (25, 35)

# Waits for the first pair near the top of the game's window `game` (client area `client`)
# and moves it three columns left.
move_first_pair() {
  local game=$1 client=$2 deadline=$((SECONDS + 120))
  until first_pair_near_top "$client"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
  x11_focus "$game"
  move_pair "$client" Left 3 300
}

# Waits until the pairs have stacked up to the top of the board in `client`, however slowly the
# game goes on a loaded machine; false only when its board stops changing for two minutes. (A
# picture that holds still for some seconds is no sign of a full board: a slow game may not reach
# its next step in them.)
wait_for_full_board() {
  local seen="" changed=$SECONDS
  until entry_column_full "$1"; do
    if [[ ${board[*]} != "$seen" ]]; then
      seen=${board[*]}
      changed=$SECONDS
    fi
    ((SECONDS - changed < 120)) || return 1
    sleep 1
  done
}

# Plays the game that `command` starts, on $DISPLAY: answers the start-up box, moves the first
# pair three columns left (each press paced by the board the game shows, so that a slow machine
# loses none), and once the board has filled up and the picture stands still, captures the
# 800 x 600 client area into $out/<name>.png; <name>.log keeps what it printed. Closes the
# window with `close` ("keys" for Alt+F4, "signal" for SIGTERM) and leaves the program's exit
# status in $out/<name>.status. The program runs in a process group of its own, so that
# whatever it started can be ended with it.
play() {
  local name=$1 close=$2 game status=0
  shift 2
  setsid "$@" >"$out/$name.log" 2>&1 &
  local pid=$!
  if game=$(x11_wait_window "Puzzle Tumblix" 120 "$pid" Engine); then
    local client
    client=$(x11_client_window "$game" 800 600)
    work="$out/$name-board"  # where the board reader keeps its screenshots
    mkdir -p "$work"
    if ! move_first_pair "$game" "$client"; then
      echo "$name: the first pair could not be moved three columns left" >&2
      status=1
    elif ! wait_for_full_board "$client"; then
      echo "$name: the board stopped changing before it filled up" >&2
      status=1
    else
      x11_capture_still "$client" "$out/$name.png" 3 60 || status=1
    fi
    if [[ $close == keys ]]; then
      x11_press "$game" alt+F4
    else
      kill -TERM "$pid"
    fi
  else
    status=1
  fi
  local waited=0
  while kill -0 "$pid" 2>/dev/null && ((waited < 60)); do
    sleep 0.5
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "$name did not end after its window was closed" >&2
    kill -KILL -- "-$pid" 2>/dev/null || true
    status=1
  fi
  local exit_status=0
  wait "$pid" || exit_status=$?
  echo "$exit_status" >"$out/$name.status"
  return "$status"
}

# Compares $out/`first`.png with $out/`second`.png: equal outside the board; within 4 of 255
# levels per channel on the board, where every cell is alpha-blended: the renderers round blends
# differently (SDL's software renderer, which the Linux game picks under Xvfb, tints and then
# blends, each dividing by 256, and so comes out up to 4 levels below Direct3D's and WebGL's
# exact blends). (ImageMagick's policy refuses to read pipes, so the pieces go through files.)
compare_pictures() {
  local first=$1 second=$2 picture size outside crop peak
  for picture in "$out/$first.png" "$out/$second.png"; do
    [[ -s $picture ]] || { echo "no screenshot: $picture" >&2; return 1; }
    size=$(identify -format '%wx%h' "$picture")
    [[ $size == 800x600 ]] || { echo "$picture is $size, not 800x600" >&2; return 1; }
  done
  crop=$(awk -v r="$board_region" 'BEGIN { split(r, p, /[ ,]/);
    printf "%dx%d+%d+%d", p[3] - p[1] + 1, p[4] - p[2] + 1, p[1], p[2] }')
  for picture in "$first" "$second"; do
    convert "$out/$picture.png" -fill black -draw "rectangle $board_region" \
      "$out/$picture-outside.png"
    convert "$out/$picture.png" -crop "$crop" +repage "$out/$picture-board.png"
  done
  outside=$(compare -metric AE "$out/$first-outside.png" "$out/$second-outside.png" null: 2>&1 ||
    true)
  peak=$(compare -metric PAE "$out/$first-board.png" "$out/$second-board.png" null: 2>&1 || true)
  echo "pixels that differ outside the board: $outside; largest difference on it: $peak"
  [[ $outside == 0 ]] || return 1
  # PAE prints the peak in quantum units, then normalised to 1 in brackets.
  awk -v p="$peak" 'BEGIN { split(p, a, /[()]/); exit !(a[2] != "" && a[2] * 255 <= 4.0001) }'
}
