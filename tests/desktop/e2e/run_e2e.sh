#!/bin/bash
# Starts the real program under a virtual X server with a window manager,
# plays every scenario by clicking its button as a user would, and checks a
# screenshot of the window at the end of each scene.
#
# usage: run_e2e.sh ANTENNE CHECK_SHOT [SHOT_FOLDER]
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 ANTENNE CHECK_SHOT [SHOT_FOLDER]" >&2
    exit 2
fi
ANTENNE=$(realpath "$1")
CHECK_SHOT=$(realpath "$2")
for program in "$ANTENNE" "$CHECK_SHOT"; do
    if [ ! -x "$program" ]; then
        echo "e2e: $program is not an executable" >&2
        exit 2
    fi
done
SHOTS_ARG=${3:-}
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

client_area
[ "$CW" -gt 800 ] && [ "$CH" -gt 521 ] || fail "client area ${CW}x${CH} is not larger than 800x521"

# --- 3. and 4. the scenes ---------------------------------------------------
FAILED=()

# Screenshots the screen into NAME.png and checks it for SCENE.
check() {
    local name=$1 scene=$2 shot="$SHOTS/$1.png"
    app_gone && fail "antenne died before the $name check"
    import -window root "$shot"
    if "$CHECK_SHOT" "$shot" "$CX" "$CY" "$scene"; then
        echo "e2e: $name ok"
    else
        echo "e2e: $name FAILED (see $shot)" >&2
        FAILED+=("$name")
    fi
}

# Clicks a scenario button, given its left and width in client coordinates,
# and waits for its scene to end.
play() {
    local scene=$1 left=$2 width=$3 duration=$4
    echo "e2e: playing $scene"
    xdotool mousemove $((CX + left + width / 2)) $((CY + 508)) click 1
    # Move the pointer off the buttons so that no hover highlight remains.
    xdotool mousemove $((CX + 1000)) $((CY + 700))
    sleep "$duration"
    check "$scene" "$scene"
}

sleep 1
check start presentation
play aperiodique 96 161 5.5
play oscillatoire 264 161 7.5
play instabilite 432 121 5.5
play rampe 560 129 14.5
play perturbation 696 75 20.5
# Back to the presentation last, so that the erasing of a full scene is checked too.
play presentation 16 75 1.6

# --- 5. restored from maximized ----------------------------------------------
# Its outer bounds, frame included, are the layout's: 437 x 425 at (270, 128).
outer_bounds() {
    local info extents l r t b
    info=$(xwininfo -id "$WIN")
    extents=$(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r l r t b <<<"$extents"
    awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '
        /Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
        /^ *Width:/ {w = $2} /^ *Height:/ {h = $2}
        END {print x - l, y - t, w + l + r, h + t + b}' <<<"$info"
}
restored_as_laid_out() { [ "$(outer_bounds)" = "270 128 437 425" ]; }
wmctrl -i -r "$WIN" -b remove,maximized_vert,maximized_horz
poll 5 restored_as_laid_out || fail "restored, the window's outer bounds are $(outer_bounds), not 270 128 437 425"
echo "e2e: restored to 437 x 425 at (270, 128), frame included"

# --- 6. closing as a user does ----------------------------------------------
close_and_expect_success

if [ ${#FAILED[@]} -gt 0 ]; then
    fail "screenshot checks failed for: ${FAILED[*]}"
fi
echo "e2e: all checks passed"
