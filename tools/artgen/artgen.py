#!/usr/bin/env python3
"""Draws the setup program's artwork and writes it into res/.

    splash.bmp            bitmap 129, 500 x 500, the picture on the backdrop
    slide1.bmp..slide4    bitmaps 130..133, 300 x 250, the progress slideshow
    setup.ico             icon 128, 32 x 32 and 16 x 16 in the 16 VGA colours

Pictures are drawn in floating-point RGB by a small anti-aliasing rasteriser,
reduced to a 256-colour palette of their own by a variance-splitting
quantiser, and written as 8-bit, bottom-up, uncompressed DIBs.  Only the
standard library is used, and the pseudo-random numbers come from a fixed
xorshift generator, so every run writes the same bytes.

Usage: python3 tools/artgen/artgen.py [OUTPUT_DIR]   (default: res/)
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

# ---------------------------------------------------------------------------
# Colours of the product: they sit on a backdrop that runs from dark grey
# at the top to cyan at the bottom.

WHITE = (244, 252, 252)
PALE_CYAN = (176, 240, 244)
CYAN = (40, 218, 226)
AMBER = (255, 178, 56)
CORAL = (250, 104, 84)
GRID = (44, 84, 90)
GRID_AXIS = (70, 124, 130)
LABEL = (126, 184, 190)
COPPER = (214, 150, 70)


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    return (lerp(c0[0], c1[0], t), lerp(c0[1], c1[1], t), lerp(c0[2], c1[2], t))


def ramp(stops, t):
    """Colour at position t of a list of (position, colour) stops."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


# ---------------------------------------------------------------------------
# Deterministic pseudo-random numbers (the platform's generator may change).

class Rng:
    def __init__(self, seed):
        self.state = (seed & 0xFFFFFFFF) or 0x9E3779B9
        self.spare = None

    def u32(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self):
        return (self.u32() + 0.5) / 4294967296.0

    def bit(self):
        return self.u32() >> 31

    def gauss(self):
        if self.spare is not None:
            v, self.spare = self.spare, None
            return v
        r = math.sqrt(-2.0 * math.log(self.uniform()))
        a = 2.0 * math.pi * self.uniform()
        self.spare = r * math.sin(a)
        return r * math.cos(a)


# ---------------------------------------------------------------------------
# Canvas and coverage masks.  A mask maps a pixel index to a coverage in
# 0..1; shapes build masks, the canvas paints them in a colour.  Pixel (x, y)
# covers [x, x+1) x [y, y+1), so its centre is at (x + 0.5, y + 0.5).

class Canvas:
    def __init__(self, w, h, rgb=(0, 0, 0)):
        self.w, self.h = w, h
        self.r = [float(rgb[0])] * (w * h)
        self.g = [float(rgb[1])] * (w * h)
        self.b = [float(rgb[2])] * (w * h)

    def paint(self, mask, rgb, alpha=1.0):
        r, g, b = self.r, self.g, self.b
        cr, cg, cb = rgb
        for i, c in mask.items():
            a = c * alpha
            if a >= 1.0:
                r[i], g[i], b[i] = cr, cg, cb
            else:
                r[i] += (cr - r[i]) * a
                g[i] += (cg - g[i]) * a
                b[i] += (cb - b[i]) * a

    def paint_vertical(self, mask, y0, y1, stops, alpha=1.0):
        """Paints a mask with a colour that follows the rows from y0 to y1."""
        r, g, b, w = self.r, self.g, self.b, self.w
        span = float(y1 - y0) or 1.0
        rows = {}
        for i, c in mask.items():
            y = i // w
            col = rows.get(y)
            if col is None:
                col = rows[y] = ramp(stops, (y + 0.5 - y0) / span)
            a = c * alpha
            r[i] += (col[0] - r[i]) * a
            g[i] += (col[1] - g[i]) * a
            b[i] += (col[2] - b[i]) * a

    def add(self, mask, rgb, gain=1.0):
        """Adds light, as a glow does; channels saturate at 255."""
        r, g, b = self.r, self.g, self.b
        cr, cg, cb = rgb
        for i, c in mask.items():
            a = c * gain
            r[i] = min(255.0, r[i] + cr * a)
            g[i] = min(255.0, g[i] + cg * a)
            b[i] = min(255.0, b[i] + cb * a)

    def gradient(self, x0, y0, x1, y1, stops, vignette=0.0):
        """Fills a rectangle with a vertical gradient, darker at the sides."""
        w = self.w
        cx = (x0 + x1) / 2.0
        half = (x1 - x0) / 2.0
        shade = [1.0 - vignette * ((x + 0.5 - cx) / half) ** 2 for x in range(x0, x1)]
        for y in range(y0, y1):
            cr, cg, cb = ramp(stops, (y + 0.5 - y0) / float(y1 - y0))
            base = y * w
            for k, x in enumerate(range(x0, x1)):
                s = shade[k]
                i = base + x
                self.r[i] = cr * s
                self.g[i] = cg * s
                self.b[i] = cb * s

    def pixels(self):
        """Rounded 8-bit RGB triples, row by row from the top."""
        def q(v):
            v = int(v + 0.5)
            return 0 if v < 0 else (255 if v > 255 else v)
        return [(q(r), q(g), q(b)) for r, g, b in zip(self.r, self.g, self.b)]


def mask_union(*masks):
    out = {}
    for m in masks:
        for i, c in m.items():
            if c > out.get(i, 0.0):
                out[i] = c
    return out


def mask_union_into(dst, m):
    """Adds m to dst in place, keeping the larger coverage."""
    for i, c in m.items():
        if c > dst.get(i, 0.0):
            dst[i] = c
    return dst


def bezier(p0, p1, p2, p3, n):
    """n + 1 points of a cubic Bezier curve."""
    pts = []
    for k in range(n + 1):
        t = k / float(n)
        u = 1.0 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def mask_minus(m, cut):
    """Removes the coverage of cut from m."""
    out = {}
    for i, c in m.items():
        c *= 1.0 - cut.get(i, 0.0)
        if c > 0.0:
            out[i] = c
    return out


def mask_rect(cv, x0, y0, x1, y1):
    """Axis-aligned rectangle with exact area coverage at fractional edges."""
    out = {}
    xa, xb = max(0, int(math.floor(x0))), min(cv.w - 1, int(math.ceil(x1)) - 1)
    ya, yb = max(0, int(math.floor(y0))), min(cv.h - 1, int(math.ceil(y1)) - 1)
    cols = [(x, min(x1, x + 1) - max(x0, x)) for x in range(xa, xb + 1)]
    for y in range(ya, yb + 1):
        cy = min(y1, y + 1) - max(y0, y)
        if cy <= 0:
            continue
        base = y * cv.w
        for x, cx in cols:
            if cx > 0:
                out[base + x] = cx * cy
    return out


def mask_round_rect(cv, x0, y0, x1, y1, radius):
    out = {}
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius
    for y in range(max(0, int(y0)), min(cv.h, int(math.ceil(y1)))):
        qy = abs(y + 0.5 - cy) - hy
        for x in range(max(0, int(x0)), min(cv.w, int(math.ceil(x1)))):
            qx = abs(x + 0.5 - cx) - hx
            outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
            d = outside + min(max(qx, qy), 0.0) - radius
            c = clamp01(0.5 - d)
            if c > 0.0:
                out[y * cv.w + x] = c
    return out


def mask_disc(cv, cx, cy, radius):
    out = {}
    for y in range(max(0, int(cy - radius - 1)), min(cv.h, int(cy + radius + 2))):
        for x in range(max(0, int(cx - radius - 1)), min(cv.w, int(cx + radius + 2))):
            c = clamp01(radius + 0.5 - math.hypot(x + 0.5 - cx, y + 0.5 - cy))
            if c > 0.0:
                out[y * cv.w + x] = c
    return out


def mask_ring(cv, cx, cy, radius, width):
    out = {}
    hw = width / 2.0
    for y in range(max(0, int(cy - radius - hw - 1)), min(cv.h, int(cy + radius + hw + 2))):
        for x in range(max(0, int(cx - radius - hw - 1)), min(cv.w, int(cx + radius + hw + 2))):
            d = abs(math.hypot(x + 0.5 - cx, y + 0.5 - cy) - radius)
            c = clamp01(hw + 0.5 - d)
            if c > 0.0:
                out[y * cv.w + x] = c
    return out


def mask_stroke(cv, pts, width, closed=False, out=None):
    """Polyline with round joins; overlapping segments take the maximum
    coverage so that joins do not darken."""
    if out is None:
        out = {}
    hw = max(width, 1.0) / 2.0
    thin = min(width, 1.0)
    w, h = cv.w, cv.h
    seq = list(pts) + ([pts[0]] if closed else [])
    if len(seq) == 1:
        seq = seq * 2
    for (x0, y0), (x1, y1) in zip(seq, seq[1:]):
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy
        xa = max(0, int(math.floor(min(x0, x1) - hw - 1)))
        xb = min(w - 1, int(math.ceil(max(x0, x1) + hw + 1)))
        ya = max(0, int(math.floor(min(y0, y1) - hw - 1)))
        yb = min(h - 1, int(math.ceil(max(y0, y1) + hw + 1)))
        for py in range(ya, yb + 1):
            cy = py + 0.5
            base = py * w
            for px in range(xa, xb + 1):
                cx = px + 0.5
                t = ((cx - x0) * dx + (cy - y0) * dy) / ll if ll > 0.0 else 0.0
                t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
                ex = x0 + t * dx - cx
                ey = y0 + t * dy - cy
                c = hw + 0.5 - math.sqrt(ex * ex + ey * ey)
                if c <= 0.0:
                    continue
                c = (1.0 if c > 1.0 else c) * thin
                i = base + px
                if c > out.get(i, 0.0):
                    out[i] = c
    return out


