#!/usr/bin/env bash
# Drives the whole program on a headless KDE Plasma compositor (KWin) or GNOME Shell, as their
# users meet it, over a full-screen test pattern:
#   kde:   the key Pixdrift registered through KGlobalAccel starts an area capture read through
#          KWin's ScreenShot2, a drag selects, Ctrl+C puts exactly the screen's pixels on the
#          clipboard, a key changed as System Settings changes it is followed, the window key
#          captures the window in front through KWin, and an area again with the desktop's
#          Screenshot portal forced; nothing is left in ~/Pictures.
#          SCALE=1.5 runs KWin at that scale instead: one drag, copied exactly.
#   gnome: Pixdrift's own "Set in GNOME", clicked in its settings, makes the keybinding; the key
#          starts "pixdrift --area", a drag selects, Ctrl+C copies exactly; "pixdrift --full"
#          likewise; no file is left in the home folder.
#
#   pixdrift_desktop_e2e.sh kde|gnome <pixdrift> <pattern_window> <folder for screenshots>
#
# The session runs as an unprivileged user of its own under env -i and dbus-run-session, with a
# private system bus. Every wait is bounded; a screenshot is taken at each step.
set -uo pipefail

DESKTOP=$1
HERE=$(cd "$(dirname "$0")" && pwd)
USER_NAME=pixdrift-e2e

if [[ ${2:-} != --inside ]]; then
    PIXDRIFT=$2 PATTERN=$3 OUT=$4
    need=(dbus-run-session dbus-daemon gdbus python3 convert identify)
    [[ $DESKTOP == kde ]] && need+=(kwin_wayland wl-paste xdg-desktop-portal-kde)
    [[ $DESKTOP == gnome ]] && need+=(gnome-shell pipewire wireplumber /usr/libexec/gsd-media-keys
                                      /usr/libexec/xdg-desktop-portal-gnome)
    for tool in "${need[@]}"; do
        # Programs, or the portals' services wherever the distribution keeps them.
        command -v "$tool" >/dev/null || compgen -G "/usr/lib*/*/libexec/$tool" >/dev/null \
            || { echo "SKIP: $tool is not installed (scripts/setup installs it)"; exit 77; }
    done
    # The session runs the system's python.
    /usr/bin/python3 -c 'import gi' 2>/dev/null || { echo "SKIP: python3-gi is not installed"; exit 77; }
    mkdir -p "$OUT"
    rm -f "$OUT"/"$DESKTOP"-*.png
    SESSION=$(mktemp -d /tmp/pixdrift-$DESKTOP.XXXXXX)
    [[ -n ${KEEP_WORK:-} ]] && echo "session folder: $SESSION" || trap 'rm -rf "$SESSION"' EXIT
    mkdir -p "$SESSION/run" "$SESSION/home" "$SESSION/shots"
    cp "$PIXDRIFT" "$SESSION/pixdrift"
    cp "$(dirname "$PIXDRIFT")/pixdrift-app" "$SESSION/pixdrift-app"
    cp "$PATTERN" "$SESSION/pattern_window"
    cp "$0" "$HERE/desk.py" "$HERE/steps.sh" "$SESSION/"
    # scripts/bench runs its desktop benchmark in this session: DESKTOP_BENCH=<script> <rounds>.
    [[ -n ${DESKTOP_BENCH:-} ]] && cp "$DESKTOP_BENCH" "$SESSION/bench_desktop.py"
    chmod 755 "$SESSION" "$SESSION/pixdrift" "$SESSION/pixdrift-app" "$SESSION/pattern_window"
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
        LANG=C.UTF-8 SCALE="${SCALE:-1}" WINDOWS_SCRIPT="${WINDOWS_SCRIPT:-}" BENCH_ROUNDS="${DESKTOP_BENCH_ROUNDS:-}" dbus-run-session -- bash "$SESSION/$(basename "$0")" "$DESKTOP" --inside "$SESSION"
    code=$?
    cp "$SESSION/shots/"*.png "$OUT/" 2>/dev/null
    exit $code
fi

