#!/usr/bin/env bash
# The whole program on its own X server (Xvfb + openbox, a desktop-like screen), against the
# floor (bench/overlay_floor) and the usual tools (Flameshot, scrot, maim, where installed).
# Every measurement is interleaved round by round, so all see the same load. Prints one Markdown
# table of medians with their ranges; asserts nothing. Run it inside a session bus.
#
#   bench_app.sh <build folder> <rounds> <WxH>...
set -uo pipefail
BUILD=$1 ROUNDS=$2
shift 2
HERE=$(cd "$(dirname "$0")" && pwd)
PIXDRIFT=$BUILD/pixdrift WATCH=$BUILD/bench/pixel_watch FLOOR=$BUILD/bench/overlay_floor
have() { command -v "$1" >/dev/null; }

now() { date +%s%N; }
ms_since() { echo $((($(now) - $1) / 1000000)); }
# stats FILE: "median ms (min–max)", or a dash without samples.
stats() {
    sort -n "$1" 2>/dev/null | awk '{v[NR] = $1} END {if (NR) printf "%.0f ms (%.0f–%.0f)", v[int((NR + 1) / 2)], v[1], v[NR]; else printf "—"}'
}
median() { sort -n "$1" 2>/dev/null | awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]}'; }
ratio() { # ratio A B: A ÷ B to one decimal, or a dash
    local a b
    a=$(median "$1") b=$(median "$2")
    [[ -n $a && -n $b && $b != 0 ]] && awk -v a="$a" -v b="$b" 'BEGIN {printf "%.1f×", a / b}' || echo "—"
}
wait_for() { local until=$((SECONDS + $1)); shift; until "$@" >/dev/null 2>&1; do ((SECONDS >= until)) && return 1; sleep 0.05; done; }
visible() { xdotool search --onlyvisible --name "$1"; }
gone() { ! visible "$1"; }
clipboard_png() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q image/png && xclip -selection clipboard -t image/png -o >"$T/clip.png" 2>/dev/null && [[ -s $T/clip.png ]]; }
clear_clipboard() { printf '' | xclip -selection clipboard -i; }
# What the program itself holds: resident anonymous and shared-memory pages, libraries not counted.
private_mb() { awk '/RssAnon|RssShmem/ {kb += $2} END {printf "%.0f MB", kb / 1024}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

run_size() {
    local size=$1 W=${1%x*} H=${1#*x} n=200
    while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    export DISPLAY=:$n
    T=$(mktemp -d)
    Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 & local xvfb=$!
    wait_for 10 xdpyinfo || { echo "no Xvfb for $size"; return; }
    openbox >/dev/null 2>&1 & local wm=$!
    python3 "$HERE/screen_image.py" "$W" "$H" >"$T/screen.ppm" && display -window root "$T/screen.ppm"
    export HOME=$T XDG_CONFIG_HOME=$T/config
    mkdir -p "$T/config/flameshot" "$T/shots"
    printf '[General]\nshowHelp=false\nshowStartupLaunchMessage=false\ndisabledTrayIcon=true\nshowDesktopNotification=false\nsavePath=%s\n' \
        "$T/shots" >"$T/config/flameshot/flameshot.ini"

    PIXDRIFT_TRACE=1 "$PIXDRIFT" >"$T/pixdrift.log" 2>&1 & local app=$!
    wait_for 10 visible '^Pixdrift$' || { echo "Pixdrift did not start"; return; }
    sleep 0.5
    # Where the main window shows: a full capture is on screen once that pixel changes.
    eval "$(xdotool search --onlyvisible --name '^Pixdrift$' getwindowgeometry --shell | head -5)"
    # A point of the window's own toolbar, unlike anything on the desktop.
    local cx=$((X + 24)) cy=$((Y + 40))
    xdotool key --clearmodifiers alt+F4
    local floor_key
    # (Ctrl+Alt+Super+5 is Pixdrift's own window key.)
    floor_key=$(xmodmap -pke | awk '$4 == "6" {print $2; exit}')
    "$FLOOR" "$floor_key" 0x4c & local floor=$!
    local flameshot=
    if have flameshot; then flameshot >/dev/null 2>&1 & flameshot=$!; fi
    # The window Capture Window takes.
    convert -size 640x400 xc:'#3366aa' "$T/window.png"
    display -title bench-window -geometry +200+200 "$T/window.png" & local shown=$!
    sleep 2.5
    # Just started, the window closed ten seconds ago, as between captures.
    sleep 10
    local pix_fresh fs_fresh="—"
    pix_fresh=$(private_mb "$app")
    [[ -n $flameshot ]] && fs_fresh="Flameshot $(private_mb "$flameshot")"

    for ((i = 0; i < ROUNDS; i++)); do
        # Hot key → overlay, the main window closed: Pixdrift, the floor, Flameshot.
        "$WATCH" 40 40 -- xdotool key ctrl+alt+super+4 >>"$T/key.txt"
        wait_for 5 visible '^Pixdrift selection$'; xdotool key Escape; wait_for 5 gone '^Pixdrift selection$'
        sleep 0.3
        "$WATCH" 40 40 -- xdotool key ctrl+alt+super+6 >>"$T/floor.txt"
        sleep 0.2; xdotool key Escape; sleep 0.4
        if [[ -n $flameshot ]]; then
            # The command ends only with the capture: the watch does not wait for it.
            "$WATCH" 40 40 -- sh -c 'flameshot gui >/dev/null 2>&1 &' >>"$T/flameshot-gui.txt"
            sleep 0.3; xdotool key Escape; sleep 0.6
        fi

        # With the main window open: the capture waits until the window is off the screen.
        "$PIXDRIFT"; wait_for 5 visible '^Pixdrift$'; sleep 0.3
        "$WATCH" 40 40 -- xdotool key ctrl+alt+super+4 >>"$T/key-open.txt"
        wait_for 5 visible '^Pixdrift selection$'; xdotool key Escape; wait_for 5 gone '^Pixdrift selection$'
        wait_for 5 visible '^Pixdrift$'; sleep 0.2
        xdotool key alt+F4
        wait_for 5 gone '^Pixdrift$'; sleep 0.3

        # Full capture: Pixdrift to its window; the others to a PNG file.
        "$WATCH" "$cx" "$cy" -- xdotool key ctrl+alt+super+3 >>"$T/full.txt"
        wait_for 5 visible '^Pixdrift$'; sleep 0.2
        xdotool key alt+F4
        wait_for 5 gone '^Pixdrift$'; sleep 0.3
        local t
        if have scrot; then t=$(now); scrot -o "$T/shots/scrot.png"; ms_since "$t" >>"$T/scrot.txt"; fi
        if have maim; then t=$(now); maim "$T/shots/maim.png"; ms_since "$t" >>"$T/maim.txt"; fi
        # (Once: here it waits out a 25 s D-Bus timeout every time.)
        if [[ -n $flameshot ]] && ((i == 0)); then
            t=$(now); flameshot full -p "$T/shots" >/dev/null 2>&1; ms_since "$t" >>"$T/flameshot-full.txt"
        fi

        # Capture Window: from `pixdrift --window` (reaching the running one) to its window.
        xdotool search --onlyvisible --name '^bench-window$' windowactivate --sync >/dev/null 2>&1
        "$WATCH" "$cx" "$cy" -- "$PIXDRIFT" --window >>"$T/window.txt"
        wait_for 5 visible '^Pixdrift$'; sleep 0.2
        xdotool key alt+F4
        wait_for 5 gone '^Pixdrift$'; sleep 0.3

        # For a script: the whole screen as a region to a file through standard output, the
        # command reaching the running Pixdrift; maim and Flameshot likewise.
        t=$(now); "$PIXDRIFT" --region "0,0 ${W}x$H" -o - >"$T/shots/region.png"; ms_since "$t" >>"$T/region.txt"
        if have maim; then t=$(now); maim -g "${W}x$H+0+0" >"$T/shots/maim-g.png"; ms_since "$t" >>"$T/maim-g.txt"; fi
        if [[ -n $flameshot ]]; then
            t=$(now); flameshot screen --raw >"$T/shots/flameshot-raw.png" 2>/dev/null; ms_since "$t" >>"$T/flameshot-raw.txt"
        fi

        # An area of the whole screen copied: from the Copy key to a PNG on the clipboard.
        clear_clipboard
        xdotool key ctrl+alt+super+4; wait_for 5 visible '^Pixdrift selection$'; sleep 0.2
        xdotool mousemove 1 1 mousedown 1 sleep 0.1 mousemove $((W / 2)) $((H / 2)) sleep 0.1 mousemove $((W - 1)) $((H - 1)) sleep 0.1 mouseup 1
        wait_for 5 visible '^Pixdrift$'; sleep 0.3
        t=$(now)
        xdotool key ctrl+c
        wait_for 10 clipboard_png && ms_since "$t" >>"$T/copy.txt" && mv "$T/clip.png" "$T/clip-pixdrift.png"
        xdotool key alt+F4; wait_for 5 gone '^Pixdrift$'; sleep 0.3
        if [[ -n $flameshot ]]; then
            clear_clipboard
            flameshot gui >/dev/null 2>&1 & sleep 1.2
            xdotool mousemove 1 1 mousedown 1 sleep 0.1 mousemove $((W / 2)) $((H / 2)) sleep 0.1 mousemove $((W - 1)) $((H - 1)) sleep 0.1 mouseup 1
            sleep 0.3
            t=$(now); xdotool key ctrl+c
            wait_for 10 clipboard_png && ms_since "$t" >>"$T/flameshot-copy.txt"
            sleep 0.5
        fi
    done
    # Pixdrift's own time from the Copy key to the clipboard.
    awk '/trace copy-start/ {s = $4} /trace copy-done/ && s {printf "%.0f\n", $4 - s; s = 0}' "$T/pixdrift.log" >"$T/copy-inside.txt"

    # Idle: ten seconds with nothing to do.
    sleep 2
    local p0 f0 p1 f1
    p0=$(cpu_ticks "$app"); [[ -n $flameshot ]] && f0=$(cpu_ticks "$flameshot")
    sleep 10
    p1=$(cpu_ticks "$app"); [[ -n $flameshot ]] && f1=$(cpu_ticks "$flameshot")
    local pix_idle pix_cpu="$(((p1 - p0) * 10)) ms" fs_idle="—" fs_cpu="—"
    pix_idle=$(private_mb "$app")
    [[ -n $flameshot ]] && fs_idle="Flameshot $(private_mb "$flameshot")" fs_cpu="Flameshot $(((f1 - f0) * 10)) ms"

    echo "| $size: hot key → overlay, window closed | $(stats "$T/key.txt") | $(stats "$T/floor.txt") | $(ratio "$T/key.txt" "$T/floor.txt") of the floor | Flameshot \`gui\` $(stats "$T/flameshot-gui.txt"), $(ratio "$T/flameshot-gui.txt" "$T/key.txt") Pixdrift's |"
    echo "| $size: hot key → overlay, window open | $(stats "$T/key-open.txt") | $(stats "$T/floor.txt") | $(ratio "$T/key-open.txt" "$T/floor.txt") of the floor | — |"
    echo "| $size: Capture Window | $(stats "$T/window.txt") | — | — | — |"
    echo "| $size: full capture | $(stats "$T/full.txt") | — | — | scrot $(stats "$T/scrot.txt"); maim $(stats "$T/maim.txt"); Flameshot \`full\` $(stats "$T/flameshot-full.txt") |"
    echo "| $size: whole screen to a file by script | $(stats "$T/region.txt") | — | — | \`maim -g\` $(stats "$T/maim-g.txt"); \`flameshot screen --raw\` $(stats "$T/flameshot-raw.txt") |"
    echo "| $size: Copy of the whole screen | $(stats "$T/copy.txt") (inside Pixdrift: $(stats "$T/copy-inside.txt")) | — | — | Flameshot $(stats "$T/flameshot-copy.txt") |"
    echo "| $size: idle private memory, just started | $pix_fresh | — | — | $fs_fresh |"
    echo "| $size: idle private memory, after the rounds | $pix_idle | — | — | $fs_idle |"
    echo "| $size: CPU while idle for 10 s | $pix_cpu | — | — | $fs_cpu |"

    kill "$app" "$floor" "$shown" ${flameshot:+"$flameshot"} "$wm" "$xvfb" 2>/dev/null
    wait 2>/dev/null
    [[ -n ${KEEP_WORK:-} ]] && echo "work folder: $T" || rm -rf "$T"
}

echo "| measurement | Pixdrift | floor | Pixdrift vs floor | usual tools |"
echo "|---|---|---|---|---|"
for size in "$@"; do
    run_size "$size"
done
echo
echo "Medians of $ROUNDS interleaved rounds (min–max). Times run from the key tool's start (xdotool) until a screen pixel changes, except: a full capture by scrot, maim and \`flameshot full\` is the command's whole run until its PNG file is written (Pixdrift's, until its window shows it); a script's capture is the command's whole run; Copy runs from the key press until \`xclip\` reads a PNG off the clipboard. Private memory is RssAnon + RssShmem (libraries not counted); after the rounds Pixdrift still holds the last capture, which its window shows when opened again, and the PNG it offers on the clipboard."
