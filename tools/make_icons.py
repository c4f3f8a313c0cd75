#!/usr/bin/env python3
"""Draws the saver's icons into resources/icons/*.ico.

Each icon is a small list of shapes in a 32 x 32 design space, rasterised at
16, 24 and 32 pixels in the 16-colour VGA palette (no blending, one sample at
each pixel's centre). Run it again after changing a drawing and commit the
.ico files it writes; the build only reads them.
"""
import math
import os
import struct
import sys

# The 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None

SIZES = (16, 24, 32)


# --- shapes: each gives its colour at a point, or CLEAR outside it. Outlines
# and strokes are never thinner than one pixel, so small sizes keep them. ---

def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


class Polygon:
    def __init__(self, points, fill, outline=BLACK, width=1.0):
        self.points, self.fill, self.outline, self.width = points, fill, outline, width

    def colour_at(self, x, y, pixel):
        inside = False
        pts = self.points
        for i in range(len(pts)):
            (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        if not inside:
            return CLEAR
        edge = min(_segment_distance(x, y, *pts[i], *pts[(i + 1) % len(pts)]) for i in range(len(pts)))
        return self.outline if self.outline is not None and edge < max(self.width, pixel) else self.fill


class Ellipse:
    def __init__(self, cx, cy, rx, ry, fill, outline=BLACK, width=1.0):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.fill, self.outline, self.width = fill, outline, width

    def colour_at(self, x, y, pixel):
        # Scaled radius: 1 on the rim; the edge distance is approximate, fine for small icons.
        nx, ny = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        r = math.hypot(nx, ny)
        if r > 1.0:
            return CLEAR
        edge = (1.0 - r) * min(self.rx, self.ry)
        return self.outline if self.outline is not None and edge < max(self.width, pixel) else self.fill


class Line:
    """A thick stroke through the points, with round ends."""

    def __init__(self, points, colour, width):
        self.points, self.colour, self.width = points, colour, width

    def colour_at(self, x, y, pixel):
        pts = self.points
        d = min(_segment_distance(x, y, *pts[i], *pts[i + 1]) for i in range(len(pts) - 1))
        return self.colour if d <= max(self.width, pixel) / 2 else CLEAR


def arc(cx, cy, r, start_deg, end_deg, steps=12):
    return [(cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a)))
            for a in (start_deg + (end_deg - start_deg) * i / steps for i in range(steps + 1))]


# --- the drawings, in the 32 x 32 design space ---

def closed_folder():
    return [
        Polygon([(2, 8), (12, 8), (14, 11), (29, 11), (29, 27), (2, 27)], OLIVE),
        Polygon([(2, 12), (29, 12), (29, 27), (2, 27)], YELLOW),
        Line([(3.5, 13.5), (26.5, 13.5)], WHITE, 1.0),
    ]


def open_folder():
    return [
        Polygon([(2, 10), (11, 10), (13, 13), (25, 13), (25, 28), (2, 28)], OLIVE),
        Polygon([(7, 17), (31, 17), (25, 28), (2, 28)], YELLOW),
        # A curved arrow dropping into the folder.
        Line(arc(21, 12, 7, 170, 20), GREEN, 3.0),
        Polygon([(23, 10), (31, 10), (27, 16)], GREEN, outline=None),
    ]


def arrow(up):
    shaft = [(11, 15), (21, 15), (21, 29), (11, 29)]
    head = [(16, 2), (29, 16), (3, 16)]
    if not up:
        shaft = [(x, 32 - y) for x, y in shaft]
        head = [(x, 32 - y) for x, y in head]
    return [Polygon(shaft, CYAN, TEAL, 1.5), Polygon(head, CYAN, TEAL, 1.5),
            Line([(12.5, 15 if up else 17), (19.5, 15 if up else 17)], CYAN, 1.6)]


def delete_disc():
    return [
        Ellipse(16, 16, 14, 14, RED, MAROON, 1.3),
        Line([(10, 10), (22, 22)], WHITE, 4.0),
        Line([(22, 10), (10, 22)], WHITE, 4.0),
    ]


def magnifier():
    return [
        Line([(19, 19), (28, 28)], BLACK, 6.0),
        Line([(20, 20), (27, 27)], OLIVE, 3.0),
        Ellipse(12.5, 12.5, 10.5, 10.5, CYAN, BLACK, 2.2),
        Ellipse(10, 9.5, 3, 2.5, WHITE, None),
    ]


def question_mark():
    hook = arc(16, 11, 7, 160, -70, 16) + [(16, 21)]
    return [
        Line(hook, BLACK, 7.5),
        Ellipse(16, 27, 3.8, 3.8, BLACK, None),
        Line(hook, YELLOW, 4.5),
        Ellipse(16, 27, 2.4, 2.4, YELLOW, None),
    ]


def monitor_landscape():
    return [
        Polygon([(11, 26), (21, 26), (24, 30), (8, 30)], SILVER, BLACK, 1.0),
        Polygon([(1, 2), (31, 2), (31, 25), (1, 25)], SILVER, BLACK, 1.0),
        Polygon([(4, 5), (28, 5), (28, 21), (4, 21)], CYAN, BLACK, 1.0),
        Ellipse(22, 9.5, 2.8, 2.8, YELLOW, None),
        Polygon([(5, 20.5), (5, 16), (11, 10), (16, 15), (19, 13), (27.5, 20), (27.5, 20.5)], GREEN, None),
        Polygon([(5, 20.5), (5, 18), (14, 16), (27.5, 18.5), (27.5, 20.5)], LIME, None),
    ]


ICONS = {
    "add": open_folder,
    "clear_all": closed_folder,
    "up": lambda: arrow(True),
    "down": lambda: arrow(False),
    "delete": delete_disc,
    "show": magnifier,
    "about": monitor_landscape,
    "help": question_mark,
}


def rasterise(shapes, size):
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) * scale, (py + 0.5) * scale
            colour = CLEAR
            for shape in shapes:
                c = shape.colour_at(x, y, scale)
                if c is not CLEAR:
                    colour = c
            row.append(colour)
        rows.append(row)
    return rows


def icon_image(rows):
    """One ICO image: BITMAPINFOHEADER, palette, 4-bit colours, 1-bit mask (bottom-up)."""
    size = len(rows)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, (xor_stride + and_stride) * size, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_bits, and_bits = bytearray(), bytearray()
    for row in reversed(rows):
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, c in enumerate(row):
            index = 0 if c is CLEAR else c
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if c is CLEAR:
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_bits += line
        and_bits += mask
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def ico_file(shapes):
    images = [icon_image(rasterise(shapes, size)) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "icons")
    os.makedirs(folder, exist_ok=True)
    for name, draw in ICONS.items():
        with open(os.path.join(folder, name + ".ico"), "wb") as f:
            f.write(ico_file(draw()))


if __name__ == "__main__":
    main()
