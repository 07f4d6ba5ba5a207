#!/bin/bash
# Process CPU time, over 19.2 s on a virtual display, of a bare window of the
# program's size ticking every 100 ms: with nothing repainted, with one pixel
# repainted at every tick, and with an area the size of the antenna's dish.
# The floor under bench/cpu_usage.sh's figures on the same machine.
#
# usage: bench/repaint_floor.sh build/bench/antenne-repaint-floor
set -euo pipefail

if [ $# -eq 3 ] && [ "$1" = --one ]; then
    # One mode in a virtual display of its own: the session script stops
    # everything it started when this shell ends.
    MODE=$2
    ANTENNE=$(mktemp)
    printf '#!/bin/sh\nexec "%s" %s\n' "$(realpath "$3")" "$MODE" >"$ANTENNE"
    chmod +x "$ANTENNE"
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    # shellcheck source=../tests/e2e/x_session.sh
    source "$(dirname "$0")/../tests/e2e/x_session.sh" >/dev/null
    sleep 1
    start=$(app_cpu_ns)
    sleep 19.2
    end=$(app_cpu_ns)
    awk -v a="$start" -v b="$end" -v mode="$MODE" 'BEGIN {
        printf "%-6s 19.2 s: %.0f ms of CPU, %.2f %% of one core\n", mode, (b - a) / 1e6, (b - a) / 1e9 / 19.2 * 100
    }'
    close_and_expect_success >/dev/null
    rm -rf "$ANTENNE" "$XDG_RUNTIME_DIR"
    exit 0
fi

[ $# -eq 1 ] || { echo "usage: $0 ANTENNE-REPAINT-FLOOR" >&2; exit 2; }
for mode in idle pixel dish; do
    "$0" --one "$mode" "$1"
done