# ---- inside the session, as its user --------------------------------------------------------
SESSION=$3
cd "$SESSION" || exit 1
PIXDRIFT=$SESSION/pixdrift
SHOT=0
trap cleanup EXIT
start() { local log=$1; shift; "$@" >"$SESSION/$log.log" 2>&1 & PIDS+=($!); }
desk() { timeout 60 python3 "$SESSION/desk.py" "$DESKTOP" "$@"; }
shot() { SHOT=$((SHOT + 1)); desk shot now-shot.ppm 2>/dev/null && convert now-shot.ppm "shots/$DESKTOP-$SHOT-$1.png"; }
fail() {
    echo "FAIL at step '$STEP': $*"
    shot "failed-$STEP"
    [[ -n ${WINDOWS_SCRIPT:-} ]] && kwin_windows
    for log in pixdrift pixdrift-portal pixdrift-full compositor; do
        [[ -f $SESSION/$log.log ]] && tail -15 "$SESSION/$log.log" | sed "s/^/  $log: /"
    done
    exit 1
}
# KWin's windows, in its log, for a failure's report.
kwin_windows() {
    local id
    id=$(gdbus call --session --dest org.kde.KWin --object-path /Scripting --method org.kde.kwin.Scripting.loadScript "$WINDOWS_SCRIPT" w$RANDOM | grep -o '[0-9]*')
    gdbus call --session --dest org.kde.KWin --object-path /$id --method org.kde.kwin.Script.run >/dev/null
    sleep 0.5
    grep -E "WIN |ACTIVE " compositor.log | tail -8
}
# shellcheck source=steps.sh
source "$SESSION/steps.sh"

step session
# The compositors ask logind on the system bus for a seat: a private, empty one answers.
cat >system-bus.conf <<CONF
<busconfig><type>system</type><listen>unix:path=$SESSION/system_bus</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/></policy></busconfig>
CONF
start system-bus dbus-daemon --config-file=system-bus.conf --nofork
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$SESSION/system_bus
wait_for 5 test -S "$SESSION/system_bus" || fail "no system bus"
export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0

if [[ $DESKTOP == kde ]]; then
    export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=wayland
    # kwin_wayland carries a file capability that a container may refuse: a copy without it runs.
    KWIN=/usr/bin/kwin_wayland
    "$KWIN" --version >/dev/null 2>&1 || { cp "$KWIN" ./kwin_wayland && KWIN=$SESSION/kwin_wayland; }
    # Fake input for the test's own pointer and keys; ScreenShot2 for programs whose installed
    # desktop entry lists it, which a build run from a folder has not.
    start compositor env KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        "$KWIN" --virtual --width 1920 --height 1080 --scale "$SCALE" --socket wayland-0
    # The KDE portal saves its screenshots there and refuses when it is missing.
    mkdir -p "$HOME/Pictures"
else
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
    start pipewire pipewire
    start wireplumber wireplumber
    # A test extension: unsafe mode lets the test read the screen and the clipboard over the bus.
    EXT=pixdrift-test@pixdrift.app
    mkdir -p "$HOME/.local/share/gnome-shell/extensions/$EXT"
    echo "{\"uuid\": \"$EXT\", \"name\": \"Pixdrift test\", \"description\": \"unsafe mode\", \"shell-version\": [\"43\"]}" \
        >"$HOME/.local/share/gnome-shell/extensions/$EXT/metadata.json"
    cat >"$HOME/.local/share/gnome-shell/extensions/$EXT/extension.js" <<'JS'
const Main = imports.ui.main;
class Extension {
    enable() {
        global.context.unsafe_mode = true;
        if (Main.layoutManager._startingUp)
            Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
        else
            Main.overview.hide();
    }
    disable() { global.context.unsafe_mode = false; }
}
function init() { return new Extension(); }
JS
    gsettings set org.gnome.shell enabled-extensions "['$EXT']"
    gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
    gsettings set org.gnome.desktop.notifications show-banners false
    start compositor gnome-shell --wayland --headless --no-x11 --virtual-monitor 1920x1080
fi
wait_for 40 test -S "$XDG_RUNTIME_DIR/wayland-0" || fail "the compositor did not start"
dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE DBUS_SYSTEM_BUS_ADDRESS \
    ${KDE_FULL_SESSION:+QT_QPA_PLATFORM KDE_FULL_SESSION KDE_SESSION_VERSION} || fail "no activation environment"
