#!/usr/bin/env python3
"""Writes MBT files of many shapes (valid and broken) for cross-checking."""
import os
import random
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
rnd = random.Random(20261209)
letters = "CcDdEFfGgAaB"


def row(cols):
    return "".join(rnd.choice("O\xa5\xa5\xa5\xa5 x") for _ in range(cols + rnd.randint(-3, 3)))


for i in range(60):
    cols = rnd.randint(0, 40)
    lines = []
    for _ in range(rnd.randint(0, 4)):
        lines.append(rnd.choice(["Title", "曲名テスト", "", "  spaced  ", "line\twith tab"]))
    if rnd.random() < 0.4:
        lines.append("%s%d" % (rnd.choice(["+Line", "+line", "+LINE"]), rnd.randint(0, 7)))
    for _ in range(rnd.randint(0, 3)):
        lines.append("%s%d    %d" % (rnd.choice(["%PL", "%pl"]), rnd.randint(0, 12), rnd.randint(-3, 3)))
    if rnd.random() < 0.9:
        lines.append(rnd.choice(["MBT_DATA", " MBT_DATA ", "MBT_DATA\t"]))
    lines.append(str(rnd.choice([750, 751, 3, 8, 1000, 0, rnd.randint(1, 2000)])))
    lines.append(str(rnd.choice([4, 3, 8, 6, 1, rnd.randint(1, 16)])))
    lines.append(str(rnd.choice([4, 8, 16, 2])))
    lines.append("".join(rnd.choice("3456") for _ in range(cols)))
    lines.append("".join(rnd.choice(letters) for _ in range(cols)))
    n = rnd.randint(0, 120)
    for _ in range(n):
        lines.append(row(cols) if rnd.random() < 0.8 else "")
    if rnd.random() < 0.7:
        lines.append("ENDofDATA %d lines" % n)
        if rnd.random() < 0.3:
            lines.append(row(cols))
    sep = "\r\n" if rnd.random() < 0.8 else "\n"
    data = sep.join(lines) + (sep if rnd.random() < 0.9 else "")
    with open(os.path.join(out, "case%02d.mbt" % i), "wb") as f:
        f.write(data.encode("cp932", errors="replace"))
