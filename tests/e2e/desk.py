#!/usr/bin/env python3
"""Drives a headless KWin or GNOME Shell from outside, as a user and a checker would:

    desk.py kde|gnome drag X1 Y1 X2 Y2 | move X Y | keys ctrl+alt+4 [escape ...]
    desk.py kde|gnome shot FILE.ppm         the screen's pixels, read back through the desktop
    desk.py gnome clipboard FILE.png        the clipboard's PNG (wl-paste cannot read it there)
    desk.py gnome windows                   the titles of the windows, one a line
    desk.py gnome frame TITLE               x y width height of the window with that title
    desk.py kde set-key ACTION QTKEY        gives an action of ours a key, as System Settings does
    desk.py kde activate TITLE              activates the window with that title, as its task button does

Pointer positions are logical pixels on KWin and the monitor's pixels on GNOME. KWin's input
is its org_kde_kwin_fake_input protocol, spoken on the Wayland socket directly; GNOME's is
org.gnome.Mutter.RemoteDesktop with a ScreenCast stream (pipewire must run).
"""
import json, os, select, socket, struct, subprocess, sys, time
from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
EVDEV = {"ctrl": 29, "alt": 56, "shift": 42, "super": 125, "escape": 1, "return": 28, "space": 57, "print": 99, ",": 51,
         **{str(d): 2 + (d - 1) % 10 for d in range(10)}, **dict(zip("qwertyuiop", range(16, 26))),
         **dict(zip("asdfghjkl", range(30, 39))), **dict(zip("zxcvbnm", range(44, 51)))}
KEYSYMS = {"ctrl": 0xFFE3, "alt": 0xFFE9, "shift": 0xFFE1, "super": 0xFFEB, "escape": 0xFF1B, "return": 0xFF0D,
           "space": 0x20, "print": 0xFF61}
BTN_LEFT = 0x110


def call(dest, path, iface, method, sig=None, args=None, fds=None):
    v = GLib.Variant(sig, args) if sig else None
    if fds is None:
        return bus.call_sync(dest, path, iface, method, v, None, 0, 20000, None).unpack()
    return bus.call_with_unix_fd_list_sync(dest, path, iface, method, v, None, 0, 20000, fds, None)[0].unpack()


class KWinInput:
    """org_kde_kwin_fake_input over the raw Wayland wire protocol."""
    def __init__(self):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(10)
        self.sock.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.get("WAYLAND_DISPLAY", "wayland-0")))
        self.buf, self.next_id = b"", 2
        registry, found = self.new_id(), {}
        self.send(1, 1, ("u", registry))  # wl_display.get_registry

        def on_global(obj, op, body):
            if obj == registry and op == 0:
                name, n = struct.unpack("<II", body[:8])
                found[body[8:8 + n - 1].decode()] = (name, struct.unpack("<I", body[8 + n + (-n % 4):][:4])[0])
        self.roundtrip(on_global)
        if "org_kde_kwin_fake_input" not in found:
            sys.exit("desk.py: KWin does not offer fake input (KWIN_WAYLAND_NO_PERMISSION_CHECKS=1)")
        name, version = found["org_kde_kwin_fake_input"]
        self.fake = self.new_id()
        self.send(registry, 0, ("u", name), ("s", "org_kde_kwin_fake_input"), ("u", min(version, 4)), ("u", self.fake))
        self.send(self.fake, 0, ("s", "pixdrift tests"), ("s", "end-to-end test input"))  # authenticate
        self.roundtrip()

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    def send(self, obj, opcode, *args):
        body = b""
        for kind, value in args:
            if kind == "u": body += struct.pack("<I", value)
            elif kind == "f": body += struct.pack("<i", int(round(value * 256)))
            elif kind == "s":
                data = value.encode() + b"\0"
                body += struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)
        self.sock.sendall(struct.pack("<II", obj, ((8 + len(body)) << 16) | opcode) + body)

    def roundtrip(self, on_event=lambda *e: None):
        done = self.new_id()
        self.send(1, 0, ("u", done))  # wl_display.sync
        while True:
            while len(self.buf) >= 8:
                obj, word = struct.unpack("<II", self.buf[:8])
                if len(self.buf) < word >> 16: break
                body, self.buf = self.buf[8:word >> 16], self.buf[word >> 16:]
                if obj == done: return
                if obj == 1 and word & 0xFFFF == 0: sys.exit("desk.py: Wayland protocol error")
                on_event(obj, word & 0xFFFF, body)
            chunk = self.sock.recv(65536)
            if not chunk: sys.exit("desk.py: KWin closed the connection")
            self.buf += chunk

    def motion(self, x, y): self.send(self.fake, 9, ("f", x), ("f", y)); self.roundtrip()
    def button(self, down): self.send(self.fake, 2, ("u", BTN_LEFT), ("u", int(down))); self.roundtrip()
    def key(self, name, down): self.send(self.fake, 10, ("u", EVDEV[name]), ("u", int(down))); self.roundtrip()
    def stop(self): pass


