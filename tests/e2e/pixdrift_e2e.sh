#!/usr/bin/env bash
# Drives the whole program on its own X server as a user would: hot keys, the overlay, marks,
# copy, save, the tray menu, the settings, two monitors, the command line reaching the running
# program, and quitting. Run it inside its own session bus (dbus-run-session).
#
#   pixdrift_e2e.sh <pixdrift> <Qt scale factor> <folder for screenshots> [<scroll_page>]
#
# Every wait looks for its condition again and again until a generous bound (never a fixed
# sleep and one look), so a busy machine makes the run slower, not red. A failure names its
# step and what was seen, and leaves a screenshot. Every process started here is ended by PID
# on the way out.
set -uo pipefail

PIXDRIFT=$1 SCALE=$2 OUT=$3 SCREEN_W=2880 SCREEN_H=1800 SCROLL_PAGE=${4:-}

mkdir -p "$OUT"
rm -f "$OUT/scale$SCALE-"*.png
WORK=$(mktemp -d)
[[ -n ${KEEP_WORK:-} ]] && echo "work folder: $WORK"
PIXDRIFT_PID=
PIXDRIFT_PIDS=()
trap 'cleanup; [[ -n ${KEEP_WORK:-} ]] || rm -rf "$WORK"' EXIT

shot() { import -display "$DISPLAY" -window root "$OUT/scale$SCALE-$1.png" 2>/dev/null || true; }
fail() {
    echo "FAIL (scale $SCALE) at step '$STEP': $*"
    shot "failed-$STEP"
    [[ -f $WORK/pixdrift.log ]] && sed 's/^/  pixdrift: /' "$WORK/pixdrift.log" | tail -20
    exit 1
}
# shellcheck source=steps.sh
source "$(dirname "$0")/steps.sh"
start() { "$@" >"$WORK/$(basename "$1").out" 2>&1 & PIDS+=($!); }

# ---- an X server with a window manager, a tray and known pixels on the root window
n=90
while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done

step no-display
out=$(env -u QT_QPA_PLATFORM DISPLAY=:$n "$PIXDRIFT" 2>&1)
code=$?
[[ $code == 1 && $out == "cannot open display :$n" ]] || fail "with no display: exit $code, '$out'"
for wrong in "--no-such-option" "--delay 5" "--area --delay 0" "--full --delay 61" "--area --delay soon" \
             "--gapplication-service --full" "--region bogus" "--region 0x10+0+0" "--area --region 5x5+1+1"; do
    # shellcheck disable=SC2086 # the words are the arguments
    "$PIXDRIFT" $wrong >/dev/null 2>"$WORK/usage.txt"
    code=$?
    [[ $code == 2 ]] && grep -q -- '--area' "$WORK/usage.txt" ||
        fail "'pixdrift $wrong' exited with $code: $(head -2 "$WORK/usage.txt")"
done

export DISPLAY=:$n
start Xvfb "$DISPLAY" -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp
wait_for 30 xdpyinfo || fail "Xvfb did not start on $DISPLAY"
convert -size "${SCREEN_W}x${SCREEN_H}" -seed 7 plasma:fractal -depth 8 "PNG24:$WORK/pattern.png" || fail "no pattern"
start openbox
# The tray docks into the window manager, so it starts once the manager has taken the screen.
wait_for 30 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" || fail "openbox did not start"
start trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent false
wait_for 30 xdotool search --class trayer || fail "trayer did not start: $(cat "$WORK/trayer.out")"
sleep 0.5
# After the window manager, which paints the root itself when it starts.
# display answers 1 even when it has set the background, so look at the root instead.
display -window root "$WORK/pattern.png"
convert "$WORK/pattern.png" -crop 64x64+100+100 +repage "$WORK/pattern-sample.png"
root_shows_pattern() {
    import -window root -crop 64x64+100+100 +repage "$WORK/root-sample.png" &&
        [[ $(compare -metric AE "$WORK/root-sample.png" "$WORK/pattern-sample.png" null: 2>&1) == 0 ]]
}
wait_for 30 root_shows_pattern || fail "the root background does not show the pattern"

export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/config LANG=C QT_SCALE_FACTOR=$SCALE
mkdir -p "$HOME"
unset QT_QPA_PLATFORM

