"""The embedded font: 5 x 7 cells (some letters narrower), two more rows for
descenders.  '#' is ink.  Rows are given top to bottom."""

import math

from .canvas import _box_blur, mask_blur
from .colour import clamp01


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
