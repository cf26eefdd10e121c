#!/usr/bin/env python3
"""Draws the main tool bar's images (one 24-bit BMP strip of 16 x 15 images
on the button face grey) into resources/art/main_toolbar.bmp, and the file bar's 48 x 18 folder
button (a folder and three dots) into resources/art/browse_folder.bmp.
Textory's two mode tool bars get strips of their own: region_toolbar.bmp
(image tools, pointer tools, submit for recognition, help, exit) and
proofread_toolbar.bmp (back to recognition, output to a file, help, exit).
The task bar's own menu takes its item icons from taskbar_menu_icons.bmp:
16 x 16 images on the mask colour (magenta) for settings, scanner choice,
main window, about and exit.

The order follows the tool bar's buttons: new task, open image, scan,
layout analysis, recognise, output to a format, PDF to RTF, PDF to text,
page list only, all panes, page and text only, help. Run it again after
changing a glyph; both language libraries take the file from there.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_panel_faces import write_bmp  # noqa: E402

W, H = 16, 15
FACE = (192, 192, 192)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
RED = (192, 0, 0)
YELLOW = (255, 255, 0)
OCHRE = (192, 160, 0)
GREEN = (0, 128, 0)
TEAL = (0, 128, 128)


class Glyph:
    def __init__(self):
        self.px = [[FACE] * W for _ in range(H)]

    def dot(self, x, y, c):
        if 0 <= x < W and 0 <= y < H:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def box(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, c)
            self.dot(x, y1, c)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, c)
            self.dot(x1, y, c)

    def hline(self, x0, x1, y, c):
        self.fill(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.fill(x, y0, x, y1, c)


def page(g, x0=3, y0=1, x1=12, y1=13):
    """A white sheet with a folded corner."""
    g.fill(x0, y0, x1, y1, WHITE)
    g.box(x0, y0, x1, y1, BLACK)
    for i in range(3):
        g.dot(x1 - i, y0 + 2 - i, FACE)
    g.dot(x1 - 2, y0, BLACK)
    g.dot(x1 - 2, y0 + 1, BLACK)
    g.dot(x1 - 2, y0 + 2, BLACK)
    g.dot(x1 - 1, y0 + 2, BLACK)
    g.dot(x1, y0 + 2, BLACK)


def lines(g, x0, x1, ys, c=GREY):
    for y in ys:
        g.hline(x0, x1, y, c)


def new_task(g):
    page(g)
    g.fill(9, 9, 14, 14, FACE)
    for (x, y) in [(11, 8), (11, 9), (11, 11), (11, 12), (9, 10), (10, 10), (12, 10), (13, 10), (10, 9), (12, 11)]:
        g.dot(x, y, OCHRE)
    g.dot(11, 10, YELLOW)


def open_image(g):
    g.fill(1, 4, 12, 12, OCHRE)
    g.box(1, 4, 12, 12, BLACK)
    g.hline(1, 5, 3, BLACK)
    g.fill(3, 7, 14, 12, YELLOW)
    g.box(3, 7, 14, 12, BLACK)
    g.fill(9, 1, 10, 4, GREEN)
    g.dot(11, 2, GREEN)
    g.dot(8, 2, GREEN)


def scan(g):
    g.fill(1, 6, 14, 11, GREY)
    g.box(1, 6, 14, 11, BLACK)
    g.hline(2, 13, 8, BLUE)
    g.dot(12, 10, GREEN)
    g.fill(3, 2, 12, 5, WHITE)
    g.box(3, 2, 12, 5, BLACK)


def layout(g):
    page(g)
    g.fill(5, 4, 10, 6, BLUE)
    g.box(5, 8, 10, 11, RED)


def recognise(g):
    page(g)
    # A bold "A".
    for (x, y) in [(7, 4), (8, 4), (6, 6), (6, 7), (9, 6), (9, 7), (6, 8), (7, 8), (8, 8), (9, 8), (5, 9), (10, 9),
                   (5, 10), (10, 10), (6, 5), (9, 5)]:
        g.dot(x, y, NAVY)


def output(g):
    g.fill(2, 1, 13, 13, NAVY)
    g.fill(4, 1, 11, 5, WHITE)
    g.fill(5, 9, 10, 13, GREY)
    g.fill(8, 10, 9, 12, BLACK)
    g.box(2, 1, 13, 13, BLACK)


def pdf_to(letter):
    def draw(g):
        page(g)
        g.fill(4, 9, 11, 12, RED)
        glyphs = {
            "R": [(5, 3), (6, 3), (7, 3), (5, 4), (8, 4), (5, 5), (6, 5), (7, 5), (5, 6), (7, 6), (5, 7), (8, 7)],
            "T": [(5, 3), (6, 3), (7, 3), (8, 3), (9, 3), (7, 4), (7, 5), (7, 6), (7, 7)],
        }
        for (x, y) in glyphs[letter]:
            g.dot(x, y, BLACK)
    return draw


def list_only(g):
    g.fill(1, 1, 14, 13, WHITE)
    g.box(1, 1, 14, 13, BLACK)
    g.hline(2, 13, 3, NAVY)
    lines(g, 3, 12, [6, 8, 10, 12])


def all_panes(g):
    g.fill(1, 1, 14, 13, WHITE)
    g.box(1, 1, 14, 13, BLACK)
    g.vline(5, 1, 13, BLACK)
    lines(g, 2, 4, [3, 5, 7, 9])
    g.hline(6, 13, 7, BLACK)
    g.fill(7, 3, 12, 5, TEAL)
    lines(g, 7, 12, [9, 11])


def image_text(g):
    g.fill(1, 1, 14, 13, WHITE)
    g.box(1, 1, 14, 13, BLACK)
    g.hline(1, 14, 7, BLACK)
    g.fill(3, 3, 12, 5, TEAL)
    lines(g, 3, 12, [9, 11])


def help_mark(g):
    g.fill(4, 1, 11, 12, FACE)
    for (x, y) in [(6, 2), (7, 2), (8, 2), (9, 2), (5, 3), (10, 3), (10, 4), (9, 5), (8, 6), (7, 7), (7, 8),
                   (7, 11), (7, 12), (8, 11), (8, 12), (8, 7), (8, 8)]:
        g.dot(x, y, NAVY)


GLYPHS = [new_task, open_image, scan, layout, recognise, output, pdf_to("R"), pdf_to("T"), list_only, all_panes,
          image_text, help_mark]


def image_tools(g):
    """A picture (sky and hill) with a small sun: the page's image tools."""
    g.fill(1, 2, 13, 12, (160, 200, 240))
    g.box(1, 2, 13, 12, BLACK)
    for x in range(2, 13):
        top = 9 - abs(x - 6) // 2
        g.vline(x, top, 11, GREEN)
    g.fill(9, 4, 11, 6, YELLOW)


