#!/usr/bin/env python3
"""Writes sim-keypad-VERSION.txt: a keypad image for the simulated loader.

The simulated keypad comes back from an upgrade reporting the version the image carries in its
version record: "QFWV", the version text, a zero byte, at 0xFF40. The vector table at
0xFFE0-0xFFFF is the one every keypad firmware uses, and so the loader password the utility
sends. The code bytes are filler from a hash chain: the simulator never runs them.

    make_sample.py 7.3 > sim-keypad-7.3.txt
"""
import hashlib
import sys

VECTORS = bytes([
    0x70, 0x44, 0x70, 0x44, 0x70, 0x44, 0x70, 0x44, 0x70, 0x44, 0x52, 0x44, 0x70, 0x44, 0x70, 0x44,
    0x70, 0x44, 0x48, 0x44, 0x70, 0x44, 0x70, 0x44, 0x3E, 0x44, 0x70, 0x44, 0x70, 0x44, 0x00, 0x44,
])


def filler(count, seed):
    out, i = b"", 0
    while len(out) < count:
        out += hashlib.sha256(f"{seed}-{i}".encode()).digest()
        i += 1
    return out[:count]


def section(address, data):
    lines = [f"@{address:04X}"]
    for i in range(0, len(data), 16):
        lines.append(" ".join(f"{b:02X}" for b in data[i:i + 16]))
    return lines


def main():
    version = sys.argv[1]
    start = bytes([0x31, 0x40, 0x00, 0x44, 0xB2, 0x40, 0x80, 0x5A, 0x5C, 0x01])
    code = start + filler(6 * 1024 - len(start), "code-" + version)
    tables = filler(1000, "tables-" + version)
    record = b"QFWV" + version.encode() + b"\0"
    lines = (section(0x4400, code) + section(0xFF40, record) + section(0xFFE0, VECTORS) +
             section(0x10000, tables) + ["q"])
    sys.stdout.write("\r\n".join(lines) + "\r\n")


main()
