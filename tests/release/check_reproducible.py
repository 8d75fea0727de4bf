#!/usr/bin/env python3
"""What makes two builds of one commit differ, looked for in the built Windows
programs and installer:
   check_reproducible.py --path DIR... FILE...
No DIR (the source and build trees) may appear inside, in ASCII or UTF-16, no
date as __DATE__ or __TIMESTAMP__ write it, and with SOURCE_DATE_EPOCH set,
each program's PE timestamp must be that time (an installer's is its stub's)."""
import argparse
import os
import re
import struct
import sys

MONTHS = b"(?:Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)"
BUILD_DATE = re.compile(MONTHS + rb" [ 0-3][0-9] (?:[0-2][0-9]:[0-5][0-9]:[0-5][0-9] )?(?:19|20)[0-9]{2}")


def pe_timestamp(data):
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    (stamp,) = struct.unpack_from("<I", data, pe_offset + 8)
    return stamp


def faults(path, data, forbidden, epoch):
    found = []
    for directory in forbidden:
        for encoding in ("ascii", "utf-16-le"):
            if directory.encode(encoding) in data:
                found.append(f"{path}: holds the path {directory} ({encoding})")
    match = BUILD_DATE.search(data)
    if match:
        found.append(f"{path}: holds a build date {match.group().decode()!r}")
    stamp = pe_timestamp(data)
    is_installer = os.path.basename(path).startswith("VANTROK-setup-")
    if epoch is not None and not is_installer and stamp != epoch:
        found.append(f"{path}: PE timestamp {stamp}, SOURCE_DATE_EPOCH is {epoch}")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--path", action="append", default=[])
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    epoch = int(epoch) if epoch else None
    forbidden = sorted({os.path.realpath(p) for p in args.path} | set(args.path))
    found = []
    for path in args.files:
        with open(path, "rb") as f:
            found += faults(path, f.read(), forbidden, epoch)
    for line in found:
        print(line)
    if epoch is None:
        print("SOURCE_DATE_EPOCH not set: PE timestamps not compared")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
