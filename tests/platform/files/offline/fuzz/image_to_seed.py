#!/usr/bin/env python3
"""Writes an image as the fuzzer's input: its size, then each run of non-zero bytes
(at most 65,535 long) as offset, length and bytes.

    image_to_seed.py IMAGE SEED
"""
import struct
import sys

image = open(sys.argv[1], "rb").read()
out = bytearray(struct.pack("<I", len(image)))
at = 0
while at < len(image):
    if image[at] == 0:
        at += 1
        continue
    end = at
    # A run ends at 16 zeros in a row, so that short gaps do not cost a header each.
    while end < len(image) and end - at < 65535 and image[end:end + 16].strip(b"\0"):
        end += 1
    end = min(end + 0, len(image))
    out += struct.pack("<IH", at, end - at) + image[at:end]
    at = end
open(sys.argv[2], "wb").write(out)
