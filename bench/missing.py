#!/usr/bin/env python3
"""Missing values: what gaps cost a whole batch run.

A data file of N x M from the benchmark generator (gen_data.py), and the same
file with a share of its values punched to NA (bench/punch_gaps.py); kyori
runs on both in turn, in the same arithmetic (accurate: both are beyond 300
varieties, and a file with gaps takes it), each job once per round, the
rounds alternating which file goes first. Wall time and peak resident memory
come from /usr/bin/time -v (the child's own figures where it is missing).
The load average is printed before and after: compare figures of one run
only, and trust them only from a quiet machine.

Usage: bench/missing.py [--shared DIR] [--program PATH] [--runs N]
                        [--size 5000x50] [--share 0.10] [--jobs ...]
Prints a table in Markdown: for each job (the report; the distances as CSV;
the report with an average-linkage tree), the best wall seconds and the
peak MiB of the complete file and of the file with gaps, and their ratio.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
JOBS = {
    "report": [],
    "csv": ["--format=csv"],
    "report + tree": ["--tree=t.nwk"],
}


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def run_measured(command, folder):
    """(wall seconds, peak resident MiB) of one run, the peak as
    /usr/bin/time -v reports it (else the child's resource usage); exits on
    a failure."""
    timed = os.path.exists("/usr/bin/time")
    start = time.perf_counter()
    child = subprocess.Popen((["/usr/bin/time", "-v"] if timed else []) + command, cwd=folder,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit("failed (status %d): %s\n%s" % (status, " ".join(command), err.decode()[-2000:]))
    peak = re.search(rb"Maximum resident set size \(kbytes\): (\d+)", err) if timed else None
    return wall, (int(peak.group(1)) if peak else usage.ru_maxrss) / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--shared", default=os.path.join(REPO, "..", "shared", "bench"))
    parser.add_argument("--program", default=os.path.join(REPO, "build", "kyori"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--size", default="5000x50")
    parser.add_argument("--share", type=float, default=0.10)
    parser.add_argument("--jobs", nargs="*", default=list(JOBS), choices=list(JOBS))
    args = parser.parse_args()
    n, m = (int(v) for v in args.size.split("x"))
    program = os.path.abspath(args.program)
    folder = tempfile.mkdtemp(prefix="kyori-missing-bench-")
    try:
        complete = os.path.join(folder, "complete.txt")
        gaps = os.path.join(folder, "gaps.txt")
        subprocess.run([sys.executable, os.path.join(args.shared, "gen_data.py"), str(n), str(m), "1", complete],
                       check=True)
        punched = subprocess.run([sys.executable, os.path.join(REPO, "bench", "punch_gaps.py"), complete, gaps,
                                  str(args.share), "2"], check=True, capture_output=True, text=True).stdout.strip()
        print("%d x %d, %s of %d values punched to NA; load before: %s" % (n, m, punched, n * m, load()))
        print()
        print("| job | complete s | complete MiB | gaps s | gaps MiB | time ratio | memory ratio |")
        print("| --- | ---: | ---: | ---: | ---: | ---: | ---: |")
        for job in args.jobs:
            best = {complete: (float("inf"), 0.0), gaps: (float("inf"), 0.0)}
            for round_ in range(args.runs):
                order = [complete, gaps] if round_ % 2 == 0 else [gaps, complete]
                for data in order:
                    wall, peak = run_measured([program] + JOBS[job] + [data, "out"], folder)
                    best[data] = (min(best[data][0], wall), max(best[data][1], peak))
            (cs, cm), (gs, gm) = best[complete], best[gaps]
            print("| %s | %.2f | %.0f | %.2f | %.0f | %.2f | %.2f |" % (job, cs, cm, gs, gm, gs / cs, gm / cm))
        print()
        print("load after: %s" % load())
    finally:
        shutil.rmtree(folder, True)


if __name__ == "__main__":
    main()