class MutterInput:
    """org.gnome.Mutter.RemoteDesktop; absolute motion needs a ScreenCast stream of the monitor."""
    RD = "org.gnome.Mutter.RemoteDesktop"

    def __init__(self):
        (self.session,) = call(self.RD, "/org/gnome/Mutter/RemoteDesktop", self.RD, "CreateSession")
        (sid,) = call(self.RD, self.session, "org.freedesktop.DBus.Properties", "Get", "(ss)",
                      (self.RD + ".Session", "SessionId"))
        sc = "org.gnome.Mutter.ScreenCast"
        (cast,) = call(sc, "/org/gnome/Mutter/ScreenCast", sc, "CreateSession", "(a{sv})",
                       ({"remote-desktop-session-id": GLib.Variant("s", sid)},))
        (self.stream,) = call(sc, cast, sc + ".Session", "RecordMonitor", "(sa{sv})", ("Meta-0", {}))
        loop, started = GLib.MainLoop(), []
        bus.signal_subscribe(sc, sc + ".Stream", "PipeWireStreamAdded", self.stream, None, 0,
                             lambda *a: (started.append(1), loop.quit()))
        self.do("Start")
        GLib.timeout_add_seconds(10, loop.quit)
        loop.run()
        if not started: sys.exit("desk.py: the screen cast did not start (is pipewire running?)")
        time.sleep(0.2)

    def do(self, method, sig=None, args=None): call(self.RD, self.session, self.RD + ".Session", method, sig, args)
    def motion(self, x, y): self.do("NotifyPointerMotionAbsolute", "(sdd)", (self.stream, float(x), float(y)))
    def button(self, down): self.do("NotifyPointerButton", "(ib)", (BTN_LEFT, down))
    def key(self, name, down): self.do("NotifyKeyboardKeysym", "(ub)", (KEYSYMS.get(name) or ord(name), down))
    def stop(self): self.do("Stop")


def gesture(device, command, arguments):
    if command == "move":
        device.motion(*map(float, arguments))
    elif command == "click":
        device.motion(*map(float, arguments)); time.sleep(0.1); device.button(True); time.sleep(0.05)
        device.button(False)
    elif command == "drag":
        x1, y1, x2, y2 = map(float, arguments)
        device.motion(x1, y1); time.sleep(0.1); device.button(True); time.sleep(0.1)
        for i in range(1, 11):
            device.motion(x1 + (x2 - x1) * i / 10, y1 + (y2 - y1) * i / 10); time.sleep(0.03)
        time.sleep(0.1); device.button(False)
    elif command == "keys":
        for chord in arguments:
            names = chord.split("+")
            for name in names:
                device.key(name, True)
                if name == names[-1] and os.environ.get("DESK_TIMES"):  # the chord is complete
                    print("pressed %.3f" % (time.monotonic() * 1000), flush=True)
                time.sleep(0.02)
            for name in reversed(names): device.key(name, False); time.sleep(0.02)
            time.sleep(0.1)
    time.sleep(0.2)
    device.stop()


