#!/usr/bin/env python3
"""Writes a Japanese text of exactly 1,000,000 bytes in each of EUC-JP, ISO-2022-JP, UTF-8 and
UTF-16LE into the folder given. Every JIS X 0208 character turns up, mixed with ASCII words, so
that the decoders meet a realistic spread of characters rather than one repeated line."""
import os
import sys

SIZE = 1_000_000

def jis_characters():
    chars = []
    for row in range(0xA1, 0xF5):
        for cell in range(0xA1, 0xFF):
            try:
                chars.append(bytes([row, cell]).decode("euc_jp"))
            except UnicodeDecodeError:
                pass
    return chars

def lines():
    chars = jis_characters()
    words = ["text", "viewer", "archive", "LZH", "2026", "(EUC)", "ISO-2022-JP", "a=b;", "\\path\\"]
    i = 0
    n = 0
    while True:
        parts = []
        for k in range(6):
            parts.append("".join(chars[(i + j) % len(chars)] for j in range(5)))
            parts.append(words[(n + k) % len(words)])
            i += 5
        n += 1
        yield " ".join(parts) + "\n"

def write(folder, name, codec, pad):
    out = bytearray()
    for line in lines():
        data = line.encode(codec)
        if len(out) + len(data) > SIZE:
            break
        out += data
    # Filler up to the exact size, ending in a line end like every other line.
    rest = SIZE - len(out)
    out += pad * (rest // len(pad) - 1) + "\n".encode(codec)
    assert len(out) == SIZE, (name, len(out))
    with open(os.path.join(folder, name), "wb") as f:
        f.write(out)

folder = sys.argv[1]
write(folder, "euc-jp.txt", "euc_jp", b"x")
write(folder, "iso-2022-jp.txt", "iso2022_jp", b"x")
write(folder, "utf-8.txt", "utf-8", b"x")
write(folder, "utf-16le.txt", "utf-16-le", b"x\0")
