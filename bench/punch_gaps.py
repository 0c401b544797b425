#!/usr/bin/env python3
"""Punches gaps into a data file in the kyori layout: each value becomes NA
with probability SHARE, at a fixed SEED; the counts, names and every other
value are kept byte for byte.

    python3 bench/punch_gaps.py IN OUT SHARE SEED

For files of the benchmark generator (gen_data.py: the counts, the trait
names on one line, then one line per variety, "name,v1 v2 ... vm"). The
first two varieties keep all their values, so that every trait keeps at
least two present values. Prints how many values it punched.
"""
import random
import sys


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: punch_gaps.py IN OUT SHARE SEED")
    source, target, share, seed = sys.argv[1], sys.argv[2], float(sys.argv[3]), int(sys.argv[4])
    rng = random.Random(seed)
    with open(source, "rb") as f:
        lines = f.read().split(b"\r\n")
    n = int(lines[0].split()[0])
    punched = 0
    for i in range(2, 2 + n):
        name, values = lines[i].split(b",", 1)
        fields = values.split(b" ")
        for k in range(len(fields)):
            if i >= 4 and rng.random() < share:
                fields[k] = b"NA"
                punched += 1
        lines[i] = name + b"," + b" ".join(fields)
    with open(target, "wb") as f:
        f.write(b"\r\n".join(lines))
    print(punched)


if __name__ == "__main__":
    main()
