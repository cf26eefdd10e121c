#!/usr/bin/env python3
"""Draws the candidate panel's face bitmaps (24-bit BMP) into resources/panel/.

Run it again after changing a face; the language libraries take the files
from there. Faces: the character-image frame, the candidate button in three
states, and the small buttons (text window, move to the corner, line image,
expand) in three states, the two toggles in both of their faces.
"""
import os
import struct

GREY = (192, 192, 192)
WHITE = (255, 255, 255)
DARK = (64, 64, 64)
SHADOW = (128, 128, 128)
BLACK = (0, 0, 0)
HOT = (255, 255, 200)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
YELLOW = (255, 255, 128)
GREEN = (0, 128, 0)


def canvas(w, h, colour):
    return [[colour for _ in range(w)] for _ in range(h)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, len(img))):
        for x in range(max(x0, 0), min(x1, len(img[0]))):
            img[y][x] = colour


def bevel(img, raised):
    h, w = len(img), len(img[0])
    light, dark = (WHITE, DARK) if raised else (DARK, WHITE)
    rect(img, 0, 0, w, 1, light)
    rect(img, 0, 0, 1, h, light)
    rect(img, 0, h - 1, w, h, dark)
    rect(img, w - 1, 0, w, h, dark)
    inner = SHADOW if raised else GREY
    rect(img, 1, h - 2, w - 1, h - 1, inner)
    rect(img, w - 2, 1, w - 1, h - 1, inner)


def button(w, h, state):
    img = canvas(w, h, HOT if state == "hot" else GREY)
    bevel(img, state != "pressed")
    return img


def glyph(img, kind, on, shift):
    """Small pictures on the 18 x 20 buttons."""
    s = shift
    if kind == "text":
        # A page with lines; filled when the text window is on.
        rect(img, 4 + s, 3 + s, 14 + s, 17 + s, WHITE if not on else YELLOW)
        for y in (6, 9, 12, 15):
            rect(img, 6 + s, y + s, 12 + s, y + 1 + s, BLACK)
    elif kind == "strip":
        # A strip of ink above a line of text.
        rect(img, 3 + s, 4 + s, 15 + s, 10 + s, YELLOW)
        rect(img, 5 + s, 6 + s, 13 + s, 8 + s, BLUE)
        rect(img, 3 + s, 13 + s, 15 + s, 15 + s, BLACK)
        if on:
            rect(img, 3 + s, 16 + s, 15 + s, 17 + s, GREEN)
    elif kind == "move":
        # An arrow to the top right corner.
        for i in range(7):
            rect(img, 5 + i + s, 14 - i + s, 7 + i + s, 15 - i + s, NAVY)
        rect(img, 9 + s, 5 + s, 14 + s, 7 + s, NAVY)
        rect(img, 12 + s, 5 + s, 14 + s, 10 + s, NAVY)
    elif kind == "expand":
        # An arrow to the left: back to the band.
        rect(img, 6 + s, 9 + s, 14 + s, 11 + s, NAVY)
        for i in range(4):
            rect(img, 4 + i + s, 10 - i + s, 5 + i + s, 11 + i + s, NAVY)


def write_bmp(path, img):
    h, w = len(img), len(img[0])
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for r, g, b in img[y]:
            line += bytes((b, g, r))
        line += b"\0" * (row - w * 3)
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "panel")
    os.makedirs(out, exist_ok=True)
    frame = canvas(36, 36, WHITE)
    bevel(frame, False)
    write_bmp(os.path.join(out, "image_frame.bmp"), frame)
    for state in ("normal", "hot", "pressed"):
        write_bmp(os.path.join(out, "candidate_%s.bmp" % state), button(34, 34, state))
    for kind, flags in (("text", (False, True)), ("strip", (False, True)), ("move", (False,)), ("expand", (False,))):
        for on in flags:
            for state in ("normal", "hot", "pressed"):
                img = button(18, 20, state)
                glyph(img, kind, on, 1 if state == "pressed" else 0)
                name = "%s%s_%s.bmp" % (kind, "_on" if on else ("_off" if len(flags) > 1 else ""), state)
                write_bmp(os.path.join(out, name), img)


if __name__ == "__main__":
    main()
