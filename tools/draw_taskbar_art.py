#!/usr/bin/env python3
"""Draws Textory's task bar art into resources/art/: the 16 x 16 faces of its
buttons as PNG icons with a transparent ground (taskbar_*.png: the program,
scan to a word-processor document or to a file, the output choice for
either, recognise, proofread, read aloud) and the bar's background tile
(taskbar_skin.bmp, a 24-bit BMP of the bar's red-brown shaded from top to
bottom). Run it again after changing a face; TextoryRes.rc takes the files
from there.
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_panel_faces import write_bmp  # noqa: E402
from draw_toolbar_images import Glyph  # noqa: E402

S = 16
CLEAR = None
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
NAVY = (0, 0, 128)
BLUE = (30, 80, 220)
RED = (200, 0, 0)
GREEN = (0, 140, 0)
YELLOW = (255, 220, 0)
OCHRE = (200, 150, 0)


class Face(Glyph):
    """A 16 x 16 face on a transparent ground, drawn as the tool bar's glyphs are."""

    def __init__(self):
        self.px = [[CLEAR] * S for _ in range(S)]

    def dot(self, x, y, c):
        if 0 <= x < S and 0 <= y < S:
            self.px[y][x] = c

    def dots(self, points, c):
        for x, y in points:
            self.dot(x, y, c)


def sheet(f, x0, y0, x1, y1):
    """A white sheet with a folded upper right corner."""
    f.fill(x0, y0, x1, y1, WHITE)
    f.box(x0, y0, x1, y1, BLACK)
    for i in range(3):
        for j in range(3 - i):
            f.dot(x1 - j, y0 + i, CLEAR)
    f.dots([(x1 - 3, y0), (x1 - 3, y0 + 1), (x1 - 3, y0 + 2), (x1 - 3, y0 + 3), (x1 - 2, y0 + 3),
            (x1 - 1, y0 + 3), (x1, y0 + 3), (x1 - 2, y0 + 1), (x1 - 1, y0 + 2)], BLACK)


def text_lines(f, x0, x1, ys, c=GREY):
    for y in ys:
        f.fill(x0, y, x1, y, c)


def letter_w(f, x, y, c):
    """A 7 x 5 "W" with its upper left corner at (x, y)."""
    f.dots([(x, y), (x, y + 1), (x + 1, y + 2), (x + 1, y + 3), (x + 2, y + 4), (x + 3, y + 2), (x + 3, y + 3),
            (x + 4, y + 4), (x + 5, y + 2), (x + 5, y + 3), (x + 6, y), (x + 6, y + 1), (x + 3, y + 1)], c)


def word_badge(f, x, y):
    f.fill(x, y, x + 8, y + 6, BLUE)
    f.box(x, y, x + 8, y + 6, NAVY)
    letter_w(f, x + 1, y + 1, WHITE)


def scanner(f):
    f.fill(0, 7, 15, 12, SILVER)
    f.box(0, 7, 15, 12, BLACK)
    f.fill(1, 9, 14, 9, BLUE)
    f.dot(13, 11, GREEN)
    f.fill(2, 2, 11, 6, WHITE)
    f.box(2, 2, 11, 6, BLACK)
    text_lines(f, 4, 9, [4])


def program(f):
    sheet(f, 2, 0, 13, 15)
    # A red "T" over two lines of text.
    f.fill(4, 4, 11, 5, RED)
    f.fill(7, 6, 8, 12, RED)
    text_lines(f, 4, 5, [9, 11])
    text_lines(f, 10, 11, [9, 11])


def scan_to_word(f):
    scanner(f)
    word_badge(f, 7, 9)


def scan_to_file(f):
    scanner(f)
    sheet(f, 9, 6, 15, 15)
    text_lines(f, 10, 13, [11, 13])


def output_word(f):
    sheet(f, 1, 0, 12, 15)
    text_lines(f, 3, 9, [5, 7, 9])
    word_badge(f, 7, 9)


def output_file(f):
    sheet(f, 1, 0, 12, 15)
    text_lines(f, 3, 10, [5, 7, 9, 11, 13])
    # An arrow out of the sheet.
    f.fill(11, 9, 15, 9, GREEN)
    f.dots([(14, 8), (13, 7), (14, 10), (13, 11)], GREEN)


def recognise(f):
    sheet(f, 2, 0, 13, 15)
    f.dots([(7, 3), (8, 3), (6, 4), (9, 4), (6, 5), (9, 5), (5, 6), (10, 6), (5, 7), (6, 7), (7, 7), (8, 7),
            (9, 7), (10, 7), (4, 8), (11, 8), (4, 9), (11, 9)], NAVY)
    text_lines(f, 4, 11, [12])


def proofread(f):
    sheet(f, 1, 0, 12, 15)
    text_lines(f, 3, 10, [4, 6, 8, 10])
    # A pencil across the lines, its point on the last one.
    for i in range(6):
        f.dot(9 + i - 1, 15 - i - 4, OCHRE)
        f.dot(9 + i, 15 - i - 4, YELLOW)
        f.dot(9 + i, 15 - i - 3, OCHRE)
    f.dots([(7, 12), (8, 12), (7, 11)], BLACK)
    f.dots([(14, 5), (15, 4), (15, 5)], RED)


def read_aloud(f):
    # A loudspeaker and its sound.
    f.fill(1, 6, 3, 9, GREY)
    f.box(1, 6, 3, 9, BLACK)
    for i in range(4):
        f.fill(4 + i, 5 - i, 4 + i, 10 + i, GREY)
        f.dot(4 + i, 5 - i, BLACK)
        f.dot(4 + i, 10 + i, BLACK)
    f.fill(8, 1, 8, 14, BLACK)
    f.dots([(10, 6), (10, 7), (10, 8), (10, 9), (11, 5), (11, 10)], BLUE)
    f.dots([(12, 3), (13, 4), (13, 5), (14, 6), (14, 7), (14, 8), (14, 9), (13, 10), (13, 11), (12, 12)], BLUE)


FACES = {
    "taskbar_program.png": program,
    "taskbar_scan_word.png": scan_to_word,
    "taskbar_scan_file.png": scan_to_file,
    "taskbar_output_word.png": output_word,
    "taskbar_output_file.png": output_file,
    "taskbar_recognise.png": recognise,
    "taskbar_proofread.png": proofread,
    "taskbar_read.png": read_aloud,
}


def write_png(path, px):
    h, w = len(px), len(px[0])
    raw = bytearray()
    for row in px:
        raw.append(0)
        for c in row:
            raw += bytes((0, 0, 0, 0)) if c is None else bytes((c[0], c[1], c[2], 255))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def skin():
    """The bar's red-brown, lighter at the top edge and darker towards the
    bottom, with a faint vertical grain every fourth column."""
    w, h = 16, 64
    top, bottom = (196, 70, 20), (120, 30, 0)
    img = []
    for y in range(h):
        t = y / (h - 1)
        base = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        row = []
        for x in range(w):
            c = base
            if y == 0:
                c = (230, 120, 70)
            elif x % 4 == 0:
                c = tuple(max(0, v - 8) for v in base)
            row.append(c)
        img.append(row)
    return img


def main():
    art = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "art"))
    for name, draw in FACES.items():
        f = Face()
        draw(f)
        write_png(os.path.join(art, name), f.px)
    write_bmp(os.path.join(art, "taskbar_skin.bmp"), skin())


if __name__ == "__main__":
    main()
