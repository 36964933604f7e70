#!/usr/bin/env bash
# Drives the whole program in a Wayland session on a headless sway with two outputs, one at scale
# 2 and one at scale 1 (or SCALE2, e.g. 1.5): a key bound in sway starts an area capture, the
# overlay covers both outputs, a drag on each selects, Copy puts exactly the screen's pixels on
# the Wayland clipboard, a full capture goes through the desktop's Screenshot portal, and Quit
# ends it.
#
#   pixdrift_sway_e2e.sh <pixdrift> <folder for screenshots> [<pattern_window> [<scroll_page>]]
#
# sway refuses to run as root: as root the session runs as a user of its own, made here when
# missing. Every wait is bounded; every process started is ended by PID; a screenshot is taken
# at each step.
set -uo pipefail

PIXDRIFT=$1
OUT=$2
PATTERN=${3:-}
SCROLL_PAGE=${4:-}
HERE=$(cd "$(dirname "$0")" && pwd)
USER_NAME=pixdrift-e2e

if [[ ${1:-} != --inside ]]; then
    for tool in sway swaybg swaymsg grim wayvnc wl-paste pipewire dbus-run-session python3 convert; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed (scripts/setup installs it)"
            exit 77
        fi
    done
    [[ -e /usr/libexec/xdg-desktop-portal-wlr ]] || { echo "SKIP: xdg-desktop-portal-wlr is not installed"; exit 77; }
    mkdir -p "$OUT"
    rm -f "$OUT"/sway-*.png
    SESSION=$(mktemp -d /tmp/pixdrift-sway.XXXXXX)
    [[ -n ${KEEP_WORK:-} ]] && echo "session folder: $SESSION" || trap 'rm -rf "$SESSION"' EXIT
    mkdir -p "$SESSION/run" "$SESSION/home" "$SESSION/shots"
    # The session's user must reach the program and this script wherever the build lives.
    cp "$PIXDRIFT" "$SESSION/pixdrift"
    cp "$(dirname "$PIXDRIFT")/pixdrift-app" "$SESSION/pixdrift-app"
    # A window to pick in the overlay, where one is given.
    [[ -n $PATTERN ]] && cp "$PATTERN" "$SESSION/pattern_window" && chmod 755 "$SESSION/pattern_window"
    # A page taller than its window, for the scrolling capture.
    [[ -n $SCROLL_PAGE ]] && cp "$SCROLL_PAGE" "$SESSION/scroll_page" && chmod 755 "$SESSION/scroll_page"
    cp "$0" "$HERE/rfb.py" "$HERE/steps.sh" "$SESSION/"
    # scripts/bench runs its Wayland benchmark in this session: SWAY_BENCH=<script> <rounds>.
    if [[ -n ${SWAY_BENCH:-} ]]; then
        cp "$SWAY_BENCH" "$SESSION/bench_sway.py"
        cp "$(dirname "$PIXDRIFT")/bench/wl_pixel_watch" "$SESSION/" || exit 1
    fi
    chmod 755 "$SESSION" "$SESSION/pixdrift" "$SESSION/pixdrift-app"
    chmod 700 "$SESSION/run"
    run_as=()
    if ((EUID == 0)); then
        id "$USER_NAME" >/dev/null 2>&1 \
            || useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$USER_NAME" \
            || id "$USER_NAME" >/dev/null 2>&1 || { echo "FAIL: could not make the user $USER_NAME"; exit 1; }
        chown -R "$USER_NAME:" "$SESSION"
        run_as=(runuser -u "$USER_NAME" --)
    fi
    "${run_as[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$SESSION/home" XDG_RUNTIME_DIR="$SESSION/run" \
        LANG=C.UTF-8 SCALE2="${SCALE2:-1}" dbus-run-session -- bash "$SESSION/$(basename "$0")" --inside "$SESSION" "${SWAY_BENCH_ROUNDS:-}"
    code=$?
    cp "$SESSION/shots/"*.png "$OUT/" 2>/dev/null
    exit $code
fi

