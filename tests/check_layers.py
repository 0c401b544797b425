#!/usr/bin/env python3
"""Checks that every source folder includes only headers of its own folder
and of the folders below it, so that the layers stay one-way.

MAY_INCLUDE lists, for each folder, the folders it may include.
"""
import os
import re
import sys

MAY_INCLUDE = {
    "numeric": set(),
    "platform": set(),
    "text": {"platform"},
    "convert": {"text", "numeric"},
    "io": {"convert", "text", "platform", "numeric"},
    "app": {"io", "convert", "text", "platform", "numeric"},
    "analysis": {"numeric", "platform"},
    "frontend": {"app", "analysis", "io", "convert", "text", "platform", "numeric"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def violations(root):
    found = []
    for folder, allowed in MAY_INCLUDE.items():
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cc")):
                continue
            with open(os.path.join(path, name), encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if match and match.group(1) != folder and match.group(1) not in allowed:
                        found.append(f"{folder}/{name}:{number}: includes {match.group(1)}/")
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found = violations(root)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
