#!/usr/bin/env python3
"""Large collections: kyori's batch mode beside the same job in SciPy and R.

For each size N x M a data file is generated with gen_data.py, then each
program runs in turn (best of --runs), its wall time and peak resident memory
taken from the child's resource usage:
  kyori   build-bench/kyori --arithmetic=compatible DATA OUTPUT (batch mode,
          default --jobs; the arithmetic the figures in the README were
          measured in, which is no longer the default beyond 300);
  scipy   peer_scipy.py: z-score (ddof=1), pdist, squareform, text out;
  R       peer_r.R: scale, dist, as.matrix, text out.
Then the tree: kyori with --tree=FILE --method=average against SciPy's
linkage(method='average') on the same condensed matrix (the linkage call
alone is timed, the matrix handed over in memory).

Usage: bench/large.py [--shared DIR] [--program PATH] [--runs N]
                      [--sizes 1000x50,5000x50,10000x20] [--tree-sizes 5000]
                      [--no-r] [--r-sizes 1000x50,5000x50]
Prints a table in Markdown.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run_measured(command):
    """Runs `command`, returns (wall seconds, peak RSS in MiB)."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit("failed (status %d): %s" % (status, " ".join(command)))
    return wall, usage.ru_maxrss / 1024.0


def best_of(runs, command):
    results = [run_measured(command) for _ in range(runs)]
    return min(r[0] for r in results), max(r[1] for r in results)


def scipy_linkage_seconds(python, data, runs):
    script = r'''
import re, sys, time
import numpy as np
from scipy.cluster.hierarchy import linkage
from scipy.spatial.distance import pdist
text = open(sys.argv[1], encoding="latin-1").read().split("\n")
n = int(text[0].split()[0])
rows = [line.split(",", 1)[1].split() for line in text[2:2 + n]]
x = np.array(rows, dtype=float)
z = (x - x.mean(axis=0)) / x.std(axis=0, ddof=1)
d = pdist(z)
best = min((lambda t0: (linkage(d, method="average"), time.perf_counter() - t0)[1])(time.perf_counter())
           for _ in range(int(sys.argv[2])))
print(best)
'''
    out = subprocess.run([python, "-c", script, data, str(runs)], capture_output=True, text=True, check=True)
    return float(out.stdout.strip())


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--shared", default=os.path.join(os.path.dirname(REPO), "shared", "bench"))
    p.add_argument("--program", default=os.path.join(REPO, "build-bench", "kyori"))
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--sizes", default="1000x50,5000x50,10000x20")
    p.add_argument("--tree-sizes", default="5000")
    p.add_argument("--no-r", action="store_true")
    p.add_argument("--r-sizes", default="1000x50,5000x50",
                   help="the sizes R runs (its text output takes minutes beyond)")
    args = p.parse_args()
    if not os.path.exists(args.program):
        build = os.path.dirname(args.program)
        subprocess.run(["cmake", "-S", REPO, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                        "-DKYORI_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build, "-j2", "--target", "kyori"], check=True,
                       stdout=subprocess.DEVNULL)
    python = "/usr/bin/python3"
    rscript = shutil.which("Rscript")
    work = tempfile.mkdtemp(prefix="kyori-large-")
    try:
        print("| size | kyori s | kyori MiB | SciPy s | SciPy MiB | R s | R MiB | SciPy / kyori |")
        print("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
        for size in args.sizes.split(","):
            n, m = (int(v) for v in size.split("x"))
            data = os.path.join(work, "data_%s.txt" % size)
            subprocess.run([python, os.path.join(args.shared, "gen_data.py"), str(n), str(m), "1", data],
                           check=True, stdout=subprocess.DEVNULL)
            out = os.path.join(work, "out.txt")
            k = best_of(args.runs, [args.program, "--arithmetic=compatible", data, out])
            s = best_of(args.runs, [python, os.path.join(args.shared, "peer_scipy.py"), data, out])
            if rscript and not args.no_r and size in args.r_sizes.split(","):
                r = best_of(1, [rscript, "--vanilla", os.path.join(args.shared, "peer_r.R"), data, out])
            else:
                r = (float("nan"), float("nan"))
            print("| %s | %.2f | %.0f | %.2f | %.0f | %.2f | %.0f | %.1fx |" %
                  (size, k[0], k[1], s[0], s[1], r[0], r[1], s[0] / k[0]))
            sys.stdout.flush()
        print()
        print("| tree (average) | kyori report + tree s | kyori report s | kyori tree s | SciPy linkage s | ratio |")
        print("| --- | ---: | ---: | ---: | ---: | ---: |")
        for size in args.tree_sizes.split(","):
            n = int(size)
            data = os.path.join(work, "tree_%d.txt" % n)
            subprocess.run([python, os.path.join(args.shared, "gen_data.py"), str(n), "50", "2", data],
                           check=True, stdout=subprocess.DEVNULL)
            out = os.path.join(work, "out.txt")
            tree = os.path.join(work, "tree.nwk")
            with_tree = best_of(args.runs, [args.program, "--arithmetic=compatible", "--tree=" + tree, data, out])[0]
            without = best_of(args.runs, [args.program, "--arithmetic=compatible", data, out])[0]
            linkage = scipy_linkage_seconds(python, data, args.runs)
            own = with_tree - without
            print("| %d | %.2f | %.2f | %.2f | %.2f | %.2fx |" % (n, with_tree, without, own, linkage, own / linkage))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
