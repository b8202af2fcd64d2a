#!/usr/bin/env bash
# Plays Puzzle Tumblix as a person would: starts the real program on a desktop (Xvfb with a
# window manager), answers the start-up box, moves the first pair three columns left with the
# arrow keys (each press paced by the board the game shows), reads from screenshots where it
# lands, and closes the window with Alt+F4.
# Set E2E_SCREENSHOT to a path to keep the screenshot of the landed pair.
game=$(realpath "$1")
source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/board_reader.sh"

start_session
start_game "$game"
wait_for_game_window
echo "game window $game_window after $boxes_dismissed box(es)"
[[ $(window_size "$game_window") == 800x600 ]] ||
    fail "the window's client area is $(window_size "$game_window"), not 800x600"

wait_until 30 0.2 first_pair_near_top "$game_window" ||
    fail "no pair in the top rows; the board was:$(print_board)"

timeout 10 xdotool windowactivate --sync "$game_window"
move_pair "$game_window" Left 3 120 || fail "the pair could not be moved three columns left"

# It lands on the floor three columns left of where it appeared, which the next pair, entering
# at the top, confirms (a pair in the bottom row is still falling until its next step).
next_pair_row=""
landed_left() {
    read_board_of "$game_window" || return 1
    [[ "${board[15]}" == "....12.........." ]] || return 1
    for ((next_pair_row = 0; next_pair_row < 15; ++next_pair_row)); do
        [[ "${board[next_pair_row]}" == ".......12......." ]] && return 0
    done
    return 1
}
wait_until 90 0.3 landed_left || fail "the pair did not land in columns 4 and 5:$(print_board)"
for ((row = 0; row < 15; ++row)); do
    [[ $row == "$next_pair_row" || "${board[row]}" == "................" ]] ||
        fail "unexpected pieces in row $row:$(print_board)"
done
echo "landed as expected:$(print_board)"
[[ -n "${E2E_SCREENSHOT:-}" ]] && cp "$work/shot.png" "$E2E_SCREENSHOT"

timeout 10 xdotool windowactivate --sync "$game_window" key alt+F4
wait_for_exit 20
((game_status == 0)) || fail "closing the window ended the game with status $game_status"
echo "PASS: closed with status 0"
