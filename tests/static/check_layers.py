#!/usr/bin/env python3
"""Checks that the panel's layers include one way: base/ only from itself,
skin/ only from base/ and itself, and no lower folder from the window above.
Prints one line per check and "N passed, N failed"."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "panel")
# What each lower folder may include from the panel's tree.
ALLOWED = {"base": ("base/",), "skin": ("base/", "skin/")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def local_headers(folder):
    return {name for name in os.listdir(os.path.join(ROOT, folder)) if name.endswith(".h")}


def violations(folder):
    own = local_headers(folder)
    found = []
    for name in sorted(os.listdir(os.path.join(ROOT, folder))):
        text = open(os.path.join(ROOT, folder, name), encoding="utf-8").read()
        for header in INCLUDE.findall(text):
            if header in own or header.startswith(ALLOWED[folder]):
                continue
            found.append(f"{folder}/{name} includes {header}")
    return found


def main():
    passed = failed = 0
    for folder in ALLOWED:
        found = violations(folder)
        if found:
            failed += 1
            print(f"FAIL - panel/{folder}/ includes from a layer above it: " + "; ".join(found))
        else:
            passed += 1
            print(f"ok - panel/{folder}/ includes only from {' and '.join(ALLOWED[folder])}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
