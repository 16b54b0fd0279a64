#!/usr/bin/env python3
"""Draws the installer's icon: a framed picture (sky, sun, hills), 32x32 in
the 16 standard VGA colours, written as a .ico with one 744-byte image."""
import struct
import sys

PALETTE = [  # R, G, B: the Windows 16-colour order
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_GREY, LIGHT_GREY, WHITE = 0, 8, 7, 15
SKY, SUN, HILL, FAR_HILL = 14, 11, 2, 10  # aqua, yellow, green, lime


def pixel(x, y):
    """Colour index at (x, y), y from the top; None is transparent."""
    if x < 1 or x > 30 or y < 3 or y > 28:
        return None
    if x in (1, 30) or y in (3, 28):
        return BLACK
    if x in (2, 29) or y in (4, 27):
        return LIGHT_GREY
    if (x - 21) ** 2 + (y - 10) ** 2 <= 9:
        return SUN
    if y > 26 - 0.5 * abs(x - 10) - 0 and y > 17:
        return HILL
    if y > 20 - 0.35 * abs(x - 22) and y > 14:
        return FAR_HILL
    return SKY


def main(path):
    xor_rows, and_rows = [], []
    for y in range(31, -1, -1):  # bottom-up
        nibbles, mask = [], 0
        for x in range(32):
            colour = pixel(x, y)
            nibbles.append(0 if colour is None else colour)
            if colour is None:
                mask |= 1 << (31 - x)
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, 32, 2)))
        and_rows.append(struct.pack('>I', mask))
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, 512 + 128, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    assert len(image) == 744, len(image)
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 22)
    with open(path, 'wb') as out:
        out.write(directory + image)


if __name__ == '__main__':
    main(sys.argv[1])
