"""Common pieces of the pictures."""

import math

from .canvas import (mask_minus, mask_polygon, mask_rect, mask_round_rect, mask_stroke,
                     mask_union)
from .colour import AMBER, CYAN, GRID, GRID_AXIS, PALE_CYAN, WHITE, lerp
from .font import draw_text, text_width


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
