#!/bin/bash
# The real program on a screen smaller than its 800 x 521 layout: it starts
# maximized, draws the presentation, is clipped where the screen ends, still
# plays a scenario started from the keyboard, and ends cleanly when its window
# is closed in the middle of that scene.
#
# usage: run_small_screen.sh ANTENNE [SHOT_FOLDER]
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 ANTENNE [SHOT_FOLDER]" >&2
    exit 2
fi
ANTENNE=$(realpath "$1")
SHOTS_ARG=${2:-}
SCREEN=640x480x24
# shellcheck source=x_session.sh
source "$(dirname "$0")/x_session.sh"

client_area
[ "$CW" -le 640 ] && [ "$CH" -lt 521 ] || fail "client area ${CW}x${CH} is not clipped by the 640x480 screen"

# How many pixels of COLOUR lie in the W x H box at client (X, Y) of SHOT.
count() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5 colour=$6
    convert "$shot" -crop "${w}x${h}+$((CX + x))+$((CY + y))" +repage \
        -fill black +opaque "$colour" -fill white -opaque "$colour" \
        -format '%[fx:round(mean*w*h)]' info:
}

expect() {
    local what=$1 found=$2
    [ "$found" -gt 0 ] || fail "$what: not found on $SHOTS/$shot_name.png"
    echo "e2e: $what ok ($found pixels)"
}

sleep 1
shot_name=presentation
import -window root "$SHOTS/$shot_name.png"
# The dish's flat side (x 540) and the explanation, inside the visible part.
expect "red dish" "$(count "$SHOTS/$shot_name.png" 538 280 5 60 'rgb(255,0,0)')"
expect "blue explanation" "$(count "$SHOTS/$shot_name.png" 560 122 70 12 'rgb(0,0,255)')"

# The buttons lie below the screen's edge; the keyboard still reaches them:
# Tab moves from the first button to the second, space presses it.
xdotool key --window "$WIN" Tab space
sleep 2.6
shot_name=aperiodic
import -window root "$SHOTS/$shot_name.png"
expect "green title" "$(count "$SHOTS/$shot_name.png" 600 30 40 13 'rgb(0,128,0)')"
expect "blue commentary" "$(count "$SHOTS/$shot_name.png" 560 122 70 12 'rgb(0,0,255)')"
expect "maroon set point" "$(count "$SHOTS/$shot_name.png" 30 390 60 5 'rgb(128,0,0)')"

# Closed in the middle of the scene.
close_and_expect_success
echo "e2e: small screen checks passed"
