#!/usr/bin/env python3
"""Every character in the sources must exist in code page 936: the compiler
stores narrow literals in that code page, and a character outside it would
silently turn into a sequence no Windows 936 system can show."""
import pathlib
import sys

top = pathlib.Path(__file__).resolve().parent.parent
folders = ["frame", "controls", "services", "download", "window", "installer", "tools", "bench", "tests"]
bad = []
for folder in folders:
    for path in sorted((top / folder).rglob("*")):
        if path.suffix not in {".cpp", ".h", ".rc"} or not path.is_file():
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            for ch in line:
                if ord(ch) < 0x80:
                    continue
                try:
                    ch.encode("cp936")
                except UnicodeEncodeError:
                    bad.append(f"{path.relative_to(top)}:{number}: U+{ord(ch):04X} {ch!r}")
if bad:
    print("characters outside code page 936:")
    print("\n".join(bad))
    sys.exit(1)
print("all source characters are in code page 936")
