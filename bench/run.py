#!/usr/bin/env python3
"""Times the whole program against the plain-C floor for the same job.

For each size N x M it writes a data file with gen_data.py, then runs, in
turn and several times each:
  kyori  the built program, its three answers piped in (data file name,
         output file name, the empty final reply), the console sent to
         /dev/null and the output file written in a temporary folder;
  floor  limit.c built with `cc -O2`: parse, standardize, distances, one
         output file, no console copy and not bit-exact; the least a program
         doing this job can cost;
  start  an empty C program: the cost of starting a process at all.
Medians of wall time and of CPU time (user + system, what the run itself
cost even while other work holds the cores) are printed in a table; the goals
are checked at the end on both: the largest size takes at most twice the
floor, and 30 x 30 stays within a few milliseconds of process start.

Usage: bench/run.py [--shared DIR] [--program PATH] [--runs N]
                    [--sizes 30x30,100x100,300x300]
--shared names the folder holding gen_data.py and limit.c (default:
../shared/bench beside the repository). --program defaults to
build-bench/kyori in the repository, configured and built (Release) when
missing. Exit status 0 when both goals are met, 1 when one is missed.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
START_GOAL_MS = 5.0     # 30 x 30 may take this much more than process start
FLOOR_FACTOR = 2.0      # the largest size may take this many times the floor


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--shared", default=os.path.join(REPO, "..", "shared", "bench"))
    p.add_argument("--program", default=os.path.join(REPO, "build-bench", "kyori"))
    p.add_argument("--runs", type=int, default=11)
    p.add_argument("--sizes", default="30x30,100x100,300x300")
    p.add_argument("--seed", type=int, default=1)
    return p.parse_args()


def build_program(path):
    if os.path.exists(path):
        return
    build = os.path.dirname(path)
    subprocess.run(["cmake", "-S", REPO, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                    "-DKYORI_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j2", "--target", "kyori"], check=True,
                   stdout=subprocess.DEVNULL)


def build_c(source, out, folder):
    subprocess.run(["cc", "-O2", "-o", out, source, "-lm"], check=True, cwd=folder)


def timed(argv, folder, answers=None):
    """Wall and CPU (user + system) milliseconds of one run; the console goes
    to /dev/null. CPU time is what the run itself cost, whatever else the
    machine is doing; wall time includes waiting for a busy core."""
    with tempfile.TemporaryFile() as stdin:
        stdin.write(answers or b"")
        stdin.seek(0)
        start = time.perf_counter()
        child = subprocess.Popen(argv, cwd=folder, stdin=stdin, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        wall = (time.perf_counter() - start) * 1000.0
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit("run.py: %s exited with %d" % (argv[0], child.returncode))
    return wall, (usage.ru_utime + usage.ru_stime) * 1000.0


def measure_size(n, m, args, folder, program, limit, empty):
    data = "d%dx%d.txt" % (n, m)
    subprocess.run([sys.executable, os.path.join(args.shared, "gen_data.py"), str(n), str(m),
                    str(args.seed), os.path.join(folder, data)], check=True)
    answers = ("%s\nout_kyori.txt\n\n" % data).encode()
    runs = {"kyori": [], "floor": [], "start": []}
    timed([program], folder, answers)  # warm the page cache and the binary
    for _ in range(args.runs):  # interleaved, so that a busy moment hits all three
        runs["kyori"].append(timed([program], folder, answers))
        runs["floor"].append(timed([limit, data, "out_floor.txt"], folder))
        runs["start"].append(timed([empty], folder))
    sizes = {"data": os.path.getsize(os.path.join(folder, data)),
             "out": os.path.getsize(os.path.join(folder, "out_kyori.txt"))}
    medians = {}
    for who, times in runs.items():
        medians[who] = statistics.median(t[0] for t in times)
        medians[who + " cpu"] = statistics.median(t[1] for t in times)
    return medians, sizes


def main():
    args = parse_args()
    args.shared = os.path.abspath(args.shared)
    for need in ("gen_data.py", "limit.c"):
        if not os.path.exists(os.path.join(args.shared, need)):
            sys.exit("run.py: %s not found in %s (give --shared)" % (need, args.shared))
    program = os.path.abspath(args.program)
    build_program(program)
    folder = tempfile.mkdtemp(prefix="kyori_bench_")
    try:
        limit = os.path.join(folder, "limit")
        build_c(os.path.join(args.shared, "limit.c"), limit, folder)
        with open(os.path.join(folder, "empty.c"), "w") as f:
            f.write("int main(void) { return 0; }\n")
        empty = os.path.join(folder, "empty")
        build_c("empty.c", empty, folder)

        rows = []
        for size in args.sizes.split(","):
            n, m = (int(x) for x in size.lower().split("x"))
            medians, sizes = measure_size(n, m, args, folder, program, limit, empty)
            rows.append((n, m, medians, sizes))
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    print("medians of %d runs, milliseconds: wall (cpu = user + system)" % args.runs)
    print("%-9s %9s %9s %17s %17s %11s %15s" %
          ("size", "data B", "output B", "kyori", "floor", "ratio", "start"))
    for n, m, med, sizes in rows:
        print("%-9s %9d %9d %8.2f (%6.2f) %8.2f (%6.2f) %4.2f (%4.2f) %6.2f (%5.2f)" %
              ("%dx%d" % (n, m), sizes["data"], sizes["out"], med["kyori"], med["kyori cpu"],
               med["floor"], med["floor cpu"], med["kyori"] / med["floor"],
               med["kyori cpu"] / med["floor cpu"], med["start"], med["start cpu"]))

    ok = True
    n, m, med, _ = max(rows, key=lambda r: r[0] * r[0] * r[1])
    for clock in ("", " cpu"):
        ratio = med["kyori" + clock] / med["floor" + clock]
        verdict = ratio <= FLOOR_FACTOR
        ok &= verdict
        print("goal %dx%d at most %.0fx the floor (%s): %.2fx %s" %
              (n, m, FLOOR_FACTOR, clock.strip() or "wall", ratio, "met" if verdict else "MISSED"))
    n, m, med, _ = min(rows, key=lambda r: r[0] * r[0] * r[1])
    for clock in ("", " cpu"):
        above = med["kyori" + clock] - med["start" + clock]
        verdict = above <= START_GOAL_MS
        ok &= verdict
        print("goal %dx%d within %.0f ms of process start (%s): %.2f ms above %s" %
              (n, m, START_GOAL_MS, clock.strip() or "wall", above, "met" if verdict else "MISSED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
