#!/bin/bash
# The real program beside the toolkit's floor, in turn in one virtual X
# session under a window manager, so that both see the same machine:
#
# - process CPU time over the 19.2 s wind scene, against a bare window of the
#   program's size repainting a 210 x 210 area at each 100 ms tick;
# - process CPU time over as long once the scene has stopped, against the
#   bare window with only its timer;
# - instructions over the wind scene, counted by callgrind (steady where
#   times are not), against the bare window repainting 210 x 210.
#
# Prints each round's figures and the ratios, then their ranges.
#
# usage: bench/side_by_side.sh BUILD_DIR [ROUNDS]   (default 3 rounds)
# needs: xvfb openbox xdotool wmctrl x11-utils imagemagick valgrind
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 BUILD_DIR [ROUNDS]" >&2; exit 2; }
PROGRAM=$(realpath "$1/antenne")
FLOOR=$(realpath "$1/bench/antenne-repaint-floor")
ROUNDS=${2:-3}
command -v callgrind_control >/dev/null || { echo "$0: valgrind is missing" >&2; exit 2; }

# shellcheck source=../tests/desktop/e2e/x_session.sh
source "$(dirname "$0")/../tests/desktop/e2e/x_session.sh" >/dev/null

SCENE=19.2    # the wind scene: 190 ticks of 100 ms
STOPPED=19.2  # as long, so that the small figures stay above the noise

# CPU time, in ms, that the running program spends over the next $1 seconds.
cpu_ms_over() {
    local a b
    a=$(app_cpu_ns)
    sleep "$1"
    b=$(app_cpu_ns)
    echo $(((b - a) / 1000000))
}

# Clicks "Perturbation" (696, 496, 75 x 25 in the window) and moves away.
click_wind() {
    client_area >/dev/null
    xdotool mousemove $((CX + 733)) $((CY + 508)) click 1
    xdotool mousemove $((CX + 1000)) $((CY + 700))
}

close_app() {
    close_and_expect_success >/dev/null
}

measure_floor() {
    start_app "$FLOOR" dish
    sleep 1
    floor_scene+=("$(cpu_ms_over "$SCENE")")
    close_app
    start_app "$FLOOR" idle
    sleep 1
    floor_idle+=("$(cpu_ms_over "$STOPPED")")
    close_app
}

measure_program() {
    start_app "$PROGRAM"
    sleep 1
    click_wind
    program_scene+=("$(cpu_ms_over "$SCENE")")
    sleep 0.5
    program_stopped+=("$(cpu_ms_over "$STOPPED")")
    close_app
}

# The order alternates from round to round, so that a machine growing
# busier or quieter weighs on both alike.
declare -a program_scene floor_scene program_stopped floor_idle
for round in $(seq "$ROUNDS"); do
    if [ $((round % 2)) -eq 1 ]; then
        measure_floor
        measure_program
    else
        measure_program
        measure_floor
    fi
    i=$((round - 1))
    printf 'round %d: wind scene %d ms, floor %d ms; stopped %d ms, floor %d ms\n' "$round" \
        "${program_scene[$i]}" "${floor_scene[$i]}" "${program_stopped[$i]}" "${floor_idle[$i]}"
done

# Instructions over the scene's length, as callgrind counts them: zeroed
# before (and the wind scene started, for the program), dumped after, read
# from the dump's totals. One run each: the counts hardly vary.
count_of() {
    local what=$1
    shift
    APP_START_SECONDS=120 start_app valgrind -q --tool=callgrind --callgrind-out-file="$WORK/cg.$what.%p" "$@"
    sleep 2
    callgrind_control -z "$APP_PID" >/dev/null 2>&1
    [ "$what" = program ] && click_wind
    sleep "$SCENE"
    callgrind_control -d "$APP_PID" >/dev/null 2>&1
    local pid=$APP_PID
    APP_CLOSE_SECONDS=60 close_app
    awk '/^totals:/ {print $2}' "$WORK/cg.$what.$pid.1"
}
floor_instructions=$(count_of floor "$FLOOR" dish)
program_instructions=$(count_of program "$PROGRAM")

# The range of the rounds' ratios num[i] / den[i], and their median.
ratios() {
    local -n num=$1 den=$2
    local i
    for i in "${!num[@]}"; do
        awk -v a="${num[$i]}" -v b="${den[$i]}" 'BEGIN { printf "%.2f\n", a / b }'
    done | sort -n | awk '{v[NR] = $1} END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%s-%s (median %.2f)", v[1], v[NR], m }'
}
range() {
    printf '%s\n' "$@" | sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%s-%s", lo, hi}'
}

echo
echo "Side by side, $ROUNDS rounds, $(date -u +%Y-%m-%d), $(nproc) cores:"
printf '| %-55s | %-14s | %-14s | %-24s |\n' "What" "Program" "Floor" "Ratio"
printf '| %-55s | %-14s | %-14s | %-24s |\n' "wind scene, CPU ms (floor: 210 x 210 repainted a tick)" \
    "$(range "${program_scene[@]}")" "$(range "${floor_scene[@]}")" "$(ratios program_scene floor_scene)"
printf '| %-55s | %-14s | %-14s | %-24s |\n' "stopped 19.2 s, CPU ms (floor: the timer alone)" \
    "$(range "${program_stopped[@]}")" "$(range "${floor_idle[@]}")" "$(ratios program_stopped floor_idle)"
printf '| %-55s | %-14s | %-14s | %-24s |\n' "wind scene, instructions (M)" \
    "$(awk -v a="$program_instructions" 'BEGIN { printf "%.1f", a / 1e6 }')" \
    "$(awk -v a="$floor_instructions" 'BEGIN { printf "%.1f", a / 1e6 }')" \
    "$(awk -v a="$program_instructions" -v b="$floor_instructions" 'BEGIN { printf "%.2f", a / b }')"
