#!/usr/bin/env python3
"""Draws the program's icons and its cursor and writes them as .ico and .cur files.

    images/veltrano.ico           the program (icon 1): a mouse with its wheel
                                  and a pair of scroll arrows
    images/veltrano_disabled.ico  the same, greyed, with a red "off" badge
                                  (icon 101, the tray icon while switched off)
    images/scroll.cur             the scroll cursor (cursor 508): a four-way
                                  arrow around the scroll origin, hot spot in
                                  the centre

Shapes are signed distance functions on a 16-unit grid (32 units for the
cursor). Each size is rendered on its own: edges that matter are snapped to
that size's pixels, details that would only blur are left out of the small
sizes, and every pixel is supersampled, each sample's coverage taken from the
distance to the edge. Images are 32-bit with alpha and a matching mask; the
256-pixel image is stored as PNG. Standard library only. Run it from anywhere;
it writes into the images folder beside it:

    python3 resources/make_resources.py [--preview FOLDER]

--preview also writes magnified PNG sheets of every image for looking at.
"""

import math
import os
import sys

# The file formats are the framework's (framework/app/res/icon_files.py).
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, 'framework', 'app', 'res'))
from icon_files import icon_file, png

ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
CURSOR_SIZES = (32, 48, 64)


# --- Shapes: signed distances, negative inside -------------------------------

def clamp(v, lo, hi):
    return lo if v < lo else hi if v > hi else v


def round_box(x0, y0, x1, y1, r_top, r_bottom=None):
    """A box whose top corners have radius r_top and bottom ones r_bottom."""
    r_bottom = r_top if r_bottom is None else r_bottom
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def d(x, y):
        r = r_top if y < cy else r_bottom
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return d


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def d(x, y):
        t = 0.0 if length2 == 0 else clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0, 1.0)
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) - width / 2
    return d


def polygon(*points):
    n = len(points)

    def d(x, y):
        best = (x - points[0][0]) ** 2 + (y - points[0][1]) ** 2
        sign = 1.0
        j = n - 1
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[j]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0)
            best = min(best, (wx - ex * t) ** 2 + (wy - ey * t) ** 2)
            above, below, left = y >= ay, y < by, ex * wy > ey * wx
            if (above and below and left) or (not above and not below and not left):
                sign = -sign
            j = i
        return sign * math.sqrt(best)
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def inset(shape, amount):
    return lambda x, y: shape(x, y) + amount


# --- Paints: a colour for a point ---------------------------------------------

def rgb(hex_colour, alpha=1.0):
    v = int(hex_colour.lstrip('#'), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, alpha)


def solid(hex_colour, alpha=1.0):
    c = rgb(hex_colour, alpha)
    return lambda x, y: c


def vertical(top_y, top, bottom_y, bottom):
    """A gradient from colour top at top_y to colour bottom at bottom_y."""
    a, b = rgb(top), rgb(bottom)

    def paint(x, y):
        t = clamp((y - top_y) / (bottom_y - top_y), 0.0, 1.0)
        return tuple(a[k] + (b[k] - a[k]) * t for k in range(4))
    return paint


def greyed(paint):
    """The paint washed out to a low-contrast grey."""
    def grey(x, y):
        r, g, b, a = paint(x, y)
        luma = 0.299 * r + 0.587 * g + 0.114 * b
        v = 0.6 * luma + 0.4 * 130
        return (v, v, v, a)
    return grey


# --- Rendering ------------------------------------------------------------------

class Canvas:
    """Layers (shape, paint, softness) on a grid of `units`, drawn at `size` pixels."""

    def __init__(self, size, units):
        self.size = size
        self.units = units
        self.px = units / size  # one pixel in units
        self.layers = []

    def snap(self, v):
        """The nearest pixel edge to v, in units."""
        return round(v / self.px) * self.px

    def add(self, shape, paint, soft=0.0):
        """soft widens the edge to that many units (a blurred shadow)."""
        self.layers.append((shape, paint, soft))

    def render(self, samples):
        """Straight-alpha RGBA pixels, top row first."""
        size, px = self.size, self.px
        step = px / samples
        n = samples * samples
        offsets = [((i + 0.5) * step) for i in range(samples)]
        pixels = []
        for py in range(size):
            for pxl in range(size):
                acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
                for oy in offsets:
                    y = py * px + oy
                    for ox in offsets:
                        x = pxl * px + ox
                        r = g = b = a = 0.0
                        for shape, paint, soft in self.layers:
                            d = shape(x, y)
                            width = max(step, soft)
                            cover = clamp(0.5 - d / width, 0.0, 1.0)
                            if cover <= 0.0:
                                continue
                            cr, cg, cb, ca = paint(x, y)
                            k = ca * cover
                            r = cr * k + r * (1 - k)
                            g = cg * k + g * (1 - k)
                            b = cb * k + b * (1 - k)
                            a = k + a * (1 - k)
                        acc[0] += r
                        acc[1] += g
                        acc[2] += b
                        acc[3] += a
                alpha = acc[3] / n
                if alpha * 255 < 0.5:
                    pixels.append((0, 0, 0, 0))
                else:
                    pixels.append(tuple(clamp(int(round(c / n / alpha)), 0, 255) for c in acc[:3])
                                  + (int(round(alpha * 255)),))
        return pixels


