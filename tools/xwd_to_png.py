#!/usr/bin/env python3
"""Turns an X window dump (xwd, 24 or 32 bits a pixel, ZPixmap) into a PNG.

    xwd_to_png.py IN.xwd OUT.png
"""
import struct
import sys
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    ncolors = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise SystemExit("xwd_to_png: only 24- or 32-bit ZPixmap dumps")
    at = header_size + ncolors * 12
    step = bits_per_pixel // 8
    rows = []
    for y in range(height):
        line = data[at + y * bytes_per_line: at + y * bytes_per_line + width * step]
        out = bytearray()
        for x in range(0, width * step, step):
            px = line[x:x + step]
            if byte_order == 0:  # least significant byte first: B, G, R
                out += bytes((px[2], px[1], px[0]))
            else:
                out += bytes((px[-3], px[-2], px[-1]))
        rows.append(bytes(out))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], "rb") as f:
        w, h, rows = read_xwd(f.read())
    write_png(sys.argv[2], w, h, rows)