start_pixdrift() {
    "$PIXDRIFT" >"$WORK/pixdrift.log" 2>&1 &
    PIXDRIFT_PID=$!
    PIDS+=("$PIXDRIFT_PID")
    PIXDRIFT_PIDS+=("$PIXDRIFT_PID")
    wait_for 60 grep -q "Pixdrift startup.*handler=" "$WORK/pixdrift.log" || fail "no start-up line"
    wait_for 30 main_window || fail "the main window did not open"
}
# ended_ok <what>: the program ends by itself within 30 s, with status 0.
ended_ok() {
    wait_for 30 sh -c "! kill -0 $PIXDRIFT_PID" || fail "pixdrift is still running after $1"
    wait "$PIXDRIFT_PID"
    local code=$?
    ((code == 0)) || fail "pixdrift exited with $code after $1"
}
# started_with <text>: the start-up line holds the text.
started_with() { wait_for 30 grep -q "Pixdrift startup shortcuts $1" "$WORK/pixdrift.log"; }
# clip_is <file> <W>x<H>: the clipboard holds a PNG of that size, now saved in the file.
clip_is() {
    xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null && [[ $(identify -format '%wx%h' "$1" 2>/dev/null) == "$2" ]]
}
# copy_to <file> <W>x<H>: Copy (Ctrl+C in the main window), then the clipboard holds a PNG of that size.
copy_to() {
    xdotool windowactivate --sync "$(main_window)" 2>/dev/null
    key ctrl+c
    wait_for 30 clip_is "$1" "$2"
}
# open_tray_menu: clicks the tray icon (its +X+Y in the tray's tree) and waits for the menu, a
# new window of the program.
open_tray_menu() {
    local before pos
    before=$(xdotool search --onlyvisible --pid "$PIXDRIFT_PID" 2>/dev/null | wc -l)
    pos=$(tray_icon | awk '{print $NF}') && [[ -n $pos ]] || fail "no tray icon"
    pos=${pos#+}
    xdotool mousemove $((${pos%%+*} + 11)) $((${pos##*+} + 11)) click 1
    wait_for 30 sh -c "[ \$(xdotool search --onlyvisible --pid $PIXDRIFT_PID 2>/dev/null | wc -l) -gt $before ]" ||
        fail "the tray menu did not open"
    sleep 0.3
}
# X, Y, WIDTH, HEIGHT of a window's inside. xdotool's own answer counts the window manager's
# frame twice.
geometry() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "X=" $NF} /Absolute upper-left Y/ {print "Y=" $NF}
        /^  Width/ {print "WIDTH=" $NF} /^  Height/ {print "HEIGHT=" $NF}')"
}
main_window() { xdotool search --onlyvisible --name '^Pixdrift$' 2>/dev/null | while read -r id; do
    geometry "$id"
    ((WIDTH > 300)) && echo "$id" && break
done; }
overlay_shown() { xdotool search --onlyvisible --name '^Pixdrift selection$'; }
overlay_gone() { ! overlay_shown; }
tray_icon() { xwininfo -root -tree | grep -A4 '"panel": ("panel" "trayer")' | grep '"Pixdrift"' | head -1; }
key() { xdotool key --clearmodifiers "$@"; }
# Pixels of the root window as plain RGB rows, for comparisons.
grab() { import -window root "$1"; }
same_pixels() { [[ $(compare -metric AE "$1" "$2" null: 2>&1) == 0 ]]; }
# is_screen <file> <x0> <y0> <x1> <y1>: the file holds exactly that part of the screen's pattern.
is_screen() {
    convert "$WORK/pattern.png" -crop "$(($4 - $2))x$(($5 - $3))+$2+$3" +repage "$WORK/expected.png" &&
        same_pixels "$1" "$WORK/expected.png"
}
# select_area <x0> <y0> <x1> <y1> <shot>: a drag on the shown overlay; the main window comes back.
select_area() {
    wait_for 30 overlay_shown || fail "the overlay did not appear"
    sleep 0.5
    xdotool mousemove "$1" "$2" mousedown 1 mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)) mousemove "$3" "$4"
    sleep 0.5
    shot "$5"
    xdotool mouseup 1
    wait_for 30 overlay_gone || fail "an overlay stayed after the selection"
    wait_for 30 main_window || fail "the main window did not come back"
    sleep 0.5
}
# escape_overlay <what>: the overlay the last key showed closes with Escape.
escape_overlay() {
    wait_for 30 overlay_shown || fail "no overlay: $1"
    sleep 0.3
    key Escape
    wait_for 30 overlay_gone || fail "Escape left an overlay on screen"
}

# ---- 1. start-up
step startup
start_pixdrift
started_with "registered=YES area=control+option+command+4 full=control+option+command+3 window=control+option+command+5 status=0 handler=0" ||
    fail "start-up line: $(grep startup "$WORK/pixdrift.log")"
wait_for 30 tray_icon || fail "the tray icon did not appear"
wait_for 30 main_window || fail "the main window did not open"
shot 1-started

# ---- 2. area capture by hot key, drag a rectangle
step area-capture
X0=400 Y0=300 X1=1600 Y1=1100
key ctrl+alt+super+4
select_area $X0 $Y0 $X1 $Y1 2-overlay-drag
MAIN=$(main_window)
wait_for 30 sh -c "[ \"\$(xdotool getactivewindow)\" = $MAIN ]" || fail "the main window is not in front"
shot 3-crop

