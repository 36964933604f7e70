#!/usr/bin/env python3
"""Drives a Wayland output through wayvnc as a user would, with the pointer and the keyboard.

    rfb.py SOCKET drag X1 Y1 X2 Y2     press at X1,Y1, move to X2,Y2 in steps, release
    rfb.py SOCKET click X Y
    rfb.py SOCKET move X Y
    rfb.py SOCKET keys ctrl+alt+4 [escape ...]

Positions are the output's own pixels. A whole gesture runs over one connection: wayvnc does not
release a button when a client goes away. Only the RFB 3.8 messages needed are spoken, with no
security (the socket lives in a folder only the session's user may enter).
"""
import socket
import struct
import sys
import time

KEYSYMS = {
    "ctrl": 0xFFE3, "alt": 0xFFE9, "shift": 0xFFE1, "super": 0xFFEB,
    "escape": 0xFF1B, "return": 0xFF0D, "space": 0x20,
}


def keysym(name):
    if name in KEYSYMS:
        return KEYSYMS[name]
    if len(name) == 1:
        return ord(name)
    raise SystemExit(f"rfb.py: unknown key {name!r}")


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
    if count == 0:
        raise SystemExit("rfb.py: the server refused the connection")
    if 1 not in receive(sock, count):
        raise SystemExit("rfb.py: the server wants authentication")
    sock.sendall(b"\x01")
    if struct.unpack(">I", receive(sock, 4))[0] != 0:
        raise SystemExit("rfb.py: the security handshake failed")
    sock.sendall(b"\x01")  # shared
    _, _, _, name_length = struct.unpack(">HH16sI", receive(sock, 24))
    receive(sock, name_length)
    return sock


def pointer(sock, buttons, x, y):
    sock.sendall(struct.pack(">BBHH", 5, buttons, x, y))
    time.sleep(0.02)


def key(sock, name, down):
    sock.sendall(struct.pack(">BBxxI", 4, 1 if down else 0, keysym(name)))
    time.sleep(0.02)


def main():
    path, command, *arguments = sys.argv[1:]
    sock = connect(path)
    if command == "drag":
        x1, y1, x2, y2 = map(int, arguments)
        pointer(sock, 0, x1, y1)
        pointer(sock, 1, x1, y1)
        steps = 10
        for i in range(1, steps + 1):
            pointer(sock, 1, x1 + (x2 - x1) * i // steps, y1 + (y2 - y1) * i // steps)
        pointer(sock, 0, x2, y2)
    elif command == "move":
        pointer(sock, 0, *map(int, arguments))
    elif command == "click":
        x, y = map(int, arguments)
        pointer(sock, 0, x, y)
        pointer(sock, 1, x, y)
        pointer(sock, 0, x, y)
    elif command == "keys":
        for combination in arguments:
            names = combination.lower().split("+")
            for name in names:
                key(sock, name, True)
            for name in reversed(names):
                key(sock, name, False)
    else:
        raise SystemExit(f"rfb.py: unknown command {command!r}")
    time.sleep(0.1)
    sock.close()


if __name__ == "__main__":
    main()
