#!/usr/bin/env python3
"""Drives a Wayland output through wayvnc as a user would, over its unix socket:

    rfb.py SOCKET drag X1 Y1 X2 Y2 | move X Y | wheel X Y NOTCHES [AWAY_X AWAY_Y] | keys ctrl+alt+4 [escape ...]
           | screen OUT.ppm

Positions are the output's own pixels; `screen` writes the output's pixels as the compositor holds
them, at any scale (grim resamples an output at a fractional scale). A whole gesture runs over one connection: wayvnc does not
release a button when a client goes away. Only the RFB 3.8 messages needed are spoken, with no
security (the socket lives in a folder only the session's user may enter).
"""
import socket
import struct
import sys
import time

KEYSYMS = {"ctrl": 0xFFE3, "alt": 0xFFE9, "shift": 0xFFE1, "super": 0xFFEB, "escape": 0xFF1B, "return": 0xFF0D, "space": 0x20}


def receive(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise SystemExit("rfb.py: the server closed the connection")
        data += chunk
    return data


class Connection(socket.socket):
    """A socket that also knows the output's size."""


def connect(path):
    sock = Connection(socket.AF_UNIX, socket.SOCK_STREAM)
    sock.settimeout(10)
    sock.connect(path)
    receive(sock, 12)
    sock.sendall(b"RFB 003.008\n")
    (count,) = struct.unpack("B", receive(sock, 1))
    if count == 0 or 1 not in receive(sock, count):
        raise SystemExit("rfb.py: the server wants authentication or refused the connection")
    sock.sendall(b"\x01")
    if struct.unpack(">I", receive(sock, 4))[0] != 0:
        raise SystemExit("rfb.py: the security handshake failed")
    sock.sendall(b"\x01")  # shared
    width, height, _, name_length = struct.unpack(">HH16sI", receive(sock, 24))
    receive(sock, name_length)
    sock.size = (width, height)
    return sock


def screen(sock, out):
    """The whole output in raw encoding, 32 bits a pixel, blue in the lowest byte."""
    width, height = sock.size
    sock.sendall(struct.pack(">BxxxBBBBHHHBBBxxx", 0, 32, 24, 0, 1, 255, 255, 255, 16, 8, 0))
    sock.sendall(struct.pack(">BxHi", 2, 1, 0))
    sock.sendall(struct.pack(">BBHHHH", 3, 0, 0, 0, width, height))
    pixels = bytearray(width * height * 3)
    while True:
        kind = receive(sock, 1)[0]
        if kind == 3:  # the server's clipboard
            receive(sock, 3)
            receive(sock, struct.unpack(">I", receive(sock, 4))[0])
            continue
        if kind != 0:
            raise SystemExit(f"rfb.py: unexpected message {kind}")
        (rectangles,) = struct.unpack(">xH", receive(sock, 3))
        for _ in range(rectangles):
            x, y, w, h, encoding = struct.unpack(">HHHHi", receive(sock, 12))
            if encoding != 0:
                raise SystemExit(f"rfb.py: encoding {encoding}, not raw")
            data = receive(sock, w * h * 4)
            rgb = bytearray(w * h * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
            for row in range(h):
                at = ((y + row) * width + x) * 3
                pixels[at:at + w * 3] = rgb[row * w * 3:(row + 1) * w * 3]
        break
    with open(out, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + pixels)


def send(sock, message):
    sock.sendall(message)
    time.sleep(0.02)


def key(sock, name, down):
    """Presses (down) or releases a key by its name in KEYSYMS, or a character, at once (a
    benchmark times from here)."""
    sym = KEYSYMS[name] if name in KEYSYMS else ord(name)
    sock.sendall(struct.pack(">BBxxI", 4, 1 if down else 0, sym))


def main():
    path, command, *arguments = sys.argv[1:]
    sock = connect(path)
    pointer = lambda buttons, x, y: send(sock, struct.pack(">BBHH", 5, buttons, x, y))
    if command == "drag":
        x1, y1, x2, y2 = map(int, arguments)
        pointer(0, x1, y1)
        for i in range(11):
            pointer(1, x1 + (x2 - x1) * i // 10, y1 + (y2 - y1) * i // 10)
        pointer(0, x2, y2)
    elif command == "move":
        pointer(0, *map(int, arguments))
    elif command == "wheel":
        # Button 5 (mask 16) is a notch down; each notch is a press and a release. The pointer
        # then leaves for AWAY, where given, so that it is not drawn over what was scrolled.
        x, y, notches = map(int, arguments[:3])
        pointer(0, x, y)
        for _ in range(notches):
            pointer(16, x, y)
            pointer(0, x, y)
        if len(arguments) == 5:
            pointer(0, *map(int, arguments[3:]))
    elif command == "keys":
        for combination in arguments:
            names = combination.lower().split("+")
            for name in names:
                key(sock, name, True)
                time.sleep(0.02)
            for name in reversed(names):
                key(sock, name, False)
                time.sleep(0.02)
    elif command == "screen":
        screen(sock, arguments[0])
    else:
        raise SystemExit(f"rfb.py: unknown command {command!r}")
    time.sleep(0.1)
    sock.close()


if __name__ == "__main__":
    main()