# ---- 3. a mark, then Copy: the clipboard holds exactly the crop's pixels, without the mark
step mark-and-copy
geometry "$MAIN"
grab "$WORK/before-mark.png"
MX=$((X + WIDTH * 3 / 4)) MY=$((Y + HEIGHT * 3 / 4))
xdotool mousemove $MX $MY mousedown 1 mousemove $((MX + 40)) $((MY + 10)) mousemove $((MX + 120)) $((MY + 30)) mouseup 1
mark_drawn() { grab "$WORK/after-mark.png" && ! same_pixels "$WORK/before-mark.png" "$WORK/after-mark.png"; }
wait_for 30 mark_drawn || fail "the mark was not drawn"
copy_to "$WORK/clip.png" "$((X1 - X0))x$((Y1 - Y0))" ||
    fail "the clipboard holds no PNG of the crop: $(identify -format '%wx%h' "$WORK/clip.png" 2>&1)"
targets=$(xclip -selection clipboard -t TARGETS -o | grep -v -e TARGETS -e MULTIPLE -e TIMESTAMP -e SAVE_TARGETS)
[[ $targets == image/png ]] || fail "clipboard formats: $targets"
is_screen "$WORK/clip.png" $X0 $Y0 $X1 $Y1 || fail "the copied pixels differ from the screen"

# ---- 3b. Escape throws nothing away: Undo brings the capture back with its crop
step escape-and-undo
xdotool windowactivate --sync "$(main_window)" 2>/dev/null
key Escape
# Only a Copy of the capture brought back can fill the clipboard again.
printf 'empty' | xclip -selection clipboard
key ctrl+z
copy_to "$WORK/clip-undone.png" "$((X1 - X0))x$((Y1 - Y0))" || fail "Undo after Escape did not bring the crop back"
same_pixels "$WORK/clip.png" "$WORK/clip-undone.png" || fail "the crop brought back copies other pixels"

# ---- 4. Save with the proposed name, then again under the same name
step save
save_as() {
    xdotool windowactivate --sync "$(main_window)" 2>/dev/null
    key ctrl+s
    wait_for 30 sh -c '[ "$(xdotool getactivewindow getwindowname)" = "Save As" ]' || fail "no save dialog in front"
    sleep 0.5
    shot "4-save-dialog${1:+-again}"
    if [[ -n ${1:-} ]]; then
        key ctrl+a
        xdotool type --delay 5 "$1"
    fi
    key Return
    wait_for 30 sh -c "! xdotool search --onlyvisible --name 'Save As'" || fail "the save dialog stayed"
}
save_as
wait_for 30 sh -c "ls '$HOME' | grep -q '^Pixdrift-.*[0-9]\.png$'" || fail "no saved file in $HOME"
first=$(ls "$HOME" | grep '^Pixdrift-.*[0-9]\.png$' | head -1)
save_as "${first%.png}"
second="${first%.png} 2.png"
wait_for 30 test -f "$HOME/$second" || fail "no '$second' beside '$first': $(ls "$HOME")"
same_pixels "$HOME/$first" "$WORK/clip.png" || fail "'$first' differs from the copy"
same_pixels "$HOME/$second" "$WORK/clip.png" || fail "'$second' differs from the copy"

# ---- 4b. With the window open, the capture never shows it: an area over its corner, frame and
# title bar included, copies the pattern that lies under it. Three times, as a race shows now and then.
step window-never-captured
for round in 1 2 3; do
    MAIN=$(main_window) && [[ -n $MAIN ]] || fail "round $round: the main window is not open"
    xdotool windowactivate --sync "$MAIN" 2>/dev/null
    geometry "$MAIN"
    CX0=$((X > 42 ? X - 40 : 2)) CY0=$((Y > 62 ? Y - 60 : 2)) CX1=$((X + 260)) CY1=$((Y + 140))
    key ctrl+alt+super+4
    # Mid-drag the overlay shows the frozen screen undimmed outside the selection: beside it,
    # where the window was, the pattern.
    wait_for 30 overlay_shown || fail "round $round: the overlay did not appear"
    sleep 0.5
    xdotool mousemove $CX0 $CY0 mousedown 1 mousemove $((CX0 + 50)) $((CY0 + 50)) mousemove $CX1 $CY1
    sleep 0.5
    grab "$WORK/overlay-open.png"
    convert "$WORK/overlay-open.png" -crop "300x$((CY1 - CY0))+$((CX1 + 20))+$CY0" +repage "$WORK/overlay-beside.png"
    is_screen "$WORK/overlay-beside.png" $((CX1 + 20)) $CY0 $((CX1 + 320)) $CY1 ||
        fail "round $round: the overlay shows other pixels than the screen under the open window"
    xdotool mouseup 1
    wait_for 30 overlay_gone || fail "an overlay stayed after the selection"
    wait_for 30 main_window || fail "the main window did not come back"
    sleep 0.5
    copy_to "$WORK/clip-open.png" "$((CX1 - CX0))x$((CY1 - CY0))" || fail "round $round: no copy of the area"
    is_screen "$WORK/clip-open.png" $CX0 $CY0 $CX1 $CY1 ||
        fail "round $round: the capture shows the window that was open"
done

