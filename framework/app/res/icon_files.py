"""Writes .ico and .cur files from straight-alpha RGBA pixels (top row first).

Shared by the scripts that draw the framework's icons and the program's own
icons and cursor. Standard library only.
"""

import struct
import zlib

PNG_FROM = 256  # images this large are stored as PNG inside the file


def dib(pixels, size):
    """BITMAPINFOHEADER, bottom-up BGRA rows and the 1-bit mask (set = transparent)."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_row = ((size + 31) // 32) * 4
    for row in range(size - 1, -1, -1):
        bits = bytearray(mask_row)
        for col in range(size):
            r, g, b, a = pixels[row * size + col]
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def png(pixels, width, height):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    raw = bytearray()
    for row in range(height):
        raw.append(0)
        for r, g, b, a in pixels[row * width:(row + 1) * width]:
            raw += bytes((r, g, b, a))
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def icon_file(images, hotspots=None):
    """An .ico file of (size, pixels) images, or a .cur file when each image
    has a hot spot (x, y)."""
    out = struct.pack('<HHH', 0, 1 if hotspots is None else 2, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for i, (size, pixels) in enumerate(images):
        blob = png(pixels, size, size) if size >= PNG_FROM else dib(pixels, size)
        planes, bits = (1, 32) if hotspots is None else hotspots[i]
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, planes, bits, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b''.join(blobs)
