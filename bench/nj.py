#!/usr/bin/env python3
"""Times neighbour-joining at collection scale, side by side in one run.

For each size n (files from the benchmark generator, n varieties x 50
traits) it runs, one after the other:
  kyori     `kyori --method=nj --tree=T --jobs=J DATA OUT`: the whole run
            (reading, standardizing, distances, the report, the tree);
  report    the same run without --tree, for the tree's share of it;
  baseline  a second kyori binary given with --baseline (e.g. a build of an
            older commit), the same command; its Newick must be the same
            bytes as kyori's;
  ape       R: read.table, scale, dist, ape::nj, write.tree; the time of
            nj() alone is shown beside the whole script's. ape's tree must
            have kyori's topology (ape::dist.topo 0) and patristic
            distances within 1e-6 of kyori's (relative to the largest).
Sizes given with --alone run kyori alone. Wall seconds and peak resident
MiB of each process, and its CPU seconds (user + system: on a loaded
machine the wall time of a run stretches, its CPU time much less); the load
average (uptime) before each size. Exits 1
when a tree differs.

Usage: bench/nj.py --kyori PATH [--baseline PATH] [--sizes 500,2000,5000]
                   [--alone 16000] [--jobs 2] [--shared ../shared/bench]
                   [--work DIR]
Needs python3, and Rscript with ape (Debian: r-cran-ape) for the ape column.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

R_SCRIPT = r"""
args <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(ape))
start <- proc.time()[["elapsed"]]
lines <- readLines(args[1])
head <- scan(text = lines[1], quiet = TRUE)
n <- head[1]
body <- lines[-(1:2)]
body <- body[nchar(body) > 0]
comma <- regexpr(",", body, fixed = TRUE)
names <- substr(body, 1, comma - 1)
values <- matrix(scan(text = substring(body, comma + 1), quiet = TRUE), nrow = length(body), byrow = TRUE)
rownames(values) <- names
d <- dist(scale(values))
joined <- proc.time()[["elapsed"]]
tree <- nj(d)
joined <- proc.time()[["elapsed"]] - joined
write.tree(tree, args[2])
cat(sprintf("%.3f %.3f\n", joined, proc.time()[["elapsed"]] - start))
"""

R_COMPARE = r"""
args <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(ape))
ours <- read.tree(args[1])
theirs <- read.tree(args[2])
topology <- dist.topo(unroot(ours), unroot(theirs))
a <- cophenetic(ours)
b <- cophenetic(theirs)[rownames(a), colnames(a)]
cat(sprintf("%g %g\n", topology, max(abs(a - b)) / max(abs(b))))
"""


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--kyori", default=os.path.join(REPO, "build", "kyori"))
    p.add_argument("--baseline")
    p.add_argument("--sizes", default="500,2000,5000")
    p.add_argument("--alone", default="")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--shared", default=os.path.join(REPO, "..", "shared", "bench"))
    p.add_argument("--work", default="/tmp/kyori_nj_bench")
    return p.parse_args()


def measured(command):
    """Runs command; returns (wall seconds, CPU seconds, peak resident MiB, stdout)."""
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if status != 0:
        sys.exit("failed (%d): %s" % (status, " ".join(command)))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0, out.decode()


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def same_bytes(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def main():
    args = parse_args()
    os.makedirs(args.work, exist_ok=True)
    rscript = shutil.which("Rscript")
    r_file = os.path.join(args.work, "ape_nj.R")
    compare_file = os.path.join(args.work, "compare.R")
    with open(r_file, "w") as f:
        f.write(R_SCRIPT)
    with open(compare_file, "w") as f:
        f.write(R_COMPARE)
    sizes = [(int(s), False) for s in args.sizes.split(",") if s]
    sizes += [(int(s), True) for s in args.alone.split(",") if s]
    failed = False
    print("%6s %-9s %9s %9s %8s  %s" % ("n", "program", "wall s", "CPU s", "MiB", "note"))
    for n, alone in sizes:
        data = os.path.join(args.work, "nj_%d.txt" % n)
        if not os.path.exists(data):
            subprocess.run([sys.executable, os.path.join(args.shared, "gen_data.py"), str(n), "50", "3", data],
                           check=True, stdout=subprocess.DEVNULL)
        print("# n = %d, load average %s" % (n, load()), flush=True)
        out = os.path.join(args.work, "out_%d.txt" % n)
        tree = os.path.join(args.work, "kyori_%d.nwk" % n)
        jobs = "--jobs=%d" % args.jobs
        wall, cpu, mib, _ = measured([args.kyori, "--method=nj", "--tree=" + tree, jobs, data, out])
        print("%6d %-9s %9.2f %9.2f %8.0f" % (n, "kyori", wall, cpu, mib), flush=True)
        wall, cpu, mib, _ = measured([args.kyori, jobs, data, out])
        print("%6d %-9s %9.2f %9.2f %8.0f  (no tree)" % (n, "report", wall, cpu, mib), flush=True)
        if alone:
            continue
        if args.baseline:
            old = os.path.join(args.work, "baseline_%d.nwk" % n)
            wall, cpu, mib, _ = measured([args.baseline, "--method=nj", "--tree=" + old, jobs, data, out])
            same = same_bytes(tree, old)
            failed = failed or not same
            print("%6d %-9s %9.2f %9.2f %8.0f  %s" % (n, "baseline", wall, cpu, mib,
                                                "same Newick bytes" if same else "NEWICK DIFFERS"), flush=True)
        if rscript:
            theirs = os.path.join(args.work, "ape_%d.nwk" % n)
            wall, cpu, mib, text = measured([rscript, "--vanilla", r_file, data, theirs])
            nj_alone, _ = text.split()
            _, _, _, text = measured([rscript, "--vanilla", compare_file, tree, theirs])
            topology, patristic = (float(v) for v in text.split())
            agree = topology == 0 and patristic < 1e-6
            failed = failed or not agree
            print("%6d %-9s %9.2f %9.2f %8.0f  nj() alone %s s; topology distance %g, patristic %.2g%s" %
                  (n, "ape", wall, cpu, mib, nj_alone, topology, patristic, "" if agree else "  TREES DIFFER"),
                  flush=True)
    print("# load average %s" % load())
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
