#!/usr/bin/env python3
"""Draws the four class bitmaps of the plug-in as 16-colour BMP files.

    python3 make_bitmaps.py      # rewrites the .bmp files beside this script

The small pictures (26 x 24) sit in the host's module palette, the large ones
(64 x 46) on the module in the worksheet. OUT shows a red arrow leaving the
board, IN a green arrow entering it, each with its name spelled out.
"""
import os
import struct

# The standard 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, OLIVE, SILVER, GREY, RED, GREEN, YELLOW, WHITE = 0, 2, 3, 7, 8, 9, 10, 11, 15

FONT_3X5 = {
    'O': ["111", "101", "101", "101", "111"],
    'U': ["101", "101", "101", "101", "111"],
    'T': ["111", "010", "010", "010", "010"],
    'I': ["111", "010", "010", "010", "111"],
    'N': ["101", "111", "111", "111", "101"],
}

FONT_5X7 = {
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
}


class Picture:
    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def box(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.box(x0, y0, x1, y0, colour)
        self.box(x0, y1, x1, y1, colour)
        self.box(x0, y0, x0, y1, colour)
        self.box(x1, y0, x1, y1, colour)

    def text(self, x, y, word, font, colour, scale=1):
        for ch in word:
            glyph = font[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '1':
                        self.box(x + gx * scale, y + gy * scale,
                                 x + gx * scale + scale - 1, y + gy * scale + scale - 1, colour)
            x += (len(glyph[0]) + 1) * scale

    def arrow_right(self, x0, x1, y, half, colour):
        """A horizontal arrow from x0 to x1 pointing right, shaft 2*half/3 thick."""
        shaft = max(1, half // 2)
        self.box(x0, y - shaft, x1 - half, y + shaft, colour)
        for i in range(half + 1):
            self.box(x1 - half + i, y - (half - i), x1 - half + i, y + (half - i), colour)

    def write_bmp(self, path):
        row_bytes = ((self.width + 1) // 2 + 3) & ~3
        rows = []
        for y in reversed(range(self.height)):  # bottom-up
            line = bytearray()
            for x in range(0, self.width, 2):
                hi = self.pixels[y][x]
                lo = self.pixels[y][x + 1] if x + 1 < self.width else 0
                line.append((hi << 4) | lo)
            line.extend(b'\0' * (row_bytes - len(line)))
            rows.append(bytes(line))
        bits = b''.join(rows)
        palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
        header = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 4, 0, len(bits),
                             2835, 2835, 16, 16)
        offset = 14 + len(header) + len(palette)
        file_header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
        with open(path, 'wb') as f:
            f.write(file_header + header + palette + bits)


def small(kind):
    p = Picture(26, 24, SILVER)
    p.frame(0, 0, 25, 23, GREY)
    # The board: a green card with gold contacts.
    p.box(9, 9, 24, 21, DARK_GREEN)
    p.box(12, 12, 18, 17, BLACK)
    for x in range(10, 24, 2):
        p.box(x, 21, x, 22, YELLOW)
    if kind == 'OUT':
        p.text(2, 2, 'OUT', FONT_3X5, RED)
        p.arrow_right(14, 25, 15, 4, RED)
    else:
        p.text(2, 2, 'IN', FONT_3X5, DARK_GREEN)
        p.arrow_right(0, 13, 15, 4, GREEN)
    return p


def large(kind):
    p = Picture(64, 46, SILVER)
    p.frame(0, 0, 63, 45, GREY)
    # A card edge-on: circuit board, a chip, contacts along the bottom.
    p.box(18, 18, 61, 39, DARK_GREEN)
    p.frame(18, 18, 61, 39, OLIVE)
    p.box(30, 23, 44, 33, BLACK)
    for x in range(31, 44, 2):
        p.box(x, 22, x, 22, SILVER)
        p.box(x, 34, x, 34, SILVER)
    for x in range(20, 60, 3):
        p.box(x, 40, x + 1, 43, YELLOW)
    if kind == 'OUT':
        p.text(3, 3, 'OUT', FONT_5X7, RED, scale=1)
        p.arrow_right(40, 63, 12, 7, RED)
    else:
        p.text(3, 3, 'IN', FONT_5X7, DARK_GREEN, scale=1)
        p.arrow_right(2, 28, 28, 7, GREEN)
    return p


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    small('OUT').write_bmp(os.path.join(here, 'ico_tovel_out.bmp'))
    small('IN').write_bmp(os.path.join(here, 'ico_tovel_in.bmp'))
    large('OUT').write_bmp(os.path.join(here, 'bm_pci_out.bmp'))
    large('IN').write_bmp(os.path.join(here, 'bm_pci_in.bmp'))


if __name__ == '__main__':
    main()
