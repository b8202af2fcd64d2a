#!/usr/bin/env bash
# Started from a folder whose resources/ lacks the cell image (the backdrop is there), the game
# shows its error box once its window is up and ends with status 1 when the box is answered.
game=$(realpath "$1")
resources=$(realpath resources)
source "$(dirname "$0")/x_session.sh"

mkdir -p "$work/play/resources"
cp "$resources/backdrop.png" "$work/play/resources/"
cd "$work/play"

start_session
start_game "$game"
wait_for_game_window
boxes_before=$boxes_dismissed
wait_for_exit 30
((game_status == 1)) || fail "the game ended with status $game_status, not 1"
((boxes_dismissed > boxes_before)) || fail "no error box was shown after the window"
echo "PASS: error box answered, status 1"
