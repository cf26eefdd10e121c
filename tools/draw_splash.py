#!/usr/bin/env python3
"""Draws the start-up picture of Scribant (24-bit BMP) into resources/art/splash.bmp.

A sheet of paper with lines of text, half of it passed under a scanning
beam and turned into typed lines, on a blue ground with a band of colour.
Run it again after changing the drawing; both language libraries take the
file from there.
"""
import os

from draw_panel_faces import canvas, rect, write_bmp

W, H = 320, 180
GROUND = (28, 58, 120)
BAND = (46, 96, 178)
PAPER = (250, 250, 244)
INK = (40, 40, 40)
TYPED = (20, 70, 160)
BEAM = (120, 220, 255)
EDGE = (180, 180, 170)


def draw():
    img = canvas(W, H, GROUND)
    for y in range(H):
        # A lighter band across the middle, fading at its edges.
        d = abs(y - H // 2)
        if d < 40:
            t = 1 - d / 40
            c = tuple(int(g + (b - g) * t) for g, b in zip(GROUND, BAND))
            rect(img, 0, y, W, y + 1, c)
    # The sheet, with its shadow and edge.
    rect(img, 28, 22, 128, 162, (16, 30, 70))
    rect(img, 24, 18, 124, 158, PAPER)
    rect(img, 24, 18, 124, 19, EDGE)
    rect(img, 24, 157, 124, 158, EDGE)
    # Handwritten-looking lines above the beam, typed lines below it.
    y = 30
    row = 0
    while y < 150:
        width = 80 - (row * 13) % 30
        if y < 86:
            for x in range(32, 32 + width, 6):
                rect(img, x, y + (x // 6) % 2, x + 4, y + 3, INK)
        else:
            rect(img, 32, y, 32 + width, y + 3, TYPED)
        y += 10
        row += 1
    rect(img, 18, 86, 130, 89, BEAM)
    # Typed text blocks to the right: the result.
    for i, y in enumerate(range(40, 150, 14)):
        rect(img, 150, y, 150 + 140 - (i * 17) % 50, y + 6, (230, 236, 250))
    return img


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(os.path.join(here, "..", "resources", "art", "splash.bmp"), draw())
