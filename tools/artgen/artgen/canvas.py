"""Canvas and coverage masks.  A mask maps a pixel index to a coverage in
0..1; shapes build masks, the canvas paints them in a colour.  Pixel (x, y)
covers [x, x+1) x [y, y+1), so its centre is at (x + 0.5, y + 0.5)."""

import math

from .colour import clamp01, ramp


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