# ---- 5. full capture from the tray; new area shortcut from the settings; restart
step full-capture-from-tray
open_tray_menu
shot 5-tray-menu
key Down Down Down Return
sleep 2
wait_for 30 main_window || fail "no main window after the full capture"
copy_to "$WORK/full.png" "${SCREEN_W}x${SCREEN_H}" ||
    fail "the full capture is $(identify -format '%wx%h' "$WORK/full.png" 2>&1)"

step settings
MAIN=$(main_window)
xdotool windowactivate --sync "$MAIN" 2>/dev/null
key ctrl+comma
wait_for 30 xdotool search --onlyvisible --name 'Preferences' || fail "no settings window"
SETTINGS=$(xdotool search --onlyvisible --name 'Preferences' | head -1)
sleep 0.5
geometry "$SETTINGS"
stored() { grep -q '"pd.areaShortcut": "control+shift+a"' "$HOME/config/Pixdrift/defaults.json"; }
# Record and save; on a busy machine a key can reach the field before it records, so try again.
for attempt in 1 2 3; do
    xdotool mousemove $((X + 431 * SCALE)) $((Y + 91 * SCALE)) click 1
    sleep 0.5
    ((attempt == 1)) && shot 6-recording
    key ctrl+shift+a
    sleep 0.5
    xdotool mousemove $((X + 504 * SCALE)) $((Y + 417 * SCALE)) click 1
    wait_for 30 stored && break
done
stored || fail "the new shortcut was not stored"
key ctrl+shift+a
escape_overlay "the new shortcut does not capture"
sleep 0.5
key ctrl+alt+super+4
sleep 1.5
overlay_gone || fail "the old shortcut still captures"

step restart
# SIGTERM ends the program in order, through its event loop.
kill -TERM "$PIXDRIFT_PID"
ended_ok SIGTERM
# From now on marks go into the copies (the setting "Include marks", as the menu stores it).
python3 - "$HOME/config/Pixdrift/defaults.json" <<'PY' || fail "could not turn on Include marks"
import json, sys
settings = json.load(open(sys.argv[1]))
settings["pd.includeMarks"] = 1
json.dump(settings, open(sys.argv[1], "w"))
PY
start_pixdrift
started_with "registered=YES area=control+shift+a full=control+option+command+3" ||
    fail "after a restart: $(grep startup "$WORK/pixdrift.log")"
sleep 1

# ---- 5b. with "Include marks" a drag inside the crop draws, and the copy holds the mark
step marks-in-copy
key ctrl+shift+a
select_area $X0 $Y0 $X1 $Y1 6-marks-overlay
geometry "$(main_window)"
# The window's middle shows the middle of the screen, inside the crop.
CX=$((X + WIDTH / 2)) CY=$((Y + HEIGHT / 2))
xdotool mousemove $((CX - 60 * SCALE)) "$CY" mousedown 1 mousemove "$CX" "$CY" mousemove $((CX + 60 * SCALE)) "$CY" mouseup 1
sleep 0.5
shot 7-mark-inside-crop
copy_to "$WORK/marked.png" "$((X1 - X0))x$((Y1 - Y0))" ||
    fail "the crop moved or the clipboard holds no PNG of it: $(identify -format '%wx%h' "$WORK/marked.png" 2>&1)"
