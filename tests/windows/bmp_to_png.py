#!/usr/bin/env python3
"""Converts uncompressed 24-bit BMP files (as form_shots.exe writes them) to PNG.

Usage: bmp_to_png.py FILE.bmp... (each FILE.png is written beside it, the BMP removed)
"""
import os
import struct
import sys
import zlib


def convert(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise ValueError("%s: %d bits per pixel, expected 24" % (path, bits))
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        source = height - 1 - y if height > 0 else y  # bottom-up unless the height is negative
        row = data[offset + source * stride: offset + source * stride + width * 3]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    out = os.path.splitext(path)[0] + ".png"
    open(out, "wb").write(png)
    os.remove(path)
    print("screenshot: %s (%dx%d)" % (out, width, abs(height)))


if __name__ == "__main__":
    for p in sys.argv[1:]:
        convert(p)
