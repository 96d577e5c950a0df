"""File formats: the icon, in the 16 VGA colours."""

import struct


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
