#!/usr/bin/env python3
"""Reads or sets the FileAttributes of one entry of an exFAT image, writing nothing but
that field and its entry set's SetChecksum: the tests' own way of hiding entries, apart
from the program under test.

    exfat_attributes.py get IMAGE /PATH/TO/ENTRY       prints the attributes, 0x..
    exfat_attributes.py set IMAGE /PATH/TO/ENTRY 0x26  sets them
    exfat_attributes.py hide-all IMAGE                 sets Hidden and System everywhere
"""
import struct
import sys


def main():
    command, image = sys.argv[1:3]
    path = sys.argv[3] if len(sys.argv) > 3 else "/"
    with open(image, "r+b") as disk:
        boot = disk.read(512)
        sector = 1 << boot[108]
        cluster = sector << boot[109]
        fat_offset = struct.unpack_from("<I", boot, 80)[0] * sector
        heap = struct.unpack_from("<I", boot, 88)[0] * sector

        def next_cluster(c):
            disk.seek(fat_offset + 4 * c)
            return struct.unpack("<I", disk.read(4))[0]

        def slots(first, contiguous, length):
            """(offset, 32 bytes) of each slot of a folder, along its clusters."""
            c, read = first, 0
            while c not in (0, 0xFFFFFFFF) and (length is None or read < length):
                base = heap + (c - 2) * cluster
                for i in range(0, cluster, 32):
                    disk.seek(base + i)
                    yield base + i, disk.read(32)
                read += cluster
                c = c + 1 if contiguous else next_cluster(c)

        def find(folder, name):
            entries = list(slots(*folder))
            for i, (offset, slot) in enumerate(entries):
                if slot[0] != 0x85:
                    continue
                count = slot[1]
                chosen = entries[i:i + count + 1]
                stream = chosen[1][1]
                length = stream[3]
                text = b"".join(s[2:32] for _, s in chosen[2:]).decode("utf-16-le")[:length]
                if text == name:
                    first = struct.unpack_from("<I", stream, 20)[0]
                    size = struct.unpack_from("<Q", stream, 24)[0]
                    return chosen, (first, bool(stream[1] & 2), size)
            sys.exit(f"no entry {name}")

        def write_attributes(chosen, value):
            offset, file_entry = chosen[0]
            entry = bytearray(file_entry)
            struct.pack_into("<H", entry, 4, value)
            data = bytes(entry) + b"".join(s for _, s in chosen[1:])
            checksum = 0
            for i, byte in enumerate(data):
                if i not in (2, 3):
                    checksum = (((checksum & 1) << 15) + (checksum >> 1) + byte) & 0xFFFF
            struct.pack_into("<H", entry, 2, checksum)
            disk.seek(offset)
            disk.write(entry)

        def hide_all(folder):
            entries = list(slots(*folder))
            for i, (offset, slot) in enumerate(entries):
                if slot[0] != 0x85:
                    continue
                chosen = entries[i:i + slot[1] + 1]
                stream = chosen[1][1]
                attributes = struct.unpack_from("<H", slot, 4)[0]
                write_attributes(chosen, attributes | 0x06)
                if attributes & 0x10:
                    first = struct.unpack_from("<I", stream, 20)[0]
                    size = struct.unpack_from("<Q", stream, 24)[0]
                    hide_all((first, bool(stream[1] & 2), size))

        root = struct.unpack_from("<I", boot, 96)[0]
        folder = (root, False, None)
        if command == "hide-all":
            hide_all(folder)
            return
        parts = [p for p in path.split("/") if p]
        for part in parts[:-1]:
            _, folder = find(folder, part)
        chosen, _ = find(folder, parts[-1])
        offset, file_entry = chosen[0]
        if command == "get":
            print(hex(struct.unpack_from("<H", file_entry, 4)[0]))
            return
        write_attributes(chosen, int(sys.argv[4], 16))

main()
