#!/usr/bin/env python3
"""Writes the bitmap fuzz target's seeds into fuzz/corpus/bitmap/: small 32 x 32 files of each
depth and header version the loader takes, a few it refuses, and the broken files that once
decoded to uninitialised pixels, among them files cut short (also a GIF and a JPEG). A few of
them, with the GIF and the JPEG, are the image import target's seeds in fuzz/corpus/import/."""
import os
import re
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bitmap")
LED = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 128, 128), (255, 255, 255)]


def pattern(x, y):
    return (x + 3 * y + x // 5) % 8


def bmp(info_size=40, bits=24, compression=0, colors_used=0, palette=(), masks=(),
        offset=None, pixel=lambda x, y: 0, height=32, width=32, raw_pixels=None):
    core = info_size == 12
    if core:
        info = struct.pack("<IhhHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, 0,
                           2835, 2835, colors_used, 0)
        inner = b"".join(struct.pack("<I", m) for m in masks) if info_size > 40 else b""
        info = (info + inner).ljust(info_size, b"\0")
    tables = b"" if info_size > 40 or core else b"".join(struct.pack("<I", m) for m in masks)
    for r, g, b in palette:
        tables += bytes((b, g, r)) + (b"" if core else b"\0")
    start = 14 + len(info) + len(tables)
    if offset is None:
        offset = start
    body = (info + tables).ljust(offset - 14, b"\0")[: max(offset - 14, 0)] if offset >= 14 else b""
    if raw_pixels is None:
        row_bytes = (width * bits + 31) // 32 * 4
        rows = []
        for r in range(abs(height)):
            y = r if height < 0 else abs(height) - 1 - r
            row = bytearray(row_bytes)
            for x in range(width):
                v = pixel(x, y)
                if bits >= 8:
                    row[x * bits // 8: x * bits // 8 + bits // 8] = v.to_bytes(bits // 8, "little")
                else:
                    bit = x * bits
                    row[bit // 8] |= v << (8 - bits - bit % 8)
            rows.append(bytes(row))
        raw_pixels = b"".join(rows)
    head = b"BM" + struct.pack("<IHHI", 14 + len(body) + len(raw_pixels), 0, 0, offset)
    return head + body + raw_pixels


def rgb(c):
    return c[0] << 16 | c[1] << 8 | c[2]


def p565(c):
    return (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3


def p555(c):
    return (c[0] >> 3) << 10 | (c[1] >> 3) << 5 | c[2] >> 3


def indexed(bits, entries, **kw):
    return bmp(bits=bits, palette=LED[:entries] + [(0, 0, 0)] * max(0, entries - 8),
               pixel=lambda x, y: pattern(x, y) % entries, **kw)


def rle8():
    data = b""
    for y in range(32):
        for x in range(0, 32, 8):
            data += bytes((8, pattern(x, y)))
        data += b"\0\0"
    return bmp(bits=8, compression=1, colors_used=8, palette=LED, raw_pixels=data + b"\0\1")


seeds = {
    "rgb24": bmp(pixel=lambda x, y: rgb(LED[pattern(x, y)])),
    "rgb24-topdown": bmp(height=-32, pixel=lambda x, y: rgb(LED[pattern(x, y)])),
    "rgb24-core": bmp(info_size=12, pixel=lambda x, y: rgb(LED[pattern(x, y)])),
    "rgb24-v5": bmp(info_size=124, pixel=lambda x, y: rgb(LED[pattern(x, y)])),
    "rgb32": bmp(bits=32, pixel=lambda x, y: rgb(LED[pattern(x, y)])),
    "rgb32-v4-masks": bmp(info_size=108, bits=32, compression=3,
                          masks=(0xFF0000, 0xFF00, 0xFF, 0), pixel=lambda x, y: rgb(LED[pattern(x, y)])),
    "rgb32-56-masks": bmp(info_size=56, bits=32, compression=3,
                          masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                          pixel=lambda x, y: rgb(LED[pattern(x, y)]) | 0xFF000000),
    "rgb16": bmp(bits=16, pixel=lambda x, y: p555(LED[pattern(x, y)])),
    "rgb16-masks": bmp(bits=16, compression=3, masks=(0xF800, 0x07E0, 0x001F),
                       pixel=lambda x, y: p565(LED[pattern(x, y)])),
    "rgb16-52-masks": bmp(info_size=52, bits=16, compression=3, masks=(0xF800, 0x07E0, 0x001F),
                          pixel=lambda x, y: p565(LED[pattern(x, y)])),
    "pal8": indexed(8, 8, colors_used=8),
    "pal8-v5": indexed(8, 8, colors_used=8, info_size=124),
    "pal8-core": bmp(info_size=12, bits=8, palette=LED + [(0, 0, 0)] * 248,
                     pixel=lambda x, y: pattern(x, y)),
    "pal4": indexed(4, 16),
    "pal4-v4": indexed(4, 8, colors_used=8, info_size=108),
    "pal1": bmp(bits=1, palette=[(0, 0, 0), (255, 255, 255)], pixel=lambda x, y: (x ^ y) & 1),
    "pal1-core": bmp(info_size=12, bits=1, palette=[(255, 0, 0), (0, 0, 255)],
                     pixel=lambda x, y: (x * y) & 1),
    "rle8": rle8(),
    # Palettes or masks running into the pixel data, and a palette larger than its depth.
    "bad-pal8-offset86": indexed(8, 8, offset=86),
    "bad-masks16-offset54": bmp(bits=16, compression=3, masks=(0xF800, 0x07E0, 0x001F), offset=54,
                                pixel=lambda x, y: p565(LED[pattern(x, y)])),
    "bad-pal1-17colours": bmp(bits=1, colors_used=17, palette=[(0, 0, 0), (255, 255, 255)],
                              pixel=lambda x, y: (x ^ y) & 1),
    "bad-pal8-v5-offset1078": indexed(8, 8, colors_used=256, info_size=124, offset=1078),
    "bad-pal8-index": bmp(bits=8, colors_used=4, palette=LED[:4], pixel=lambda x, y: pattern(x, y)),
}



def gif(width, height, index):
    """One frame, eight colours, the code table started anew every four pixels (4-bit codes)."""
    head = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xA2, 0, 0)
    head += b"".join(bytes(c) for c in LED)
    head += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\3"
    codes = []
    for n, (y, x) in enumerate((y, x) for y in range(height) for x in range(width)):
        if n % 4 == 0:
            codes.append(8)
        codes.append(index(x, y))
    codes.append(9)
    codes += [0] * (len(codes) % 2)
    data = bytes(codes[i] | codes[i + 1] << 4 for i in range(0, len(codes), 2))
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    return head + blocks + b"\0;"


def sample_jpeg():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "tests", "picture", "jpeg_sample.h")) as f:
        text = f.read()
    return bytes(int(h, 16) for h in re.findall(r"0x([0-9a-f]{2})", text))


mono = bmp(bits=1, palette=[(0, 0, 0), (255, 255, 255)], pixel=lambda x, y: (x ^ y) & 1)
seeds["bad-pal1-cut-after-10-rows"] = mono[:62 + 10 * 4]
seeds["bad-rgb24-cut"] = seeds["rgb24"][:-1000]
whole_gif = gif(32, 32, lambda x, y: pattern(x, y))
jpeg = sample_jpeg()
other = {"whole.gif": whole_gif, "bad-cut.gif": whole_gif[: len(whole_gif) // 2],
         "whole.jpg": jpeg, "bad-cut.jpg": jpeg[:-60]}

os.makedirs(OUT, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(OUT, name + ".bmp"), "wb") as f:
        f.write(data)
for name, data in other.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)

IMPORT = os.path.join(os.path.dirname(OUT), "import")
os.makedirs(IMPORT, exist_ok=True)
for name in ("rgb24", "pal1", "pal8", "rgb16-masks", "bad-pal1-cut-after-10-rows", "bad-rgb24-cut"):
    other[name + ".bmp"] = seeds[name]
for name, data in other.items():
    with open(os.path.join(IMPORT, name), "wb") as f:
        f.write(data)
