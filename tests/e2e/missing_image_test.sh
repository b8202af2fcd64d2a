#!/usr/bin/env bash
# Started from a folder whose resources/ lacks the cell image (the backdrop is there), and with
# no images beside the program or in a data folder, the game shows its error box once its window
# is up, naming every place it looked, and ends with status 1 when the box is answered.
game=$(realpath "$1")
resources=$(realpath resources)
source "$(dirname "$0")/x_session.sh"

# A copy of the program, away from the build folder's link to the images.
mkdir -p "$work/bin" "$work/play/resources"
cp "$game" "$work/bin/"
cp "$resources/backdrop.png" "$work/play/resources/"
cd "$work/play"

start_session
start_game "$work/bin/$(basename "$game")"
# The error box follows the window at once, and a box is answered as soon as it is seen: so each
# look notes the window before it answers a box, and the boxes answered after the window was
# seen are counted, until the game ends.
window_seen=0
boxes_after_window=0
look() {
    game_ended && return 0
    [[ -n "$(visible_window "Puzzle Tumblix")" ]] && window_seen=1
    if dismiss_box && ((window_seen)); then
        boxes_after_window=$((boxes_after_window + 1))
    fi
    return 1
}
wait_until 120 0.2 look || fail "the game did not end within 120 s"
game_status=0
wait "$game_pid" || game_status=$?
game_pid=""
((window_seen)) || fail "the game ended without showing its window"
((game_status == 1)) || fail "the game ended with status $game_status, not 1"
((boxes_after_window > 0)) || fail "no error box was shown after the window"
place=$(realpath "$work")
looked="$place/play/resources/aaa.png, $place/bin/resources/aaa.png"
looked+=", $place/share/puzzle-tumblix/resources/aaa.png"
grep -qF "Failed to create texture 'resources/aaa.png': no such file at $looked" "$work/game.err" ||
    fail "the error does not name every place looked"
echo "PASS: error box answered, naming every place looked, status 1"