# ---- inside the session, as its user --------------------------------------------------------
SESSION=$2
BENCH_ROUNDS=${3:-}
cd "$SESSION" || exit 1
PIXDRIFT=$SESSION/pixdrift
SHOT=0
trap cleanup EXIT
start() { local log=$1; shift; "$@" >"$SESSION/$log.log" 2>&1 & PIDS+=($!); }
shot() { SHOT=$((SHOT + 1)); grim "$SESSION/shots/sway-$SHOT-$1.png" 2>/dev/null || true; }
fail() {
    echo "FAIL at step '$STEP': $*"
    shot "failed-$STEP"
    for log in pixdrift pixdrift-portal sway; do
        [[ -f $SESSION/$log.log ]] && tail -15 "$SESSION/$log.log" | sed "s/^/  $log: /"
    done
    exit 1
}
# shellcheck source=steps.sh
source "$SESSION/steps.sh"

# The outputs: HEADLESS-1 at scale 2 (1280 x 800 points) and HEADLESS-2 at scale SCALE2 to its
# right. The drags and the checks are in each output's own pixels, whatever its scale.
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman XDG_CURRENT_DESKTOP=sway
W1=2560 H1=1600 W2=1280 H2=800
# A screen where every pixel differs from its neighbours, so that a crop a pixel off shows.
python3 - "$W1" "$H1" >wall.ppm <<'PY'
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
row = lambda y: bytes(v for x in range(w) for v in ((x * 7) & 255, (y * 5 + x) & 255, (x ^ y) & 255))
sys.stdout.buffer.write(b"P6\n%d %d\n255\n" % (w, h) + b"".join(row(y) for y in range(h)))
PY
convert wall.ppm wall.png || exit 1
cat >sway.conf <<CONF
output HEADLESS-1 mode ${W1}x${H1} position 0 0 scale 2 bg $SESSION/wall.png center
output HEADLESS-2 mode ${W2}x${H2} position 1280 0 scale $SCALE2 bg $SESSION/wall.png center
default_border none
focus_follows_mouse no
bindsym ctrl+alt+4 exec $PIXDRIFT --area
bindsym ctrl+alt+3 exec $PIXDRIFT --full
CONF

step session
start pipewire pipewire
start sway sway -c sway.conf
wait_for 15 bash -c 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*' || fail "sway did not start"
export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.* | head -1)
wait_for 10 swaymsg -t get_outputs || fail "sway does not answer"
WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-? | head -1)")
export WAYLAND_DISPLAY
# The benchmark wants one output: a second one would be captured and drawn too.
if [[ -z $BENCH_ROUNDS ]]; then
    swaymsg create_output >/dev/null || fail "no second output"
    wait_for 10 bash -c "swaymsg -t get_outputs | grep -q HEADLESS-2" || fail "no second output"
fi
# The portals start on demand; they need to know the session.
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP SWAYSOCK || fail "no activation environment"
start vnc1 wayvnc -u -o HEADLESS-1 "$XDG_RUNTIME_DIR/vnc1.sock"
wait_for 10 test -S "$XDG_RUNTIME_DIR/vnc1.sock" || fail "wayvnc did not start"
if [[ -n $BENCH_ROUNDS ]]; then
    python3 "$SESSION/bench_sway.py" "$SESSION" "$BENCH_ROUNDS"
    exit $?
fi
start vnc2 wayvnc -u -o HEADLESS-2 "$XDG_RUNTIME_DIR/vnc2.sock"
wait_for 10 test -S "$XDG_RUNTIME_DIR/vnc2.sock" || fail "wayvnc did not start"
vnc() { local socket=$1; shift; python3 "$SESSION/rfb.py" "$XDG_RUNTIME_DIR/$socket.sock" "$@" || fail "rfb.py $*"; }
# Both wallpapers drawn before anything is compared with them.
wait_for 10 bash -c "grim -o HEADLESS-2 -t ppm - | cmp -s -n 64 - /dev/null; test \$? = 1" || fail "no wallpaper"
# The headless outputs draw the pointer into their pixels: it waits in a corner the checks do not
# look at, and moves only to drag.
vnc vnc2 move $((W2 - 1)) $((H2 - 1))
sleep 0.5
# The outputs' pixels as the compositor holds them (grim would resample the one at a fractional scale).
vnc vnc1 screen ref-HEADLESS-1.ppm
vnc vnc2 screen ref-HEADLESS-2.ppm

