#!/usr/bin/env python3
"""Draws the framework's standard command icons and its colour picker cursor
and writes them as .ico and .cur files.

Each icon is a handful of shapes on a 16-unit grid, rasterised with 4 x 4
supersampling at 16 and 32 pixels into 32-bit images with an alpha channel
and a matching transparency mask. Run it from anywhere; it writes into the
icons folder beside it:

    python3 framework/app/res/make_icons.py
"""

import math
import os

from icon_files import icon_file

SIZES = (16, 32)
SUBSAMPLES = 4
UNITS = 16.0


# Shapes: a function of a point (in grid units) that says whether it is inside.
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, outer, inner):
    return lambda x, y: inner * inner < (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def line(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def polygon(*points):
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result
    return inside


def frame(x0, y0, x1, y1, width):
    return lambda x, y: rect(x0, y0, x1, y1)(x, y) and not rect(x0 + width, y0 + width, x1 - width, y1 - width)(x, y)


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def outlined(shape, inner_shape, fill, edge):
    """The shape in the edge colour with its inner part in the fill colour."""
    return [(shape, edge), (inner_shape, fill)]


def rgba(hex_colour, alpha=1.0):
    v = int(hex_colour.lstrip('#'), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, alpha)


# The icons. Each is a list of layers (shape, colour), painted in order.
def caption_menu():
    return (outlined(rounded_rect(1, 2, 15, 14, 1.2), rect(2, 5.5, 14, 13), rgba('#FFFFFF'), rgba('#34495E'))
            + [(rect(2, 3, 14, 5.5), rgba('#2F6FC0')),
               (rect(11, 3.7, 13, 4.8), rgba('#FFFFFF')),
               (rect(3.5, 7.5, 10, 8.5), rgba('#9AA8B8')),
               (rect(3.5, 10, 8, 11), rgba('#9AA8B8'))])


def colour_menu():
    centres = ((5.6, 5.8), (10.4, 5.8), (8, 10.2))
    return ([(circle(x, y, 4.9), rgba('#303030')) for x, y in centres]
            + [(circle(x, y, 4.1), rgba(c, 0.85)) for (x, y), c in zip(centres, ('#E53935', '#43A047', '#1E88E5'))])


def font_menu():
    return [(line(2.5, 14, 7.2, 2.2, 2.2), rgba('#263238')),
            (line(8.8, 2.2, 13.5, 14, 2.2), rgba('#263238')),
            (rect(6.6, 1.4, 9.4, 3.4), rgba('#263238')),
            (rect(5, 9.2, 11, 11), rgba('#263238')),
            (rect(1, 14.6, 15, 15.6), rgba('#1E88E5'))]


def lock_menu():
    shackle = both(ring(8, 6.2, 4.2, 2.6), lambda x, y: y <= 7.5)
    return [(shackle, rgba('#6D7B8A')),
            (rounded_rect(2.5, 7, 13.5, 15.5, 1.2), rgba('#8A6510')),
            (rounded_rect(3.5, 8, 12.5, 14.5, 0.8), rgba('#E8B730')),
            (circle(8, 10.6, 1.3), rgba('#3E2C05')),
            (rect(7.4, 10.6, 8.6, 13.2), rgba('#3E2C05'))]


def always_on_top():
    return [(line(8, 10, 8, 15.4, 1.3), rgba('#707070')),
            (rounded_rect(4.5, 1, 11.5, 4.2, 1), rgba('#B71C1C')),
            (polygon((5.8, 4), (10.2, 4), (11.3, 9), (4.7, 9)), rgba('#E53935')),
            (rounded_rect(3, 8.4, 13, 10.8, 0.8), rgba('#B71C1C'))]


def show_on_taskbar():
    return (outlined(rect(0.5, 1.5, 15.5, 14), rect(1.5, 2.5, 14.5, 13), rgba('#D5E6F8'), rgba('#34495E'))
            + [(rect(1.5, 10.5, 14.5, 13), rgba('#1F3F66')),
               (rect(2.5, 11.2, 4.5, 12.3), rgba('#FFFFFF')),
               (rect(5.5, 11.2, 9, 12.3), rgba('#8FB8E8')),
               (rect(4, 14, 12, 15.5), rgba('#34495E'))])


def transparency_menu():
    def checker(x, y):
        return 1 <= x < 11 and 1 <= y < 11 and (int((x - 1) / 2.5) + int((y - 1) / 2.5)) % 2 == 0
    return [(rect(0.5, 0.5, 11.5, 11.5), rgba('#7A7A7A')), (rect(1, 1, 11, 11), rgba('#FFFFFF')),
            (checker, rgba('#9E9E9E')),
            (rect(5.5, 5.5, 14.5, 14.5), rgba('#42A5F5', 0.55)),
            (frame(4.5, 4.5, 15.5, 15.5, 1), rgba('#0D47A1'))]


def brush():
    return [(line(14.5, 1.5, 9, 7, 2.4), rgba('#8D5524')),
            (line(9.2, 6.8, 7, 9, 3.2), rgba('#9E9E9E')),
            (polygon((6, 7.6), (8.4, 10), (6.5, 13.5), (3.5, 15), (1.2, 14.8), (2.5, 12.5), (3.2, 9.6)),
             rgba('#37474F')),
            (polygon((5.6, 9.3), (6.8, 10.5), (5.2, 12.6), (3.3, 13.6), (4, 11.6)), rgba('#607D8B'))]


def colour_overlay():
    return [(ring(8, 8, 7.5, 6.5), rgba('#000000', 0.55)),
            (circle(5.8, 5.2, 2.2), rgba('#FFFFFF', 0.45)),
            (circle(5.3, 4.7, 1.0), rgba('#FFFFFF', 0.55))]


def colour_picker():
    """A pipette whose tip, the hot spot, lies at the bottom left."""
    return [(line(1.2, 14.8, 8.5, 7.5, 2.6), rgba('#FFFFFF')),
            (line(1.2, 14.8, 8.5, 7.5, 1.2), rgba('#263238')),
            (line(7, 6, 10, 9, 3.4), rgba('#263238')),
            (circle(11.5, 4.5, 3.6), rgba('#263238')),
            (circle(11.5, 4.5, 2.4), rgba('#607D8B'))]


CURSORS = {
    'colour_picker.cur': (colour_picker, (1.0, 15.0)),
}

ICONS = {
    'caption_menu.ico': caption_menu,
    'colour_menu.ico': colour_menu,
    'font_menu.ico': font_menu,
    'lock_menu.ico': lock_menu,
    'always_on_top.ico': always_on_top,
    'show_on_taskbar.ico': show_on_taskbar,
    'transparency_menu.ico': transparency_menu,
    'brush.ico': brush,
    'colour_overlay.ico': colour_overlay,
}


def render(layers, size):
    """Straight-alpha RGBA pixels, top row first."""
    scale = UNITS / size
    pixels = []
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    x = (px + (sx + 0.5) / SUBSAMPLES) * scale
                    y = (py + (sy + 0.5) / SUBSAMPLES) * scale
                    r = g = b = a = 0.0
                    for shape, (cr, cg, cb, ca) in layers:
                        if shape(x, y):
                            r = cr * ca + r * (1 - ca)
                            g = cg * ca + g * (1 - ca)
                            b = cb * ca + b * (1 - ca)
                            a = ca + a * (1 - ca)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = SUBSAMPLES * SUBSAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append(tuple(int(round(c / n / alpha)) for c in acc[:3]) + (int(round(alpha * 255)),))
    return pixels


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'icons')
    os.makedirs(folder, exist_ok=True)
    for name, draw in ICONS.items():
        layers = draw()
        images = [(size, render(layers, size)) for size in SIZES]
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(icon_file(images))
    for name, (draw, (hx, hy)) in CURSORS.items():
        layers = draw()
        images = [(size, render(layers, size)) for size in (32,)]
        hotspots = [(int(hx * size / UNITS), int(hy * size / UNITS)) for size, _ in images]
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(icon_file(images, hotspots=hotspots))


if __name__ == '__main__':
    main()
