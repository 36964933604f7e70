#!/usr/bin/env python3
"""Hot key -> overlay on screen, and the capture alone, in a headless sway session.

Run by scripts/bench through tests/e2e/pixdrift_sway_e2e.sh, which starts the session (sway,
the portals, wayvnc) and runs this inside it as the session's user:

    bench_sway.py <session folder> <rounds>

For each screen size and each capture path (wlr-screencopy, the Screenshot portal) it starts Pixdrift with
its window closed, then presses the key bound in sway to `pixdrift --area` and watches a screen
pixel (read with grim) until the overlay has dimmed it; Escape closes the overlay before the next
round. The capture alone is read from Pixdrift's own trace (PIXDRIFT_TRACE=1). Prints one
Markdown table of medians with their ranges.
"""
import os
import statistics
import subprocess
import sys
import time

SESSION, ROUNDS = sys.argv[1], int(sys.argv[2])
sys.path.insert(0, SESSION)
import rfb  # noqa: E402

RUNTIME = os.environ["XDG_RUNTIME_DIR"]
PIXDRIFT = os.path.join(SESSION, "pixdrift")
SIZES = [(2560, 1440), (5120, 2880)]
PATHS = ["wlr-screencopy", "portal"]


def swaymsg(*arguments):
    subprocess.run(["swaymsg", *arguments], check=True, stdout=subprocess.DEVNULL)


def brightness(x, y):
    ppm = subprocess.run(["grim", "-g", f"{x},{y} 1x1", "-t", "ppm", "-"], check=True, capture_output=True).stdout
    return sum(ppm[-3:])


def wait_until(condition, limit):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.002)
    return False


def has_name():
    out = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                          "org.freedesktop.DBus.NameHasOwner", "string:app.pixdrift.Pixdrift"],
                         capture_output=True, text=True).stdout
    return "boolean true" in out


def quit_pixdrift(process):
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=app.pixdrift.Pixdrift",
                    "/app/pixdrift/Pixdrift", "app.pixdrift.Pixdrift.Quit"], capture_output=True)
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def traced(log, stage):
    with open(log) as f:
        return [float(line.split()[-1]) for line in f if line.startswith(f"Pixdrift trace {stage} ")]


def stats(values):
    if not values:
        return "—"
    return f"{statistics.median(values):.0f} ms ({min(values):.0f}–{max(values):.0f})"


def main():
    keys = rfb.connect(os.path.join(RUNTIME, "vnc1.sock"))
    rows = []
    for width, height in SIZES:
        swaymsg("output", "HEADLESS-1", "mode", f"{width}x{height}", "scale", "1", "bg",
                os.path.join(SESSION, "wall.png"), "tile")
        time.sleep(1)
        probe = (width // 2, height // 2)
        for path in PATHS:
            log = os.path.join(SESSION, f"bench-{width}-{path}.log")
            env = dict(os.environ, PIXDRIFT_CAPTURE=path, PIXDRIFT_TRACE="1")
            process = subprocess.Popen([PIXDRIFT], env=env, stdout=subprocess.DEVNULL, stderr=open(log, "w"))
            if not wait_until(has_name, 20):
                raise SystemExit("Pixdrift did not start")
            time.sleep(1)
            # The window closed, as between captures in daily use; then the warm-up runs.
            subprocess.run(["swaymsg", '[title="^Pixdrift$"]', "kill"], stdout=subprocess.DEVNULL)
            time.sleep(2)
            normal = brightness(*probe)
            overlay = []
            for _ in range(ROUNDS):
                start = time.monotonic()
                for name in ("ctrl", "alt", "4"):
                    rfb.key(keys, name, True)
                for name in ("4", "alt", "ctrl"):
                    rfb.key(keys, name, False)
                if not wait_until(lambda: brightness(*probe) * 10 < normal * 7, 20):
                    raise SystemExit(f"no overlay at {width}x{height} through {path}")
                overlay.append((time.monotonic() - start) * 1000)
                rfb.key(keys, "escape", True)
                rfb.key(keys, "escape", False)
                if not wait_until(lambda: brightness(*probe) * 10 >= normal * 9, 10):
                    raise SystemExit("the overlay did not close")
                time.sleep(0.3)
            quit_pixdrift(process)
            starts, ends = traced(log, "capture-start"), traced(log, "capture-end")
            capture = [e - s for s, e in zip(starts, ends)]
            rows.append((f"sway, {width} × {height}", path, stats(overlay), stats(capture)))
    print(f"| screen | capture path | hot key → overlay on screen | capture alone |")
    print("|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    print(f"\n{ROUNDS} rounds each; the key is sent over VNC to sway, which runs `pixdrift --area`.")


main()
