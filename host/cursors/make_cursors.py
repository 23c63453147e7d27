#!/usr/bin/env python3
"""Writes the host's cursor files (32x32, monochrome) from the pictures below.

Run it from this folder after changing a picture; the .cur files it writes are
kept in the repository so that a build needs no Python.
Picture characters: '#' black, 'o' white, '.' transparent; the '*' is white
and marks the hot spot.
"""
import struct

PEN = """
*
#o
#oo
#ooo
#oooo
#ooooo
#oooooo
#ooooooo
#oooooooo
#ooooooooo
#oooooo####
#ooo#oo#
#oo# #oo#
#o#  #oo#
##    #oo#
#     #oo#
       #oo#
       #oo#
        ##
"""

WHITE = """
*
oo
ooo
oooo
ooooo
oooooo
ooooooo
oooooooo
ooooooooo
oooooooooo
ooooooooooo
oooooooo
ooo ooooo
oo  ooooo
o    ooooo
     ooooo
      ooooo
      ooooo
       ooo
"""

LOCK = """
...........#####
.........##ooooo##
........#oo#####oo#
.......#o##.....##o#
.......#o#.......#o#
.......#o#.......#o#
.......#o#.......#o#
.......#o#.......#o#
.....###############*##
.....#ooooooooooooooooo#
.....#ooooooooooooooooo#
.....#oooooooo#oooooooo#
.....#ooooooo###ooooooo#
.....#ooooooo###ooooooo#
.....#oooooooo#oooooooo#
.....#oooooooo#oooooooo#
.....#oooooooo#oooooooo#
.....#ooooooooooooooooo#
.....#ooooooooooooooooo#
.....###################
"""


def cursor(picture):
    rows = [r for r in picture.split("\n")[1:-1]]
    rows += [""] * (32 - len(rows))
    hot = (0, 0)
    xor_rows, and_rows = [], []
    for y, row in enumerate(rows):
        row = row.ljust(32, ".")[:32]
        xor_bits = and_bits = 0
        for x, c in enumerate(row):
            bit = 1 << (31 - x)
            if c == "*":
                hot = (x, y)
                c = "o"
            if c == "o":
                xor_bits |= bit
            elif c != "#":  # ' ' and '.' are transparent
                and_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    # Bitmaps are stored bottom-up: the XOR mask, then the AND mask.
    image = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 256, 0, 0, 2, 0)
    image += bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image += b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, hot[0], hot[1], len(image), 22)
    return header + entry + image


for name, picture in (("Quillrun", PEN), ("QRWhite", WHITE), ("WinLock", LOCK)):
    with open(name + ".cur", "wb") as f:
        f.write(cursor(picture))
