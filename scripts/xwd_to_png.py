#!/usr/bin/env python3
"""Converts X window dumps (xwd) of a true-colour screen to PNG.

Usage: xwd_to_png.py OUT.png ROOT.xwd [WINDOW.xwd ...]
The dumps of single windows (xwd -id) are laid over the root's dump at the
windows' places, in the order given. Only the standard library: the machines
have no image tools.
"""
import struct
import sys
import zlib


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def read_xwd(path):
    """Width, height, the window's place and its rows of RGB bytes."""
    data = open(path, "rb").read()
    fields = struct.unpack(">25i", data[:100])
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order, _unit, _bit_order, _pad,
     bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask, blue_mask, _bits_rgb, _entries, ncolors,
     _window_width, _window_height, window_x, window_y, _border) = fields
    red_mask, green_mask, blue_mask = (m & 0xFFFFFFFF for m in (red_mask, green_mask, blue_mask))
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise SystemExit("xwd_to_png: only true-colour ZPixmap dumps are supported")
    pixels = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    masks = [(m, shift_of(m)) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[pixels + y * bytes_per_line:pixels + y * bytes_per_line + width * step]
        out = bytearray()
        for x in range(0, width * step, step):
            p = int.from_bytes(line[x:x + step], order)
            out += bytes(((p & m) >> s) & 0xFF for m, s in masks)
        rows.append(out)
    return width, height, window_x, window_y, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    raw = b"".join(b"\0" + bytes(row) for row in rows)  # filter type none
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


def main(out, root, windows):
    width, height, _x, _y, screen = read_xwd(root)
    for path in windows:
        w, h, left, top, rows = read_xwd(path)
        for y in range(max(0, -top), min(h, height - top)):
            x0, x1 = max(0, -left), min(w, width - left)
            if x1 > x0:
                screen[top + y][(left + x0) * 3:(left + x1) * 3] = rows[y][x0 * 3:x1 * 3]
    write_png(out, width, height, screen)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