def dashed(pts, on, off):
    """Splits a polyline into dashes of length on separated by gaps of off."""
    pieces, cur = [], []
    pos, period = 0.0, on + off
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        seg = math.hypot(x1 - x0, y1 - y0)
        done = 0.0
        while done < seg:
            phase = pos % period
            drawing = phase < on
            left = (on - phase) if drawing else (period - phase)
            step = min(left, seg - done)
            t0, t1 = done / seg, (done + step) / seg
            a = (x0 + (x1 - x0) * t0, y0 + (y1 - y0) * t0)
            b = (x0 + (x1 - x0) * t1, y0 + (y1 - y0) * t1)
            if drawing:
                if not cur:
                    cur.append(a)
                cur.append(b)
            elif cur:
                pieces.append(cur)
                cur = []
            done += step
            pos += step
    if cur:
        pieces.append(cur)
    return pieces


def mask_dashed(cv, pts, width, on, off):
    out = {}
    for piece in dashed(pts, on, off):
        mask_stroke(cv, piece, width, out=out)
    return out


def mask_polygon(cv, pts, out=None):
    """Filled polygon (even-odd), four sub-scanlines per row with exact
    horizontal coverage."""
    if out is None:
        out = {}
    w = cv.w
    ys = [p[1] for p in pts]
    xs = [p[0] for p in pts]
    ya, yb = max(0, int(math.floor(min(ys)))), min(cv.h - 1, int(math.ceil(max(ys))))
    xa, xb = max(0, int(math.floor(min(xs)))), min(w - 1, int(math.ceil(max(xs))))
    edges = [(p, q) for p, q in zip(pts, pts[1:] + pts[:1]) if p[1] != q[1]]
    for py in range(ya, yb + 1):
        acc = [0.0] * (xb - xa + 2)
        for s in range(4):
            sy = py + (s + 0.5) / 4.0
            hits = []
            for (x0, y0), (x1, y1) in edges:
                if (y0 <= sy < y1) or (y1 <= sy < y0):
                    hits.append(x0 + (sy - y0) * (x1 - x0) / (y1 - y0))
            hits.sort()
            for j in range(0, len(hits) - 1, 2):
                a = max(float(xa), hits[j])
                b = min(float(xb + 1), hits[j + 1])
                if b <= a:
                    continue
                ia, ib = int(a), int(b)
                if ia == ib:
                    acc[ia - xa] += (b - a) * 0.25
                    continue
                acc[ia - xa] += (ia + 1 - a) * 0.25
                for q in range(ia + 1, ib):
                    acc[q - xa] += 0.25
                if ib <= xb:
                    acc[ib - xa] += (b - ib) * 0.25
        base = py * w + xa
        for k, c in enumerate(acc):
            if c > 0.0 and xa + k <= xb:
                c = min(c, 1.0)
                if c > out.get(base + k, 0.0):
                    out[base + k] = c
    return out


def _box_blur(a, bw, bh, r, horizontal):
    out = [0.0] * len(a)
    norm = 1.0 / (2 * r + 1)
    if horizontal:
        for y in range(bh):
            base = y * bw
            s = 0.0
            for x in range(-r, bw + r):
                if x + r < bw:
                    s += a[base + x + r]
                if x - r - 1 >= 0:
                    s -= a[base + x - r - 1]
                if 0 <= x < bw:
                    out[base + x] = s * norm
    else:
        for x in range(bw):
            s = 0.0
            for y in range(-r, bh + r):
                if y + r < bh:
                    s += a[(y + r) * bw + x]
                if y - r - 1 >= 0:
                    s -= a[(y - r - 1) * bw + x]
                if 0 <= y < bh:
                    out[y * bw + x] = s * norm
    return out


