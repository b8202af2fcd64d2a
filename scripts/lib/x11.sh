# shellcheck shell=bash disable=SC2034  # sets globals for the scripts that source it
# Helpers for driving a program on a private X server, as a player would: find its windows,
# press keys, capture a window's pixels. Source this file; each helper returns non-zero (after
# saying why on standard error) rather than waiting for ever.

# Starts Xvfb with a `geometry` screen (e.g. 1280x1024x24) on a free display and sets
# XVFB_DISPLAY (":N") and XVFB_PID. Logs go to `log`.
x11_start() {
  local geometry=$1 log=$2 fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$fifo" >"$log" 2>&1 &
  XVFB_PID=$!
  local number
  if ! read -r -t 20 number <"$fifo"; then
    rm -f "$fifo"
    echo "Xvfb did not start (see $log)" >&2
    return 1
  fi
  rm -f "$fifo"
  XVFB_DISPLAY=":$number"
}

# The first shown window named exactly `name` on $DISPLAY; nothing when there is none. (Read
# from xwininfo: xdotool misses names stored as UTF-8, as SDL stores them.)
x11_find() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null |
    awk -v quoted="\"$1\":" 'index($0, quoted) { print $1 }'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
      echo "$id"
      return 0
    fi
  done
}

# Waits up to `seconds` for the shown window named `name` and prints its id; gives up early
# when the process `pid` has ended. Meanwhile every box named `dismiss` that comes up is
# answered with Return (its default button).
x11_wait_window() {
  local name=$1 seconds=$2 pid=$3 dismiss=${4:-} id box deadline=$((SECONDS + $2))
  while ((SECONDS < deadline)); do
    id=$(x11_find "$name")
    if [[ -n $id ]]; then
      echo "$id"
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the program ended before its window '$name' showed" >&2
      return 1
    fi
    if [[ -n $dismiss ]]; then
      box=$(x11_find "$dismiss")
      if [[ -n $box ]]; then
        echo "answering the box '$dismiss'" >&2
        x11_press "$box" Return
      fi
    fi
    sleep 0.2
  done
  echo "no window named '$name' after ${seconds}s" >&2
  return 1
}

# The window that shows a program's client area: the window itself when it has no frame, or
# the child of exactly `width` x `height` that a framed window holds (Wine draws the frame in
# the outer window and the client area in a child).
x11_client_window() {
  local id=$1 width=$2 height=$3 child
  child=$(xwininfo -children -id "$id" 2>/dev/null |
    awk -v size="${width}x${height}" '$1 ~ /^0x/ && index($0, " " size "+") { print $1; exit }')
  echo "${child:-$id}"
}

# Gives `id` the keyboard focus.
x11_focus() {
  xdotool windowfocus "$1"
  sleep 0.1
}

# Gives `id` the keyboard focus and presses and releases each key in turn: for keys a program
# takes as messages (a box's Return, Alt+F4). Keys a game polls need pacing by what it shows.
x11_press() {
  local id=$1 key
  shift
  x11_focus "$id"
  for key in "$@"; do
    xdotool keydown "$key"
    sleep 0.15
    xdotool keyup "$key"
    sleep 0.15
  done
}

# Captures the window `id` into `png` once it stops changing: two captures `gap` seconds
# apart that are identical, within `seconds` in all.
x11_capture_still() {
  local id=$1 png=$2 gap=$3 deadline=$((SECONDS + $4)) previous
  previous="${png%.png}.previous.png"
  import -window "$id" "$previous"
  while ((SECONDS < deadline)); do
    sleep "$gap"
    import -window "$id" "$png"
    if [[ $(compare -metric AE "$previous" "$png" null: 2>&1 || true) == 0 ]]; then
      rm -f "$previous"
      return 0
    fi
    mv "$png" "$previous"
  done
  echo "window $id kept changing for $4s" >&2
  return 1
}
