# Shared by the end-to-end tests (sourced, not run): reads the puzzle board from a screenshot of
# the game's window. The board's 16 x 16 cells of 32 pixels start at (25, 35); each cell is
# judged by the mean colour of its middle 16 x 16 pixels, where a piece is opaque.

# The client size of window $1 as WIDTHxHEIGHT.
window_size() {
    timeout 5 xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# Fills `board` with 16 strings of 16 characters from a screenshot of window $1, kept as
# $work/shot.png: '.' an empty cell, '1' to '4' the piece kinds (red, blue, green, amber),
# '?' anything else.
board=()
read_board_of() {
    timeout 10 import -window "$1" "$work/shot.png" 2>/dev/null || return 1
    mapfile -t board < <(
        timeout 10 convert "$work/shot.png" -crop 512x512+25+35 +repage -scale 64x64 -depth 8 \
            txt:- |
            awk -F'[(),: ]+' '
            NR > 1 && ($1 % 4 == 1 || $1 % 4 == 2) && ($2 % 4 == 1 || $2 % 4 == 2) {
                cell = int($2 / 4) * 16 + int($1 / 4)
                r[cell] += $3 / 4; g[cell] += $4 / 4; b[cell] += $5 / 4
            }
            END {
                for (row = 0; row < 16; ++row) {
                    line = ""
                    for (column = 0; column < 16; ++column) {
                        c = row * 16 + column; R = r[c]; G = g[c]; B = b[c]
                        if (R < 100 && G < 100 && B < 130) kind = "."
                        else if (R > G + 40 && R > B + 30) kind = "1"
                        else if (B > R + 60 && B > 140) kind = "2"
                        else if (G > R + 40 && G > B) kind = "3"
                        else if (R > 120 && G > 100 && B < 100) kind = "4"
                        else kind = "?"
                        line = line kind
                    }
                    print line
                }
            }')
    ((${#board[@]} == 16))
}

print_board() {
    local row
    for row in "${board[@]}"; do
        printf '\n    %s' "$row"
    done
}

# True when the first pair, in columns 7 and 8, is in the top five rows of window $1: rows enough
# below it for three paced moves (move_pair).
first_pair_near_top() {
    read_board_of "$1" || return 1
    local row
    for ((row = 0; row < 5; ++row)); do
        [[ "${board[row]}" == ".......12......." ]] && return 0
    done
    return 1
}

# True when the pairs have stacked up to the top of columns 7 and 8 in window $1: no pair can
# enter then, and nothing on the board moves again.
entry_column_full() {
    read_board_of "$1" || return 1
    local row
    for row in "${board[@]}"; do
        [[ ${row:7:2} == 12 ]] || return 1
    done
}

# Sets pair_row and pair_column to the cell of the topmost falling pair's left piece in `board`
# (a '1' with a '2' at its right); false when there is none.
pair_row=""
pair_column=""
find_pair() {
    local row before
    for ((row = 0; row < 16; ++row)); do
        before=${board[row]%%12*}
        if [[ $before != "${board[row]}" ]]; then
            pair_row=$row
            pair_column=${#before}
            return 0
        fi
    done
    return 1
}

# Moves the falling pair in window $1 (which has the keyboard focus) $3 columns with the arrow
# key $2 (Left or Right) as quickly as the game follows, however slow the machine. The game
# moves the pair on a frame that reads the key down after one that read it up, so each press is
# held until the pair is seen moved, then released for a moment. Should the pair fall two rows
# after the press without moving (no frame saw the key up in between), the key is released
# until the pair has fallen two rows more (a row takes at least 23 frames) and pressed again.
# False, with the key released and the reason on standard error, after $4 seconds (default 60).
move_pair() {
    local window=$1 key=$2 count=$3 deadline=$((SECONDS + ${4:-60})) step=1 column pressed_row
    [[ $key == Left ]] && step=-1
    read_pair_until true || return 1
    column=$pair_column
    while ((count > 0)); do
        xdotool keydown "$key"
        pressed_row=""
        read_pair_until moved_or_missed || { xdotool keyup "$key"; return 1; }
        xdotool keyup "$key"
        if ((pair_column == column + step)); then
            column=$pair_column
            count=$((count - 1))
            sleep 0.2
        else
            echo "the pair did not move with $key down; pressing it again" >&2
            read_pair_until true || return 1
            pressed_row=$pair_row
            read_pair_until fallen_two_rows || return 1
        fi
    done
}

# Reads the pair (read_board_of, find_pair) from `window` until `condition` holds, within
# move_pair's `deadline`.
read_pair_until() {
    until read_board_of "$window" && find_pair && "$1"; do
        if ((SECONDS >= deadline)); then
            echo "the pair did not move or fall as expected:$(print_board)" >&2
            return 1
        fi
        sleep 0.1
    done
}
moved_or_missed() {
    ((pair_column == column + step)) && return 0
    [[ -n $pressed_row ]] || pressed_row=$pair_row
    fallen_two_rows
}
fallen_two_rows() { ((pair_row >= pressed_row + 2)); }