def samples_for(size):
    # Each sample's coverage is already smooth; supersampling keeps corners
    # and thin details clean where pixels are few.
    return 4 if size <= 32 else 3 if size <= 64 else 2


# --- The pictures ---------------------------------------------------------------

BLUE_LIGHT, BLUE, BLUE_DARK, BLUE_EDGE = '#5A9BFF', '#186EEE', '#0F52C2', '#0A3479'
ORANGE, ORANGE_LIGHT, ORANGE_EDGE = '#FFAD55', '#FFD3A0', '#B45F0A'


def mouse(c, disabled=False):
    """The program's picture on canvas c (16 units): a mouse with its wheel
    and, on the lower body, an up and a down arrow."""
    s = c.snap
    px = c.px
    large = c.size >= 32
    edge = max(1, round(c.size / 40)) * px  # outline width in units
    paint = greyed if disabled else (lambda p: p)

    x0, x1, y0, y1 = s(3), s(13), s(0.5) if large else 0, s(15.5) if large else 16
    body = round_box(x0, y0, x1, y1, (x1 - x0) / 2, (x1 - x0) * 0.42)

    if large:
        # A soft shadow below and to the right.
        c.add(round_box(x0 + 0.35, y0 + 0.55, x1 + 0.35, y1 + 0.35, (x1 - x0) / 2, (x1 - x0) * 0.42),
              paint(solid('#000000', 0.35)), soft=0.9)
    c.add(body, paint(solid(BLUE_EDGE)))
    c.add(inset(body, edge), paint(vertical(y0, BLUE_LIGHT, y1, BLUE_DARK)))

    # The buttons: a groove across the body and one up the middle.
    groove_y = s(6.5)
    groove = max(1, round(c.size / 32)) * px
    if large:
        c.add(intersect(inset(body, edge), union(
            round_box(x0, groove_y - groove / 2, x1, groove_y + groove / 2, 0),
            round_box(8 - groove / 2, y0, 8 + groove / 2, groove_y, 0))),
            paint(solid(BLUE_EDGE, 0.8)))
        # Gloss on the upper left of the body.
        c.add(intersect(inset(body, edge * 1.5), circle(4.2, 1.2, 5.0)), paint(solid('#FFFFFF', 0.22)))
    else:
        c.add(intersect(inset(body, edge), round_box(x0, groove_y, x1, groove_y + px, 0)),
              paint(solid(BLUE_EDGE, 0.8)))

    # The wheel; too narrow at the small sizes for an outline of its own.
    wx0, wx1 = s(6.6), s(9.4)
    wy0, wy1 = s(1.8), s(6.2) if large else s(7)
    wheel = round_box(wx0, wy0, wx1, wy1, (wx1 - wx0) / 2)
    if large:
        c.add(wheel, paint(solid(ORANGE_EDGE)))
        c.add(inset(wheel, edge), paint(vertical(wy0, ORANGE_LIGHT, wy1, ORANGE)))
        for k in (0.3, 0.5, 0.7):  # the wheel's ribs
            ry = wy0 + (wy1 - wy0) * k
            c.add(intersect(inset(wheel, edge), segment(wx0, ry, wx1, ry, 0.22)), paint(solid(ORANGE_EDGE, 0.45)))
    else:
        c.add(round_box(wx0, wy0, wx1, wy1, 0), paint(solid(ORANGE)))

    # Scroll arrows on the lower body: at the small sizes drawn as pixel
    # steps, two pixels wider per row, so that they stay sharp.
    white = paint(solid('#FFFFFF'))
    if large:
        h = s(2.5)
        top = s(8.2)
        bottom = top + 2 * h + s(0.9)
        c.add(polygon((8, top), (8 + h, top + h), (8 - h, top + h)), white)
        c.add(polygon((8 - h, bottom - h), (8 + h, bottom - h), (8, bottom)), white)
    else:
        rows = round(2.6 / px)
        top, bottom = s(8.2), s(8.2) + (2 * rows + 1) * px
        for k in range(rows):
            half = (k + 1) * px
            c.add(round_box(8 - half, top + k * px, 8 + half, top + (k + 1) * px, 0), white)
            c.add(round_box(8 - half, bottom - (k + 1) * px, 8 + half, bottom - k * px, 0), white)

    if disabled:
        # A red badge with a white bar, ringed in white to stand off the body.
        ring = 0.6 if large else px
        r = 3.0 if large else 3.5 - ring
        bx = by = 16 - r - ring
        c.add(circle(bx, by, r + ring), solid('#FFFFFF'))
        c.add(circle(bx, by, r), vertical(by - r, '#F0524F', by + r, '#B71C1C'))
        bar = max(1, round(c.size * 1.2 / 16)) * px
        c.add(round_box(bx - r * 0.6, by - bar / 2, bx + r * 0.6, by + bar / 2, min(bar / 2, 0.3)), solid('#FFFFFF'))


