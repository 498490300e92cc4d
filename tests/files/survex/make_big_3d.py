#!/usr/bin/env python3
"""Writes a version 8 .3d file of about 50,000 legs (500 traverses of 99 legs
off a 500-leg main line, with a splay every tenth station) for timing the
reader by hand:  make_big_3d.py big.3d
"""
import random
import struct
import sys

random.seed(2)
out = bytearray(b"Survex 3D Image File\nv8\nbig\x00EPSG:32634\n@1700000000\n\x00")
out += b"\x00"  # normal style
label = b""


def set_label(new):
    """Label change from the current label to `new`, in the short form."""
    global label
    k = 0
    while k < min(len(label), len(new)) and label[k] == new[k]:
        k += 1
    drop, add = len(label) - k, new[k:]
    label = new
    if drop < 16 and len(add) < 16 and (drop or add):
        return bytes([drop << 4 | len(add)]) + add
    return bytes([0, drop, len(add)]) + add


def point(p):
    return struct.pack("<iii", *p)


def step(p, h, v):
    return (p[0] + random.randint(-h, h), p[1] + random.randint(-h, h),
            p[2] + random.randint(-v, v))


main = [(40000000, 540000000, 150000)]
for _ in range(500):
    main.append(step(main[-1], 500, 150))
out += b"\x0f" + point(main[0])
out += b"\x40" + set_label(b"big.m") + point(main[1])
for p in main[2:]:
    out += b"\x60" + point(p)
legs = 500
traverse = 0
while legs < 50000:
    p = main[traverse % 500]
    out += b"\x0f" + point(p)
    for j in range(99):
        p = step(p, 400, 150)
        if j == 0:
            out += b"\x40" + set_label(b"big.b%d" % traverse)
        else:
            out += b"\x60"
        out += point(p)
        legs += 1
        if j % 10 == 0:
            out += b"\x64" + point(step(p, 200, 0)) + b"\x0f" + point(p)
    traverse += 1
out += b"\x84" + set_label(b"big.m.0") + point(main[0])
out += b"\x00"
with open(sys.argv[1], "wb") as f:
    f.write(out)
print(f"{legs} legs, {len(out)} bytes")
