#!/usr/bin/env python3
"""Counts the distinct colours of a PNG picture: png_colours.py PICTURE.png

Prints the width, the height and the number of distinct colours, e.g.
"630x616 1843 colours". A blank or nearly blank picture has a handful at
most. Reads 8-bit greyscale, RGB and RGBA pictures without interlacing (what
a browser's screenshot is) with the standard library alone.
"""
import struct
import sys
import zlib


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def rows(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at, idat, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        at += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour_type)
    if depth != 8 or channels is None or interlace:
        raise ValueError("only 8-bit, non-interlaced greyscale, RGB or RGBA pictures are read")
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + paeth(left, up, corner)) & 0xFF
        yield width, height, channels, bytes(line)
        previous = line


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: png_colours.py PICTURE.png")
    colours, size = set(), (0, 0)
    for width, height, channels, line in rows(sys.argv[1]):
        size = (width, height)
        for x in range(0, len(line), channels):
            colours.add(line[x:x + channels])
    print(f"{size[0]}x{size[1]} {len(colours)} colours")


if __name__ == "__main__":
    main()
