#!/usr/bin/env python3
"""Hot key -> overlay on headless KWin and GNOME Shell, at 1920 x 1080.

Run by scripts/bench through tests/e2e/pixdrift_desktop_e2e.sh, which starts the session and
runs this inside it as the session's user, after the test pattern is up:

    bench_desktop.py kde|gnome <session folder> <rounds>

Pixdrift starts with its window closed, as the launcher starts it. On KDE its key is the one it
registered through KGlobalAccel and the screen comes through KWin's ScreenShot2; on GNOME the key
is a custom keybinding running `pixdrift --area` (a new process that reaches the running one over
the bus) and the screen comes through the Screenshot portal. Each round sends the key, waits for
the overlay, and closes it with Escape. The times are on the monotonic clock the program's trace
uses (PIXDRIFT_TRACE=1): from the moment the key chord is complete to the overlay's first
paint, and the stages in between. Prints one Markdown table of medians with their ranges.
"""
import os
import statistics
import subprocess
import sys
import time

DESKTOP, SESSION, ROUNDS = sys.argv[1], sys.argv[2], int(sys.argv[3])
PIXDRIFT = os.path.join(SESSION, "pixdrift")
LOG = os.path.join(SESSION, f"bench-{DESKTOP}.log")


def desk(*arguments):
    """Runs desk.py; the monotonic time (ms) the last chord was complete."""
    out = subprocess.run([sys.executable, os.path.join(SESSION, "desk.py"), DESKTOP, *arguments], check=True,
                         capture_output=True, text=True, env=dict(os.environ, DESK_TIMES="1")).stdout
    return [float(line.split()[1]) for line in out.splitlines() if line.startswith("pressed ")][-1]


def traced(stage):
    with open(LOG) as f:
        return [float(line.split()[-1]) for line in f if line.startswith(f"Pixdrift trace {stage} ")]


def wait_until(condition, limit):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.01)
    return False


def stats(values):
    if not values:
        return "—"
    return f"{statistics.median(values):.0f} ms ({min(values):.0f}–{max(values):.0f})"


def main():
    if DESKTOP == "gnome":
        gs = "org.gnome.settings-daemon.plugins.media-keys"
        path = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/pixdrift-area/"
        subprocess.run(["gsettings", "set", gs, "custom-keybindings", f"['{path}']"], check=True)
        for key, value in (("name", "Pixdrift"), ("command", f"{PIXDRIFT} --area"), ("binding", "<Control><Alt><Super>4")):
            subprocess.run(["gsettings", "set", f"{gs}.custom-keybinding:{path}", key, value], check=True)
        subprocess.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.impl.portal.PermissionStore",
                        "--object-path", "/org/freedesktop/impl/portal/PermissionStore", "--method",
                        "org.freedesktop.impl.portal.PermissionStore.SetPermission", "screenshot", "true", "screenshot", "",
                        "['yes']"], check=True, stdout=subprocess.DEVNULL)
    env = dict(os.environ, PIXDRIFT_TRACE="1")
    process = subprocess.Popen([PIXDRIFT, "--gapplication-service"], env=env, stdout=subprocess.DEVNULL,
                               stderr=open(LOG, "w"))
    time.sleep(4)  # started, and warmed up a second after
    sent = []
    for _ in range(ROUNDS):
        painted = len(traced("overlay-painted"))
        sent.append(desk("keys", "ctrl+alt+super+4"))
        if not wait_until(lambda: len(traced("overlay-painted")) > painted, 20):
            raise SystemExit("no overlay")
        time.sleep(0.5)
        desk("keys", "escape")
        time.sleep(1)
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=app.pixdrift.Pixdrift", "/app/pixdrift/Pixdrift",
                    "app.pixdrift.Pixdrift.Quit"], stdout=subprocess.DEVNULL)
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
    request, start, end, painted = (traced(s) for s in ("request", "capture-start", "capture-end", "overlay-painted"))
    rows = [("hot key → overlay painted", [p - s for s, p in zip(sent, painted)]),
            ("hot key → Pixdrift's request", [r - s for s, r in zip(sent, request)]),
            ("the capture", [e - s for s, e in zip(start, end)]),
            ("capture end → overlay painted", [p - e for e, p in zip(end, painted)])]
    print(f"| {DESKTOP}, 1920 × 1080 | median (range) |\n|---|---|")
    for name, values in rows:
        print(f"| {DESKTOP}: {name} | {stats(values)} |")
    print(f"\n{ROUNDS} rounds; the key is injected the way the end-to-end test injects it.")


main()
