#!/usr/bin/env python3
"""Draws the loader's icon TAMPLO (32x32, 32-bit): a flash chip with an arrow into it."""
import struct
import sys

W = H = 32


def pixel(x, y):
    # arrow from the top into the chip
    if 14 <= x <= 17 and 1 <= y <= 9:
        return (0x20, 0x60, 0xE0, 255)
    if 10 <= y <= 13 and abs(x - 15.5) <= 13 - y + 0.5:
        return (0x20, 0x60, 0xE0, 255)
    # chip body with pins
    if 8 <= x <= 23 and 15 <= y <= 29:
        return (0x30, 0x30, 0x30, 255)
    if (x in (5, 6, 7) or x in (24, 25, 26)) and 16 <= y <= 28 and (y - 16) % 3 != 2:
        return (0xC0, 0xC0, 0xC0, 255)
    return (0, 0, 0, 0)


def main(path):
    rows = []
    for y in reversed(range(H)):  # bottom-up
        for x in range(W):
            r, g, b, a = pixel(x, y)
            rows.append(struct.pack("<BBBB", b, g, r, a))
    xor = b"".join(rows)
    mask = b"\0" * (H * 4)  # 32 bits a row, alpha decides
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as f:
        f.write(ico + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tamplo.ico")
