#!/usr/bin/env python3
"""Hot key -> overlay on screen, and the capture alone, in a headless sway session.

Run by scripts/bench through tests/e2e/pixdrift_sway_e2e.sh, which starts the session (sway,
the portals, wayvnc) and runs this inside it as the session's user:

    bench_sway.py <session folder> <rounds>

For each screen size and each capture path (wlr-screencopy, the Screenshot portal) it starts
Pixdrift with its window closed, then presses the key bound in sway to `pixdrift --area` with
wtype (a virtual keyboard, as a key tool would; its own start is counted) while
`wl_pixel_watch` copies one screen pixel frame after frame until the overlay has dimmed it: the
time is that frame's presentation. Escape closes the overlay before the next round. No VNC
client is connected meanwhile: wayvnc would copy every changed frame of the output. The capture alone is read from Pixdrift's own trace (PIXDRIFT_TRACE=1). Prints one
Markdown table of medians with their ranges.
"""
import os
import statistics
import subprocess
import sys
import time

SESSION, ROUNDS = sys.argv[1], int(sys.argv[2])

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


def key_to_dimmed(probe):
    """The key tool's start, its end and the frame on screen with the probe's pixel dimmed, on
    the monotonic clock in ms."""
    watch = subprocess.Popen([os.path.join(SESSION, "wl_pixel_watch"), *map(str, probe)], stdout=subprocess.PIPE, text=True)
    if watch.stdout.readline().strip() != "ready":
        raise SystemExit("wl_pixel_watch could not read the screen")
    start = time.monotonic()
    subprocess.run(["wtype", "-M", "ctrl", "-M", "alt", "4", "-m", "alt", "-m", "ctrl"], check=True)
    pressed = time.monotonic()
    dimmed = watch.stdout.readline().strip()
    if watch.wait() != 0 or not dimmed:
        raise SystemExit("the overlay never dimmed the screen")
    return start * 1000, pressed * 1000, float(dimmed)


def main():
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
            overlay, tool, request = [], [], []
            for _ in range(ROUNDS):
                start, pressed, dimmed = key_to_dimmed(probe)
                overlay.append(dimmed - start)
                tool.append(pressed - start)
                request.append(dimmed - traced(log, "request")[-1])
                subprocess.run(["wtype", "-k", "Escape"], check=True)
                if not wait_until(lambda: brightness(*probe) * 10 >= normal * 9, 10):
                    raise SystemExit("the overlay did not close")
                time.sleep(0.3)
            quit_pixdrift(process)
            starts, ends = traced(log, "capture-start"), traced(log, "capture-end")
            capture = [e - s for s, e in zip(starts, ends)]
            rows.append((f"sway, {width} × {height}", path, stats(overlay), stats(tool), stats(request), stats(capture)))
    print("| screen | capture path | hot key → overlay on screen | of which wtype's own run | request → overlay on screen | capture alone |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    print(f"\n{ROUNDS} rounds each; wtype presses the key (it makes a virtual keyboard and hands sway"
          " its keymap each time), sway runs `pixdrift --area`; the request is when it reaches the running"
          " program.")


main()
