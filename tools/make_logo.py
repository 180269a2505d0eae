#!/usr/bin/env python3
"""Draws Kestro's logo and the desktop icons derived from it.

The logo is the 260 x 140 picture of the version dialog, written as a 24-bit
BMP; the icons are the logo's round emblem alone, as RGBA PNG files in the
usual hicolor sizes. Everything is drawn here from simple shapes (polygons,
disks and stroked polylines, antialiased by 4 x 4 supersampling), so the
output depends on nothing but this file and the Python standard library.

Usage: tools/make_logo.py [OUTPUT_FOLDER]   (default: the repository's data/)
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # supersampling: SS x SS samples per pixel


class Mask:
    """Covered samples of one shape on a supersampled grid."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.sw = width * SS
        self.sh = height * SS
        self.bits = bytearray(self.sw * self.sh)
        self.box = None  # pixel bounds touched so far

    def _grow(self, x0, y0, x1, y1):
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.width, int(math.ceil(x1)) + 1)
        y1 = min(self.height, int(math.ceil(y1)) + 1)
        if self.box is None:
            self.box = [x0, y0, x1, y1]
        else:
            b = self.box
            self.box = [min(b[0], x0), min(b[1], y0), max(b[2], x1), max(b[3], y1)]

    def polygon(self, points):
        """Fills a closed polygon (even-odd rule), points in pixels."""
        ys = [p[1] for p in points]
        xs = [p[0] for p in points]
        self._grow(min(xs), min(ys), max(xs), max(ys))
        top = max(0, int(math.floor(min(ys) * SS)))
        bottom = min(self.sh, int(math.ceil(max(ys) * SS)) + 1)
        edges = list(zip(points, points[1:] + points[:1]))
        for row in range(top, bottom):
            y = (row + 0.5) / SS
            crossings = []
            for (xa, ya), (xb, yb) in edges:
                if (ya <= y < yb) or (yb <= y < ya):
                    crossings.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            base = row * self.sw
            for i in range(0, len(crossings) - 1, 2):
                first = max(0, int(math.ceil(crossings[i] * SS - 0.5)))
                last = min(self.sw - 1, int(math.floor(crossings[i + 1] * SS - 0.5)))
                for column in range(first, last + 1):
                    self.bits[base + column] = 1

    def disk(self, cx, cy, r):
        self._grow(cx - r, cy - r, cx + r, cy + r)
        top = max(0, int(math.floor((cy - r) * SS)))
        bottom = min(self.sh, int(math.ceil((cy + r) * SS)) + 1)
        for row in range(top, bottom):
            y = (row + 0.5) / SS
            d = r * r - (y - cy) ** 2
            if d < 0:
                continue
            half = math.sqrt(d)
            first = max(0, int(math.ceil((cx - half) * SS - 0.5)))
            last = min(self.sw - 1, int(math.floor((cx + half) * SS - 0.5)))
            base = row * self.sw
            for column in range(first, last + 1):
                self.bits[base + column] = 1

    def stroke(self, points, width):
        """A polyline of the given width with round joins and caps."""
        r = width / 2
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            length = math.hypot(xb - xa, yb - ya)
            if length > 0:
                nx = -(yb - ya) / length * r
                ny = (xb - xa) / length * r
                self.polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny),
                              (xa - nx, ya - ny)])
        for x, y in points:
            self.disk(x, y, r)

    def coverage(self):
        """Yields (x, y, fraction) for every pixel the shape touches."""
        if self.box is None:
            return
        x0, y0, x1, y1 = self.box
        area = SS * SS
        for y in range(y0, y1):
            for x in range(x0, x1):
                count = 0
                for sy in range(SS):
                    base = (y * SS + sy) * self.sw + x * SS
                    count += sum(self.bits[base:base + SS])
                if count:
                    yield x, y, count / area