if [[ $DESKTOP == gnome ]]; then
    shell_up() {
        gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval \
            '!Main.layoutManager._startingUp && !Main.overview.visible' | grep -q "(true, 'true')"
    }
    wait_for 40 shell_up || fail "GNOME Shell did not finish starting"
    # gsd-media-keys runs the custom keybindings; the shell alone does not.
    start media-keys /usr/libexec/gsd-media-keys
    wait_for 15 gdbus introspect --session --dest org.gnome.SettingsDaemon.MediaKeys \
        --object-path /org/gnome/SettingsDaemon/MediaKeys || fail "gsd-media-keys did not start"
fi

step pattern
start pattern env QT_QPA_PLATFORM=wayland ./pattern_window
# pixel <ppm file> <x> <y>: the pixel's red, green and blue added.
pixel() { convert "$1" -format "%[fx:int(255*(p{$2,$3}.r+p{$2,$3}.g+p{$2,$3}.b)+0.5)]" info:; }
# The desktop is black where the pattern is not.
patterned() { desk shot ref.ppm && (($(pixel ref.ppm 1000 700) > 100)); }
wait_for 20 patterned || fail "the pattern is not on the screen"
sleep 1
desk shot ref.ppm || fail "cannot read the screen back"
W=$(identify -format %w ref.ppm) H=$(identify -format %h ref.ppm)
shot pattern
if [[ -n $BENCH_ROUNDS ]]; then
    python3 "$SESSION/bench_desktop.py" "$DESKTOP" "$SESSION" "$BENCH_ROUNDS"
    exit $?
fi

darker() { desk shot now.ppm && (($(pixel now.ppm "$1" "$2") * 10 < $(pixel ref.ppm "$1" "$2") * 7)); }
not_darker() { ! darker "$@"; }
dbus_has() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:"$1" \
        | grep -q "boolean true"
}
quit_ok() {
    dbus-send --session --print-reply --dest=app.pixdrift.Pixdrift /app/pixdrift/Pixdrift app.pixdrift.Pixdrift.Quit >/dev/null \
        || fail "Quit was not answered"
    wait_for 10 bash -c "! kill -0 ${PIDS[-1]} 2>/dev/null" || fail "Pixdrift did not end"
    wait "${PIDS[-1]}" || fail "Pixdrift ended with $?"
}
clipboard() {
    # wl-paste waits as long as the clipboard's owner takes to answer.
    if [[ $DESKTOP == kde ]]; then timeout 5 wl-paste -t image/png >clip.png 2>/dev/null; else rm -f clip.png; desk clipboard clip.png && wait_for 5 test -s clip.png; fi
}
# clipboard_is <x> <y> <w> <h>: the clipboard holds a PNG of exactly that part of the screen.
clipboard_is() {
    clipboard && [[ $(identify -format '%wx%h' clip.png) == "$3x$4" ]] &&
        convert clip.png -depth 8 rgb:clip.rgb && convert ref.ppm -crop "$3x$4+$1+$2" -depth 8 rgb:want.rgb &&
        cmp -s clip.rgb want.rgb
}
# copy_is <x> <y> <w> <h>: Ctrl+C in the window puts exactly that part of the screen on the clipboard.
copy_is() {
    for attempt in 1 2 3; do
        desk keys ctrl+c
        wait_for 5 clipboard_is "$@" && return 0
        # KWin may open the window behind the full-screen pattern, which took the focus back
        # when the overlay closed: the user would click its task button.
        [[ $DESKTOP == kde ]] && echo "note: Pixdrift's window was not in front" && desk activate Pixdrift
    done
    return 1
}
no_litter() { [[ -z $(find "$HOME" -newer ref.ppm -type f \( -iname '*.png' -o -iname '*.jpg' \) -print -quit) ]]; }
# area <label> <key> <drag, in the pointer's units> <crop, in pixels>: the key starts an area
# capture, the drag selects, Ctrl+C copies exactly the crop.
area() {
    local label=$1 key=$2
    step "overlay-$label"
    # The portal's picture shows the pointer: it waits by the left edge, away from every crop
    # and from the hot corners.
    desk move 5 400
    desk keys "$key"
    wait_for 15 darker 1000 700 || fail "the screen is not dimmed"
    shot "overlay-$label"
    step "drag-$label"
    desk drag "$3" "$4" "$5" "$6"
    # A corner the window does not cover.
    wait_for 10 not_darker 30 $((H - 30)) || fail "the overlay stayed"
    shot "selected-$label"
    step "copy-$label"
    copy_is "$7" "$8" "$9" "${10}" || fail "the clipboard does not hold the crop"
    no_litter || fail "a picture was left behind: $(find "$HOME" -newer ref.ppm -type f -name '*.png')"
}

