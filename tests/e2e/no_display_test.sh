#!/usr/bin/env bash
# Started without any display, the game says so on standard error, each line once, and ends
# with a failure status at once: no hang, no crash.
set -euo pipefail
game=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -k 5 60 "$game" 2>"$err" || status=$?
cat "$err"
if ((status == 0 || status == 124 || status == 137)); then
    echo "FAIL: exit status $status (expected a failure status without a hang)"
    exit 1
fi
if ((status > 128)); then
    echo "FAIL: the game died of signal $((status - 128))"
    exit 1
fi
grep -qi "no display" "$err" || { echo "FAIL: standard error does not say there is no display"; exit 1; }
repeated=$(sort "$err" | uniq -d)
[[ -z $repeated ]] || { echo "FAIL: standard error repeats: $repeated"; exit 1; }
echo "PASS: exit status $status"