class Canvas:
    """RGBA pixels as floats 0..1, painted over with masks."""

    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]
        if background:
            for y in range(height):
                for x in range(width):
                    self.pixels[y * width + x] = list(background(x, y)) + [1.0]

    def mask(self):
        return Mask(self.width, self.height)

    def paint(self, mask, colour, opacity=1.0):
        """Paints `mask` with a colour (r, g, b) or a function of (x, y)."""
        for x, y, cover in mask.coverage():
            rgb = colour(x, y) if callable(colour) else colour
            a = cover * opacity
            p = self.pixels[y * self.width + x]
            out_a = a + p[3] * (1 - a)
            if out_a <= 0:
                continue
            for i in range(3):
                p[i] = (rgb[i] * a + p[i] * p[3] * (1 - a)) / out_a
            p[3] = out_a

    def bytes_rgb(self, x, y):
        p = self.pixels[y * self.width + x]
        return tuple(max(0, min(255, int(round(c * 255)))) for c in p[:3])

    def bytes_rgba(self, x, y):
        p = self.pixels[y * self.width + x]
        return tuple(max(0, min(255, int(round(c * 255)))) for c in p)


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) / 255 for i in (1, 3, 5))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def arc(cx, cy, r, start, end, steps=24):
    """Points of an arc, angles in degrees, counter-clockwise on screen when
    end > start (y grows downwards, so angles are measured upwards)."""
    points = []
    for i in range(steps + 1):
        a = math.radians(start + (end - start) * i / steps)
        points.append((cx + r * math.cos(a), cy - r * math.sin(a)))
    return points


# The emblem: a kestrel hovering, seen from below, on a round plate. Shapes
# are given on a 64-unit square centred at (0, 0).

RUST = hex_colour("#c0602a")
RUST_DARK = hex_colour("#6e3315")
RUST_LIGHT = hex_colour("#dd9460")
PLATE = hex_colour("#fff7ea")
PLATE_EDGE = hex_colour("#f0dcc0")
RING = hex_colour("#ffffff")


def mirrored(right):
    """A shape symmetric about the vertical axis from its right half, which
    runs from the top of the axis to its bottom."""
    return right + [(-x, y) for x, y in reversed(right[1:-1])]


HEAD_AND_BODY = [(0, -22), (2.5, -21.5), (4, -19.5), (4.2, -17), (5.5, -14.5), (5.5, -4),
                 (5, 0), (4, 4), (4.5, 8), (6, 16), (6.5, 20), (5, 22), (2.5, 23), (0, 23.3)]


def bird_outline():
    return mirrored([(0, -22), (2.5, -21.5), (4, -19.5), (4.2, -17), (5.5, -14.5),
                     (10, -15.5), (16, -16.5), (22, -17), (27, -16.5), (30.5, -15),
                     (30.5, -14.5), (28, -12.5), (23, -10.8), (18, -9.2), (13, -7.2),
                     (8, -5.5), (5.5, -4), (5, 0), (4, 4), (4.5, 8), (6, 16), (6.5, 20),
                     (5, 22), (2.5, 23), (0, 23.3)])


def wingtips():
    right = [(24, -16.9), (27, -16.5), (30.5, -15), (30.5, -14.5), (28, -12.5), (24.5, -11.3)]
    return [right, [(-x, y) for x, y in right]]


def tail_band():
    return [(-6.1, 17.5), (6.1, 17.5), (6.5, 20), (-6.5, 20)]


def draw_emblem(canvas, cx, cy, scale):
    def at(points):
        return [(cx + x * scale, cy + y * scale) for x, y in points]

    ring = canvas.mask()
    ring.disk(cx, cy, 31 * scale)
    canvas.paint(ring, RING)
    plate = canvas.mask()
    plate.disk(cx, cy, 28.5 * scale)
    top = cy - 28.5 * scale
    span = 57 * scale
    canvas.paint(plate, lambda x, y: mix(PLATE, PLATE_EDGE, (y - top) / span))
    whole = canvas.mask()
    whole.polygon(at(bird_outline()))
    canvas.paint(whole, RUST_LIGHT)
    body = canvas.mask()
    body.polygon(at(mirrored(HEAD_AND_BODY)))
    canvas.paint(body, RUST)
    for tip in wingtips():
        dark = canvas.mask()
        dark.polygon(at(tip))
        canvas.paint(dark, RUST_DARK)
    band = canvas.mask()
    band.polygon(at(tail_band()))
    canvas.paint(band, RUST_DARK)


