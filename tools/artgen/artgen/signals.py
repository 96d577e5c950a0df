"""Signals: channel edges, NRZ streams, eye traces and their persistence
display."""

import math

from .colour import lerp, ramp


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
