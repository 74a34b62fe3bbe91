#!/usr/bin/env python3
"""Writes the two large ZIP archives the viewer is measured on.

nested.zip: 100,000 small entries spread over 1,000 folders (100 per folder, ten folders at
the top, each holding a hundred sub-folders); flat.zip: 100,000 small entries at the root.
Entries are stored, not compressed: the measurement is about listing, not inflating.
"""
import sys
import zipfile
from pathlib import Path


def write(path, names):
    with zipfile.ZipFile(path, "w", compression=zipfile.ZIP_STORED) as z:
        for i, name in enumerate(names):
            info = zipfile.ZipInfo(name, date_time=(2020, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0))
            z.writestr(info, b"x" * (i % 97))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    out.mkdir(parents=True, exist_ok=True)
    nested = [f"top{t:02d}/dir{d:03d}/file{f:03d}.txt" for t in range(10) for d in range(100) for f in range(100)]
    flat = [f"file{i:06d}.{('txt', 'c', 'png', 'html', 'bin')[i % 5]}" for i in range(100000)]
    if not (out / "nested.zip").exists():
        write(out / "nested.zip", nested)
    if not (out / "flat.zip").exists():
        write(out / "flat.zip", flat)


if __name__ == "__main__":
    main()