# The word "Kestro": stroked glyphs on a 36-pixel cap height, origin at the
# left end of the baseline.

def glyphs():
    k = [[(2.5, -36), (2.5, 0)], [(23, -36), (5, -15)], [(10, -20.5), (24, 0)]]
    e = [[(2, -13), (24, -13)] + arc(13, -13, 11, 0, 320, 28)[1:]]
    s = [arc(11, -19.5, 6.8, 35, 270, 14) + arc(11, -6.3, 6.8, 90, -145, 14)[1:]]
    t = [[(7, -33), (7, -6)] + arc(13, -6, 6, 180, 270, 6)[1:] + [(16, 0)],
         [(1, -25), (16, -25)]]
    r = [[(2.5, -26), (2.5, 0)], arc(14, -13, 11.5, 180, 100, 10) + [(17, -24.8)]]
    o = [arc(13, -13, 11, 0, 360, 36)]
    return [(k, 27), (e, 28), (s, 23), (t, 19), (r, 19), (o, 27)]


def draw_word(canvas, left, baseline, colour, width=5.2, dx=0.0, dy=0.0):
    x = left
    for strokes, advance in glyphs():
        mask = canvas.mask()
        for line in strokes:
            mask.stroke([(x + px + dx, baseline + py + dy) for px, py in line], width)
        canvas.paint(mask, colour[0], colour[1])
        x += advance + 4


def make_logo():
    width, height = 260, 140
    sky_top = hex_colour("#244f82")
    sky_bottom = hex_colour("#4f86c0")
    paper_top = hex_colour("#ffffff")
    paper_bottom = hex_colour("#edf2f8")
    band = 72

    def background(x, y):
        if y < band:
            return mix(sky_top, sky_bottom, (y + x * 0.25) / (band + width * 0.25))
        return mix(paper_top, paper_bottom, (y - band) / (height - band))

    canvas = Canvas(width, height, background)

    # The rust edge below the sky.
    edge = canvas.mask()
    edge.polygon([(0, band), (width, band), (width, band + 2.5), (0, band + 2.5)])
    canvas.paint(edge, RUST)

    draw_emblem(canvas, 38, 36, 0.98)
    draw_word(canvas, 84, 54, (hex_colour("#0f2a4a"), 0.55), dx=1.2, dy=1.4)
    draw_word(canvas, 84, 54, (hex_colour("#ffffff"), 1.0))
    return canvas


def make_icon(size):
    canvas = Canvas(size, size)
    scale = size / 64
    draw_emblem(canvas, size / 2, size / 2, scale)
    return canvas


def write_bmp(canvas, path):
    """24-bit uncompressed BMP, bottom-up rows padded to 4 bytes."""
    row_size = (canvas.width * 3 + 3) & ~3
    data = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.width):
            r, g, b = canvas.bytes_rgb(x, y)
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        data += row
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                              len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(file_header + info_header + data)


def write_png(canvas, path):
    """8-bit RGBA PNG."""
    raw = bytearray()
    for y in range(canvas.height):
        raw.append(0)
        for x in range(canvas.width):
            raw += bytes(canvas.bytes_rgba(x, y))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    write_bmp(make_logo(), os.path.join(out, "kestro_logo.bmp"))
    for size in (16, 32, 48, 64, 128, 256):
        write_png(make_icon(size), os.path.join(out, "icons", "kestro-%d.png" % size))


if __name__ == "__main__":
    main()