if [[ $DESKTOP == kde ]]; then
    step start
    # As the launcher starts it over the bus: no window, the keys registered.
    start pixdrift "$PIXDRIFT" --gapplication-service
    wait_for 20 dbus_has app.pixdrift.Pixdrift || fail "Pixdrift did not take its name"
    wait_for 10 grep -q "registered=YES" pixdrift.log || fail "the keys were not registered"
    gdbus call --session --dest org.kde.kglobalaccel --object-path /component/app_pixdrift_Pixdrift \
        --method org.kde.kglobalaccel.Component.allShortcutInfos | grep -q "'capture-area', 'Capture Area'" \
        || fail "System Settings would not list Capture Area"
    if [[ $SCALE == 1 ]]; then
        area key ctrl+alt+super+4 301 201 1101 701 301 201 800 500
        grep -q "through the desktop portal" pixdrift.log && fail "KWin's screenshot was not used"

        step system-settings
        # Ctrl+Alt+5, given as System Settings gives it: Pixdrift keeps it and answers to it.
        desk set-key capture-area $((0x04000000 | 0x08000000 | 0x35)) || fail "could not change the key"
        wait_for 10 grep -q '"control+option+5"' "$HOME/.config/Pixdrift/defaults.json" || fail "the new key was not kept"
        area changed-key ctrl+alt+5 100 100 400 300 100 100 300 200

        step window-key
        # The third key, with Pixdrift's window in front: the window hides, and KWin's own
        # picture of the window then in front, the full-screen pattern, is the crop, whole.
        desk keys ctrl+alt+super+5 || fail "no input"
        wait_for 10 grep -q "hotkey id=3" pixdrift.log || fail "the window key did not reach Pixdrift"
        sleep 1.5
        shot window-key
        copy_is 0 0 "$W" "$H" || fail "the clipboard does not hold the whole window"
        quit_ok

        step portal
        start pixdrift-portal env PIXDRIFT_CAPTURE=portal "$PIXDRIFT" --gapplication-service
        wait_for 20 dbus_has app.pixdrift.Pixdrift || fail "Pixdrift did not take its name"
        area portal ctrl+alt+5 1200 300 1900 1000 1200 300 700 700
        grep -q "Pixdrift capture failed" pixdrift-portal.log && fail "the capture failed"
        quit_ok
    else
        # Logical positions: at 1.5 the drag from (202, 102) to (802, 502) runs from pixel
        # (303, 153) to (1203, 753), and the pointer reaches Qt as halves of points.
        area "scale$SCALE" ctrl+alt+super+4 202 102 802 502 303 153 900 600
        quit_ok
        step "portal-scale$SCALE"
        start pixdrift-portal env PIXDRIFT_CAPTURE=portal "$PIXDRIFT" --gapplication-service
        wait_for 20 dbus_has app.pixdrift.Pixdrift || fail "Pixdrift did not take its name"
        area "portal-scale$SCALE" ctrl+alt+super+4 402 302 1002 702 603 453 900 600
        quit_ok
    fi
    [[ -z $(ls -A "$HOME/Pictures") ]] || fail "pictures were left in ~/Pictures: $(ls "$HOME/Pictures")"
    echo "PASS"
    exit 0
fi

# ---- GNOME --------------------------------------------------------------------------------------
windows() { desk windows; }
has_window() { windows | grep -qx "$1"; }
keybindings() { gsettings get org.gnome.settings-daemon.plugins.media-keys custom-keybindings; }