def pointer_tools(g):
    """An arrow pointer."""
    for y in range(1, 12):
        g.hline(3, 3 + min(y - 1, 6), y, BLACK)
        if y > 2:
            g.hline(4, 2 + min(y - 1, 6), y, WHITE)
    for (x, y) in [(6, 12), (7, 12), (7, 13), (8, 13), (8, 14)]:
        g.dot(x, y, BLACK)


def submit(g):
    """The recognise page with a green tick."""
    recognise(g)
    for (x, y) in [(8, 11), (9, 12), (10, 11), (11, 10), (12, 9), (13, 8)]:
        g.dot(x, y, GREEN)
        g.dot(x, y + 1, GREEN)


def back_to_regions(g):
    """The layout page with a red arrow back."""
    layout(g)
    g.hline(1, 7, 12, RED)
    for (x, y) in [(2, 11), (3, 10), (2, 13), (3, 14)]:
        g.dot(x, y, RED)


def exit_door(g):
    """An open door with an arrow going out."""
    g.fill(2, 1, 9, 13, OCHRE)
    g.box(2, 1, 9, 13, BLACK)
    g.dot(8, 7, BLACK)
    g.hline(9, 14, 7, RED)
    g.dot(13, 6, RED)
    g.dot(13, 8, RED)
    g.dot(12, 5, RED)
    g.dot(12, 9, RED)


