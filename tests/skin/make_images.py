#!/usr/bin/env python3
"""Writes the small PNG images of the skin tests into images/. Each image's pixels tell its pieces
apart, so a test can say from one pixel which piece of which image it sees. Run it again after a
change and commit the images it writes."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a)."""
    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(rows, 9))
           + chunk(b"IEND", b""))
    with open(os.path.join(HERE, "images", name), "wb") as f:
        f.write(png)


# The nine-grid image: 10 x 10, borders of 3, a colour per piece (see tests/skin/SkinTestImages.h).
NINE = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)],
        [(255, 255, 0), (255, 0, 255), (0, 255, 255)],
        [(128, 0, 0), (0, 128, 0), (0, 0, 128)]]


def band(i):
    return 0 if i < 3 else (1 if i < 7 else 2)


write_png("grid10.png", 10, 10, lambda x, y: NINE[band(y)][band(x)] + (255,))


def framed(fill, border, width, height):
    def pixel(x, y):
        edge = x == 0 or y == 0 or x == width - 1 or y == height - 1
        return (border if edge else fill) + (255,)
    return pixel


# Push button faces, 100 x 30: a fill and a darker frame per state.
write_png("push_normal.png", 100, 30, framed((200, 200, 200), (120, 120, 120), 100, 30))
write_png("push_hover.png", 100, 30, framed((150, 220, 150), (60, 130, 60), 100, 30))
write_png("push_pressed.png", 100, 30, framed((230, 140, 140), (150, 60, 60), 100, 30))
write_png("push_focused.png", 100, 30, framed((150, 170, 240), (60, 80, 170), 100, 30))

# The icon, 16 x 16, solid.
write_png("icon16.png", 16, 16, lambda x, y: (250, 190, 0, 255))

# Check boxes, 13 x 13: unchecked, unchecked hovered, checked, checked hovered.
write_png("check_off.png", 13, 13, framed((255, 255, 255), (90, 90, 90), 13, 13))
write_png("check_off_hover.png", 13, 13, framed((210, 230, 255), (40, 90, 200), 13, 13))


def checked(fill, border):
    def pixel(x, y):
        if x == 0 or y == 0 or x == 12 or y == 12:
            return border + (255,)
        if 3 <= x <= 9 and 3 <= y <= 9:
            return (20, 120, 20, 255)
        return fill + (255,)
    return pixel


write_png("check_on.png", 13, 13, checked((255, 255, 255), (90, 90, 90)))
write_png("check_on_hover.png", 13, 13, checked((210, 230, 255), (40, 90, 200)))

# The drop-down arrow, 7 x 4: a triangle pointing down on transparent pixels.
write_png("arrow.png", 7, 4,
          lambda x, y: (30, 30, 30, 255) if y <= x <= 6 - y else (0, 0, 0, 0))

# Left half opaque, right half transparent: shows what lies under a button.
write_png("half_clear.png", 100, 30,
          lambda x, y: (200, 40, 40, 255) if x < 50 else (0, 0, 0, 0))

# A window background for the screenshots: white shading to pale blue with a grey frame.
def background(x, y):
    if x == 0 or y == 0 or x == 63 or y == 47:
        return (170, 180, 190, 255)
    t = y / 47.0
    return (int(255 - 40 * t), int(255 - 20 * t), 255, 255)


write_png("background.png", 64, 48, background)
