#!/usr/bin/env python3
"""Prints the contents of registry files written by `reg export` as sorted lines
"key<TAB>value name<TAB>data", one per value (and "key<TAB>(key)" per key), so that two
registrations can be compared line by line. A file that is missing or empty stands for a key
that is not there.

Usage: reg_dump.py FILE...
"""
import sys

lines = set()
for path in sys.argv[1:]:
    try:
        raw = open(path, "rb").read()
    except FileNotFoundError:
        continue
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8")
    key = None
    pending = ""
    for line in text.replace("\r", "").split("\n"):
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            lines.add("%s\t(key)" % key)
        elif key and "=" in line:
            name, _, data = line.partition("=") if line.startswith("@") else (
                line[:line.index('"=') + 1], "=", line[line.index('"=') + 2:])
            lines.add("%s\t%s\t%s" % (key, name, data))
for line in sorted(lines):
    print(line)
