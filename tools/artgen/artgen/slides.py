"""The four slides of the progress dialog."""

import math

from .canvas import (Canvas, bezier, glow_line, mask_blur, mask_dashed, mask_disc,
                     mask_minus, mask_polygon, mask_rect, mask_ring, mask_round_rect,
                     mask_stroke, mask_union, mask_union_into)
from .colour import AMBER, COPPER, CORAL, CYAN, GRID, GRID_AXIS, LABEL, PALE_CYAN, WHITE
from .font import draw_text
from .pieces import double_arrow, draw_graticule, draw_readout, draw_slide_frame
from .rng import Rng
from .signals import PERSISTENCE, Density, eye_traces, gauss_pdf, nrz_level, q_function


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
