#!/usr/bin/env python3
"""Principal components and groups at collection scale, beside R (and NumPy).

Principal components: for each size N x M a table of correlated random
traits is generated (seeded) and written once; then, side by side in one
run, each on the same table:
  kyori  `multivariate_driver time-pca`: ComputePca on the standardized
         values (reading and standardizing not counted), the least of three
         in one process;
  R      prcomp(x, scale. = TRUE), the least of --runs (reading not counted);
  NumPy  the same components by the SVD of the standardized values
         (np.linalg.svd, full_matrices=False, then the scores), the least of
         --runs; shown as - where numpy is missing.
Groups: N varieties of 20 traits in a few clumps; average linkage, then every
k from 2 to 10 cut with its silhouette (kyori: ChooseGroupCount; R: cutree and
cluster::silhouette for each k, and the mean width):
  kyori  `multivariate_driver time-groups average`: the linkage and the
         choice, each the least of three in one process (the distances,
         taken as batch mode does, not counted);
  R      hclust(d, "average") and the nine cuts with silhouette, the least
         of --runs each (dist(scale(x)) not counted).
With --program PATH (the built kyori) each table is also written as a CSV
file and the whole batch run is timed, the least of --runs: `kyori
--arithmetic=accurate --pca=P TABLE.csv /dev/null` and `kyori
--arithmetic=accurate --groups=G.csv TABLE.csv /dev/null` (reading the table,
standardizing, the distances and the report, the tree, writing every file).

Usage: bench/multivariate.py [--driver PATH] [--pca-sizes 10000x200,2000x2000]
                             [--group-sizes 5000] [--runs 3] [--program PATH]
--driver defaults to build-release/tests/multivariate_driver, else
build/tests/multivariate_driver (build it with -DCMAKE_BUILD_TYPE=Release for
these figures). Needs Rscript with the cluster package.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--driver", default=None)
    p.add_argument("--pca-sizes", default="10000x200,2000x2000")
    p.add_argument("--group-sizes", default="5000")
    p.add_argument("--runs", type=int, default=3)
    p.add_argument("--program", default=None, help="the built kyori, to time whole batch runs too")
    return p.parse_args()


def default_driver():
    for build in ("build-release", "build"):
        path = os.path.join(REPO, build, "tests", "multivariate_driver")
        if os.path.exists(path):
            return path
    raise SystemExit("no multivariate_driver: build it first (cmake --build build --target multivariate_driver)")


def write_table(path, n, m, clumps, seed):
    """n x m values: a few latent factors (or clumps) plus noise."""
    rng = random.Random(seed)
    factors = 5
    mix = [[rng.gauss(0, 1) for _ in range(m)] for _ in range(factors)]
    centres = [[rng.gauss(0, 3) for _ in range(m)] for _ in range(clumps)]
    with open(path, "w") as out:
        out.write("%d %d\n" % (n, m))
        for i in range(n):
            latent = [rng.gauss(0, 1) for _ in range(factors)]
            centre = centres[i % clumps] if clumps else None
            row = []
            for j in range(m):
                v = sum(latent[f] * mix[f][j] for f in range(factors)) + rng.gauss(0, 1)
                if centre:
                    v += centre[j]
                row.append("%.9g" % v)
            out.write(" ".join(row) + "\n")


def as_csv(table, path):
    """The driver's table (counts, then rows of values) as a CSV data file
    for the program: a header of trait names, then each row named."""
    with open(table) as f, open(path, "w") as out:
        n, m = map(int, f.readline().split())
        out.write("variety," + ",".join("T%d" % (j + 1) for j in range(m)) + "\n")
        for i, line in enumerate(f):
            out.write("V%d,%s\n" % (i + 1, ",".join(line.split())))


def whole_run(program, options, table, runs):
    """The least wall seconds of `runs` batch runs of `program` with
    `options` on the table (as CSV), OUTPUT to /dev/null."""
    folder = os.path.dirname(table)
    data = table + ".csv"
    as_csv(table, data)
    best = None
    for _ in range(runs):
        started = time.perf_counter()
        run([program, "--arithmetic=accurate"] + [o.replace("FOLDER", folder) for o in options] + [data, "/dev/null"])
        elapsed = time.perf_counter() - started
        best = elapsed if best is None or elapsed < best else best
    os.remove(data)
    return "%.3f" % best


def run(command, stdin_path=None):
    with open(stdin_path, "rb") if stdin_path else open(os.devnull, "rb") as stdin:
        out = subprocess.run(command, stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if out.returncode != 0:
        raise SystemExit("failed: %s\n%s" % (" ".join(command), out.stderr.decode()))
    return out.stdout.decode()


R_READ = r'''
read_table <- function(path) {
  con <- file(path, "r")
  counts <- scan(con, n = 2, quiet = TRUE)
  x <- matrix(scan(con, quiet = TRUE), counts[1], counts[2], byrow = TRUE)
  close(con)
  x
}
least <- function(runs, f) min(sapply(seq_len(runs), function(i) system.time(f())[["elapsed"]]))
args <- commandArgs(trailingOnly = TRUE)
x <- read_table(args[1])
runs <- as.integer(args[2])
'''

R_PCA = R_READ + r'''
cat(sprintf("%.6f\n", least(runs, function() prcomp(x, scale. = TRUE))))
cat(La_library(), "\n", file = stderr())
'''

R_GROUPS = R_READ + r'''
suppressPackageStartupMessages(library(cluster))
d <- dist(scale(x))
h <- NULL
linkage <- least(runs, function() h <<- hclust(d, "average"))
widths <- NULL
choose <- least(runs, function() widths <<- sapply(2:10, function(k) mean(silhouette(cutree(h, k), d)[, 3])))
cat(sprintf("linkage %.6f\nchoose %.6f\nk %d\n", linkage, choose, which.max(widths) + 1))
'''

NUMPY_PCA = r'''
import sys, time
import numpy as np
with open(sys.argv[1]) as f:
    n, m = map(int, f.readline().split())
    x = np.loadtxt(f).reshape(n, m)
z = (x - x.mean(axis=0)) / x.std(axis=0, ddof=1)
def components():
    u, s, vt = np.linalg.svd(z, full_matrices=False)
    return s / np.sqrt(n - 1), vt.T, z @ vt.T
best = None
for _ in range(int(sys.argv[2])):
    t0 = time.perf_counter()
    components()
    t = time.perf_counter() - t0
    best = t if best is None or t < best else best
print("%.6f" % best)
'''


def python_with_numpy():
    for candidate in (sys.executable, "/usr/bin/python3"):
        if candidate and os.path.exists(candidate) and subprocess.run(
                [candidate, "-c", "import numpy"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            return candidate
    return None


def machine():
    model = "unknown CPU"
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return "%s, %d cores visible" % (model, os.cpu_count() or 0)


def main():
    args = parse_args()
    driver = args.driver or default_driver()
    rscript = shutil.which("Rscript")
    numpy_python = python_with_numpy()
    folder = tempfile.mkdtemp(prefix="kyori-multivariate-bench-")
    print("machine: %s (shared with other work: the least of the runs is shown)" % machine())
    try:
        print("\n| principal components | kyori s | R prcomp s | NumPy SVD s | kyori --pca, whole run s |")
        print("| --- | ---: | ---: | ---: | ---: |")
        blas = ""
        for size in args.pca_sizes.split(","):
            n, m = (int(v) for v in size.split("x"))
            table = os.path.join(folder, "pca_%s.txt" % size)
            write_table(table, n, m, 0, 1)
            ours = float(run([driver, "time-pca"], table))
            theirs = "-"
            if rscript:
                out = subprocess.run([rscript, "-e", R_PCA, table, str(args.runs)], capture_output=True, text=True)
                theirs = "%.3f" % float(out.stdout)
                blas = out.stderr.strip()
            svd = "-"
            if numpy_python:
                svd = "%.3f" % float(run([numpy_python, "-c", NUMPY_PCA, table, str(args.runs)]))
            program = "-"
            if args.program:
                program = whole_run(args.program, ["--pca=FOLDER/p"], table, args.runs)
            print("| %s x %s | %.3f | %s | %s | %s |" % (format(n, ","), format(m, ","), ours, theirs, svd, program))
            os.remove(table)
        if blas:
            print("\nR's LAPACK: %s" % blas)
        print("\n| groups (average, k = 2..10) | kyori linkage s | kyori choice s | R hclust s | R cutree + silhouette s "
              "| k kyori / R | kyori --groups, whole run s |")
        print("| --- | ---: | ---: | ---: | ---: | --- | ---: |")
        for size in args.group_sizes.split(","):
            n = int(size)
            table = os.path.join(folder, "groups_%d.txt" % n)
            write_table(table, n, 20, 6, 2)
            ours = dict(line.split() for line in run([driver, "time-groups", "average"], table).split("\n") if line)
            theirs = {"linkage": "-", "choose": "-", "k": "-"}
            if rscript:
                out = run([rscript, "-e", R_GROUPS, table, str(args.runs)])
                theirs = dict(line.split() for line in out.split("\n") if line)
            program = "-"
            if args.program:
                program = whole_run(args.program, ["--groups=FOLDER/g.csv"], table, args.runs)
            print("| %s x 20 | %.3f | %.3f | %s | %s | %s / %s | %s |" % (
                format(n, ","), float(ours["linkage"]), float(ours["choose"]), theirs["linkage"][:5],
                theirs["choose"][:5], ours["k"], theirs["k"], program))
            os.remove(table)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
