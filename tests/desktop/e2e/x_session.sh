#!/bin/bash
# Shared by the end-to-end and benchmark scripts: a virtual X server with a
# window manager, programs started on it one at a time (start_app), their
# main window found, and everything stopped again on exit. Source it after
# setting, optionally, ANTENNE (started at once and expected maximized),
# SHOTS_ARG (a folder to keep screenshots in) and SCREEN (default
# 1280x1024x24).

for tool in Xvfb openbox xdotool wmctrl xprop xwininfo import; do
    if ! command -v "$tool" >/dev/null; then
        # 77 tells CTest the test was skipped rather than failed.
        echo "e2e: skipped, $tool is missing (packages xvfb, openbox, xdotool, wmctrl, x11-utils, imagemagick)" >&2
        exit 77
    fi
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/antenne-e2e.XXXXXX")
SHOTS=${SHOTS_ARG:-$WORK/shots}
mkdir -p "$SHOTS"
SHOTS=$(realpath "$SHOTS")

XVFB_PID=""
WM_PID=""
APP_PID=""

stop() {
    local pid=$1
    [ -n "$pid" ] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 20); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$?
    stop "$APP_PID"
    stop "$WM_PID"
    stop "$XVFB_PID"
    if [ -s "$WORK/antenne.log" ]; then
        echo "--- antenne output ---"
        cat "$WORK/antenne.log"
    fi
    # Without an output folder the screenshots are only kept when something failed.
    if [ "$SHOTS" != "$WORK/shots" ]; then
        rm -rf "$WORK"
        echo "e2e: screenshots kept in $SHOTS"
    elif [ "$status" -eq 0 ]; then
        rm -rf "$WORK"
    else
        echo "e2e: screenshots kept in $SHOTS"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "e2e: FAILED: $*" >&2
    exit 1
}

# Polls a command every 0.1 s until it succeeds or SECONDS seconds have passed.
poll() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    for _ in $(seq "$tries"); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# --- 1. X server and window manager -----------------------------------------
# Xvfb picks a free display itself and writes its number on the given descriptor.
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x1024x24}" -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
poll 10 test -s "$WORK/display" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
export DISPLAY=":$(head -n1 "$WORK/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY QT_SCALE_FACTOR
echo "e2e: X server on $DISPLAY"

openbox >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
poll 10 wmctrl -m || fail "openbox did not come up: $(cat "$WORK/openbox.log")"

# --- 2. a program's window --------------------------------------------------
# True once the program has ended (a child that ended but was not yet waited
# for still answers kill -0, so look at its state).
app_gone() {
    local state
    state=$(ps -o stat= -p "$APP_PID" 2>/dev/null || true)
    [ -z "$state" ] || [[ $state == Z* ]]
}

# Prints the id of the largest visible window of the program, if any.
largest_window() {
    local best="" best_area=0 win w h
    for win in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        w=$(xwininfo -id "$win" | awk '/^ *Width:/ {print $2}')
        h=$(xwininfo -id "$win" | awk '/^ *Height:/ {print $2}')
        if [ $((w * h)) -gt "$best_area" ]; then
            best=$win
            best_area=$((w * h))
        fi
    done
    [ -n "$best" ] && echo "$best"
}

is_maximized() {
    local state
    state=$(xprop -id "$WIN" _NET_WM_STATE)
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}

# Starts a program (the command line given) and waits up to
# APP_START_SECONDS (default 10) for its window, then until it is maximized.
start_app() {
    "$@" >"$WORK/antenne.log" 2>&1 &
    APP_PID=$!
    WIN=""
    local tenths=$((${APP_START_SECONDS:-10} * 10))
    for _ in $(seq "$tenths"); do
        app_gone && fail "$1 quit at start-up"
        WIN=$(largest_window || true)
        [ -n "$WIN" ] && break
        sleep 0.1
    done
    [ -n "$WIN" ] || fail "no visible window of $1 after ${APP_START_SECONDS:-10} s"
    poll 5 is_maximized || fail "window $WIN is not maximized: $(xprop -id "$WIN" _NET_WM_STATE)"
}

# The client area's position and size on the screen. xdotool's own geometry
# counts openbox's title bar twice, xwininfo's absolute corner does not.
client_area() {
    local info
    info=$(xwininfo -id "$WIN")
    CX=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
    CY=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
    CW=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    CH=$(awk '/^ *Height:/ {print $2}' <<<"$info")
    echo "e2e: window $WIN, client area ${CW}x${CH} at ($CX, $CY)"
}

# CPU time of all the program's threads so far, in nanoseconds (the
# scheduler's own account: finer than the clock ticks of /proc/PID/stat).
app_cpu_ns() {
    cat /proc/"$APP_PID"/task/*/schedstat | awk '{sum += $1} END {printf "%d\n", sum}'
}

# Closes the window as a user does and expects the program to end with 0.
close_and_expect_success() {
    wmctrl -i -c "$WIN"
    poll "${APP_CLOSE_SECONDS:-5}" app_gone || fail "antenne still runs ${APP_CLOSE_SECONDS:-5} s after its window was closed"
    local status=0
    wait "$APP_PID" || status=$?
    APP_PID=""
    [ "$status" -eq 0 ] || fail "antenne exited with code $status after its window was closed"
    echo "e2e: window closed, antenne exited with code 0"
}

if [ -n "${ANTENNE:-}" ]; then
    start_app "$ANTENNE"
fi
