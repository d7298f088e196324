#!/usr/bin/env python3
"""Converts an X window dump (Xvfb's -fbdir screen file, 24/32-bit TrueColor) to PNG, cut
down to the part of the screen that differs from the desktop (the colour of its top-left
corner): the windows shown on an empty desktop.
    xwd_to_png.py SCREEN.xwd OUT.png"""
import struct
import sys
import zlib


def read_screen(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
    if bits_per_pixel != 32:
        sys.exit("only 32 bits per pixel are handled, found %d" % bits_per_pixel)
    start = header_size + 12 * ncolors
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + 4 * width]
        if byte_order == 0:  # least significant byte first: B, G, R, unused
            rows.append(bytes(b for x in range(width) for b in (line[4 * x + 2], line[4 * x + 1], line[4 * x])))
        else:
            rows.append(bytes(b for x in range(width) for b in line[4 * x + 1:4 * x + 4]))
    return width, height, rows


def crop_to_content(width, height, rows):
    desktop = rows[0][0:3] * width
    used_rows = [y for y in range(height) if rows[y] != desktop]
    if not used_rows:
        sys.exit("the screen is empty")
    top, bottom = used_rows[0], used_rows[-1]
    columns = [x for x in range(width)
               if any(rows[y][3 * x:3 * x + 3] != desktop[0:3] for y in range(top, bottom + 1))]
    left, right = columns[0], columns[-1]
    return right - left + 1, [rows[y][3 * left:3 * (right + 1)] for y in range(top, bottom + 1)]


def write_png(path, width, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    w, h, screen = read_screen(sys.argv[1])
    cw, cropped = crop_to_content(w, h, screen)
    write_png(sys.argv[2], cw, cropped)
