"""Colours of the product: they sit on a backdrop that runs from dark grey
at the top to cyan at the bottom."""

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
