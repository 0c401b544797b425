#!/usr/bin/env python3
"""Checks that the sample's picture shown in the README is what the program
draws today: runs `kyori --svg=... examples/kyori_in.txt` and compares the
picture byte for byte with examples/kyori_in.svg.

Usage: check_sample_picture.py KYORI DATA PICTURE [--update]
--update writes the picture drawn now over PICTURE instead of comparing.
"""
import os
import subprocess
import sys
import tempfile


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    program, data, picture = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as folder:
        drawn = os.path.join(folder, "drawn.svg")
        report = os.path.join(folder, "report.txt")
        run = subprocess.run([program, "--svg=" + drawn, data, report], capture_output=True)
        if run.returncode != 0:
            print(run.stderr.decode("utf-8", "replace"))
            return 1
        with open(drawn, "rb") as f:
            now = f.read()
    if "--update" in sys.argv[4:]:
        with open(picture, "wb") as f:
            f.write(now)
        return 0
    with open(picture, "rb") as f:
        kept = f.read()
    if kept != now:
        print("%s differs from the picture the program draws now (%d bytes against %d);"
              " regenerate it with: %s %s %s %s --update"
              % (picture, len(kept), len(now), sys.argv[0], program, data, picture))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
