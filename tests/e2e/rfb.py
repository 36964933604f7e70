#!/usr/bin/env python3
"""Drives a Wayland output through wayvnc as a user would, over its unix socket:

    rfb.py SOCKET drag X1 Y1 X2 Y2 | move X Y | wheel X Y NOTCHES [AWAY_X AWAY_Y] | keys ctrl+alt+4 [escape ...]

Positions are the output's own pixels. A whole gesture runs over one connection: wayvnc does not
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


def connect(path):
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
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
    _, _, _, name_length = struct.unpack(">HH16sI", receive(sock, 24))
    receive(sock, name_length)
    return sock


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
    else:
        raise SystemExit(f"rfb.py: unknown command {command!r}")
    time.sleep(0.1)
    sock.close()


if __name__ == "__main__":
    main()
