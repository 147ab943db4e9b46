#!/usr/bin/env python3
"""Compares two PNG screenshots pixel by pixel: prints the number of pixels
that differ and their bounding box; exit 0 when the pictures are equal.
Reads the 8-bit, non-interlaced RGB/RGBA files Qt writes; no libraries."""
import struct
import sys
import zlib


def read_png(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(f'{path}: not a PNG file')
    pos, idat, width = 8, b'', 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or interlace or colour not in (2, 6):
                raise ValueError(f'{path}: only 8-bit RGB/RGBA without interlacing')
            bpp = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([bytes(line[j:j + 3]) for j in range(0, stride, bpp)])
        prev = line
    return width, height, rows


def main():
    if len(sys.argv) != 3:
        print('usage: pngdiff.py A.png B.png', file=sys.stderr)
        return 2
    wa, ha, a = read_png(sys.argv[1])
    wb, hb, b = read_png(sys.argv[2])
    if (wa, ha) != (wb, hb):
        print(f'sizes differ: {wa}x{ha} against {wb}x{hb}')
        return 1
    count, box = 0, None
    for y in range(ha):
        for x in range(wa):
            if a[y][x] != b[y][x]:
                count += 1
                box = (x, y, x, y) if box is None else (min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y))
    print(f'{count} pixels differ' + (f' in {box[0]},{box[1]} to {box[2]},{box[3]}' if box else ''))
    return 0 if count == 0 else 1


if __name__ == '__main__':
    sys.exit(main())
