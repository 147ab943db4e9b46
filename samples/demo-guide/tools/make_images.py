#!/usr/bin/env python3
"""Draw the demo guide's figures as PNG files (standard library only).

Every figure is a simple schematic drawn from rectangles, circles, lines,
polygons and arrows; it carries no lettering (the caption and the note of the
image object say what it shows). Each figure is written in several sizes:
240x320 and 480x640 (the portrait screens at 96 and 192 dots per inch), and
for some figures also 320x240 (a landscape screen at 96 dots per inch).

    python3 make_images.py [OUTPUT_DIR]      (default: ../images beside tools/)

The output is deterministic, so running it again leaves the committed files
unchanged.
"""

import os
import struct
import sys
import zlib

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (200, 200, 200)
DARK = (60, 60, 70)
PURPLE = (110, 60, 160)
PINK = (220, 90, 140)
BLUE = (40, 110, 200)
LIGHT_BLUE = (200, 225, 250)
GREEN = (70, 170, 90)
YELLOW = (235, 200, 60)
ORANGE = (240, 140, 50)
RED = (210, 60, 50)


class Canvas:
    """An RGB picture with a few filled primitives, in pixel coordinates."""

    def __init__(self, width, height, background=WHITE):
        self.width = width
        self.height = height
        self.rows = [bytearray(bytes(background) * width) for _ in range(height)]

    def pixel(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = 3 * x
            self.rows[y][i:i + 3] = bytes(colour)

    def rect(self, x0, y0, x1, y1, colour):
        x0, x1 = sorted((int(round(x0)), int(round(x1))))
        y0, y1 = sorted((int(round(y0)), int(round(y1))))
        x0, y0 = max(x0, 0), max(y0, 0)
        x1, y1 = min(x1, self.width), min(y1, self.height)
        if x0 >= x1:
            return
        span = bytes(colour) * (x1 - x0)
        for y in range(y0, y1):
            self.rows[y][3 * x0:3 * x1] = span

    def frame(self, x0, y0, x1, y1, thickness, colour):
        t = thickness
        self.rect(x0, y0, x1, y0 + t, colour)
        self.rect(x0, y1 - t, x1, y1, colour)
        self.rect(x0, y0, x0 + t, y1, colour)
        self.rect(x1 - t, y0, x1, y1, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        if rx <= 0 or ry <= 0:
            return
        for y in range(int(cy - ry), int(cy + ry) + 1):
            dy = (y + 0.5 - cy) / ry
            if abs(dy) > 1:
                continue
            half = rx * (1 - dy * dy) ** 0.5
            self.rect(cx - half, y, cx + half, y + 1, colour)

    def polygon(self, points, colour):
        """Even-odd scanline fill of a closed polygon."""
        ys = [p[1] for p in points]
        for y in range(max(int(min(ys)), 0), min(int(max(ys)) + 1, self.height)):
            sy = y + 0.5
            xs = []
            n = len(points)
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya <= sy < yb) or (yb <= sy < ya):
                    xs.append(xa + (sy - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for j in range(0, len(xs) - 1, 2):
                self.rect(xs[j], y, xs[j + 1], y + 1, colour)

    def line(self, x0, y0, x1, y1, thickness, colour):
        """A thick straight line drawn as a quadrilateral."""
        dx, dy = x1 - x0, y1 - y0
        length = (dx * dx + dy * dy) ** 0.5
        if length == 0:
            return
        nx, ny = -dy / length * thickness / 2, dx / length * thickness / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)

    def arrow(self, x0, y0, x1, y1, thickness, colour):
        dx, dy = x1 - x0, y1 - y0
        length = (dx * dx + dy * dy) ** 0.5
        if length == 0:
            return
        ux, uy = dx / length, dy / length
        head = thickness * 3.5
        bx, by = x1 - ux * head, y1 - uy * head
        self.line(x0, y0, bx, by, thickness, colour)
        self.polygon([(x1, y1), (bx - uy * head * 0.6, by + ux * head * 0.6),
                      (bx + uy * head * 0.6, by - ux * head * 0.6)], colour)

    def dashed(self, x0, y, x1, thickness, dash, colour):
        x = x0
        while x < x1:
            self.rect(x, y - thickness / 2, min(x + dash, x1), y + thickness / 2, colour)
            x += 2 * dash

    def png(self):
        raw = b"".join(b"\x00" + bytes(row) for row in self.rows)

        def chunk(kind, data):
            body = kind + data
            return (struct.pack(">I", len(data)) + body
                    + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# Each figure draws on a canvas of any size, placing things relative to the
# width (w) and height (h); u is one line-width unit.

def bacterial_shapes(c):
    """Cocci in clusters, cocci in chains, rods and curved rods in four panels."""
    w, h = c.width, c.height
    u = min(w, h) / 240
    c.rect(0, 0, w, h, WHITE)
    panels = [(0.05, 0.05, 0.48, 0.48), (0.52, 0.05, 0.95, 0.48),
              (0.05, 0.52, 0.48, 0.95), (0.52, 0.52, 0.95, 0.95)]
    for x0, y0, x1, y1 in panels:
        c.rect(x0 * w, y0 * h, x1 * w, y1 * h, LIGHT_BLUE)
        c.frame(x0 * w, y0 * h, x1 * w, y1 * h, max(1, round(u)), DARK)
    r = 7 * u
    # clusters (purple cocci)
    for cx, cy in [(0.17, 0.17), (0.36, 0.30)]:
        for dx, dy in [(0, 0), (1.8, 0), (0.9, 1.5), (-0.9, 1.5), (0.9, -1.5), (2.7, 1.5), (1.8, 3.0)]:
            c.ellipse(cx * w + dx * r, cy * h + dy * r, r, r, PURPLE)
    # chains (purple cocci in a row)
    for i in range(6):
        c.ellipse(0.58 * w + i * 2.05 * r, 0.16 * h + (i % 2) * r * 0.6, r, r, PURPLE)
    for i in range(5):
        c.ellipse(0.62 * w + i * 2.05 * r, 0.34 * h + ((i + 1) % 2) * r * 0.6, r, r, PURPLE)
    # rods (pink)
    for k, (cx, cy) in enumerate([(0.16, 0.62), (0.32, 0.68), (0.18, 0.80), (0.36, 0.86), (0.28, 0.74)]):
        length, width = 26 * u, 6 * u
        if k % 2:
            c.rect(cx * w - length / 2, cy * h - width / 2, cx * w + length / 2, cy * h + width / 2, PINK)
            c.ellipse(cx * w - length / 2, cy * h, width / 2, width / 2, PINK)
            c.ellipse(cx * w + length / 2, cy * h, width / 2, width / 2, PINK)
        else:
            c.line(cx * w - length / 2, cy * h - length / 3, cx * w + length / 2, cy * h + length / 3, width, PINK)
    # curved rods (pink arcs)
    for cx, cy in [(0.64, 0.64), (0.80, 0.72), (0.66, 0.84), (0.84, 0.88)]:
        pts = []
        for i in range(9):
            t = i / 8
            pts.append((cx * w + (t - 0.5) * 30 * u, cy * h + ((t - 0.5) ** 2) * 40 * u))
        for a, b in zip(pts, pts[1:]):
            c.line(a[0], a[1], b[0], b[1], 5 * u, PINK)


def dosing_curve(c):
    """Drug level over time after repeated doses, with a threshold line."""
    w, h = c.width, c.height
    u = min(w, h) / 240
    left, right, top, bottom = 0.12 * w, 0.94 * w, 0.10 * h, 0.80 * h
    c.rect(left, top, right, bottom, (245, 248, 252))
    c.arrow(left, bottom, left, top - 6 * u, 2 * u, DARK)
    c.arrow(left, bottom, right + 6 * u, bottom, 2 * u, DARK)
    threshold = top + 0.55 * (bottom - top)
    c.dashed(left, threshold, right, 2 * u, 6 * u, RED)
    doses = 4
    span = (right - left) / doses
    level = 0.0
    pts = []
    for d in range(doses):
        start = left + d * span
        peak = min(level + 0.55, 0.95)
        for i in range(25):
            t = i / 24
            x = start + t * span
            if t < 0.12:
                v = level + (peak - level) * (t / 0.12)
            else:
                v = peak * (0.35 ** ((t - 0.12) / 0.88))
            pts.append((x, bottom - v * (bottom - top)))
        level = peak * 0.35
        # dose marker bars under the axis
        c.rect(start - 3 * u, bottom + 6 * u, start + 3 * u, bottom + 22 * u, BLUE)
    for a, b in zip(pts, pts[1:]):
        c.line(a[0], a[1], b[0], b[1], 3 * u, GREEN)
    # a legend strip at the bottom: blue = dose, green = level, red = threshold
    y = 0.90 * h
    for k, colour in enumerate((BLUE, GREEN, RED)):
        x = 0.15 * w + k * 0.28 * w
        c.rect(x, y - 5 * u, x + 0.18 * w, y + 5 * u, colour)


def decision_flow(c):
    """Two chains of decision boxes joined by arrows into one result box."""
    w, h = c.width, c.height
    u = min(w, h) / 240
    t = max(1, round(2 * u))
    boxes_left = [(0.08, 0.06), (0.08, 0.28), (0.08, 0.50)]
    boxes_right = [(0.56, 0.06), (0.56, 0.28), (0.56, 0.50)]
    bw, bh = 0.36, 0.14
    for column, colour in ((boxes_left, BLUE), (boxes_right, ORANGE)):
        for i, (x, y) in enumerate(column):
            c.rect(x * w, y * h, (x + bw) * w, (y + bh) * h, colour)
            c.frame(x * w, y * h, (x + bw) * w, (y + bh) * h, t, DARK)
            if i + 1 < len(column):
                nx, ny = column[i + 1]
                c.arrow((x + bw / 2) * w, (y + bh) * h, (nx + bw / 2) * w, ny * h - t, 2 * u, DARK)
    result = (0.22, 0.76, 0.78, 0.94)
    c.rect(result[0] * w, result[1] * h, result[2] * w, result[3] * h, GREEN)
    c.frame(result[0] * w, result[1] * h, result[2] * w, result[3] * h, t, DARK)
    for x, y in (boxes_left[-1], boxes_right[-1]):
        c.arrow((x + bw / 2) * w, (y + bh) * h, 0.5 * w, result[1] * h - t, 2 * u, DARK)
    # diamonds marking the choice points
    for x, y in (boxes_left[0], boxes_right[0]):
        cx, cy, r = (x + bw / 2) * w, (y + bh / 2) * h, 0.05 * min(w, h)
        c.polygon([(cx, cy - r), (cx + r, cy), (cx, cy + r), (cx - r, cy)], WHITE)


def renal_bands(c):
    """Horizontal bars of falling length in the colours of four renal bands."""
    w, h = c.width, c.height
    u = min(w, h) / 240
    c.rect(0, 0, w, h, WHITE)
    colours = (GREEN, YELLOW, ORANGE, RED)
    lengths = (0.82, 0.58, 0.34, 0.16)
    gap = 0.04 * h
    bar = (0.78 * h - 3 * gap) / 4
    y = 0.08 * h
    for colour, length in zip(colours, lengths):
        c.rect(0.10 * w, y, (0.10 + length) * w, y + bar, colour)
        c.frame(0.10 * w, y, (0.10 + length) * w, y + bar, max(1, round(u)), DARK)
        y += bar + gap
    c.rect(0.09 * w, 0.06 * h, 0.10 * w, 0.90 * h, DARK)
    c.arrow(0.10 * w, 0.94 * h, 0.92 * w, 0.94 * h, 2 * u, DARK)


FIGURES = [
    ("bacterial_shapes", bacterial_shapes, [(240, 320), (480, 640), (320, 240)]),
    ("dosing_curve", dosing_curve, [(240, 320), (480, 640), (320, 240)]),
    ("decision_flow", decision_flow, [(240, 320), (480, 640)]),
    ("renal_bands", renal_bands, [(240, 320), (480, 640)]),
]


def variant_name(name, size):
    return "%s_%dx%d.png" % (name, size[0], size[1])


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "images")
    os.makedirs(out, exist_ok=True)
    for name, draw, sizes in FIGURES:
        for size in sizes:
            canvas = Canvas(*size)
            draw(canvas)
            path = os.path.join(out, variant_name(name, size))
            with open(path, "wb") as f:
                f.write(canvas.png())
            print("wrote", os.path.normpath(path))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
