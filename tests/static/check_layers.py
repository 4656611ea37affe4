#!/usr/bin/env python3
"""Checks that every folder of the panel includes only from itself and from the
folders it uses, as panel/CMakeLists.txt declares them (carrow_folder(NAME USES
...)), and never by a path that climbs out of its folder ("../").  The build
refuses the first kind through its include roots; this catches both without
building.  Prints one line per folder and "N passed, N failed"."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "panel")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
FOLDER = re.compile(r"^carrow_folder\((\w+)((?:[ \t]+USES(?:[ \t]+\w+)+)?)", re.M)


def declared_uses():
    text = open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8").read()
    return {name: uses.split()[1:] for name, uses in FOLDER.findall(text)}


def violations(folder, uses):
    allowed = tuple(f"{name}/" for name in [folder] + uses)
    own = set(os.listdir(os.path.join(ROOT, folder)))
    found = []
    for name in sorted(own):
        text = open(os.path.join(ROOT, folder, name), encoding="utf-8", errors="replace").read()
        for header in INCLUDE.findall(text):
            if ".." in header.split("/") or not (header in own or header.startswith(allowed)):
                found.append(f"{folder}/{name} includes {header}")
    return found


def main():
    passed = failed = 0
    for folder, uses in declared_uses().items():
        found = violations(folder, uses)
        if found:
            failed += 1
            print(f"FAIL - panel/{folder}/ includes from a folder it does not use: " + "; ".join(found))
        else:
            passed += 1
            print(f"ok - panel/{folder}/ includes only from {' and '.join([folder] + uses)}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