def mask_blur(cv, m, radius, passes=3):
    """Approximately Gaussian blur (repeated box blur) of a mask, for glows."""
    if not m:
        return {}
    w = cv.w
    grow = radius * passes
    x0 = max(0, min(i % w for i in m) - grow)
    x1 = min(w - 1, max(i % w for i in m) + grow)
    y0 = max(0, min(i // w for i in m) - grow)
    y1 = min(cv.h - 1, max(i // w for i in m) + grow)
    bw, bh = x1 - x0 + 1, y1 - y0 + 1
    a = [0.0] * (bw * bh)
    for i, c in m.items():
        a[(i // w - y0) * bw + (i % w - x0)] = c
    for _ in range(passes):
        a = _box_blur(a, bw, bh, radius, True)
        a = _box_blur(a, bw, bh, radius, False)
    return {(y0 + k // bw) * w + x0 + k % bw: v for k, v in enumerate(a) if v > 0.004}


def glow_line(cv, pts, width, core, halo, halo_gain=0.55, radius=2):
    """A trace as a phosphor screen shows it: a soft halo and a bright core."""
    m = mask_stroke(cv, pts, width)
    cv.add(mask_blur(cv, m, radius), halo, halo_gain)
    cv.paint(m, core)
    return m


# ---------------------------------------------------------------------------
# The embedded font: 5 x 7 cells (some letters narrower), two more rows for
# descenders.  '#' is ink.  Rows are given top to bottom.

FONT_ROWS = {
    'A': ".###. #...# #...# ##### #...# #...# #...#",
    'B': "####. #...# #...# ####. #...# #...# ####.",
    'C': ".###. #...# #.... #.... #.... #...# .###.",
    'D': "####. #...# #...# #...# #...# #...# ####.",
    'E': "##### #.... #.... ####. #.... #.... #####",
    'F': "##### #.... #.... ####. #.... #.... #....",
    'G': ".###. #...# #.... #.### #...# #...# .####",
    'H': "#...# #...# #...# ##### #...# #...# #...#",
    'I': "### .#. .#. .#. .#. .#. ###",
    'J': "..### ...#. ...#. ...#. ...#. #..#. .##..",
    'K': "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    'L': "#.... #.... #.... #.... #.... #.... #####",
    'M': "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    'N': "#...# #...# ##..# #.#.# #..## #...# #...#",
    'O': ".###. #...# #...# #...# #...# #...# .###.",
    'P': "####. #...# #...# ####. #.... #.... #....",
    'Q': ".###. #...# #...# #...# #.#.# #..#. .##.#",
    'R': "####. #...# #...# ####. #.#.. #..#. #...#",
    'S': ".###. #...# #.... .###. ....# #...# .###.",
    'T': "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    'U': "#...# #...# #...# #...# #...# #...# .###.",
    'V': "#...# #...# #...# #...# #...# .#.#. ..#..",
    'W': "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    'X': "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    'Y': "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    'Z': "##### ....# ...#. ..#.. .#... #.... #####",
    'a': "..... ..... .###. ....# .#### #...# .####",
    'b': "#.... #.... #.##. ##..# #...# #...# ####.",
    'c': "..... ..... .###. #.... #.... #...# .###.",
    'd': "....# ....# .##.# #..## #...# #...# .####",
    'e': "..... ..... .###. #...# ##### #.... .###.",
    'f': "..##. .#..# .#... ###.. .#... .#... .#...",
    'g': "..... ..... .#### #...# #...# #...# .#### ....# .###.",
    'h': "#.... #.... #.##. ##..# #...# #...# #...#",
    'i': ".#. ... ##. .#. .#. .#. ###",
    'j': "...#. ..... ..##. ...#. ...#. ...#. ...#. #..#. .##..",
    'k': "#.... #.... #..#. #.#.. ##... #.#.. #..#.",
    'l': "##. .#. .#. .#. .#. .#. ###",
    'm': "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#",
    'n': "..... ..... #.##. ##..# #...# #...# #...#",
    'o': "..... ..... .###. #...# #...# #...# .###.",
    'p': "..... ..... ####. #...# #...# #...# ####. #.... #....",
    'q': "..... ..... .#### #...# #...# #...# .#### ....# ....#",
    'r': "..... ..... #.##. ##..# #.... #.... #....",
    's': "..... ..... .#### #.... .###. ....# ####.",
    't': ".#... .#... ###.. .#... .#... .#..# ..##.",
    'u': "..... ..... #...# #...# #...# #..## .##.#",
    'v': "..... ..... #...# #...# #...# .#.#. ..#..",
    'w': "..... ..... #...# #...# #.#.# #.#.# .#.#.",
    'x': "..... ..... #...# .#.#. ..#.. .#.#. #...#",
    'y': "..... ..... #...# #...# #...# #...# .#### ....# .###.",
    'z': "..... ..... ##### ...#. ..#.. .#... #####",
    '0': ".###. #...# #..## #.#.# ##..# #...# .###.",
    '1': "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    '2': ".###. #...# ....# ...#. ..#.. .#... #####",
    '3': "##### ...#. ..#.. ...#. ....# #...# .###.",
    '4': "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    '5': "##### #.... ####. ....# ....# #...# .###.",
    '6': "..##. .#... #.... ####. #...# #...# .###.",
    '7': "##### ....# ...#. ..#.. .#... .#... .#...",
    '8': ".###. #...# #...# .###. #...# #...# .###.",
    '9': ".###. #...# #...# .#### ....# ...#. .##..",
    ' ': "... ... ... ... ... ... ...",
    '.': ". . . . . . #",
    ',': ".. .. .. .. .. .# .# #.",
    ':': ". . # . . # .",
    '-': ".... .... .... #### .... .... ....",
    '+': "..... ..#.. ..#.. ##### ..#.. ..#.. .....",
    '=': "..... ..... ##### ..... ##### ..... .....",
    '/': "....# ....# ...#. ..#.. .#... #.... #....",
    '(': "..# .#. #.. #.. #.. .#. ..#",
    ')': "#.. .#. ..# ..# ..# .#. #..",
    '&': ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#",
    '%': "##..# ##..# ...#. ..#.. .#... #..## #..##",
    "'": "# # . . . . .",
    '@': ".###. #...# #.### #.#.# #.### #.... .####",
    '*': "..... #.#.# .###. ##### .###. #.#.# .....",
}

FONT_HEIGHT = 9  # seven rows above the baseline and two for descenders


def _glyph(ch):
    rows = FONT_ROWS.get(ch, FONT_ROWS['*']).split()
    width = len(rows[0])
    rows = rows + ['.' * width] * (FONT_HEIGHT - len(rows))
    return [[1 if c == '#' else 0 for c in row] for row in rows]


def text_bits(text, spacing=1):
    """Lays a string out as one binary bitmap, FONT_HEIGHT rows high."""
    rows = [[] for _ in range(FONT_HEIGHT)]
    for k, ch in enumerate(text):
        g = _glyph(ch)
        for y in range(FONT_HEIGHT):
            if k:
                rows[y].extend([0] * spacing)
            rows[y].extend(g[y])
    return rows


def text_width(text, scale, spacing=1):
    return len(text_bits(text, spacing)[0]) * scale


def _scale2x(rows):
    """Doubles a binary bitmap, filling the inner corners of diagonal steps
    so that slanted strokes become straight lines rather than stairs."""
    h, w = len(rows), len(rows[0])

    def at(x, y):
        return rows[y][x] if 0 <= x < w and 0 <= y < h else 0
    out = [[0] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p = rows[y][x]
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            e0 = a if (c == a and c != d and a != b) else p
            e1 = b if (a == b and a != c and b != d) else p
            e2 = c if (d == c and d != b and c != a) else p
            e3 = d if (b == d and b != a and d != c) else p
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e0, e1
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e2, e3
    return out


def mask_text(cv, text, x, y, scale, smooth=True, spacing=1, bold=0, soft=0):
    """Coverage of a string whose top-left corner (cap line) is at x, y.

    smooth=False draws the font's pixels as squares of an integer scale, as
    an instrument's screen would.  smooth=True upsamples the font four
    times with corner filling, optionally widens the strokes by `bold`
    quarter-pixels of the font, and resamples to the requested scale."""
    rows = text_bits(text, spacing)
    out = {}
    w = cv.w
    if not smooth:
        s = int(scale)
        x, y = int(round(x)), int(round(y))
        for gy, row in enumerate(rows):
            for gx, v in enumerate(row):
                if v:
                    for yy in range(y + gy * s, y + gy * s + s):
                        for xx in range(x + gx * s, x + gx * s + s):
                            if 0 <= xx < w and 0 <= yy < cv.h:
                                out[yy * w + xx] = 1.0
        return out
    fine = _scale2x(_scale2x(rows))
    if bold:
        fine = [r + [0] * bold for r in fine]
        fine = [[1 if any(r[i - k] for k in range(bold + 1) if i - k >= 0) else 0
                 for i in range(len(r))] for r in fine]
    fh, fw = len(fine), len(fine[0])
    cell = scale / 4.0  # output pixels per fine cell
    if soft and cell >= 1.0:
        return _mask_soft_text(cv, fine, x, y, cell, soft)
    x1 = int(math.ceil(x + fw * cell)) + 1
    y1 = int(math.ceil(y + fh * cell)) + 1
    if cell >= 1.0:
        def at(ix, iy):
            return fine[iy][ix] if 0 <= ix < fw and 0 <= iy < fh else 0
        for py in range(max(0, int(y) - 1), min(cv.h, y1)):
            gy = (py + 0.5 - y) / cell - 0.5
            iy = int(math.floor(gy))
            fy = gy - iy
            for px in range(max(0, int(x) - 1), min(w, x1)):
                gx = (px + 0.5 - x) / cell - 0.5
                ix = int(math.floor(gx))
                fx = gx - ix
                f = ((at(ix, iy) * (1 - fx) + at(ix + 1, iy) * fx) * (1 - fy) +
                     (at(ix, iy + 1) * (1 - fx) + at(ix + 1, iy + 1) * fx) * fy)
                c = clamp01((f - 0.5) * cell + 0.5)
                if c > 0.0:
                    out[py * w + px] = c
        return out

    # Smaller than the fine grid: average the fine cells under each pixel.
    def spans(origin, count, limit):
        res = []
        for p in range(max(0, int(origin) - 1), min(limit, int(math.ceil(origin + count * cell)) + 1)):
            lo, hi = (p - origin) / cell, (p + 1 - origin) / cell
            cells = []
            for k in range(max(0, int(math.floor(lo))), min(count, int(math.ceil(hi)))):
                ov = min(hi, k + 1) - max(lo, k)
                if ov > 0:
                    cells.append((k, ov))
            if cells:
                res.append((p, cells))
        return res
    xspans = spans(x, fw, w)
    yspans = spans(y, fh, cv.h)
    area = (1.0 / cell) ** 2
    for py, ycells in yspans:
        for px, xcells in xspans:
            s = 0.0
            for ky, wy in ycells:
                row = fine[ky]
                for kx, wx in xcells:
                    if row[kx]:
                        s += wy * wx
            if s > 0.0:
                out[py * w + px] = min(1.0, s / area)
    return out


def _mask_soft_text(cv, fine, x, y, cell, soft):
    """Samples a blurred copy of the upsampled bitmap at its half level: the
    contour keeps the strokes' width but turns the pixel corners round."""
    pad = 2 * soft + 2
    fh, fw = len(fine) + 2 * pad, len(fine[0]) + 2 * pad
    field = [0.0] * (fw * fh)
    for gy, row in enumerate(fine):
        for gx, v in enumerate(row):
            field[(gy + pad) * fw + gx + pad] = float(v)
    for _ in range(2):
        field = _box_blur(field, fw, fh, soft, True)
        field = _box_blur(field, fw, fh, soft, False)
    steep = (2 * soft + 1) * cell
    ox, oy = x - pad * cell, y - pad * cell
    out = {}
    w = cv.w
    for py in range(max(0, int(oy)), min(cv.h, int(math.ceil(oy + fh * cell)))):
        gy = (py + 0.5 - oy) / cell - 0.5
        iy = int(math.floor(gy))
        if iy < 0 or iy >= fh - 1:
            continue
        fy = gy - iy
        for px in range(max(0, int(ox)), min(w, int(math.ceil(ox + fw * cell)))):
            gx = (px + 0.5 - ox) / cell - 0.5
            ix = int(math.floor(gx))
            if ix < 0 or ix >= fw - 1:
                continue
            fx = gx - ix
            k = iy * fw + ix
            f = ((field[k] * (1 - fx) + field[k + 1] * fx) * (1 - fy) +
                 (field[k + fw] * (1 - fx) + field[k + fw + 1] * fx) * fy)
            c = clamp01((f - 0.5) * steep + 0.5)
            if c > 0.0:
                out[py * w + px] = c
    return out


def draw_text(cv, text, x, y, scale, rgb, align='left', smooth=True, spacing=1,
              bold=0, shadow=None, glow=None, soft=0):
    """Draws a string; align picks whether x is its left edge, centre or right edge."""
    width = text_width(text, scale, spacing)
    if align == 'center':
        x -= width / 2.0
    elif align == 'right':
        x -= width
    if not smooth:
        x, y = int(round(x)), int(round(y))
    m = mask_text(cv, text, x, y, scale, smooth, spacing, bold, soft)
    if shadow:
        off, col, alpha = shadow
        sm = mask_text(cv, text, x + off, y + off, scale, smooth, spacing, bold, soft)
        cv.paint(mask_blur(cv, sm, 1, 2), col, alpha)
    if glow:
        col, gain, radius = glow
        cv.add(mask_blur(cv, m, radius), col, gain)
    cv.paint(m, rgb)
    return width


# ---------------------------------------------------------------------------
# Signals.

def q_function(z):
    """Tail probability of the standard normal distribution."""
    return 0.5 * math.erfc(z / math.sqrt(2.0))


def gauss_pdf(x, mu, sigma):
    return math.exp(-0.5 * ((x - mu) / sigma) ** 2) / (sigma * math.sqrt(2.0 * math.pi))


def step_response(t, rise, tail_weight, tail_tau):
    """Edge of a band-limited channel: a fast erf edge plus a slow
    exponential settling tail, the cause of inter-symbol interference."""
    fast = 0.5 * (1.0 + math.erf(t / rise))
    slow = 0.0 if t <= 0.0 else 1.0 - math.exp(-t / tail_tau)
    return (1.0 - tail_weight) * fast + tail_weight * slow


def nrz_level(bits, t, edge_shift, rise, tail_weight, tail_tau):
    """Voltage (-1..1) at time t (in unit intervals) of an NRZ bit stream
    whose bit k occupies [k, k+1) before jitter."""
    v = 2.0 * bits[0] - 1.0
    for k in range(1, len(bits)):
        if bits[k] != bits[k - 1]:
            dt = t - k - edge_shift(k)
            if dt < -4.0 * rise:
                break
            v += (2.0 * bits[k] - 2.0 * bits[k - 1]) * step_response(dt, rise, tail_weight, tail_tau)
    return v


class Density:
    """Hit counts of many traces over a screen area, like the persistence
    display of a sampling oscilloscope."""

    def __init__(self, x0, y0, x1, y1):
        self.x0, self.y0 = x0, y0
        self.w, self.h = x1 - x0, y1 - y0
        self.a = [0.0] * (self.w * self.h)

    def trace(self, pts, step=0.4):
        a, w, h = self.a, self.w, self.h
        for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
            n = max(1, int(math.hypot(xb - xa, yb - ya) / step))
            for k in range(n):
                t = (k + 0.5) / n
                fx = xa + (xb - xa) * t - self.x0 - 0.5
                fy = ya + (yb - ya) * t - self.y0 - 0.5
                ix, iy = int(math.floor(fx)), int(math.floor(fy))
                if ix < 0 or iy < 0 or ix >= w - 1 or iy >= h - 1:
                    continue
                ux, uy = fx - ix, fy - iy
                i = iy * w + ix
                a[i] += (1 - ux) * (1 - uy)
                a[i + 1] += ux * (1 - uy)
                a[i + w] += (1 - ux) * uy
                a[i + w + 1] += ux * uy

    def render(self, cv, stops, gain=1.0):
        """Maps the counts through a logarithmic colour ramp onto the canvas."""
        nz = sorted(v for v in self.a if v > 0.0)
        if not nz:
            return
        top = nz[int(len(nz) * 0.985)] * gain
        norm = math.log(1.0 + 12.0)
        m = {}
        cols = {}
        for k, v in enumerate(self.a):
            if v <= 0.0:
                continue
            t = min(1.0, math.log(1.0 + 12.0 * v / top) / norm)
            i = (self.y0 + k // self.w) * cv.w + self.x0 + k % self.w
            m[i] = min(1.0, t * 3.0)
            cols[i] = ramp(stops, t)
        r, g, b = cv.r, cv.g, cv.b
        for i, a in m.items():
            c = cols[i]
            r[i] += (c[0] - r[i]) * a
            g[i] += (c[1] - g[i]) * a
            b[i] += (c[2] - b[i]) * a


PERSISTENCE = [(0.0, (0, 70, 82)), (0.35, (0, 150, 164)), (0.7, (50, 222, 230)),
               (1.0, (236, 255, 255))]


def eye_traces(rng, count, t0, t1, samples, rj, pj, noise, rise, tail_weight, tail_tau):
    """Superimposed segments of a random NRZ stream seen from t0 to t1 UI;
    random jitter rj, periodic jitter pj (peak) and amplitude noise (sigma)."""
    traces = []
    for _ in range(count):
        bits = [rng.bit() for _ in range(8)]
        phase = rng.uniform() * 2.0 * math.pi
        shifts = {k: rj * rng.gauss() + pj * math.sin(phase + 1.7 * k) for k in range(8)}
        level_noise = [noise * rng.gauss() for _ in range(8)]
        pts = []
        for s in range(samples + 1):
            t = t0 + (t1 - t0) * s / samples
            v = nrz_level(bits, t + 5.0, lambda k: shifts[k], rise, tail_weight, tail_tau)
            # The noise drifts smoothly from one bit centre to the next.
            u = t + 4.5
            k = int(math.floor(u))
            f = u - k
            f = f * f * (3.0 - 2.0 * f)
            n = lerp(level_noise[min(7, k)], level_noise[min(7, k + 1)], f)
            pts.append((t, v + n))
        traces.append(pts)
    return traces


# ---------------------------------------------------------------------------
# Common pieces of the pictures.

def draw_graticule(cv, x0, y0, x1, y1, nx, ny, ticks=True):
    """Screen background, division lines, centre axes with minor ticks."""
    cv.gradient(x0, y0, x1, y1, [(0.0, (10, 26, 31)), (0.5, (8, 22, 27)), (1.0, (5, 16, 20))],
                vignette=0.25)
    grid = {}
    for k in range(1, nx):
        x = x0 + (x1 - x0) * k / nx
        for y in range(y0 + 1, y1, 2):
            grid[y * cv.w + int(x)] = 1.0
    for k in range(1, ny):
        y = y0 + (y1 - y0) * k / ny
        for x in range(x0 + 1, x1, 2):
            grid[int(y) * cv.w + x] = 1.0
    cv.paint(grid, GRID, 0.9)
    if ticks:
        cx = int(x0 + (x1 - x0) / 2)
        cy = int(y0 + (y1 - y0) / 2)
        axes = mask_union(mask_rect(cv, cx, y0, cx + 1, y1), mask_rect(cv, x0, cy, x1, cy + 1))
        for k in range(1, nx * 5):
            x = int(x0 + (x1 - x0) * k / (nx * 5))
            axes = mask_union(axes, mask_rect(cv, x, cy - 2, x + 1, cy + 3))
        for k in range(1, ny * 5):
            y = int(y0 + (y1 - y0) * k / (ny * 5))
            axes = mask_union(axes, mask_rect(cv, cx - 2, y, cx + 3, y + 1))
        cv.paint(axes, GRID_AXIS, 0.8)
    frame = mask_minus(mask_rect(cv, x0 - 1, y0 - 1, x1 + 1, y1 + 1), mask_rect(cv, x0, y0, x1, y1))
    cv.paint(frame, (78, 140, 146))


def draw_slide_frame(cv, title, tag):
    """Panel, title bar and readout strip shared by the four slides."""
    w, h = cv.w, cv.h
    cv.gradient(0, 0, w, h, [(0.0, (40, 60, 66)), (1.0, (18, 34, 39))])
    cv.gradient(0, 0, w, 24, [(0.0, (0, 104, 114)), (1.0, (0, 62, 72))])
    cv.paint(mask_rect(cv, 0, 24, w, 25), CYAN, 0.9)
    cv.paint(mask_rect(cv, 0, 0, w, 1), (90, 200, 206), 0.6)
    draw_text(cv, title, 10, 5, 2, WHITE, spacing=1, shadow=(1, (0, 20, 24), 0.7))
    draw_text(cv, tag, w - 10, 9, 1, PALE_CYAN, align='right', smooth=False)
    cv.gradient(0, h - 22, w, h, [(0.0, (6, 18, 22)), (1.0, (4, 12, 15))])
    cv.paint(mask_rect(cv, 0, h - 23, w, h - 22), (70, 130, 136))
    border = mask_minus(mask_rect(cv, 0, 0, w, h), mask_rect(cv, 1, 1, w - 1, h - 1))
    cv.paint(border, (8, 20, 24))


def draw_readout(cv, items):
    """Measurement results in the strip at the bottom of a slide: pairs of
    (name, value) with the name in amber and the value in white."""
    y = cv.h - 15
    widths = [text_width(n, 1) + 4 + text_width(v, 1) for n, v in items]
    gap = (cv.w - 20 - sum(widths)) / max(1, len(items) - 1) if len(items) > 1 else 0
    x = 10.0
    for (name, value), wd in zip(items, widths):
        draw_text(cv, name, x, y, 1, AMBER, smooth=False)
        draw_text(cv, value, x + text_width(name, 1) + 4, y, 1, WHITE, smooth=False)
        x += wd + gap


def arrow_head(cv, x, y, dx, dy, size):
    """Filled triangle pointing along (dx, dy) with its tip at x, y."""
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n
    bx, by = x - ux * size, y - uy * size
    return mask_polygon(cv, [(x, y), (bx - uy * size * 0.5, by + ux * size * 0.5),
                             (bx + uy * size * 0.5, by - ux * size * 0.5)])


def double_arrow(cv, xa, ya, xb, yb, rgb, width=1.0, head=5.0):
    n = math.hypot(xb - xa, yb - ya)
    ux, uy = (xb - xa) / n, (yb - ya) / n
    m = mask_stroke(cv, [(xa + ux * head * 0.8, ya + uy * head * 0.8),
                         (xb - ux * head * 0.8, yb - uy * head * 0.8)], width)
    m = mask_union(m, arrow_head(cv, xa, ya, -ux, -uy, head), arrow_head(cv, xb, yb, ux, uy, head))
    cv.paint(m, rgb)


def draw_mark(cv, x, y, size, rgb_frame, rgb_trace):
    """The product's mark: an eye diagram in a rounded square."""
    cv.paint(mask_round_rect(cv, x, y, x + size, y + size, size * 0.22), rgb_frame)
    pad = size * 0.18
    xa, xb = x + pad, x + size - pad
    top, bottom = y + size * 0.3, y + size * 0.7
    mid = (top + bottom) / 2.0
    up, down = [], []
    n = 24
    for k in range(n + 1):
        t = k / float(n)
        xx = lerp(xa, xb, t)
        e = math.sin(math.pi * t) ** 0.6
        up.append((xx, mid - (mid - top) * e))
        down.append((xx, mid + (bottom - mid) * e))
    wd = max(1.0, size / 14.0)
    m = mask_union(mask_stroke(cv, up, wd), mask_stroke(cv, down, wd))
    cv.paint(m, rgb_trace)


# ---------------------------------------------------------------------------
# The pictures.

def jitter_parameters():
    """Jitter of the demonstrated signal: dual-Dirac DJ and Gaussian RJ (UI)."""
    return 0.16, 0.022


def bathtub_ber(x, dj, rj, density=0.5):
    """Bit error ratio when sampling at x UI between crossings at 0 and 1."""
    def wall(d):
        return 0.5 * (q_function((d - dj / 2.0) / rj) + q_function((d + dj / 2.0) / rj))
    return min(0.5, density * (wall(x) + wall(1.0 - x)))


def ber_opening(dj, rj, ber):
    """Eye opening (UI) at a given bit error ratio, by bisection."""
    lo, hi = 0.0, 0.5
    for _ in range(60):
        mid = (lo + hi) / 2.0
        if bathtub_ber(mid, dj, rj) > ber:
            lo = mid
        else:
            hi = mid
    return 1.0 - 2.0 * hi


def draw_splash():
    cv = Canvas(500, 500)
    cv.gradient(0, 0, 500, 500, [(0.0, (40, 48, 53)), (0.45, (20, 42, 48)), (1.0, (6, 44, 52))],
                vignette=0.35)
    cv.add(mask_blur(cv, mask_disc(cv, 250, 290, 150), 22, 3), (0, 70, 80), 0.45)

    # Wordmark and tag line.
    draw_text(cv, "CORVANE", 250, 24, 2, LABEL, align='center', spacing=3)
    draw_text(cv, "Pelorin", 250, 48, 10, WHITE, align='center', spacing=1, bold=2, soft=1,
              shadow=(3, (0, 0, 0), 0.55), glow=((0, 150, 170), 0.5, 4))
    line = mask_rect(cv, 60, 148, 440, 150)
    fade = {i: c * math.sin(math.pi * ((i % 500) - 60) / 380.0) for i, c in line.items()}
    cv.paint(fade, CYAN)
    draw_text(cv, "JITTER AND NOISE ANALYSIS", 250, 158, 2, PALE_CYAN, align='center', spacing=2)

    # Scope screen with an eye diagram and the histogram of its crossings.
    x0, y0, x1, y1 = 50, 192, 450, 432
    shade = mask_blur(cv, mask_rect(cv, x0 + 4, y0 + 6, x1 + 4, y1 + 8), 4)
    cv.paint(shade, (0, 0, 0), 0.6)
    draw_graticule(cv, x0, y0, x1, y1, 10, 6)
    rng = Rng(0x5EED1)
    ui = (x1 - x0) / 2.0
    vtop, vbot = y0 + 40, y0 + 160  # rails on division lines
    dens = Density(x0, y0, x1, y1)
    for tr in eye_traces(rng, 420, -0.5, 1.5, 200, 0.018, 0.045, 0.035, 0.16, 0.18, 0.7):
        dens.trace([(x0 + (t + 0.5) * ui, (vtop + vbot) / 2.0 - v * (vbot - vtop) / 2.0)
                    for t, v in tr])
    dens.render(cv, PERSISTENCE)

    # Histogram of the crossing times (dual Dirac with Gaussian tails).
    dj, rj = 0.09, 0.02
    base = y1 - 8
    for cross in (0.0, 1.0):
        pts = []
        for k in range(121):
            t = cross - 0.25 + 0.5 * k / 120.0
            p = 0.5 * (gauss_pdf(t, cross - dj / 2, rj) + gauss_pdf(t, cross + dj / 2, rj))
            pts.append((x0 + (t + 0.5) * ui, base - p * 2.6))
        inside = [(x, y) for x, y in pts if x0 < x < x1]
        poly = [(inside[0][0], base)] + inside + [(inside[-1][0], base)]
        cv.paint_vertical(mask_polygon(cv, poly), base - 50, base,
                          [(0.0, (255, 200, 90)), (1.0, (150, 80, 10))], 0.55)
        glow_line(cv, inside, 1.6, AMBER, (120, 70, 0), 0.6, 2)
    # Sampling point and eye opening.
    cx = x0 + ui
    double_arrow(cv, cx - ui * 0.34, (vtop + vbot) / 2.0, cx + ui * 0.34, (vtop + vbot) / 2.0,
                 (255, 214, 120), 1.2, 6)
    draw_text(cv, "EYE DIAGRAM", x0 + 8, y0 + 8, 1, LABEL, smooth=False)
    draw_text(cv, "200 mV/DIV", x1 - 8, y0 + 8, 1, LABEL, align='right', smooth=False)
    draw_text(cv, "TIE HISTOGRAM", x0 + 8, y1 - 52, 1, AMBER, smooth=False)

    # Maker's line.
    draw_mark(cv, 151, 452, 22, (0, 120, 132), WHITE)
    draw_text(cv, "CORVANE CORPORATION", 181, 459, 1.5, LABEL, spacing=1)
    frame = mask_minus(mask_rect(cv, 0, 0, 500, 500), mask_rect(cv, 2, 2, 498, 498))
    cv.paint(frame, (10, 22, 26))
    inner = mask_minus(mask_rect(cv, 2, 2, 498, 498), mask_rect(cv, 3, 3, 497, 497))
    cv.paint(inner, (70, 150, 156), 0.7)
    return cv


def draw_slide1():
    """Total jitter: crossing histograms above, the BER bathtub below."""
    cv = Canvas(300, 250)
    draw_slide_frame(cv, "TOTAL JITTER", "PELORIN")
    dj, rj = jitter_parameters()
    x0, y0, x1, y1 = 10, 32, 290, 220
    draw_graticule(cv, x0, y0, x1, y1, 6, 1, ticks=False)
    span = (-0.25, 1.25)

    def xpos(t):
        return x0 + (t - span[0]) / (span[1] - span[0]) * (x1 - x0)

    # Histogram of the time interval error at each crossing.
    hbase, htop = 88, 40
    peak = 0.5 * (gauss_pdf(dj / 2, dj / 2, rj) + gauss_pdf(dj / 2, -dj / 2, rj))
    for cross in (0.0, 1.0):
        pts = []
        for k in range(161):
            t = cross - 0.2 + 0.4 * k / 160.0
            p = 0.5 * (gauss_pdf(t, cross - dj / 2, rj) + gauss_pdf(t, cross + dj / 2, rj))
            pts.append((xpos(t), hbase - p / peak * (hbase - htop)))
        poly = [(pts[0][0], hbase)] + pts + [(pts[-1][0], hbase)]
        cv.paint_vertical(mask_polygon(cv, poly), htop, hbase,
                          [(0.0, (60, 220, 228)), (1.0, (0, 90, 100))], 0.75)
        glow_line(cv, pts, 1.3, PALE_CYAN, (0, 120, 130), 0.5, 1)
    # Deterministic part: the distance between the two Dirac peaks.
    ya = htop - 2
    pa, pb = xpos(1.0 - dj / 2), xpos(1.0 + dj / 2)
    double_arrow(cv, pa, ya, pb, ya, AMBER, 1.0, 4)
    draw_text(cv, "DJ", pb + 5, ya - 3, 1, AMBER, smooth=False)
    # Random part: a Gaussian fitted to the outer tail.
    tail = [(xpos(t), hbase - 0.5 * gauss_pdf(t, -dj / 2, rj) / peak * (hbase - htop))
            for t in [-dj / 2 - 0.11 + 0.11 * k / 40.0 for k in range(41)]]
    cv.paint(mask_dashed(cv, tail, 1.2, 3, 2), AMBER)
    draw_text(cv, "RJ", xpos(-0.2), hbase - 26, 1, AMBER, smooth=False)
    cv.paint(mask_rect(cv, x0, hbase, x1, hbase + 1), GRID_AXIS)

    # Bathtub: BER on a log scale from 1 down to 1e-18.
    by0, by1 = 98, y1 - 1

    def ypos(ber):
        return by0 + (-math.log10(ber)) / 18.0 * (by1 - by0)
    for e in (4, 8, 12, 16):
        y = int(ypos(10.0 ** -e))
        dots = {y * cv.w + x: 1.0 for x in range(x0 + 1, x1, 2)}
        cv.paint(dots, GRID, 1.0)
        draw_text(cv, "1E-%d" % e, x1 - 3, y - 8, 1, LABEL, align='right', smooth=False)
    curve = []
    for k in range(301):
        t = span[0] + (span[1] - span[0]) * k / 300.0
        curve.append((xpos(t), ypos(max(bathtub_ber(t, dj, rj), 1e-30))))
    # The tub is shaded down to the plot's floor; the walls are drawn only
    # where they are inside the plot.
    floor = [(x, min(y, by1)) for x, y in curve]
    area = mask_polygon(cv, floor + [(x1, by0), (x0, by0)])
    cv.paint_vertical(area, by0, by1, [(0.0, (0, 120, 132)), (1.0, (0, 60, 70))], 0.45)
    runs, cur = [], []
    for p in curve:
        if p[1] <= by1:
            cur.append(p)
        elif cur:
            runs.append(cur)
            cur = []
    if cur:
        runs.append(cur)
    for run in runs:
        glow_line(cv, run, 2.0, CYAN, (0, 130, 140), 0.7, 2)
    # The eye opening at the target BER; what it lacks of one UI is TJ.
    target = 1e-16
    yt = ypos(target)
    cv.paint(mask_dashed(cv, [(x0, yt), (x1, yt)], 1.0, 4, 3), CORAL)
    opening = ber_opening(dj, rj, target)
    xa, xb = xpos(0.5 - opening / 2), xpos(0.5 + opening / 2)
    double_arrow(cv, xa + 1, yt - 7, xb - 1, yt - 7, AMBER, 1.0, 4)
    cv.paint(mask_union(mask_disc(cv, xa, yt, 2.2), mask_disc(cv, xb, yt, 2.2)), WHITE)
    draw_text(cv, "EYE OPENING", (xa + xb) / 2, yt - 19, 1, AMBER, align='center', smooth=False)
    draw_text(cv, "BER", x0 + 4, by0 + 3, 1, LABEL, smooth=False)
    draw_text(cv, "UI", x1 - 3, hbase - 9, 1, LABEL, align='right', smooth=False)
    draw_readout(cv, [("TJ", "%.3f UI" % (1.0 - opening)), ("RJ", "%.3f UI" % rj),
                      ("DJ", "%.3f UI" % dj)])
    return cv


def draw_slide2():
    """Total noise: eye diagram with the voltage histogram at its centre."""
    cv = Canvas(300, 250)
    draw_slide_frame(cv, "TOTAL NOISE", "PELORIN")
    x0, y0, x1, y1 = 10, 32, 290, 220
    ex1 = 206
    draw_graticule(cv, x0, y0, ex1, y1, 4, 6)
    draw_graticule(cv, ex1 + 4, y0, x1, y1, 2, 6, ticks=False)
    ui = (ex1 - x0) / 2.0
    mid = (y0 + y1) / 2.0
    amp = 2.0 * (y1 - y0) / 6.0  # +-400 mV at 200 mV per division
    noise = 0.04
    shape = (0.015, 0.02, noise, 0.2, 0.24, 0.9)
    traces = eye_traces(Rng(0x0A15E2), 360, -0.5, 1.5, 140, *shape)
    # The same stream without amplitude noise gives the deterministic levels.
    clean = eye_traces(Rng(0x0A15E2), 360, -0.5, 1.5, 140, *(shape[:2] + (0.0,) + shape[3:]))
    dens = Density(x0, y0, ex1, y1)
    for tr in traces:
        dens.trace([(x0 + (t + 0.5) * ui, mid - v * amp) for t, v in tr])
    dens.render(cv, PERSISTENCE)
    levels = [tr[len(tr) // 2][1] for tr in clean]
    cx = x0 + ui
    cv.paint(mask_dashed(cv, [(cx, y0 + 2), (cx, y1 - 2)], 1.0, 3, 3), AMBER, 0.9)

    # Voltage histogram at the sampling instant, sideways: the deterministic
    # levels spread by the Gaussian random noise.
    hx0, hx1 = ex1 + 6, x1 - 4
    ys = list(range(y0 + 2, y1 - 1))
    bins = [sum(gauss_pdf((mid - (y + 0.5)) / amp, s, noise) for s in levels) for y in ys]
    top = max(bins)
    prof = [(hx0 + b / top * (hx1 - hx0 - 10), y + 0.5) for b, y in zip(bins, ys)]
    area = mask_polygon(cv, [(hx0, ys[0])] + prof + [(hx0, ys[-1] + 1)])
    cv.paint_vertical(area, hx0, hx1, [(0.0, (0, 150, 160))], 0.55)
    glow_line(cv, prof, 1.3, PALE_CYAN, (0, 120, 130), 0.5, 1)
    for lvl in (1.0, -1.0):
        yy = mid - lvl * amp
        cv.paint(mask_dashed(cv, [(cx + 3, yy), (hx1, yy)], 1.0, 2, 3), AMBER, 0.45)
    # Deterministic noise: the spread of the "one" level caused by the bits
    # before it; random noise: the Gaussian tails.
    ones = [v for v in levels if v > 0.0]
    zeros = [v for v in levels if v < 0.0]
    dn = max(ones) - min(ones)
    ya, yb = mid - max(ones) * amp, mid - min(ones) * amp
    double_arrow(cv, hx1 - 3, ya - 3, hx1 - 3, yb + 3, AMBER, 1.0, 4)
    draw_text(cv, "DN", hx1 - 8, yb + 6, 1, AMBER, align='right', smooth=False)
    draw_text(cv, "RN", hx1 - 8, mid + amp + 14, 1, AMBER, align='right', smooth=False)
    # Eye height at the sampling instant, at the target error ratio.
    q = q_inverse(1e-16)
    inner_top = mid - (min(ones) - q * noise) * amp
    inner_bot = mid - (max(zeros) + q * noise) * amp
    double_arrow(cv, cx + 16, inner_top, cx + 16, inner_bot, WHITE, 1.0, 4)
    draw_text(cv, "EYE", cx + 21, mid - 4, 1, WHITE, smooth=False)
    draw_text(cv, "200 mV/DIV", x0 + 4, y0 + 4, 1, LABEL, smooth=False)
    draw_readout(cv, [("TN", "%.1f mV" % ((dn + 2.0 * q * noise) * 400.0)),
                      ("RN", "%.1f mV" % (noise * 400.0)), ("DN", "%.1f mV" % (dn * 400.0))])
    return cv


def q_inverse(p):
    """z at which the normal tail probability is p, by bisection."""
    lo, hi = 0.0, 40.0
    for _ in range(100):
        m = (lo + hi) / 2.0
        if q_function(m) > p:
            lo = m
        else:
            hi = m
    return (lo + hi) / 2.0


K28_5 = [0, 0, 1, 1, 1, 1, 1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 1]


def draw_slide3():
    """Data-dependent jitter: a repeating pattern, its edges and the time
    error of each edge."""
    cv = Canvas(300, 250)
    draw_slide_frame(cv, "DATA DEPENDENT JITTER", "K28.5")
    x0, y0, x1, y1 = 10, 32, 290, 220
    draw_graticule(cv, x0, y0, x1, y1, 1, 1, ticks=False)
    pattern = K28_5
    n = len(pattern)
    bits = pattern * 3  # two copies of history before the one shown
    rise, tail_weight, tail_tau = 0.2, 0.25, 0.9
    bw = (x1 - x0 - 8) / float(n)
    px0 = x0 + 4

    def level(t):
        return nrz_level(bits, t + n, lambda k: 0.0, rise, tail_weight, tail_tau)

    wy0, wy1 = 58, 124
    wmid, wamp = (wy0 + wy1) / 2.0, (wy1 - wy0) / 2.0
    # Ideal bit boundaries.
    for k in range(n + 1):
        x = int(px0 + k * bw)
        cv.paint({y * cv.w + x: 1.0 for y in range(wy0 - 6, wy1 + 6, 2)}, GRID_AXIS, 0.7)
    # Bit values above the waveform.
    for k, b in enumerate(pattern):
        col = WHITE if b else LABEL
        draw_text(cv, str(b), px0 + (k + 0.5) * bw, 38, 1, col, align='center', smooth=False)
    # Bracket over one period of the repeating pattern.
    period = mask_union(mask_rect(cv, px0, 48, x1 - 4, 49), mask_rect(cv, px0, 46, px0 + 1, 51),
                        mask_rect(cv, x1 - 5, 46, x1 - 4, 51))
    cv.paint(period, LABEL, 0.7)
    pts = []
    steps = 600
    for s in range(steps + 1):
        t = n * s / float(steps)
        pts.append((px0 + t * bw, wmid - level(t) * wamp * 0.92))
    glow_line(cv, pts, 1.8, CYAN, (0, 140, 150), 0.7, 2)
    cv.paint(mask_rect(cv, px0, wmid, x1 - 4, wmid + 1), AMBER, 0.35)

    # Edge crossings and their time errors.
    errors = []
    for k in range(1, n + 1):
        if pattern[k % n] == pattern[k - 1]:
            continue
        rising = pattern[k % n] > pattern[k - 1]
        lo, hi = k - 0.6, k + 0.6
        for _ in range(50):
            m = (lo + hi) / 2.0
            if (level(m) > 0.0) == rising:
                hi = m
            else:
                lo = m
        errors.append((k, (lo + hi) / 2.0 - k))
    mean = sum(e for _, e in errors) / len(errors)
    errors = [(k, e - mean) for k, e in errors]
    for k, e in errors:
        x = px0 + (k + e) * bw
        cv.paint(mask_disc(cv, x, wmid, 2.0), AMBER)

    # Time interval error per edge, as stems.
    cy = 172
    scale = 26.0 / max(abs(e) for _, e in errors)
    cv.paint(mask_rect(cv, x0, cy, x1, cy + 1), GRID_AXIS)
    draw_text(cv, "TIE PER EDGE", x0 + 4, 136, 1, LABEL, smooth=False)
    for k, e in errors:
        x = px0 + k * bw
        y = cy - e * scale
        col = AMBER if e > 0 else CORAL
        cv.paint(mask_stroke(cv, [(x, cy + 0.5), (x, y)], 1.6), col, 0.9)
        cv.paint(mask_disc(cv, x, y, 2.4), col)
    emax = max(e for _, e in errors)
    emin = min(e for _, e in errors)
    ya, yb = cy - emax * scale, cy - emin * scale
    xr = x0 + 10
    double_arrow(cv, xr, ya - 2, xr, yb + 2, WHITE, 1.0, 4)
    draw_text(cv, "DDJ", x0 + 4, yb + 6, 1, WHITE, smooth=False)
    draw_readout(cv, [("DDJ", "%.3f UI" % (emax - emin)), ("PATTERN", "%d BITS" % n),
                      ("EDGES", str(len(errors)))])
    return cv


def draw_slide4():
    """Other signal integrity solutions: an optical link and a PCB link."""
    cv = Canvas(300, 250)
    draw_slide_frame(cv, "SIGNAL INTEGRITY", "CORVANE")
    # Optical panel.
    ox0, oy0, ox1, oy1 = 10, 32, 146, 220
    draw_graticule(cv, ox0, oy0, ox1, oy1, 4, 6, ticks=False)
    # Laser module: a metal block with a window.
    body = mask_round_rect(cv, 22, 52, 62, 80, 4)
    cv.paint_vertical(body, 52, 80, [(0.0, (170, 190, 196)), (0.5, (110, 130, 136)),
                                     (1.0, (60, 76, 82))])
    cv.paint(mask_rect(cv, 26, 56, 58, 58), (220, 236, 240), 0.5)
    for k in range(4):
        cv.paint(mask_rect(cv, 28 + k * 8, 80, 30 + k * 8, 88), (150, 168, 174))
    cv.paint(mask_rect(cv, 62, 62, 70, 70), (90, 110, 116))
    cv.add(mask_blur(cv, mask_disc(cv, 71, 66, 3), 3), (255, 120, 90), 0.9)
    draw_text(cv, "LASER", 42, 94, 1, LABEL, align='center', smooth=False)
    # Fibre: leaves the laser, is wound on a spool and ends in a connector.
    scx, scy = 90, 138
    hub = mask_disc(cv, scx, scy, 24)
    cv.paint_vertical(hub, scy - 24, scy + 24, [(0.0, (120, 138, 144)), (1.0, (40, 54, 60))])
    cv.paint(mask_disc(cv, scx, scy, 6), (8, 20, 24))
    cv.paint(mask_ring(cv, scx, scy, 6, 1.2), (150, 166, 170))
    jacket = (255, 186, 64)
    lead_in = bezier((71, 66), (110, 66), (124, 100), (124, 138), 40)
    lead_out = bezier((scx, scy + 34), (60, scy + 34), (34, 166), (34, 178), 40)
    winding = {}
    for r in (34.0, 30.5, 27.0):
        cv.paint(mask_ring(cv, scx, scy, r, 4.4), (40, 24, 4), 0.8)
        mask_union_into(winding, mask_ring(cv, scx, scy, r, 2.8))
    for path in (lead_in, lead_out):
        cv.paint(mask_stroke(cv, path, 4.4), (40, 24, 4), 0.8)
        mask_union_into(winding, mask_stroke(cv, path, 2.8))
    cv.add(mask_blur(cv, winding, 2), (150, 90, 10), 0.35)
    cv.paint(winding, jacket)
    # Pulses of light travelling along the fibre.
    for x, y in (lead_in[12], lead_in[30], (scx + 34 * math.cos(2.2), scy + 34 * math.sin(2.2)),
                 lead_out[22]):
        cv.add(mask_blur(cv, mask_disc(cv, x, y, 2.0), 2), (255, 255, 220), 1.2)
        cv.paint(mask_disc(cv, x, y, 1.3), (255, 255, 240))
    ex, ey = lead_out[-1]
    conn = mask_polygon(cv, [(ex - 5, ey), (ex + 5, ey), (ex + 4, ey + 12), (ex - 4, ey + 12)])
    cv.paint_vertical(conn, ey, ey + 12, [(0.0, (210, 218, 222)), (1.0, (90, 104, 110))])
    cv.paint(mask_rect(cv, ex - 1.5, ey + 12, ex + 1.5, ey + 17), (230, 236, 238))
    draw_text(cv, "OPTICAL", (ox0 + ox1) / 2.0, 204, 1, WHITE, align='center', smooth=False)

    # Electrical panel: a circuit board with a differential pair.
    px0, py0, px1, py1 = 154, 32, 290, 220
    cv.gradient(px0, py0, px1, py1, [(0.0, (12, 58, 56)), (1.0, (6, 36, 36))], vignette=0.2)
    frame = mask_minus(mask_rect(cv, px0 - 1, py0 - 1, px1 + 1, py1 + 1),
                       mask_rect(cv, px0, py0, px1, py1))
    cv.paint(frame, (78, 140, 146))
    # Faint background traces of the board.
    for k in range(6):
        y = 44 + k * 26
        cv.paint(mask_stroke(cv, [(px0 + 2, y), (px0 + 30, y), (px0 + 40, y + 10), (px1 - 2, y + 10)],
                             1.0), (30, 90, 84), 0.8)
    chip_a = (170, 54, 212, 96)
    chip_b = (232, 144, 276, 188)
    for (ax, ay, bx, by) in (chip_a, chip_b):
        cv.paint(mask_blur(cv, mask_rect(cv, ax + 2, ay + 3, bx + 2, by + 3), 2), (0, 0, 0), 0.6)
        for k in range(6):
            t = ax + 4 + k * (bx - ax - 8) / 5.0
            for yy in (ay - 4, by):
                cv.paint(mask_rect(cv, t - 1.5, yy, t + 1.5, yy + 4), (200, 205, 205))
        chip = mask_round_rect(cv, ax, ay, bx, by, 2)
        cv.paint_vertical(chip, ay, by, [(0.0, (48, 54, 58)), (1.0, (22, 26, 28))])
        cv.paint(mask_disc(cv, ax + 5, ay + 5, 1.6), (90, 100, 104))
    # The pair leaves chip A at its right edge and enters chip B at its top.
    for off, col in ((-3.0, COPPER), (3.0, COPPER)):
        route = [(212, 75 + off), (232 + off, 75 + off), (250 + off, 93 + off), (250 + off, 144)]
        cv.add(mask_blur(cv, mask_stroke(cv, route, 2.0), 2), (120, 70, 10), 0.35)
        cv.paint(mask_stroke(cv, route, 2.0), col)
    for (vx, vy) in ((190, 120), (204, 150), (268, 60), (280, 110)):
        cv.paint(mask_ring(cv, vx, vy, 3.0, 1.6), COPPER)
        cv.paint(mask_disc(cv, vx, vy, 1.2), (10, 30, 30))
    # A probe's view of the pair: a small eye at the bottom left.
    rng = Rng(0xE1EC7)
    ex0, ey0, ex1e, ey1 = 164, 118, 226, 176
    cv.paint(mask_rect(cv, ex0 - 1, ey0 - 1, ex1e + 1, ey1 + 1), (78, 140, 146))
    cv.gradient(ex0, ey0, ex1e, ey1, [(0.0, (6, 18, 22)), (1.0, (4, 12, 15))])
    dens = Density(ex0, ey0, ex1e, ey1)
    uiw = (ex1e - ex0) / 2.0
    for tr in eye_traces(rng, 120, -0.5, 1.5, 60, 0.02, 0.03, 0.04, 0.18, 0.2, 0.7):
        dens.trace([(ex0 + (t + 0.5) * uiw, (ey0 + ey1) / 2.0 - v * 20) for t, v in tr])
    dens.render(cv, PERSISTENCE)
    draw_text(cv, "ELECTRICAL", (px0 + px1) / 2.0, 204, 1, WHITE, align='center', smooth=False)
    draw_readout(cv, [("JITTER", ""), ("NOISE", ""), ("EYE", ""), ("BER", ""), ("TDR", "")])
    return cv


# ---------------------------------------------------------------------------
# Palette reduction.

def quantise(pixels, ncolours=256):
    """Reduces RGB pixels to at most ncolours palette entries.

    Boxes of colours are split one at a time, always the box with the
    largest squared error, along its widest axis at the cut that minimises
    the error of the two halves.  Small but distinct accents (white text,
    amber markers) therefore get entries of their own instead of being
    averaged into the large dark areas."""
    hist = {}
    for p in pixels:
        hist[p] = hist.get(p, 0) + 1
    cells = sorted(hist.items())

    def stats(box):
        n = sr = sg = sb = sq = 0
        for (r, g, b), c in box:
            n += c
            sr += r * c
            sg += g * c
            sb += b * c
            sq += (r * r + g * g + b * b) * c
        return n, sr, sg, sb, sq

    def error(st):
        n, sr, sg, sb, sq = st
        return sq - (sr * sr + sg * sg + sb * sb) / float(n)

    boxes = [(cells, stats(cells))]
    while len(boxes) < ncolours:
        best, best_err = -1, 0.0
        for k, (box, st) in enumerate(boxes):
            if len(box) > 1:
                e = error(st)
                if e > best_err:
                    best, best_err = k, e
        if best < 0:
            break
        box, st = boxes[best]
        n = float(st[0])
        spread = []
        for axis in range(3):
            mean = st[1 + axis] / n
            spread.append(sum(c * (col[axis] - mean) ** 2 for col, c in box))
        axis = spread.index(max(spread))
        box = sorted(box, key=lambda cell: (cell[0][axis], cell[0]))
        total = st
        ln = lr = lg = lb = lq = 0
        cut, cut_err = 1, None
        for k in range(len(box) - 1):
            (r, g, b), c = box[k]
            ln += c
            lr += r * c
            lg += g * c
            lb += b * c
            lq += (r * r + g * g + b * b) * c
            if box[k][0][axis] == box[k + 1][0][axis]:
                continue
            rn = total[0] - ln
            e = (error((ln, lr, lg, lb, lq)) +
                 error((rn, total[1] - lr, total[2] - lg, total[3] - lb, total[4] - lq)))
            if cut_err is None or e < cut_err:
                cut, cut_err = k + 1, e
        if cut_err is None:  # all cells share the axis value: cut in the middle
            cut = len(box) // 2
        left, right = box[:cut], box[cut:]
        boxes[best] = (left, stats(left))
        boxes.append((right, stats(right)))

    entries = []
    for box, (n, sr, sg, sb, _) in boxes:
        mean = tuple(int(s / float(n) + 0.5) for s in (sr, sg, sb))
        entries.append((mean, box))
    entries.sort(key=lambda e: (0.299 * e[0][0] + 0.587 * e[0][1] + 0.114 * e[0][2], e[0]))
    palette = [mean for mean, _ in entries]
    lookup = {}
    for index, (_, box) in enumerate(entries):
        for col, _ in box:
            lookup[col] = index
    while len(palette) < 256:
        palette.append((0, 0, 0))
    return palette, [lookup[p] for p in pixels]


# ---------------------------------------------------------------------------
# File formats.

def bmp_bytes(w, h, palette, indices):
    """8-bit bottom-up BI_RGB DIB with a 256-entry colour table."""
    assert len(palette) == 256 and len(indices) == w * h and w % 4 == 0
    offset = 14 + 40 + 256 * 4
    size = offset + w * h
    head = struct.pack('<2sIHHI', b'BM', size, 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, w * h, 2835, 2835, 256, 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    rows = [bytes(indices[y * w:(y + 1) * w]) for y in range(h - 1, -1, -1)]
    return head + info + table + b''.join(rows)


VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


# VGA colour numbers used by the icon.
K, TEAL_V, SILVER, GREY, CYAN_V, WHITE_V = 0, 6, 7, 8, 14, 15

# The icon is drawn pixel by pixel: at 16 and 32 pixels a hand-placed eye
# reads better than any resampled one.  Each size gives the corner insets of
# its rounded body row by row, its screen rectangle (left, top, right,
# bottom, exclusive) and the upper-left quarter of the eye diagram in screen
# coordinates; the other three quarters are mirror images.  'c' is a trace,
# 't' the fainter spread of the traces and 'w' where they are densest.
ICON_LAYOUT = {
    32: dict(insets=[4, 2, 1, 1], margin=1, screen=(4, 4, 28, 22),
             quarter={'c': [(4, 8), (5, 7), (5, 6), (6, 5), (6, 4), (7, 3), (8, 2), (9, 2),
                            (10, 2), (11, 2), (3, 7), (3, 6), (2, 5), (2, 4), (1, 3), (0, 2)],
                      't': [(6, 7), (6, 6), (7, 5), (7, 4), (8, 3), (9, 1), (10, 1), (11, 1),
                            (2, 6), (1, 5), (1, 4), (0, 3), (5, 8), (3, 8)],
                      'w': [(4, 8), (10, 2), (11, 2)]}),
    16: dict(insets=[2, 1], margin=0, screen=(2, 2, 14, 12),
             quarter={'c': [(1, 4), (2, 3), (3, 2), (4, 1), (5, 1), (0, 3)],
                      't': [(3, 3), (0, 2), (2, 4)],
                      'w': [(1, 4)]}),
}


def icon_image(size):
    """One icon image: VGA colour indices and opacity, rows from the top.

    The mark is a small instrument: a teal rounded body whose black screen
    shows an eye diagram in cyan, with the half-tone teal for the spread of
    the traces."""
    lay = ICON_LAYOUT[size]
    m = lay['margin']
    inside = [[False] * size for _ in range(size)]
    lo, hi = m, size - m
    for y in range(lo, hi):
        k = min(y - lo, hi - 1 - y)
        inset = lay['insets'][k] if k < len(lay['insets']) else 0
        for x in range(lo + inset, hi - inset):
            inside[y][x] = True

    def is_in(x, y):
        return 0 <= x < size and 0 <= y < size and inside[y][x]
    idx = [[K] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not inside[y][x]:
                continue
            edge = not all(is_in(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                idx[y][x] = K
            elif size >= 32 and (not is_in(x, y - 2) or not is_in(x - 2, y)):
                idx[y][x] = CYAN_V  # light falls on the upper left bevel
            else:
                idx[y][x] = TEAL_V
    sx0, sy0, sx1, sy1 = lay['screen']
    sw, sh = sx1 - sx0, sy1 - sy0
    for y in range(sy0, sy1):
        for x in range(sx0, sx1):
            idx[y][x] = K
    if size >= 32:
        # Centre graticule dots, knobs and a status lamp below the screen.
        for y in range(sy0 + 1, sy1, 2):
            idx[y][sx0 + sw // 2] = GREY
        for x in range(sx0 + 1, sx1, 2):
            idx[sy0 + sh // 2][x] = GREY
        for kx in (6, 10, 14):
            idx[24][kx], idx[24][kx + 1] = WHITE_V, SILVER
            idx[25][kx], idx[25][kx + 1] = SILVER, GREY
        for x in range(19, 27):
            idx[24][x] = K
            idx[25][x] = K
        for x in range(20, 23):
            idx[24][x] = CYAN_V
    else:
        idx[13][3] = idx[13][5] = SILVER
        for x in range(9, 13):
            idx[13][x] = CYAN_V if x < 11 else K
    for colour, key in ((TEAL_V, 't'), (CYAN_V, 'c'), (WHITE_V, 'w')):
        for qx, qy in lay['quarter'][key]:
            for x, y in ((qx, qy), (sw - 1 - qx, qy), (qx, sh - 1 - qy), (sw - 1 - qx, sh - 1 - qy)):
                idx[sy0 + y][sx0 + x] = colour
    flat = [c for row in idx for c in row]
    opaque = [v for row in inside for v in row]
    return [c if o else 0 for c, o in zip(flat, opaque)], opaque


def ico_bytes(images):
    """Icon file with 4-bit images and their AND masks, largest first."""
    count = len(images)
    head = struct.pack('<HHH', 0, 1, count)
    entries, blobs = [], []
    offset = 6 + 16 * count
    for size, (idx, opaque) in images:
        xor_row = ((size * 4 + 31) // 32) * 4
        and_row = ((size + 31) // 32) * 4
        info = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                           (xor_row + and_row) * size, 0, 0, 0, 0)
        table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in VGA)
        xor, mask = bytearray(), bytearray()
        for y in range(size - 1, -1, -1):
            row = idx[y * size:(y + 1) * size]
            packed = bytearray((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
            xor += packed + bytes(xor_row - len(packed))
            bits = bytearray(and_row)
            for x in range(size):
                if not opaque[y * size + x]:
                    bits[x >> 3] |= 0x80 >> (x & 7)
            mask += bits
        blob = info + table + bytes(xor) + bytes(mask)
        entries.append(struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return head + b''.join(entries) + b''.join(blobs)


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)
    print("%-40s %8d bytes" % (os.path.relpath(path, REPO) if path.startswith(REPO) else path,
                               len(data)))


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(REPO, 'res')
    os.makedirs(out, exist_ok=True)
    pictures = [('splash.bmp', draw_splash), ('slide1.bmp', draw_slide1),
                ('slide2.bmp', draw_slide2), ('slide3.bmp', draw_slide3),
                ('slide4.bmp', draw_slide4)]
    only = os.environ.get('ARTGEN_ONLY')
    for name, draw in pictures:
        if only and only not in name:
            continue
        cv = draw()
        palette, indices = quantise(cv.pixels())
        write(os.path.join(out, name), bmp_bytes(cv.w, cv.h, palette, indices))
    if not only or only in 'setup.ico':
        write(os.path.join(out, 'setup.ico'), ico_bytes([(32, icon_image(32)), (16, icon_image(16))]))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