def settings(g):
    """A grey cog wheel."""
    for y in range(2, 13):
        for x in range(2, 13):
            d = (x - 7) ** 2 + (y - 7) ** 2
            if d <= 20:
                g.dot(x, y, GREY)
    for (x, y) in [(7, 1), (7, 13), (1, 7), (13, 7), (3, 3), (11, 11), (3, 11), (11, 3)]:
        g.fill(x - 1 if x > 7 else x, y - 1 if y > 7 else y, x if x < 7 else x, y if y < 7 else y, GREY)
    g.fill(6, 6, 8, 8, WHITE)
    g.box(5, 5, 9, 9, BLACK)


def choose_scanner(g):
    """The scanner with a green tick above it."""
    scan(g)
    g.fill(3, 0, 12, 5, FACE)
    for (x, y) in [(5, 3), (6, 4), (7, 3), (8, 2), (9, 1), (10, 0)]:
        g.dot(x, y, GREEN)
        g.dot(x, y + 1, GREEN)


def main_window(g):
    """A window with a blue caption."""
    g.fill(1, 2, 14, 13, WHITE)
    g.box(1, 2, 14, 13, BLACK)
    g.fill(2, 3, 13, 4, NAVY)
    lines(g, 3, 12, [7, 9, 11])


def about(g):
    """A blue "i" in a circle."""
    for y in range(1, 14):
        for x in range(1, 14):
            if (x - 7) ** 2 + (y - 7) ** 2 <= 36:
                g.dot(x, y, BLUE)
    g.fill(7, 3, 7, 4, WHITE)
    g.fill(7, 6, 7, 11, WHITE)
    g.dot(6, 6, WHITE)


REGION_GLYPHS = [image_tools, pointer_tools, submit, help_mark, exit_door]
MENU_GLYPHS = [settings, choose_scanner, main_window, about, exit_door]
MAGENTA = (255, 0, 255)


def menu_icons():
    """The menu's strip: one row more than the tool bars', the face made the mask colour."""
    strip = strip_of(MENU_GLYPHS) + [[FACE] * (W * len(MENU_GLYPHS))]
    return [[MAGENTA if c == FACE else c for c in row] for row in strip]
PROOFREAD_GLYPHS = [back_to_regions, output, help_mark, exit_door]


def browse_button():
    """48 x 18: a raised face with a small open folder and three dots."""
    w, h = 48, 18
    px = [[FACE] * w for _ in range(h)]
    def dot(x, y, c):
        px[y][x] = c
    for x in range(w):
        dot(x, 0, WHITE)
        dot(x, h - 1, GREY)
    for y in range(h):
        dot(0, y, WHITE)
        dot(w - 1, y, GREY)
    for y in range(5, 14):
        for x in range(8, 22):
            dot(x, y, YELLOW if y > 6 else OCHRE)
    for x in range(8, 22):
        dot(x, 5, BLACK)
        dot(x, 13, BLACK)
    for y in range(5, 14):
        dot(8, y, BLACK)
        dot(21, y, BLACK)
    for i in range(3):
        for (dx, dy) in [(0, 0), (1, 0), (0, 1), (1, 1)]:
            dot(27 + 5 * i + dx, 11 + dy, BLACK)
    return px


def strip_of(glyphs):
    strip = [[] for _ in range(H)]
    for draw in glyphs:
        g = Glyph()
        draw(g)
        for y in range(H):
            strip[y] += g.px[y]
    return strip


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "art", "main_toolbar.bmp")
    write_bmp(os.path.normpath(out), strip_of(GLYPHS))
    art = os.path.dirname(os.path.normpath(out))
    write_bmp(os.path.join(art, "region_toolbar.bmp"), strip_of(REGION_GLYPHS))
    write_bmp(os.path.join(art, "proofread_toolbar.bmp"), strip_of(PROOFREAD_GLYPHS))
    write_bmp(os.path.join(art, "taskbar_menu_icons.bmp"), menu_icons())
    write_bmp(os.path.normpath(os.path.join(os.path.dirname(out), "browse_folder.bmp")), browse_button())


if __name__ == "__main__":
    main()
