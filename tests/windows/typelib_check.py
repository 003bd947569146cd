#!/usr/bin/env python3
"""Checks the type library embedded in scTAVExt.dll without running the DLL.

Usage: typelib_check.py DLL guids.h win32|win64

Finds resource TYPELIB 1 in the PE file, checks that it is an MSFT type library built for
the DLL's platform, that it holds the library's seven GUIDs from guids.h and the names of
the three classes, their default interfaces and Show with its parameters, and that it
imports no library but stdole2.tlb.
"""
import os
import re
import struct
import sys
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib"))
from pe_resources import resource, rva_to_offset, sections  # noqa: E402,F401


def main():
    dll, guids_h, platform = sys.argv[1:4]
    pe = open(dll, "rb").read()
    magic, secs, rsrc_rva = sections(pe)
    failures = []
    want_magic = 0x10B if platform == "win32" else 0x20B
    if magic != want_magic:
        failures.append("PE magic %#x, expected %#x for %s" % (magic, want_magic, platform))
    tlb = resource(pe, secs, rsrc_rva, "TYPELIB", 1)
    if tlb is None:
        print("FAILED: no TYPELIB 1 resource in %s" % dll)
        return 1
    if tlb[:4] != b"MSFT":
        failures.append("TYPELIB 1 is not an MSFT type library")
    syskind = struct.unpack_from("<I", tlb, 0x14)[0] & 0xF
    want_syskind = 1 if platform == "win32" else 3
    if syskind != want_syskind:
        failures.append("type library syskind %d, expected %d" % (syskind, want_syskind))
    text = open(guids_h).read()
    guids = re.findall(r"#define SCTAV_UUID_(LIBID|CLSID_\w+|IID_(?:BILL|LIST1?))\s+([0-9a-f-]{36})", text)
    if len(guids) != 7:
        failures.append("guids.h: expected 7 public GUIDs, found %d" % len(guids))
    for name, value in guids:
        if uuid.UUID(value).bytes_le not in tlb:
            failures.append("GUID %s (%s) missing from the type library" % (name, value))
    for name in ["scTAVExt", "scTransferBillExt", "scTransferListExt", "scTransferListExt1",
                 "_scTransferBillExt", "_scTransferListExt", "_scTransferListExt1", "Show",
                 "oBillInterface", "oListInterface"]:
        if name.encode() not in tlb:
            failures.append("name %s missing from the type library" % name)
    imports = set(m.decode().lower() for m in re.findall(rb"[\w.]+\.tlb", tlb))
    if imports != {"stdole2.tlb"}:
        failures.append("imported libraries %s, expected only stdole2.tlb" % sorted(imports))
    for f in failures:
        print("FAILED: %s: %s" % (dll, f))
    if not failures:
        print("typelib ok: %s (%s, %d bytes)" % (dll, platform, len(tlb)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
