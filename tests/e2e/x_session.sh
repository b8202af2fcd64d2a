# Shared by the end-to-end tests (sourced, not run): a private X display with a window manager,
# as on a player's desktop, and the game started on it. Everything waits by polling with a
# deadline, and whatever was started is stopped when the test's shell exits.

set -euo pipefail

work=$(mktemp -d -t tumblix-e2e.XXXXXX)
export LSAN_OPTIONS="suppressions=$(realpath "$(dirname "${BASH_SOURCE[0]}")")/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
xvfb_pid=""
wm_pid=""
game_pid=""

stop_session() {
    local pid
    for pid in $game_pid $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $game_pid $wm_pid $xvfb_pid; do
        timeout 5 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap stop_session EXIT
trap 'exit 1' INT TERM HUP  # so that the clean-up runs on these too

fail() {
    echo "FAIL: $*" >&2
    if [[ -s "$work/game.err" ]]; then
        echo "--- the game's standard error:" >&2
        tail -n 40 "$work/game.err" >&2
    fi
    exit 1
}

# Runs `condition` (a command) every `interval` seconds until it succeeds; false after `seconds`.
wait_until() {
    local seconds=$1 interval=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep "$interval"
    done
}

display_ready() { [[ -s "$work/display" ]]; }
wm_ready() { timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# A 1280 x 1024 screen, larger than the game's window so the windowed 800 x 600 format fits,
# with a standard window manager (title bars, focus, Alt+F4 closes).
start_session() {
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" \
        2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_until 60 0.1 display_ready || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$work/display")"
    unset WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_RENDER_DRIVER
    openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm_pid=$!
    # A loaded machine can take long to start a program: the deadlines allow for it, and cost
    # nothing when things go well.
    wait_until 60 0.1 wm_ready || fail "the window manager did not start within 60 s"
}

# Starts the game (path $1) in the current directory, its output kept for failure reports.
start_game() {
    "$1" >"$work/game.out" 2>"$work/game.err" &
    game_pid=$!
}

# A process that has exited but not been waited for still answers kill -0: read its state.
game_running() {
    local stat
    stat=$(cat "/proc/$game_pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }  # the fields after the command's name
    [[ "${stat%% *}" != Z ]]
}

# The id of the visible window titled exactly $1, or nothing. (The window tree is read with
# xwininfo: xdotool's name search misses SDL's message boxes.)
visible_window() {
    local id
    for id in $(timeout 5 xwininfo -root -tree 2>/dev/null | grep -F " \"$1\": " | awk '{ print $1 }'); do
        if timeout 5 xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            echo "$id"
            return 0
        fi
    done
}

# Answers a message box of the engine (caption "Engine") with Return; true when one was shown.
boxes_dismissed=0
dismiss_box() {
    local box
    box=$(visible_window Engine)
    [[ -n "$box" ]] || return 1
    timeout 5 xdotool windowactivate --sync "$box" key Return 2>/dev/null || true
    boxes_dismissed=$((boxes_dismissed + 1))
    sleep 0.3
}

# Waits for the game's window, answering the boxes shown before it; echoes its id.
game_window=""
find_game_window() {
    game_window=$(visible_window "Puzzle Tumblix")
    [[ -n "$game_window" ]] && return 0
    game_running || fail "the game ended before showing its window"
    dismiss_box || true
    return 1
}
wait_for_game_window() {
    wait_until 120 0.2 find_game_window || fail "no game window within 120 s"
}

game_ended() { ! game_running; }

# Waits for the game to end, answering boxes meanwhile; sets game_status to its exit status.
game_status=""
wait_for_exit() {
    local seconds=$1
    ended_or_box() { game_ended || { dismiss_box || true; false; }; }
    wait_until "$seconds" 0.2 ended_or_box || fail "the game did not end within $seconds s"
    game_status=0
    wait "$game_pid" || game_status=$?
    game_pid=""
}