def scroll_cursor(c):
    """The scroll cursor on canvas c (32 units): a white four-way arrow with a
    black outline around a ring that marks the origin, centred on (16, 16)."""
    px = c.px
    edge = max(1, round(c.size / 32)) * px
    # Arrowhead half width, tip distance and shaft half width: whole pixels at
    # 32 pixels, and 45-degree sides.
    head, reach, half = 6, 15, 2
    back = reach - head  # where the heads' bases lie

    def arrow(dx, dy):
        # Points in the arrow's own frame (along, across), turned to (dx, dy).
        pts = ((reach, 0), (back, head), (back, half), (4, half), (4, -half), (back, -half), (back, -head))
        return polygon(*[(16 + a * dx - b * dy, 16 + a * dy + b * dx) for a, b in pts])

    arrows = union(arrow(1, 0), arrow(0, 1), arrow(-1, 0), arrow(0, -1))
    ring = circle(16, 16, 5)
    shape = union(arrows, ring)
    c.add(shape, solid('#000000'))
    c.add(inset(shape, edge), solid('#FFFFFF'))
    c.add(circle(16, 16, 5 - edge - 1.2), solid('#000000'))
    c.add(circle(16, 16, 5 - 2 * edge - 1.2), solid(BLUE))


def draw_icon(size, disabled):
    c = Canvas(size, 16.0)
    mouse(c, disabled)
    return c.render(samples_for(size))


def draw_cursor(size):
    c = Canvas(size, 32.0)
    scroll_cursor(c)
    return c.render(samples_for(size))


# --- Preview --------------------------------------------------------------------

def preview(images, path, zoom_to=128):
    """A sheet of the images on a light and on a dark background: each at its
    own size in the top half of its column and magnified below."""
    backgrounds = ((255, 255, 255), (40, 40, 48))
    gap = 8
    col_width = max(max(s, zoom_to) for s, _ in images) + gap
    width = col_width * len(images) + gap
    band = max(s for s, _ in images) + zoom_to + 3 * gap
    height = band * len(backgrounds)
    sheet = [None] * (width * height)
    for bi, bg in enumerate(backgrounds):
        for i in range(width * band):
            sheet[bi * band * width + i] = bg
        for ci, (size, pixels) in enumerate(images):
            left = gap + ci * col_width
            zoom = max(1, zoom_to // size)
            for top, scale in ((bi * band + gap, 1), (bi * band + 2 * gap + max(s for s, _ in images), zoom)):
                for y in range(size * scale):
                    for x in range(size * scale):
                        r, g, b, a = pixels[(y // scale) * size + x // scale]
                        k = a / 255
                        sheet[(top + y) * width + left + x] = tuple(
                            int(round(cv * k + bv * (1 - k))) for cv, bv in zip((r, g, b), bg))
    with open(path, 'wb') as f:
        f.write(png([p + (255,) for p in sheet], width, height))


def main(argv):
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'images')
    os.makedirs(folder, exist_ok=True)
    preview_folder = None
    if len(argv) == 2 and argv[0] == '--preview':
        preview_folder = argv[1]
        os.makedirs(preview_folder, exist_ok=True)
    elif argv:
        sys.exit(__doc__)

    outputs = []
    for name, disabled in (('veltrano.ico', False), ('veltrano_disabled.ico', True)):
        images = [(size, draw_icon(size, disabled)) for size in ICON_SIZES]
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(icon_file(images))
        outputs.append((name, images))
    images = [(size, draw_cursor(size)) for size in CURSOR_SIZES]
    with open(os.path.join(folder, 'scroll.cur'), 'wb') as f:
        f.write(icon_file(images, hotspots=[(size // 2, size // 2) for size, _ in images]))
    outputs.append(('scroll.cur', images))

    if preview_folder:
        for name, images in outputs:
            small = [(s, p) for s, p in images if s <= 64]
            preview(small, os.path.join(preview_folder, name.replace('.', '_') + '.png'))
            for s, p in images:
                if s > 64:
                    preview([(s, p)], os.path.join(preview_folder, name.replace('.', '_') + '_%d.png' % s), s)


if __name__ == '__main__':
    main(sys.argv[1:])
