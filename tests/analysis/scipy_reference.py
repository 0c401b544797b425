#!/usr/bin/env python3
"""Compares the clustering of analysis/ with SciPy's linkage.

For generated matrices (random, with ties, with zeros, all equal, Euclidean
with repeated points, n = 1, 2, 3 and 300) and each method (average, single,
complete, ward) it runs `analysis_driver tree METHOD` and checks against
scipy.cluster.hierarchy: every merge's two clusters and size exactly, its
height and every cophenetic distance to 1e-12 relative, and the cophenetic
correlation to 1e-12 relative. It also reads the driver's Newick back and
checks that its inner nodes hold the same clusters as SciPy's merges at the
same heights (lengths summed from the leaves, to 1e-9 of the tallest).

Usage: scipy_reference.py DRIVER        exit status 0 when every check held,
                                        1 when one failed, 77 without SciPy
"""
import os
import sys

SKIPPED = 77  # ctest's SKIP_RETURN_CODE

try:
    import numpy as np
    from scipy.cluster import hierarchy
    from scipy.spatial.distance import pdist
except ImportError as missing:
    print("skipped: this check needs numpy and scipy (%s); Debian: python3-scipy" % missing)
    sys.exit(SKIPPED)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import close, parse_newick, parse_tree_output, run_driver  # noqa: E402

METHODS = ["average", "single", "complete", "ward"]


def cases():
    rng = np.random.default_rng(20240611)
    yield "n=2", 2, np.array([1.25])
    yield "n=2 zero", 2, np.array([0.0])
    yield "n=3", 3, np.array([2.0, 1.0, 3.0])
    yield "n=3 tie", 3, np.array([1.0, 1.0, 1.0])
    yield "n=4 line", 4, pdist(np.array([[0.0], [1.0], [3.0], [7.0]]))
    for n in (5, 12, 40):
        yield "random n=%d" % n, n, pdist(rng.normal(size=(n, 5)))
    yield "random n=300", 300, pdist(rng.normal(size=(300, 5)))
    for n in (6, 17, 60):
        yield "integer ties n=%d" % n, n, rng.integers(1, 4, size=n * (n - 1) // 2).astype(float)
    yield "ties with zeros n=25", 25, rng.integers(0, 3, size=300).astype(float)
    yield "all equal n=9", 9, np.full(36, 2.5)
    yield "all zero n=7", 7, np.zeros(21)
    grid = np.array([[x, y] for x in range(4) for y in range(4)], dtype=float)
    yield "grid 4x4 (Euclidean ties)", 16, pdist(grid)
    repeated = np.repeat(rng.normal(size=(10, 3)), 3, axis=0)
    yield "repeated points n=30", 30, pdist(repeated)
    yield "uniform n=120", 120, rng.uniform(0, 1, size=120 * 119 // 2)


def clusters_of_scipy(Z, n):
    members = [frozenset([i]) for i in range(n)]
    out = []
    for a, b, h, _ in Z:
        m = members[int(a)] | members[int(b)]
        members.append(m)
        out.append((m, h))
    return out


def clusters_of_newick(text, n, names):
    nodes, root = parse_newick(text.decode())
    index = {name: i for i, name in enumerate(names)}
    out = []

    def walk(k):
        node = nodes[k]
        if not node["children"]:
            return frozenset([index[node["label"]]]), 0.0
        leaves, height = frozenset(), 0.0
        for c in node["children"]:
            sub, h = walk(c)
            leaves |= sub
            height = h + nodes[c]["length"]
        out.append((leaves, height))
        return leaves, height

    sys.setrecursionlimit(10000)
    walk(root)
    return out


def check(driver, label, n, y, method):
    problems = []
    Z = hierarchy.linkage(y, method)
    rows, coph, corr = parse_tree_output(run_driver(driver, "tree", method, n, y))
    if len(rows) != n - 1:
        return ["%d merges, SciPy %d" % (len(rows), n - 1)]
    for k, (row, ref) in enumerate(zip(rows, Z)):
        a, b, h, size = int(row[0]), int(row[1]), float(row[2]), int(row[3])
        if (a, b, size) != (int(ref[0]), int(ref[1]), int(ref[3])):
            problems.append("merge %d: %s, SciPy %s" % (k, row, ref.tolist()))
            break
        if not close(h, ref[2]):
            problems.append("merge %d height %.17g, SciPy %.17g" % (k, h, ref[2]))
            break
    ref_corr, ref_coph = hierarchy.cophenet(Z, y)
    for k, (a, b) in enumerate(zip(coph, ref_coph)):
        if not close(a, b):
            problems.append("cophenetic %d: %.17g, SciPy %.17g" % (k, a, b))
            break
    if not close(corr, float(ref_corr)):
        problems.append("correlation %.17g, SciPy %.17g" % (corr, ref_corr))
    names = ["v%d" % i for i in range(n)]
    newick = run_driver(driver, "newick", method, n, y, names)
    ours = sorted((sorted(c), h) for c, h in clusters_of_newick(newick, n, names))
    theirs = sorted((sorted(c), h) for c, h in clusters_of_scipy(Z, n))
    scale = max(1.0, float(Z[-1][2]))
    if [c for c, _ in ours] != [c for c, _ in theirs]:
        problems.append("Newick clusters differ from SciPy's")
    elif any(abs(a - b) > 1e-9 * scale for (_, a), (_, b) in zip(ours, theirs)):
        problems.append("Newick heights differ from SciPy's")
    return problems


def main():
    driver = sys.argv[1]
    failed = passed = 0
    for label, n, y in cases():
        for method in METHODS:
            problems = check(driver, label, n, y, method)
            if problems:
                failed += 1
                print("FAIL %s %s: %s" % (label, method, "; ".join(problems)))
            else:
                passed += 1
    # n = 1: no merges, one leaf.
    rows, coph, corr = parse_tree_output(run_driver(driver, "tree", "average", 1, []))
    if rows or coph or corr == corr:
        failed += 1
        print("FAIL n=1: %s %s %s" % (rows, coph, corr))
    else:
        passed += 1
    print("scipy_reference: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
