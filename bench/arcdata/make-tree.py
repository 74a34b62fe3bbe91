#!/usr/bin/env python3
"""Writes one archive tree twice: as a scripted archive for the test libraries and as a
ZIP for the real libraries and the peer tool. 100 top folders x 10 sub-folders = 1,000
folders, 100 files each = 100,000 entries, in folder order as archivers store them.

usage: make-tree.py OUTDIR   (writes OUTDIR/tree-scripted.zip and OUTDIR/tree.zip)"""
import os
import sys
import zipfile

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
names = []
for top in range(100):
    for sub in range(10):
        for f in range(100):
            names.append(f"dir{top:03d}/sub{sub}/file{top:03d}{sub}{f:02d}.txt")

date = (2020 - 1980) << 9 | 5 << 5 | 17
time = 12 << 11 | 34 << 5 | 28
with open(os.path.join(out, "tree-scripted.zip"), "w", encoding="ascii") as s:
    s.write("TOVIKTEST\n")
    for i, n in enumerate(names):
        s.write(f"{n}\t{1000 + i}\t{500 + i // 2}\t{500}\t{date}\t{time}\t32\t{i * 2654435761 & 0xFFFFFFFF}\n")

with zipfile.ZipFile(os.path.join(out, "tree.zip"), "w", zipfile.ZIP_STORED) as z:
    for n in names:
        z.writestr(zipfile.ZipInfo(n, (2020, 5, 17, 12, 34, 56)), b"x")