shell_eval() { gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval "$1"; }
dialog_up() { shell_eval 'Main.modalCount' | grep -q "(true, '1')"; }
# Programs outside a sandbox have the application id '' in the portal's permission store.
answer_is() {
    gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore --object-path /org/freedesktop/impl/portal/PermissionStore \
        --method org.freedesktop.impl.portal.PermissionStore.Lookup screenshot screenshot | grep -q "{'': \['$1'\]}"
}

step start
start pixdrift "$PIXDRIFT"
wait_for 20 dbus_has app.pixdrift.Pixdrift || fail "Pixdrift did not take its name"
wait_for 10 has_window Pixdrift || fail "no main window"

step permission
# At the first start Pixdrift asks from its window, so GNOME's dialog shows in front of it. The
# test answers as a user would: Deny; then Ask Again in Pixdrift's window; then Allow. The
# dialog is centred on the monitor.
wait_for 20 dialog_up || fail "GNOME's dialog did not come"
shot asked
desk click 834 636 || fail "no input"
wait_for 10 answer_is no || fail "the refusal was not kept"
sleep 1
shot refused
read -r MX MY MW MH < <(python3 "$SESSION/desk.py" gnome frame Pixdrift) || fail "no frame for the window"
# The failure's pink bar lies under the header, however many rows the header takes at this width.
BAR_Y=$(convert "shots/$DESKTOP-$SHOT-refused.png" -crop "1x$((MY + MH))+$((MX + MW / 2))+0" txt:- |
    awk -F'[,:]' '/#F9D9DC/ {y[n++] = $2} END {if (n) print y[int(n / 2)]}')
[[ -n $BAR_Y ]] || fail "no failure bar in the window"
desk click $((MX + MW - 80)) "$BAR_Y" || fail "no input"
wait_for 20 dialog_up || fail "Ask Again did not ask again"
desk click 1082 636 || fail "no input"
wait_for 10 answer_is yes || fail "the permission was not given"
wait_for 10 bash -c "! gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval Main.modalCount | grep -q \"'1'\"" \
    || fail "the dialog stayed"
shot allowed

step set-in-gnome
# The settings sheet from the keyboard; then its "Set in GNOME" button, the last of its bottom
# row, clicked where it lies in the sheet's frame.
desk keys ctrl+, || fail "no input"
wait_for 10 has_window "Preferences" || fail "the settings did not open"
sleep 0.5
shot settings
read -r SX SY SW SH < <(python3 "$SESSION/desk.py" gnome frame "Preferences") || fail "no frame for the settings"
desk click $((SX + SW - 60)) $((SY + SH - 36)) || fail "no input"
wait_for 10 bash -c "gsettings get org.gnome.settings-daemon.plugins.media-keys custom-keybindings | grep -q pixdrift" \
    || fail "no keybinding was made: $(keybindings)"
P=$(keybindings | grep -o "'[^']*pixdrift-area/'" | tr -d "'")
KEYS="org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:$P"
[[ $(gsettings get "$KEYS" binding) == "'<Control><Alt><Super>4'" ]] || fail "the binding is $(gsettings get "$KEYS" binding)"
[[ $(gsettings get "$KEYS" command) == "\"'$PIXDRIFT' --area\"" || $(gsettings get "$KEYS" command) == "'''$PIXDRIFT'' --area'" ]] \
    || echo "note: the command is $(gsettings get "$KEYS" command)"
shot set-in-gnome
# Cancel, the first of the bottom row, closes the sheet; the keys stay set in GNOME.
desk click $((SX + 50)) $((SY + SH - 36)) || fail "no input"
wait_for 10 bash -c "! python3 '$SESSION/desk.py' gnome windows | grep -qx 'Preferences'" || fail "the settings stayed open"

# The binding runs "pixdrift --area", which reaches the running program over the bus.
area key ctrl+alt+super+4 301 201 1101 701 301 201 800 500

step full
"$PIXDRIFT" --full >pixdrift-full.log 2>&1 || fail "pixdrift --full failed"
wait_for 15 has_window Pixdrift || fail "no main window after the full capture"
sleep 1
shot full
copy_is 0 0 "$W" "$H" || fail "the full capture is not the screen"
no_litter || fail "a picture was left behind: $(find "$HOME" -newer ref.ppm -type f -name '*.png')"
quit_ok
echo "PASS"
