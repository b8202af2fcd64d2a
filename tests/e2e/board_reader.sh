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
