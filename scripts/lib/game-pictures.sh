# shellcheck shell=bash disable=SC2154  # $out is set by the script that sources this file
# Puzzle Tumblix played the same way by the checks of each build, and the pictures compared.
# Source this file after scripts/lib/x11.sh; pictures and logs go to the folder $out.

board_region="25,35 536,546"  # the 16 x 16 cells of 32 pixels from (25, 35)

# Plays the game that `command` starts, on $DISPLAY: answers the start-up box, moves the first
# pair three columns left, and once the board has filled up and the picture stands still,
# captures the 800 x 600 client area into $out/<name>.png; <name>.log keeps what it printed. Closes the window with `close` ("keys" for Alt+F4, "signal" for SIGTERM)
# and leaves the program's exit status in $out/<name>.status. The program runs in a process
# group of its own, so that whatever it started can be ended with it.
play() {
  local name=$1 close=$2 game status=0
  shift 2
  setsid "$@" >"$out/$name.log" 2>&1 &
  local pid=$!
  if game=$(x11_wait_window "Puzzle Tumblix" 120 "$pid" Engine); then
    sleep 1  # a few frames, the first pair still near the top
    x11_press "$game" Left Left Left
    x11_capture_still "$(x11_client_window "$game" 800 600)" "$out/$name.png" 3 400 || status=1
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

# Compares $out/`first`.png with $out/`second`.png: equal outside the board; within 2 of 255
# levels per channel on the board, where every cell is alpha-blended. (ImageMagick's policy
# refuses to read pipes, so the pieces go through files.)
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
  awk -v p="$peak" 'BEGIN { split(p, a, /[()]/); exit !(a[2] != "" && a[2] * 255 <= 2.0001) }'
}
