#!/bin/bash
# Process CPU time of the real program on a virtual display: while it plays
# the 19 s wind scene, then over 10 s stopped after it. Prints both as a share
# of one core.
#
# usage: bench/cpu_usage.sh build/antenne
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 ANTENNE" >&2; exit 2; }
ANTENNE=$(realpath "$1")
# shellcheck source=../tests/e2e/x_session.sh
source "$(dirname "$0")/../tests/e2e/x_session.sh"
client_area

hz=1000000000

sleep 1
xdotool mousemove $((CX + 733)) $((CY + 508)) click 1
xdotool mousemove $((CX + 1000)) $((CY + 700))
start=$(app_cpu_ns)
sleep 19.2
played=$(app_cpu_ns)
sleep 10
stopped=$(app_cpu_ns)

awk -v a="$start" -v b="$played" -v c="$stopped" -v hz="$hz" 'BEGIN {
    printf "wind scene, 19.2 s: %.0f ms of CPU, %.2f %% of one core\n", (b - a) * 1000 / hz, (b - a) / hz / 19.2 * 100
    printf "stopped, 10 s:      %.0f ms of CPU, %.2f %% of one core\n", (c - b) * 1000 / hz, (c - b) / hz / 10 * 100
}'
close_and_expect_success
