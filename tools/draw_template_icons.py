#!/usr/bin/env python3
"""Draws the button templates' icons (32x32 PNG) into keyrider/icons/.

One picture per kind of action, named by the template's key ("copy.png",
"filing.png", ...), and a greyed one for a template that is not available
("copy-off.png", ...). The build copies them beside the program under the
names the registry tree gives them ("copy.ico", "copy-off.ico"). Run it
again after changing a picture.
"""
import os
import struct
import zlib

SIZE = 32
CLEAR = (0, 0, 0, 0)
INK = (40, 40, 48, 255)
PAPER = (250, 250, 250, 255)
SHADE = (200, 204, 212, 255)
BLUE = (46, 98, 190, 255)
RED = (200, 40, 40, 255)
GREEN = (40, 150, 70, 255)
YELLOW = (240, 200, 60, 255)


def canvas():
    return [[CLEAR for _ in range(SIZE)] for _ in range(SIZE)]


def fill(img, x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, SIZE)):
        for x in range(max(x0, 0), min(x1, SIZE)):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    fill(img, x0, y0, x1, y0 + 1, colour)
    fill(img, x0, y1 - 1, x1, y1, colour)
    fill(img, x0, y0, x0 + 1, y1, colour)
    fill(img, x1 - 1, y0, x1, y1, colour)


def box(img, x0, y0, x1, y1, inside, edge=INK):
    fill(img, x0, y0, x1, y1, inside)
    frame(img, x0, y0, x1, y1, edge)


def line(img, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = round(x0 + (x1 - x0) * i / steps)
        y = round(y0 + (y1 - y0) * i / steps)
        if 0 <= x < SIZE and 0 <= y < SIZE:
            img[y][x] = colour


def page(img, x0=8, y0=3, x1=25, y1=29, lines=True):
    box(img, x0, y0, x1, y1, PAPER)
    if lines:
        for y in range(y0 + 5, y1 - 3, 4):
            fill(img, x0 + 3, y, x1 - 3, y + 1, SHADE)


def copy_icon(img):
    page(img, 10, 2, 23, 12, lines=False)
    box(img, 3, 11, 29, 23, SHADE)
    fill(img, 6, 14, 10, 16, GREEN)
    page(img, 8, 19, 25, 30, lines=False)
    fill(img, 11, 23, 22, 24, INK)
    fill(img, 11, 26, 19, 27, INK)


def filing_icon(img):
    box(img, 2, 7, 14, 12, YELLOW)
    box(img, 2, 10, 30, 28, YELLOW)
    page(img, 9, 3, 23, 17)


def pdf_icon(img):
    page(img)
    box(img, 5, 17, 27, 25, RED, RED)
    # "PDF" in three 3x5 letters.
    letters = {
        "P": ["###", "#.#", "###", "#..", "#.."],
        "D": ["##.", "#.#", "#.#", "#.#", "##."],
        "F": ["###", "#..", "##.", "#..", "#.."],
    }
    x = 9
    for ch in "PDF":
        for dy, row in enumerate(letters[ch]):
            for dx, c in enumerate(row):
                if c == "#":
                    img[19 + dy][x + dx] = PAPER
        x += 5


def mail_icon(img):
    box(img, 3, 8, 29, 25, PAPER)
    line(img, 3, 8, 16, 18, INK)
    line(img, 28, 8, 16, 18, INK)
    line(img, 3, 24, 12, 16, INK)
    line(img, 28, 24, 20, 16, INK)


def custom_icon(img):
    box(img, 3, 5, 29, 27, PAPER)
    fill(img, 3, 5, 29, 10, BLUE)
    frame(img, 3, 5, 29, 27, INK)
    line(img, 8, 14, 12, 18, INK)
    line(img, 12, 18, 8, 22, INK)
    fill(img, 14, 21, 22, 22, INK)


def ftp_icon(img):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x - 15.5) ** 2 + (y - 17.5) ** 2 <= 12.5 ** 2:
                img[y][x] = BLUE
    for y in (13, 21):
        fill(img, 5, y, 27, y + 1, PAPER)
    fill(img, 15, 6, 17, 30, PAPER)
    # An arrow going up to the server.
    fill(img, 22, 2, 25, 14, GREEN)
    for i in range(5):
        fill(img, 19 + i, 6 - i, 29 - i, 7 - i, GREEN)


def capture_icon(img):
    box(img, 3, 9, 29, 27, SHADE)
    box(img, 9, 5, 17, 10, SHADE)
    for y in range(SIZE):
        for x in range(SIZE):
            d = (x - 16) ** 2 + (y - 18) ** 2
            if d <= 36:
                img[y][x] = INK if d > 16 else BLUE


def ocr_icon(img):
    page(img, 4, 3, 21, 29)
    # A large "T" laid over the page: the text read from it.
    fill(img, 14, 10, 30, 14, BLUE)
    fill(img, 20, 10, 24, 29, BLUE)


def card_icon(img):
    box(img, 2, 8, 30, 25, PAPER)
    for y in range(SIZE):
        for x in range(SIZE):
            if (x - 9) ** 2 + (y - 14) ** 2 <= 9:
                img[y][x] = BLUE
    fill(img, 6, 18, 13, 22, BLUE)
    for y in (12, 16, 20):
        fill(img, 16, y, 27, y + 1, INK)


ICONS = {
    "copy": copy_icon,
    "filing": filing_icon,
    "pdf": pdf_icon,
    "e-mail": mail_icon,
    "custom": custom_icon,
    "ftp": ftp_icon,
    "fennick": capture_icon,
    "ocr": ocr_icon,
    "bcr": card_icon,
}


def greyed(img):
    out = canvas()
    for y in range(SIZE):
        for x in range(SIZE):
            r, g, b, a = img[y][x]
            v = (r * 30 + g * 59 + b * 11) // 100
            v = 128 + v // 2
            out[y][x] = (v, v, v, a // 2 if a else 0)
    return out


def write_png(path, img):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in img)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "keyrider", "icons")
    for name, draw in ICONS.items():
        img = canvas()
        draw(img)
        write_png(os.path.join(folder, name + ".png"), img)
        write_png(os.path.join(folder, name + "-off.png"), greyed(img))


if __name__ == "__main__":
    main()