red=$(convert "$WORK/marked.png" -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' \
    -format '%[fx:int(mean*w*h+0.5)]' info:)
((red > 200 * SCALE)) || fail "the copied PNG holds $red pixels of the mark's red"

# ---- 5c. text and two counters: the copy differs from the plain crop only where they are
step text-and-counters
key ctrl+z
key t
# The window's middle lies near the crop's bottom-right corner: all of it goes up and left.
xdotool mousemove $((CX - 200 * SCALE)) $((CY - 60 * SCALE)) click 1
sleep 0.3
xdotool type --delay 40 'Pixdrift 42'
key Escape
key n
for dx in 70 20; do
    xdotool mousemove $((CX - dx * SCALE)) $((CY + 10 * SCALE)) click 1
    sleep 0.2
done
sleep 0.3
shot 7b-text-and-counters
copy_to "$WORK/annotated.png" "$((X1 - X0))x$((Y1 - Y0))" || fail "no copy of the annotated crop"
convert "$WORK/pattern.png" -crop "$((X1 - X0))x$((Y1 - Y0))+$X0+$Y0" +repage "$WORK/plain.png"
compare "$WORK/annotated.png" "$WORK/plain.png" -compose src -highlight-color white -lowlight-color black \
    "$WORK/differ.png" 2>/dev/null
# The letters run together into one patch; the counters are two round ones; nothing else differs.
mapfile -t patches < <(convert "$WORK/differ.png" -morphology Dilate "Disk:$((6 * SCALE))" \
    -define connected-components:verbose=true -connected-components 8 null: |
    awk '$NF ~ /255/ {print $2}')
((${#patches[@]} == 3)) || fail "the copy differs in ${#patches[@]} places (${patches[*]}), not in a text and two counters"
wide=0 round=0
for patch in "${patches[@]}"; do
    w=${patch%%x*} h=${patch#*x} h=${h%%+*}
    ((w > 3 * h && w > 80 * SCALE)) && wide=$((wide + 1))
    ((w < 50 * SCALE && h < 50 * SCALE && w * 10 > h * 8 && h * 10 > w * 8)) && round=$((round + 1))
done
((wide == 1 && round == 2)) || fail "the differing places are ${patches[*]}, not one line of text and two counters"

# ---- 5d. the annotated crop pinned over the screen, pixel for pixel; Escape closes it
step pin
pin_window() { xdotool search --onlyvisible --name 'Pin$' 2>/dev/null | head -1; }
pin_gone() { [[ -z $(pin_window) ]]; }
xdotool windowactivate --sync "$(main_window)" 2>/dev/null
key ctrl+p
wait_for 30 pin_window || fail "no pinned window"
sleep 0.5
shot 7c-pinned
import -window "$(pin_window)" "$WORK/pinned.png"
same_pixels "$WORK/pinned.png" "$WORK/annotated.png" ||
    fail "the pin shows $(identify -format '%wx%h' "$WORK/pinned.png"), not the copied pixels"
xdotool windowactivate --sync "$(pin_window)" 2>/dev/null
key Escape
wait_for 30 pin_gone || fail "Escape left the pin open"

# ---- 6. windows: a click in the overlay over the upper of two windows copies exactly its frame;
# --window captures the active one at once
step windows
convert -size 400x300 xc:'#2040ff' "$WORK/blue.png"
convert -size 300x200 xc:'#ff3010' "$WORK/red.png"
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
for colour in blue red; do
    place=+300+300
    [[ $colour == red ]] && place=+450+420
    start display -title "$colour-window" -geometry "$place" "$WORK/$colour.png"
    wait_for 30 window_named "$colour-window" || fail "the $colour test window did not map"
    xdotool windowactivate --sync "$(window_named "$colour-window")" 2>/dev/null
done
sleep 0.5
eval "$(xwininfo -frame -id "$(window_named red-window)" | awk '/Absolute upper-left X/ {print "RX=" $NF}
    /Absolute upper-left Y/ {print "RY=" $NF} /^  Width/ {print "RW=" $NF} /^  Height/ {print "RH=" $NF}')"
# xwininfo -frame gives the client's size: the frame is the manager's parent window around it.
frame=$(xwininfo -children -id "$(window_named red-window)" | awk '/Parent window id/ {print $4}')
eval "$(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {print "RX=" $NF}
    /Absolute upper-left Y/ {print "RY=" $NF} /^  Width/ {print "RW=" $NF} /^  Height/ {print "RH=" $NF}')"
grab "$WORK/windows-screen.png"
convert "$WORK/windows-screen.png" -crop "${RW}x${RH}+$RX+$RY" +repage "$WORK/red-frame.png"
key ctrl+shift+a
wait_for 30 overlay_shown || fail "no overlay for the window pick"
sleep 0.5
xdotool mousemove $((RX + RW / 2)) $((RY + RH / 2))
sleep 0.3
shot 7d-window-outlined
xdotool click 1
wait_for 30 overlay_gone || fail "a click on a window left the overlay"
copy_to "$WORK/red-copy.png" "${RW}x${RH}" ||
    fail "the click copied $(identify -format '%wx%h' "$WORK/red-copy.png" 2>&1), not the ${RW}x${RH} frame"
same_pixels "$WORK/red-copy.png" "$WORK/red-frame.png" || fail "the picked window's copy holds other pixels"
xdotool windowactivate --sync "$(window_named red-window)" 2>/dev/null
"$PIXDRIFT" --window >>"$WORK/window.log" 2>&1 || fail "--window failed: $(cat "$WORK/window.log")"
sleep 1
wait_for 30 main_window || fail "no main window after --window"
copy_to "$WORK/window-copy.png" "${RW}x${RH}" ||
    fail "--window copied $(identify -format '%wx%h' "$WORK/window-copy.png" 2>&1), not the ${RW}x${RH} frame"
same_pixels "$WORK/window-copy.png" "$WORK/red-frame.png" || fail "--window holds other pixels than the window's"
for colour in blue red; do xdotool windowclose "$(window_named "$colour-window")" 2>/dev/null || true; done

# ---- 7. two monitors, the primary left of and below the other: an overlay on each, a selection
# on the second, and a cancel that closes both
step two-monitors
kill -TERM "$PIXDRIFT_PID"
ended_ok SIGTERM
# RandR monitors on the one Xvfb screen; the one holding the screen's output takes its place.
xrandr --setmonitor RIGHT 1280/340x800/210+1600+0 none || fail "xrandr could not add a monitor"
xrandr --setmonitor '*LEFT' 1600/420x1000/260+0+800 screen || fail "xrandr could not add the primary"
start_pixdrift
overlays() { [[ $(xdotool search --onlyvisible --name '^Pixdrift selection$' | wc -l) == "$1" ]]; }
key ctrl+shift+a
wait_for 30 overlays 2 || fail "not one overlay on each monitor: $(overlay_shown | wc -l)"
select_area 1700 100 2500 600 9-two-monitors
copy_to "$WORK/second.png" 800x500 || fail "no copy of the selection on the second monitor"
is_screen "$WORK/second.png" 1700 100 2500 600 || fail "the copy from the second monitor holds other pixels"
key ctrl+shift+a
wait_for 30 overlays 2 || fail "no overlays for the cancel"
escape_overlay "for the cancel"

# ---- 8. the command line reaches the running program: a second start raises its window,
# --full captures (the primary monitor), and neither starts a second program
step second-start
xdotool search --onlyvisible --name '^Pixdrift$' | while read -r id; do xdotool windowminimize "$id"; done
sleep 0.5
"$PIXDRIFT" >"$WORK/second.log" 2>&1 || fail "a second start failed: $(cat "$WORK/second.log")"
wait_for 30 main_window || fail "a second start did not bring the window back"
# --full takes the monitor under the pointer.
for place in "100 1500 1600x1000 primary" "2000 300 1280x800 second"; do
    read -r px py size which <<<"$place"
    xdotool mousemove "$px" "$py"
    "$PIXDRIFT" --full >>"$WORK/second.log" 2>&1 || fail "--full failed: $(cat "$WORK/second.log")"
    sleep 1.5
    wait_for 30 main_window || fail "no main window after --full"
    copy_to "$WORK/full-$which.png" "$size" ||
        fail "--full with the pointer on the $which monitor captured $(identify -format '%wx%h' "$WORK/full-$which.png" 2>&1)"
done
(($(grep -c "Pixdrift startup" "$WORK/pixdrift.log") == 1)) || fail "a second program started"

# ---- 8b. --last takes the last selection again without an overlay; --screen takes a monitor
# by name, or all of them laid out as they are; a name that is not there is refused
step last-and-screens
xdotool mousemove 100 1500
"$PIXDRIFT" --last >>"$WORK/second.log" 2>&1 || fail "--last failed: $(cat "$WORK/second.log")"
for _ in 1 2 3 4 5 6 7 8 9 10; do overlay_shown >/dev/null && fail "--last showed an overlay"; sleep 0.2; done
copy_to "$WORK/last.png" 800x500 || fail "--last gave $(identify -format '%wx%h' "$WORK/last.png" 2>&1)"
same_pixels "$WORK/last.png" "$WORK/second.png" || fail "--last copied other pixels than the last selection"
"$PIXDRIFT" --full --screen RIGHT >>"$WORK/second.log" 2>&1 || fail "--screen RIGHT failed: $(cat "$WORK/second.log")"
sleep 1.5
copy_to "$WORK/right.png" 1280x800 || fail "--screen RIGHT gave $(identify -format '%wx%h' "$WORK/right.png" 2>&1)"
"$PIXDRIFT" --screen all >>"$WORK/second.log" 2>&1 || fail "--screen all failed: $(cat "$WORK/second.log")"
sleep 1.5
copy_to "$WORK/all.png" 2880x1800 || fail "--screen all gave $(identify -format '%wx%h' "$WORK/all.png" 2>&1)"
# (the right monitor below the tray's panel in its top corner)
for monitor in "1600 40 2880 800" "0 800 1600 1800"; do
    read -r mx0 my0 mx1 my1 <<<"$monitor"
    convert "$WORK/all.png" -crop "$((mx1 - mx0))x$((my1 - my0))+$mx0+$my0" +repage "$WORK/all-part.png"
    is_screen "$WORK/all-part.png" "$mx0" "$my0" "$mx1" "$my1" || fail "--screen all misplaces the monitor at $mx0,$my0"
done
"$PIXDRIFT" --full --screen nope >"$WORK/nope.log" 2>&1
status=$?
((status == 2)) && grep -q RIGHT "$WORK/nope.log" || fail "--screen nope ended with $status: $(cat "$WORK/nope.log")"

# ---- 8c. scripts, with Pixdrift running: a region (as slurp writes it) to standard output is
# exactly the screen's pixels, a region (as X11 writes it) to a .jpg is a JPEG of its size and
# the path is printed; Escape in an area capture for a file exits 1 and writes nothing; the
# text of a window is read; another program is refused
step scripts
"$PIXDRIFT" --region "100,900 300x200" -o - >"$WORK/region.png" 2>>"$WORK/second.log" ||
    fail "--region -o - failed: $(tail -2 "$WORK/second.log")"
is_screen "$WORK/region.png" 100 900 400 1100 || fail "--region -o - gave other pixels: $(identify "$WORK/region.png" 2>&1)"
written=$("$PIXDRIFT" --region 200x100+120+950 -o "$WORK/region.jpg" 2>>"$WORK/second.log") || fail "--region -o file failed"
[[ $written == "$WORK/region.jpg" && $(identify -format '%m %wx%h' "$WORK/region.jpg") == "JPEG 200x100" ]] ||
    fail "--region -o region.jpg printed '$written' and wrote $(identify "$WORK/region.jpg" 2>&1)"
("$PIXDRIFT" --area -o "$WORK/cancelled.png" >"$WORK/cancel.out" 2>&1; echo $? >"$WORK/cancel.code") &
escape_overlay "pixdrift --area -o showed no overlay"
wait_for 10 test -s "$WORK/cancel.code" || fail "pixdrift --area -o did not end after Escape"
[[ $(cat "$WORK/cancel.code") == 1 && ! -e $WORK/cancelled.png ]] ||
    fail "Escape in --area -o: exit $(cat "$WORK/cancel.code"), $(cat "$WORK/cancel.out")"
# A window showing a line of text: --ocr prints it (at most 2 % of the characters wrong).
LINE="Error: permission denied while opening the configuration file."
convert -size 760x60 xc:'#fafafa' -font DejaVu-Sans -pointsize 15 -fill '#202020' -annotate +20+36 "$LINE" "$WORK/line.png"
display -title text-line -geometry +100+1000 "$WORK/line.png" &
LINE_PID=$!
wait_for 10 xdotool search --onlyvisible --name '^text-line$' || fail "the text window did not show"
sleep 0.5
eval "$(xdotool search --onlyvisible --name '^text-line$' getwindowgeometry --shell | head -5)"
read_text=$("$PIXDRIFT" --region "$X,$Y ${WIDTH}x$HEIGHT" --ocr 2>>"$WORK/second.log") || fail "--ocr failed: $(tail -1 "$WORK/second.log")"
python3 - "$read_text" "$LINE" <<'PY' || fail "--ocr read '$read_text'"
import sys
a, b = " ".join(sys.argv[1].split()), sys.argv[2]
row = list(range(len(b) + 1))
for i in range(1, len(a) + 1):
    previous, row[0] = row[0], i
    for j in range(1, len(b) + 1):
        previous, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, previous + (a[i - 1] != b[j - 1]))
sys.exit(0 if row[-1] / len(b) <= 0.02 else 1)
PY
kill "$LINE_PID"
wait "$LINE_PID" 2>/dev/null
# Another program asking for the screen's pixels is refused: only Pixdrift's own command line may.
/usr/bin/python3 - >"$WORK/denied.log" 2>&1 <<'PY' || fail "another program was given a capture: $(cat "$WORK/denied.log")"
import sys
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
fds = Gio.UnixFDList.new()
fds.append(1)
request = {"action": GLib.Variant("i", 2), "output": GLib.Variant("s", "-")}
try:
    bus.call_with_unix_fd_list_sync("app.pixdrift.Pixdrift", "/app/pixdrift/Pixdrift", "app.pixdrift.Pixdrift", "Run",
                                    GLib.Variant("(a{sv}h)", (request, 0)), None, 0, 10000, fds, None)
except GLib.Error as error:
    print(error.message)
    sys.exit(0 if "AccessDenied" in error.message else 1)
sys.exit(1)
PY

# ---- 8d. a page taller than its window, captured whole: Pixdrift turning the wheel, then the
# user turning it and pressing Done; both times the fixed header once, then every row of the
# page, pixel for pixel
if [[ -n $SCROLL_PAGE ]]; then
    step scroll-by-itself
    "$SCROLL_PAGE" --write "$WORK/page.png" >"$WORK/page.out" 2>&1 &
    PAGE_PID=$!
    PIDS+=("$PAGE_PID")
    wait_for 10 xdotool search --onlyvisible --name '^Pixdrift scroll page$' || fail "the page did not show"
    wait_for 10 test -s "$WORK/page.png" || fail "the page did not write its picture"
    sleep 0.5
    PAGE=$(xdotool search --onlyvisible --name '^Pixdrift scroll page$' | head -1)
    geometry() { xwininfo -id "$PAGE" | awk -v key="$1" '$0 ~ key {print $NF}'; }
    PX=$(geometry 'Absolute upper-left X') PY=$(geometry 'Absolute upper-left Y') PW=$(geometry 'Width') PH=$(geometry 'Height')
    page_is() { [[ $(identify -format '%wx%h' "$1" 2>&1) == $(identify -format '%wx%h' "$WORK/page.png") &&
                   $(compare -metric AE "$1" "$WORK/page.png" null: 2>&1) == 0 ]]; }
    "$PIXDRIFT" --scroll --region "$PX,$PY ${PW}x$PH" -o - >"$WORK/scrolled.png" 2>>"$WORK/second.log" ||
        fail "--scroll -o - failed: $(tail -2 "$WORK/second.log")"
    page_is "$WORK/scrolled.png" || fail "--scroll gave $(identify "$WORK/scrolled.png" 2>&1), not the page"

    step scroll-by-hand
    # The page in front again (the main window came back over it) and back at its top, as a
    # user would start.
    xdotool windowactivate --sync "$PAGE"
    sleep 0.3
    xdotool mousemove $((PX + PW / 2)) $((PY + PH / 2)) click --repeat 80 --delay 5 4
    ("$PIXDRIFT" --scroll --manual --region "$PX,$PY ${PW}x$PH" -o "$WORK/by-hand.png" >"$WORK/by-hand.out" 2>>"$WORK/second.log"
     echo $? >"$WORK/by-hand.code") &
    wait_for 10 xdotool search --onlyvisible --name '^Scroll Capture$' || fail "no panel for the scrolling capture"
    sleep 0.5
    shot 8d-scroll-panel
    xdotool mousemove $((PX + PW / 2)) $((PY + PH / 2))
    for _ in $(seq 60); do xdotool click 5; sleep 0.1; done
    sleep 0.5
    xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^Scroll Capture$' | head -1)" key Return
    wait_for 20 test -s "$WORK/by-hand.code" || fail "Done did not end the scrolling capture"
    [[ $(cat "$WORK/by-hand.code") == 0 && $(cat "$WORK/by-hand.out") == "$WORK/by-hand.png" ]] ||
        fail "--scroll --manual: exit $(cat "$WORK/by-hand.code"), $(cat "$WORK/by-hand.out")"
    page_is "$WORK/by-hand.png" || fail "--scroll --manual gave $(identify "$WORK/by-hand.png" 2>&1), not the page"
    kill "$PAGE_PID"
    wait "$PAGE_PID" 2>/dev/null
fi

# ---- 9. closing the window keeps the program and the tray's Open brings it back; Quit ends it
step close-and-quit
xdotool windowactivate --sync "$(main_window)" 2>/dev/null
key alt+F4
no_main_window() { [[ -z $(main_window) ]]; }
wait_for 30 no_main_window || fail "the window did not close"
kill -0 "$PIXDRIFT_PID" || fail "closing the window ended pixdrift"
open_tray_menu
key Down Return
wait_for 30 main_window || fail "the tray's Open did not bring the window back"
# The keys stay held as the window appears: one pressed at once is not lost (the area key was
# recorded anew in the settings step).
key ctrl+shift+a
escape_overlay "the hot key pressed as the window appeared"
open_tray_menu
shot 8-quit-menu
key Up Return
ended_ok "Quit in the tray menu"
for pid in "${PIXDRIFT_PIDS[@]}"; do
    kill -0 "$pid" 2>/dev/null && fail "pixdrift $pid is still running"
done

# ---- 10. --area with no Pixdrift running starts one that captures; Quit over the bus ends it
step area-from-the-command-line
"$PIXDRIFT" --area >"$WORK/pixdrift.log" 2>&1 &
PIXDRIFT_PID=$!
PIDS+=("$PIXDRIFT_PID")
wait_for 30 overlays 2 || fail "pixdrift --area showed no overlay"
escape_overlay "pixdrift --area"
dbus-send --session --print-reply --dest=app.pixdrift.Pixdrift /app/pixdrift/Pixdrift app.pixdrift.Pixdrift.Quit \
    >/dev/null || fail "Quit over the bus failed"
ended_ok "Quit over the bus"

# ---- 10b. a script with no Pixdrift running: --full -c ends at once with the monitor under the
# pointer on the clipboard, offered until another program takes the clipboard over
step clipboard-alone
xdotool mousemove 100 1500
"$PIXDRIFT" --full -c >"$WORK/alone.log" 2>&1 || fail "--full -c failed: $(cat "$WORK/alone.log")"
xclip -selection clipboard -t image/png -o >"$WORK/alone.png" 2>/dev/null
is_screen "$WORK/alone.png" 0 800 1600 1800 || fail "--full -c left $(identify "$WORK/alone.png" 2>&1) on the clipboard"
printf 'mine' | xclip -selection clipboard
keeper_gone() { ! pgrep -f -- "--full -c" >/dev/null; }
wait_for 10 keeper_gone || fail "the clipboard's keeper stayed after the clipboard was taken over"

# ---- 11. started by the bus as a launcher starts it: no window until the launcher's call, then
# the entry's "Capture Area" action captures and the window shows the crop
step launcher-action
"$PIXDRIFT" --gapplication-service >"$WORK/pixdrift.log" 2>&1 &
PIXDRIFT_PID=$!
PIDS+=("$PIXDRIFT_PID")
wait_for 60 grep -q "Pixdrift startup" "$WORK/pixdrift.log" || fail "no start-up line"
sleep 1
[[ -z $(main_window) ]] || fail "a start for the bus showed the window"
gdbus call --session --dest app.pixdrift.Pixdrift --object-path /app/pixdrift/Pixdrift \
    --method org.freedesktop.Application.ActivateAction CaptureArea "[]" "{}" >/dev/null || fail "ActivateAction failed"
# On the primary monitor, the lower left one since the two-monitor step.
select_area 200 1000 600 1300 11-launcher-drag
copy_to "$WORK/launcher.png" 400x300 || fail "the launcher's capture copies $(identify -format '%wx%h' "$WORK/launcher.png" 2>&1)"
dbus-send --session --print-reply --dest=app.pixdrift.Pixdrift /app/pixdrift/Pixdrift app.pixdrift.Pixdrift.Quit \
    >/dev/null || fail "Quit over the bus failed"
ended_ok "Quit over the bus"

echo "end to end at scale $SCALE: all steps passed"
