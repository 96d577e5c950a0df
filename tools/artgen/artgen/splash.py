"""The splash: the picture on the backdrop."""

import math

from .canvas import (Canvas, glow_line, mask_blur, mask_disc, mask_minus, mask_polygon,
                     mask_rect)
from .colour import AMBER, CYAN, LABEL, PALE_CYAN, WHITE
from .font import draw_text
from .pieces import double_arrow, draw_graticule, draw_mark
from .rng import Rng
from .signals import PERSISTENCE, Density, eye_traces, gauss_pdf


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
