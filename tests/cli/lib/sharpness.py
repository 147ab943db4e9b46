#!/usr/bin/env python3
"""How sharp a region of a screenshot taken at a device pixel ratio of 2 is.

A window drawn at half resolution and scaled up repeats each pixel in a 2x2
block, so neighbours inside a block hardly differ while neighbours across
blocks do. The score is the change between neighbours inside blocks over the
change across them, in both directions: about 1 for a window drawn at the
full resolution, near 0 for one scaled up.

usage: sharpness.py SHOT.png X Y W H   (the region in device pixels)"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from pngdiff import read_png  # noqa: E402


def score(rows, x0, y0, w, h):
    inside = across = 0

    def grey(p):
        return p[0] + p[1] + p[2]
    for y in range(y0 - y0 % 2, y0 + h - 1):
        row, below = rows[y], rows[y + 1]
        for x in range(x0 - x0 % 2, x0 + w - 1):
            dx = abs(grey(row[x]) - grey(row[x + 1]))
            dy = abs(grey(row[x]) - grey(below[x]))
            inside += (dx if x % 2 == 0 else 0) + (dy if y % 2 == 0 else 0)
            across += (dx if x % 2 == 1 else 0) + (dy if y % 2 == 1 else 0)
    return inside / across if across else 1.0


def main():
    if len(sys.argv) != 6:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    width, height, rows = read_png(sys.argv[1])
    x, y, w, h = (int(v) for v in sys.argv[2:])
    w, h = min(w, width - x), min(h, height - y)
    print(f'{score(rows, x, y, w, h):.2f}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
