"""File formats: the bitmaps."""

import struct


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
