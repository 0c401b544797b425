#!/usr/bin/env python3
"""Times the tree layer beside SciPy on the same matrices.

For each size n it draws n random points in 5 dimensions (seeded), takes
their Euclidean distances, and times, side by side in one run:
  kyori  `analysis_driver time METHOD`: the clustering (or neighbour-joining)
         and the tree, measured inside the driver (reading the matrix is not
         counted; the least of three builds in one process), --runs times;
  scipy  scipy.cluster.hierarchy.linkage(condensed, METHOD), timed the
         same number of times (no neighbour-joining in SciPy: shown as -).
Both are the least of their runs: on a shared machine the least is the least
disturbed by other work.
Neighbour-joining is O(n^3) and is timed only up to --nj-max (default 2000).

Usage: bench/trees.py [--driver PATH] [--sizes 300,2000,5000] [--runs 3]
                      [--methods average,single,complete,ward,nj]
--driver defaults to build/tests/analysis_driver in the repository. Needs a
python3 with numpy and scipy (Debian: python3-scipy).
"""
import argparse
import os
import subprocess
import sys
import time

import numpy as np
from scipy.cluster import hierarchy
from scipy.spatial.distance import pdist

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--driver", default=os.path.join(REPO, "build", "tests", "analysis_driver"))
    p.add_argument("--sizes", default="300,2000,5000")
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--methods", default="average,single,complete,ward,nj")
    p.add_argument("--nj-max", type=int, default=2000)
    return p.parse_args()


def main():
    args = parse_args()
    rng = np.random.default_rng(1)
    print("%6s  %-9s %12s %12s %8s" % ("n", "method", "kyori s", "scipy s", "ratio"))
    for n in (int(s) for s in args.sizes.split(",")):
        y = pdist(rng.normal(size=(n, 5)))
        text = ("%d\n" % n + " ".join(repr(v) for v in y) + "\n").encode()
        for method in args.methods.split(","):
            if method == "nj" and n > args.nj_max:
                print("%6d  %-9s %12s %12s %8s" % (n, method, "skipped", "-", "-"))
                continue
            ours = []
            for _ in range(args.runs):
                out = subprocess.run([args.driver, "time", method], input=text,
                                     stdout=subprocess.PIPE, check=True).stdout
                ours.append(float(out))
            theirs = []
            if method != "nj":
                for _ in range(args.runs):
                    start = time.perf_counter()
                    hierarchy.linkage(y, method)
                    theirs.append(time.perf_counter() - start)
            a = min(ours)
            b = min(theirs) if theirs else None
            print("%6d  %-9s %12.4f %12s %8s" % (n, method, a, "%.4f" % b if b else "-",
                                                  "%.2f" % (a / b) if b else "-"))
            sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
