#!/usr/bin/env python3
"""Turns a PNG written by rsvg-convert (8-bit RGBA, straight alpha) into the 32-bit BMP
the module embeds: bottom-up rows of B, G, R, A premultiplied by alpha, as AlphaBlend
with per-pixel alpha expects them. With --hotspot X,Y the file header's two reserved
words carry the cursor's hot spot (the embedding puts them before the bitmap, as a
cursor resource holds them).

    png_to_bmp.py [--hotspot X,Y] IN.png OUT.bmp"""
import struct
import sys
import zlib


def read_png(path):
    """(width, height, rows of straight R, G, B, A bytes) of an 8-bit RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace:
        raise SystemExit(f"{path}: only 8-bit RGBA without interlacing")
    raw, stride, rows, previous = zlib.decompress(idat), width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up, corner = previous[i], previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return width, height, rows


def bmp_bytes(width, height, rows, hotspot=(0, 0)):
    pixels = bytearray()
    for line in reversed(rows):  # bottom-up
        for x in range(width):
            r, g, b, a = line[x * 4:x * 4 + 4]
            pixels += bytes(((c * a + 127) // 255 for c in (b, g, r))) + bytes((a,))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), hotspot[0], hotspot[1], 14 + len(info))
    return head + info + pixels


def main(args):
    hotspot = (0, 0)
    if args[:1] == ["--hotspot"]:
        hotspot = tuple(int(v) for v in args[1].split(","))
        args = args[2:]
    source, target = args
    width, height, rows = read_png(source)
    open(target, "wb").write(bmp_bytes(width, height, rows, hotspot))


if __name__ == "__main__":
    main(sys.argv[1:])