def kwin_shot(path):
    """ScreenShot2 CaptureScreen: raw pixels through a pipe, written out as PPM."""
    read_end, write_end = os.pipe()
    fds = Gio.UnixFDList.new()
    index = fds.append(write_end)
    os.close(write_end)
    options = {"include-cursor": GLib.Variant("b", False), "native-resolution": GLib.Variant("b", True)}
    (meta,) = call("org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureScreen",
                   "(sa{sv}h)", ("Virtual-0", options, index), fds)
    # The fd list keeps a copy of the write end open: read the size the answer names, not to EOF.
    want, data = meta["stride"] * meta["height"], bytearray()
    while len(data) < want and select.select([read_end], [], [], 10)[0]:
        chunk = os.read(read_end, want - len(data))
        if not chunk: break
        data.extend(chunk)
    w, h, stride = meta["width"], meta["height"], meta["stride"]
    rows = b"".join(data[y * stride:y * stride + w * 4] for y in range(h))
    # B G R A bytes on little endian; ImageMagick reorders them.
    subprocess.run(["convert", "-size", "%dx%d" % (w, h), "-depth", "8", "bgra:-", "-alpha", "off", "ppm:" + path],
                   input=rows, check=True)


def gnome_eval(script):
    ok, result = call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval", "(s)", (script,))
    if not ok: sys.exit("desk.py: Eval failed: " + result)
    return result


def main():
    desktop, command, *arguments = sys.argv[1:]
    if command in ("move", "click", "drag", "keys"):
        gesture(KWinInput() if desktop == "kde" else MutterInput(), command, arguments)
    elif command == "shot" and desktop == "kde":
        kwin_shot(arguments[0])
    elif command == "shot":
        png = os.path.abspath(arguments[0]) + ".png"
        call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot", "Screenshot",
             "(bbs)", (False, False, png))
        os.execvp("convert", ["convert", png, arguments[0]])
    elif command == "clipboard":
        # St.Clipboard answers later: wait for the file.
        target = os.path.abspath(arguments[0])
        gnome_eval("imports.gi.St.Clipboard.get_default().get_content(imports.gi.St.ClipboardType.CLIPBOARD, 'image/png',"
                   " (c, b) => imports.gi.GLib.file_set_contents('%s', b ? b.get_data() : ''))" % target)
    elif command == "windows":
        print("\n".join(json.loads(gnome_eval("global.get_window_actors().map(a => a.meta_window.get_title())"))))
    elif command == "frame":
        rects = json.loads(gnome_eval("global.get_window_actors().map(a => a.meta_window).filter(w => w.get_title() == %s)"
                                      ".map(w => w.get_frame_rect()).map(r => [r.x, r.y, r.width, r.height])"
                                      % json.dumps(arguments[0])))
        if not rects: sys.exit("desk.py: no window " + arguments[0])
        print(*rects[0])
    elif command == "activate":
        # A KWin script, loaded and run over D-Bus.
        script = os.path.abspath("activate-%d.js" % os.getpid())
        with open(script, "w") as f:
            f.write("workspace.clientList().forEach(c => { if (c.caption == %s) workspace.activeClient = c; });"
                    % json.dumps(arguments[0]))
        (number,) = call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript", "(ss)",
                         (script, os.path.basename(script)))
        call("org.kde.KWin", "/%d" % number, "org.kde.kwin.Script", "run")
        time.sleep(0.3)
        os.remove(script)
    elif command == "set-key":
        call("org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel", "setForeignShortcut", "(asai)",
             (["app.pixdrift.Pixdrift", arguments[0], "Pixdrift", ""], [int(arguments[1], 0)]))
    else:
        sys.exit("desk.py: unknown command " + command)


main()