# pixel <ppm file> <x> <y>: the pixel's red, green and blue added.
pixel() { convert "$1" -format "%[fx:int(255*(p{$2,$3}.r+p{$2,$3}.g+p{$2,$3}.b)+0.5)]" info:; }
# darker <output> <x> <y>: the output's pixel now is clearly darker than on the wallpaper.
darker() { grim -t ppm -o "$1" now.ppm && (($(pixel now.ppm "$2" "$3") * 10 < $(pixel "ref-$1.ppm" "$2" "$3") * 7)); }
dbus_has() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:"$1" \
        | grep -q "boolean true"
}
overlays() { swaymsg -t get_tree | grep -c '"name": "Pixdrift selection"'; }
no_overlay() { [[ $(overlays) == 0 ]]; }
main_window() { swaymsg -t get_tree | grep -q '"name": "Pixdrift"'; }
# rect_of <pid> frame|content: the window's frame (its title bar included) or its content, in the
# layout's points; settled <pid> frame|content: it stays put for half a second.
rect_of() { swaymsg -t get_tree | python3 -c '
import json, sys
pid, part = int(sys.argv[1]), sys.argv[2]
def walk(node):
    if node.get("pid") == pid:
        r, d, w = node["rect"], node["deco_rect"], node["window_rect"]
        if part == "frame":
            print(r["x"], r["y"] - d["height"], r["width"], r["height"] + d["height"])
        else:
            print(r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$1" "$2"; }
settled() { local a b; a=$(rect_of "$1" "$2"); sleep 0.5; b=$(rect_of "$1" "$2"); [[ -n $a && $a == "$b" ]]; }
# quit_ok: Quit over the bus ends the program last started, with status 0.
quit_ok() {
    dbus-send --session --print-reply --dest=app.pixdrift.Pixdrift /app/pixdrift/Pixdrift app.pixdrift.Pixdrift.Quit >/dev/null \
        || fail "Quit was not answered"
    wait_for 10 bash -c "! kill -0 ${PIDS[-1]} 2>/dev/null" || fail "Pixdrift did not end"
    wait "${PIDS[-1]}" || fail "Pixdrift ended with $?"
}
# clipboard_is <output> <x> <y> <w> <h>: the clipboard holds a PNG of exactly that part of the
# output's wallpaper, pixel for pixel.
clipboard_is() {
    wl-paste -t image/png >clip.png 2>/dev/null && [[ $(identify -format '%wx%h' clip.png) == "$4x$5" ]] &&
        convert clip.png -depth 8 rgb:clip.rgb && convert "ref-$1.ppm" -crop "$4x$5+$2+$3" -depth 8 rgb:want.rgb &&
        cmp -s clip.rgb want.rgb
}

step start
start pixdrift "$PIXDRIFT"
wait_for 20 dbus_has app.pixdrift.Pixdrift || fail "Pixdrift did not take its name"
wait_for 10 main_window || fail "no main window"
shot start
grep -q "leaves the keys to the desktop" pixdrift.log || fail "the keys are not left to the desktop"

for output in HEADLESS-1 HEADLESS-2; do
    step "area-key-$output"
    # The key bound in sway starts "pixdrift --area", which reaches the running program.
    vnc vnc1 keys ctrl+alt+4
    wait_for 15 darker HEADLESS-1 1000 700 || fail "the first output is not dimmed"
    wait_for 10 darker HEADLESS-2 1000 700 || fail "the second output is not dimmed"
    [[ $(overlays) == 2 ]] || fail "$(overlays) overlays, not 2"
    shot "overlay-$output"

    step "drag-$output"
    if [[ $output == HEADLESS-1 ]]; then
        # Scale 2: the drag's ends lie on odd pixels, between two points.
        vnc vnc1 drag 301 201 1101 701
        X=301 Y=201 CW=800 CH=500
    else
        vnc vnc2 drag 100 50 740 530
        X=100 Y=50 CW=640 CH=480
    fi
    wait_for 10 no_overlay || fail "the overlays stayed"
    shot "selected-$output"

    step "copy-$output"
    wl-copy --clear 2>/dev/null
    # The main window has the keyboard once the overlay has gone.
    vnc vnc1 keys ctrl+c
    wait_for 10 clipboard_is "$output" "$X" "$Y" "$CW" "$CH" || fail "the clipboard does not hold the crop"
done

if [[ -x $SESSION/pattern_window ]]; then
    step window-pick
    # A floating window: the main window coming and going does not move it.
    start pattern env QT_QPA_PLATFORM=wayland ./pattern_window --window
    PATTERN_PID=${PIDS[-1]}
    wait_for 10 bash -c "swaymsg -t get_tree | grep -q '\"pid\": $PATTERN_PID'" || fail "the pattern window did not map"
    swaymsg "[pid=$PATTERN_PID] floating enable, move container to output HEADLESS-1, move position 200 150, focus" >/dev/null ||
        fail "sway did not place the pattern window"
    placed() {
        swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    return (node.get("pid") == int(sys.argv[1]) and node.get("type") == "floating_con"
            or any(walk(c) for c in node.get("nodes", []) + node.get("floating_nodes", [])))
sys.exit(0 if walk(json.load(sys.stdin)) else 1)' "$PATTERN_PID"
    }
    wait_for 10 placed || fail "the pattern window does not float"
    sleep 1
    # Its frame, title bar included, in the layout's points, once it stays put.
    wait_for 10 settled "$PATTERN_PID" frame || fail "the pattern window keeps changing"
    read -r GX GY GW GH < <(rect_of "$PATTERN_PID" frame)
    [[ -n ${GW:-} ]] || fail "no frame for the pattern window"
    # The pointer, drawn into the output's pixels, waits in a corner away from the window (focus
    # put it in the window's middle).
    vnc vnc1 move $((W1 - 1)) $((H1 - 1))
    sleep 0.5
    grim -t png -g "$GX,$GY ${GW}x$GH" window-ref.png || fail "grim cannot read the window"
    vnc vnc1 keys ctrl+alt+4
    # (The main window may cover the second output's wallpaper now: count the overlays instead.)
    overlays_up() { [[ $(overlays) == 2 ]]; }
    wait_for 15 overlays_up || fail "no overlay for the window pick"
    sleep 0.5
    # HEADLESS-1 is at scale 2: the window's middle in its pixels.
    vnc vnc1 move $(((GX + GW / 2) * 2)) $(((GY + GH / 2) * 2))
    sleep 0.3
    shot window-outlined
    vnc vnc1 drag $(((GX + GW / 2) * 2)) $(((GY + GH / 2) * 2)) $(((GX + GW / 2) * 2)) $(((GY + GH / 2) * 2))
    wait_for 10 no_overlay || fail "a click on the window left the overlays"
    wl-copy --clear 2>/dev/null
    vnc vnc1 keys ctrl+c
    window_copied() {
        wl-paste -t image/png >clip.png 2>/dev/null && [[ $(identify -format '%wx%h' clip.png) == $(identify -format '%wx%h' window-ref.png) ]] &&
            [[ $(compare -metric AE clip.png window-ref.png null: 2>&1) == 0 ]]
    }
    wait_for 10 window_copied || {
        swaymsg -t get_tree >tree-after.json
        fail "the click copied $(identify -format '%wx%h' clip.png 2>&1), not the ${GW}x$GH points at $GX,$GY"
    }
    kill "$PATTERN_PID"
    wait "$PATTERN_PID" 2>/dev/null
    # Quit below ends the program started last.
    unset 'PIDS[-1]'
fi

step quit
quit_ok

step region-for-a-script
# No Pixdrift runs: the command captures a region as slurp writes it, in the layout's points, and
# writes exactly grim's pixels of it to standard output.
grim -t png -g "0,0 200x100" region-ref.png || fail "grim cannot read the region"
"$PIXDRIFT" --region "$(echo 0,0 200x100)" -o - >region.png 2>region.log || fail "--region -o - failed: $(cat region.log)"
[[ $(identify -format '%wx%h' region.png) == $(identify -format '%wx%h' region-ref.png) &&
    $(compare -metric AE region.png region-ref.png null: 2>&1) == 0 ]] ||
    fail "--region -o - gave $(identify region.png 2>&1), not grim's $(identify -format '%wx%h' region-ref.png)"

if [[ $SCALE2 == 1 ]]; then
    step turned-outputs
    # An output turned or flipped: the compositor copies its pixels as they lie in the output's
    # buffer, and the capture stands them up as the output shows them, as grim composes them.
    for transform in 90 180 270 flipped flipped-90 flipped-180 flipped-270; do
        swaymsg output HEADLESS-2 transform $transform >/dev/null || fail "sway cannot turn HEADLESS-2 $transform"
        sleep 1
        grim -t png -o HEADLESS-2 turned-ref.png || fail "grim cannot read the turned output"
        rm -f turned.png
        "$PIXDRIFT" --full --screen HEADLESS-2 -o turned.png 2>turned.log || fail "--full --screen failed: $(cat turned.log)"
        [[ $(identify -format '%wx%h' turned.png) == $(identify -format '%wx%h' turned-ref.png) &&
            $(compare -metric AE turned.png turned-ref.png null: 2>&1) == 0 ]] ||
            fail "transform $transform gave $(identify -format '%wx%h' turned.png) differing in $(compare -metric AE turned.png turned-ref.png null: 2>&1) pixels from grim's"
    done
    swaymsg output HEADLESS-2 transform normal >/dev/null
fi

if [[ -x $SESSION/scroll_page ]]; then
    step scroll-by-hand
    # A page taller than its window, floating on the output at scale 2. No Pixdrift runs: the
    # command shows its panel (which sway floats and Pixdrift moves off the page), the user turns
    # the wheel over the page a notch at a time and presses Return; the file holds the header
    # once and every row of the page, exactly.
    start page env QT_QPA_PLATFORM=wayland ./scroll_page --write "$SESSION/page.png"
    PAGE_PID=${PIDS[-1]}
    wait_for 10 bash -c "swaymsg -t get_tree | grep -q '\"pid\": $PAGE_PID'" || fail "the page did not map"
    swaymsg "[pid=$PAGE_PID] floating enable, border none, move container to output HEADLESS-1, move position 100 100" >/dev/null ||
        fail "sway did not place the page"
    wait_for 10 test -s page.png || fail "the page did not write its picture"
    wait_for 10 settled "$PAGE_PID" content || fail "the page keeps moving"
    read -r QX QY QW QH < <(rect_of "$PAGE_PID" content)
    "$PIXDRIFT" --scroll --region "$QX,$QY ${QW}x$QH" -o "$SESSION/by-hand.png" >by-hand.out 2>by-hand.log &
    SCROLL_PID=$!
    panel_up() { swaymsg -t get_tree | grep -q '"name": "Scroll Capture"'; }
    wait_for 15 panel_up || fail "no panel for the scrolling capture"
    sleep 1
    shot scroll-panel
    # A notch each second and a half: every look is a whole grim of the 2560 × 1600 output (a
    # quarter of a second or more here), and a frame goes in once two looks agree.
    for _ in $(seq 26); do
        vnc vnc1 wheel $(((QX + QW / 2) * 2)) $(((QY + QH / 2) * 2)) 1 $((W1 - 1)) $((H1 - 1))
        sleep 1.5
    done
    sleep 1
    vnc vnc1 keys return
    wait_for 20 bash -c "! kill -0 $SCROLL_PID 2>/dev/null" || fail "Return did not end the scrolling capture"
    wait "$SCROLL_PID" || fail "--scroll ended with $?: $(cat by-hand.log)"
    [[ $(identify -format '%wx%h' by-hand.png 2>&1) == $(identify -format '%wx%h' page.png) &&
        $(compare -metric AE by-hand.png page.png null: 2>&1) == 0 ]] ||
        fail "--scroll gave $(identify by-hand.png 2>&1), not the page's $(identify -format '%wx%h' page.png)"
    kill "$PAGE_PID"
    wait "$PAGE_PID" 2>/dev/null
    unset 'PIDS[-1]'
fi

step full-through-portal
# grim is here; the portal path is taken on request. No Pixdrift runs: this start captures the
# main output at once and then shows its window.
vnc vnc2 move $((W2 - 1)) $((H2 - 1))
start pixdrift-portal env PIXDRIFT_CAPTURE=portal "$PIXDRIFT" --full
wait_for 30 main_window || fail "no main window after the full capture"
sleep 0.5
shot full-portal
wl-copy --clear 2>/dev/null
vnc vnc1 keys ctrl+c
wait_for 10 clipboard_is HEADLESS-1 0 0 "$W1" "$H1" || fail "the full capture through the portal is not the screen"
grep -q "Pixdrift capture failed" pixdrift-portal.log && fail "the capture failed"
quit_ok
echo "PASS"
