"""Draws the setup program's artwork and writes it into res/.

    splash.bmp            bitmap 129, 500 x 500, the picture on the backdrop
    slide1.bmp..slide4    bitmaps 130..133, 300 x 250, the progress slideshow
    setup.ico             icon 128, 32 x 32 and 16 x 16 in the 16 VGA colours

Pictures are drawn in floating-point RGB by a small anti-aliasing rasteriser,
reduced to a 256-colour palette of their own by a variance-splitting
quantiser, and written as 8-bit, bottom-up, uncompressed DIBs.  Only the
standard library is used, and the pseudo-random numbers come from a fixed
xorshift generator, so every run writes the same bytes.

Usage: python3 tools/artgen/artgen [OUTPUT_DIR]   (default: res/)
   or: cd tools/artgen && python3 -m artgen [OUTPUT_DIR]

Modules, in the order they build on each other:

    colour     the product's colours, interpolation and colour ramps
    rng        the deterministic pseudo-random numbers
    canvas     the canvas and the coverage masks of shapes
    font       the embedded font and text drawing
    signals    channel edges, NRZ streams, eye traces, persistence display
    pieces     pieces shared by the pictures: graticule, slide frame, arrows
    splash     the splash picture
    slides     the four slides
    palette    reduction of a picture to 256 colours
    bmp        the bitmap file
    icon       the icon, drawn pixel by pixel, and its file
    cli        the command line
"""
