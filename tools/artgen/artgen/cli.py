"""The command line: draws every picture and writes the files."""

import os

from .bmp import bmp_bytes
from .icon import ico_bytes, icon_image
from .palette import quantise
from .slides import draw_slide1, draw_slide2, draw_slide3, draw_slide4
from .splash import draw_splash

# The package is tools/artgen/artgen/, so the repository is three folders up.
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)
    print("%-40s %8d bytes" % (os.path.relpath(path, REPO) if path.startswith(REPO) else path,
                               len(data)))


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(REPO, 'res')
    os.makedirs(out, exist_ok=True)
    pictures = [('splash.bmp', draw_splash), ('slide1.bmp', draw_slide1),
                ('slide2.bmp', draw_slide2), ('slide3.bmp', draw_slide3),
                ('slide4.bmp', draw_slide4)]
    only = os.environ.get('ARTGEN_ONLY')
    for name, draw in pictures:
        if only and only not in name:
            continue
        cv = draw()
        palette, indices = quantise(cv.pixels())
        write(os.path.join(out, name), bmp_bytes(cv.w, cv.h, palette, indices))
    if not only or only in 'setup.ico':
        write(os.path.join(out, 'setup.ico'), ico_bytes([(32, icon_image(32)), (16, icon_image(16))]))
    return 0
