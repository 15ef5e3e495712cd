#!/usr/bin/env python3
"""Converts X window dumps (xwd) of a true-colour screen to PNG.

Usage: xwd_to_png.py [--regions LOG] OUT.png ROOT.xwd [WINDOW.xwd[:clip] ...]
The dumps of single windows (xwd -id) are laid over the root's dump at the
windows' places, in the order given. A dump marked ":clip" is laid over only
inside the regions that LOG lists as "region LEFT TOP RIGHT BOTTOM" lines
(screen coordinates, right and bottom excluded). Only the standard library:
the machines have no image tools.
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


def read_regions(path):
    regions = []
    for line in open(path):
        fields = line.split()
        if fields[:1] == ["region"]:
            if len(fields) != 5:
                raise SystemExit("xwd_to_png: bad region line: " + line.strip())
            regions.append(tuple(int(f) for f in fields[1:]))
    return regions


def main(out, root, windows, regions):
    width, height, _x, _y, screen = read_xwd(root)
    whole_screen = [(0, 0, width, height)]
    for path in windows:
        clipped = path.endswith(":clip")
        w, h, left, top, rows = read_xwd(path[:-len(":clip")] if clipped else path)
        for (l, t, r, b) in regions if clipped else whole_screen:
            # The part of the window inside both the region and the screen.
            l, t = max(l, left, 0), max(t, top, 0)
            r, b = min(r, left + w, width), min(b, top + h, height)
            for sy in range(t, b):
                if r > l:
                    screen[sy][l * 3:r * 3] = rows[sy - top][(l - left) * 3:(r - left) * 3]
    write_png(out, width, height, screen)


if __name__ == "__main__":
    args = sys.argv[1:]
    regions = []
    if args[:1] == ["--regions"] and len(args) > 1:
        regions = read_regions(args[1])
        args = args[2:]
    if len(args) < 2:
        raise SystemExit(__doc__)
    main(args[0], args[1], args[2:], regions)
