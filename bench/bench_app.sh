#!/usr/bin/env bash
# The whole program on its own X server: how long from a command or a key to the overlay on
# screen, with Pixdrift already running and its window closed. Prints medians; asserts nothing.
#
#   bench_app.sh <pixdrift> <pixel_watch> <rounds> <WxH>...
set -uo pipefail
PIXDRIFT=$1 WATCH=$2 ROUNDS=$3
shift 3

median() { sort -n | awk '{v[NR] = $1} END {if (NR) printf "%.0f ms (min %.0f, max %.0f)", v[int((NR + 1) / 2)], v[1], v[NR]; else printf "no samples"}'; }

run_size() {
    local size=$1 n=200
    while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 &
    local wm=$!
    sleep 0.5
    # A light screen, so the dimming changes the watched pixel.
    xsetroot -solid '#d8e4f0'
    local home
    home=$(mktemp -d)
    HOME=$home XDG_CONFIG_HOME=$home/config "$PIXDRIFT" >"$home/log" 2>&1 &
    local app=$!
    sleep 2.5
    xdotool key --clearmodifiers alt+F4
    sleep 1.5
    local command=() key=()
    for ((i = 0; i < ROUNDS; i++)); do
        # Interleaved, so that both see the same load.
        HOME=$home XDG_CONFIG_HOME=$home/config "$WATCH" 40 40 -- "$PIXDRIFT" --area >>"$home/command.txt"
        sleep 0.3; xdotool key Escape; sleep 0.6
        "$WATCH" 40 40 -- xdotool key ctrl+alt+super+4 >>"$home/key.txt"
        sleep 0.3; xdotool key Escape; sleep 0.6
    done
    echo "| $size | pixdrift --area → overlay | $(median <"$home/command.txt") |"
    echo "| $size | hot key (xdotool) → overlay | $(median <"$home/key.txt") |"
    kill "$app" "$wm" "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$home"
}

echo "| screen | from → to | median of $ROUNDS |"
echo "|---|---|---|"
for size in "$@"; do
    run_size "$size"
done
