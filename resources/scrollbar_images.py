#!/usr/bin/env python3
"""Draws the library's default scroll-bar images as PNG files.

    scrollbar_images.py <output-folder>

scrollbar_v.png is a vertical thumb, scrollbar_h.png the same thumb lying on its
side: a translucent grey bar with rounded ends and a slightly darker outline.
"""
import os
import struct
import sys
import zlib

THICKNESS = 8
LENGTH = 32
FILL = (0x8A, 0x8A, 0x8A, 0xC0)
EDGE = (0x5A, 0x5A, 0x5A, 0xE0)


def thumb_pixel(across, along):
    """Colour of the vertical thumb at column `across`, row `along`."""
    radius = THICKNESS / 2
    centre = radius - 0.5
    # Rounded ends: distance from the nearest end's circle centre.
    end_y = min(max(along, centre), LENGTH - 1 - centre)
    distance = ((across - centre) ** 2 + (along - end_y) ** 2) ** 0.5
    if distance > radius:
        return (0, 0, 0, 0)
    return EDGE if distance > radius - 1.25 else FILL


def png(width, height, pixel):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    images = {
        "scrollbar_v.png": png(THICKNESS, LENGTH, thumb_pixel),
        "scrollbar_h.png": png(LENGTH, THICKNESS, lambda x, y: thumb_pixel(y, x)),
    }
    for name, data in images.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
