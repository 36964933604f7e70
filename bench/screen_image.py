#!/usr/bin/env python3
"""screen_image.py W H > file.ppm: a desktop-like picture to capture: a light background with
windows, title bars and lines of text-like marks, as screens mostly are (flat areas and sharp
edges). Pixels around (40, 40) and the screen's corners stay background."""
import sys

w, h = int(sys.argv[1]), int(sys.argv[2])
background, body, title, ink = b"\xd8\xe4\xf0", b"\xff\xff\xff", b"\x2b\x57\x97", b"\x30\x30\x30"
windows = [(w * 8 // 100, h * 10 // 100, w * 45 // 100, h * 60 // 100),
           (w * 50 // 100, h * 25 // 100, w * 40 // 100, h * 55 // 100)]
rows = []
for y in range(h):
    row = bytearray(background * w)
    for x0, y0, ww, hh in windows:
        if y0 <= y < y0 + hh:
            inside = y - y0
            if inside < 28:
                row[x0 * 3:(x0 + ww) * 3] = title * ww
            else:
                row[x0 * 3:(x0 + ww) * 3] = body * ww
                line = (inside - 28) % 22
                if 8 <= line < 16:
                    # Words: runs of ink of varying length, like a line of text.
                    x = x0 + 16
                    word = 0
                    while x < x0 + ww - 60:
                        length = 12 + (word * 37 + inside // 22 * 11) % 50
                        row[x * 3:(x + length) * 3] = ink * length
                        x += length + 9
                        word += 1
    rows.append(bytes(row))
sys.stdout.buffer.write(b"P6\n%d %d\n255\n" % (w, h) + b"".join(rows))
