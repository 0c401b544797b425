#!/usr/bin/env python3
"""Checks that every source folder includes only headers of its own folder
and of the folders below it, so that the layers stay one-way.

MAY_INCLUDE lists, for each folder, the folders it may include. The dialogue
(the only code with process-wide calculator state), batch mode's pipeline and
the analyses stand side by side on the shared kernels: none of the three
includes another, and the kernels include none of them.

  check_layers.py [ROOT]      prints each include that breaks the rules; exit 1 if any
  check_layers.py --self-test shows on made-up trees that each rule is enforced
"""
import os
import re
import sys
import tempfile

BELOW_KERNELS = {"io", "convert", "text", "platform", "numeric"}
MAY_INCLUDE = {
    "numeric": set(),
    "platform": set(),
    "text": {"platform"},
    "convert": {"text", "numeric"},
    "io": {"convert", "text", "platform", "numeric"},
    "kernels": BELOW_KERNELS,
    "dialogue": {"kernels"} | BELOW_KERNELS,
    "batch": {"kernels"} | BELOW_KERNELS,
    "analysis": {"kernels", "text", "numeric", "platform"},
    "frontend": {"dialogue", "batch", "analysis", "kernels"} | BELOW_KERNELS,
}
# Folders of sources that are not layers of the program itself.
OUTSIDE_LAYERS = {"tests", "fuzz", "bench", "tools", "build", "examples", "doc", "cmake"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def sources(path):
    return sorted(name for name in os.listdir(path) if name.endswith((".h", ".cc")))


def violations(root):
    found = []
    for entry in sorted(os.listdir(root)):
        path = os.path.join(root, entry)
        if (os.path.isdir(path) and not entry.startswith(".") and not entry.startswith("build")
                and entry not in MAY_INCLUDE and entry not in OUTSIDE_LAYERS and sources(path)):
            found.append(f"{entry}/: a source folder that is no layer (add it to MAY_INCLUDE)")
    for folder, allowed in MAY_INCLUDE.items():
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        for name in sources(path):
            with open(os.path.join(path, name), encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if match and match.group(1) != folder and match.group(1) not in allowed:
                        found.append(f"{folder}/{name}:{number}: includes {match.group(1)}/")
    return found


def self_test():
    """Each case: files of a made-up tree, and whether the check must refuse it."""
    cases = [
        ("clean tree", {"batch/a.cc": "kernels/k.h", "dialogue/b.cc": "kernels/k.h",
                        "analysis/c.cc": "kernels/k.h", "analysis/d.cc": "text/utf8_sequence.h",
                        "frontend/m.cc": "batch/a.h"}, False),
        ("batch includes the dialogue", {"batch/a.cc": "dialogue/calculator_data.h"}, True),
        ("dialogue includes batch", {"dialogue/b.cc": "batch/collection.h"}, True),
        ("analysis includes batch", {"analysis/c.cc": "batch/collection.h"}, True),
        ("analysis includes the dialogue", {"analysis/c.cc": "dialogue/report.h"}, True),
        ("analysis includes io", {"analysis/c.cc": "io/channels.h"}, True),
        ("kernels include the dialogue", {"kernels/k.cc": "dialogue/report.h"}, True),
        ("io includes kernels", {"io/x.cc": "kernels/k.h"}, True),
        ("a folder outside the layers", {"app/x.cc": "io/x.h"}, True),
    ]
    failed = 0
    for title, files, refused in cases:
        with tempfile.TemporaryDirectory() as root:
            for name, include in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
                with open(os.path.join(root, name), "w", encoding="utf-8") as out:
                    out.write(f'#include <vector>\n#include "{include}"\n')
            found = violations(root)
        if bool(found) != refused:
            failed += 1
            print(f"FAIL {title}: expected {'a refusal' if refused else 'no refusal'}, got {found}")
        else:
            print(f"ok   {title}: {found[0] if found else 'accepted'}")
    return 1 if failed else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found = violations(root)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
