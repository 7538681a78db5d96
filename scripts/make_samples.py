#!/usr/bin/env python3
"""Writes the sample depth masks and textures of assets/samples (pure Python, no extra modules)."""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "samples")


def write_bmp8(path, w, h, pixels, palette=None):
    """pixels: list of rows (top first) of ints 0..255. Written bottom-up with a grey ramp."""
    stride = (w + 3) & ~3
    pal = palette or [(i, i, i) for i in range(256)]
    data = bytearray()
    for row in reversed(pixels):
        data += bytes(row) + b"\0" * (stride - w)
    offset = 14 + 40 + 1024
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in pal)
    with open(path, "wb") as f:
        f.write(head + info + table + data)


def write_bmp24(path, w, h, pixels):
    """pixels: rows (top first) of (r, g, b)."""
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        data += line + b"\0" * (stride - 3 * w)
    offset = 54
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(head + info + data)


def write_png_grey(path, w, h, pixels):
    raw = b"".join(b"\0" + bytes(row) for row in pixels)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 0, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def sphere_ring(w=640, h=480):
    cx, cy = w / 2, h / 2
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            v = 0
            if d < 120:  # a half sphere in the middle
                v = int(round(110 + 140 * math.sqrt(1 - (d / 120) ** 2)))
            elif 160 < d < 210:  # a rounded ring around it
                t = (d - 185) / 25
                v = int(round(40 + 60 * math.sqrt(max(0.0, 1 - t * t))))
            row.append(min(255, v))
        rows.append(row)
    return rows


FONT = {  # 5x7 glyphs, one string per row
    "D": ["1110", "1001", "1001", "1001", "1001", "1001", "1110"],
    "O": ["0110", "1001", "1001", "1001", "1001", "1001", "0110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "3": ["1110", "0001", "0001", "0110", "0001", "0001", "1110"],
}


def text_mask(text="3D DOT", w=640, h=240, scale=16):
    rows = [[0] * w for _ in range(h)]
    glyph_w = [len(FONT[c][0]) if c in FONT else 3 for c in text]
    total = sum(gw + 1 for gw in glyph_w) * scale
    x0, y0 = (w - total) // 2, (h - 7 * scale) // 2
    for c, gw in zip(text, glyph_w):
        for gy, line in enumerate(FONT.get(c, [])):
            for gx, bit in enumerate(line):
                if bit == "1":
                    for y in range(y0 + gy * scale, y0 + (gy + 1) * scale):
                        for x in range(x0 + gx * scale, x0 + (gx + 1) * scale):
                            rows[y][x] = 200
        x0 += (gw + 1) * scale
    return rows


def texture(w=128, h=128):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            a = math.sin(x * 0.21) * math.cos(y * 0.17) + math.sin((x + y) * 0.05)
            b = (x * 7 + y * 13) % 32 / 32
            row.append((int(120 + 80 * a) & 255, int(60 + 150 * b), int(150 + 60 * math.sin(y * 0.1))))
        rows.append([(max(0, min(255, r)), g, max(0, min(255, bl))) for (r, g, bl) in row])
    return rows


def main():
    os.makedirs(OUT, exist_ok=True)
    write_bmp8(os.path.join(OUT, "sphere_ring.bmp"), 640, 480, sphere_ring())
    write_png_grey(os.path.join(OUT, "text_mask.png"), 640, 240, text_mask())
    write_bmp24(os.path.join(OUT, "waves_texture.bmp"), 128, 128, texture())


if __name__ == "__main__":
    main()
