"""Palette reduction."""

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
