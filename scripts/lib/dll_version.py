#!/usr/bin/env python3
"""Prints the file version of a Windows DLL as major.minor.patch (from its VS_FIXEDFILEINFO).

Usage: dll_version.py DLL
"""
import struct
import sys


def file_version(path):
    data = open(path, "rb").read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        sys.exit("%s: no version resource" % path)
    # dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16)


if __name__ == "__main__":
    print(file_version(sys.argv[1]))
