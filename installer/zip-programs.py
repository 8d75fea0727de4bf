#!/usr/bin/env python3
"""Zips programs under their own names, the same bytes every time:
   zip-programs.py --epoch SECONDS OUT.zip PROGRAM...
Entries in the order given, all dated SECONDS (UTC, the commit's time in a
release), with fixed permissions and no directory of the build machine."""
import argparse
import os
import time
import zipfile


def zip_programs(out, programs, epoch):
    # A zip's times have two-second steps and start in 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(out, "w") as archive:
        for program in programs:
            entry = zipfile.ZipInfo(os.path.basename(program), date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so the permissions below are read
            entry.external_attr = 0o100755 << 16
            with open(program, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--epoch", type=int, required=True)
    parser.add_argument("out")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    names = [os.path.basename(p) for p in args.programs]
    if len(set(names)) != len(names):
        parser.error("two programs of one name")
    zip_programs(args.out, args.programs, args.epoch)


if __name__ == "__main__":
    main()
