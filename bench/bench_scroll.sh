#!/usr/bin/env bash
# Scrolling capture on X11 (Xvfb + openbox): a page 1920 pixels wide and ROWS tall (a fixed
# header over a 1000-row view) captured whole with `pixdrift --scroll`, Pixdrift running and
# turning the wheel itself. Each round starts a fresh page at its top; the first result is
# compared with the page. Prints the median and range, and Pixdrift's peak memory; asserts
# nothing. Run it inside a session bus.
#
#   bench_scroll.sh <build folder> <rounds> [<rows>...]
#
# SCROLL_LIMIT sets Pixdrift's height limit (20000 unless given).
set -uo pipefail
BUILD=$1 ROUNDS=$2
shift 2
PAGES=("${@:-10000}")
PIXDRIFT=$BUILD/pixdrift PAGE=$BUILD/tests/scroll_page
n=230
while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
export DISPLAY=:$n
T=$(mktemp -d)
trap 'kill $PIXDRIFT_PID $WM $XVFB 2>/dev/null; rm -rf "$T"' EXIT
Xvfb "$DISPLAY" -screen 0 2200x1400x24 -nolisten tcp >/dev/null 2>&1 & XVFB=$!
wait_for() { local until=$((SECONDS + $1)); shift; until "$@" >/dev/null 2>&1; do ((SECONDS >= until)) && return 1; sleep 0.05; done; }
wait_for 20 xdpyinfo || { echo "no X server"; exit 1; }
openbox >/dev/null 2>&1 & WM=$!
wait_for 20 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
export HOME=$T/home XDG_CONFIG_HOME=$T/home/config LANG=C
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Pixdrift"
[[ -n ${SCROLL_LIMIT:-} ]] && echo "{\"pd.scrollLimit\": $SCROLL_LIMIT}" >"$XDG_CONFIG_HOME/Pixdrift/defaults.json"
"$PIXDRIFT" >"$T/pixdrift.log" 2>&1 & PIXDRIFT_PID=$!
wait_for 20 xdotool search --name '^Pixdrift$'
sleep 1

echo "| page (width × rows) | rounds | pixdrift --scroll until the file is written | peak memory of Pixdrift | exact |"
echo "|---|---|---|---|---|"
for rows in "${PAGES[@]}"; do
    : >"$T/times"
    exact=—
    for ((round = 1; round <= ROUNDS; round++)); do
        "$PAGE" --width 1920 --height "$rows" --view 1000 --write "$T/page.png" >/dev/null 2>&1 & page=$!
        wait_for 20 xdotool search --onlyvisible --name '^Pixdrift scroll page$' && wait_for 20 test -s "$T/page.png"
        sleep 0.5
        id=$(xdotool search --onlyvisible --name '^Pixdrift scroll page$' | head -1)
        # The page in front of Pixdrift's window, which comes back after each capture.
        xdotool windowactivate --sync "$id" >/dev/null 2>&1
        sleep 0.3
        geometry() { xwininfo -id "$id" | awk -v key="$1" '$0 ~ key {print $NF}'; }
        x=$(geometry 'Absolute upper-left X') y=$(geometry 'Absolute upper-left Y') w=$(geometry 'Width') h=$(geometry 'Height')
        start=$(date +%s%N)
        "$PIXDRIFT" --scroll --region "$x,$y ${w}x$h" -o "$T/out.png" >/dev/null 2>>"$T/bench.log"
        echo $((($(date +%s%N) - start) / 1000000)) >>"$T/times"
        if ((round == 1)); then
            size=$(pngcheck "$T/out.png" | sed -n 's/.*(\([0-9]*x[0-9]*\),.*/\1/p')
            "$PAGE" --same "$T/out.png" "$T/page.png" && exact="yes ($size)" || exact="no ($size)"
        fi
        rm -f "$T/out.png" "$T/page.png"
        kill "$page"
        wait "$page" 2>/dev/null
    done
    peak=$(awk '/VmHWM/ {printf "%.0f MB", $2 / 1024}' "/proc/$PIXDRIFT_PID/status")
    med=$(sort -n "$T/times" | awk '{v[NR] = $1} END {printf "%.2f s (%.2f–%.2f)", v[int((NR + 1) / 2)] / 1000, v[1] / 1000, v[NR] / 1000}')
    echo "| 1920 × $rows | $ROUNDS | $med | $peak | $exact |"
done
