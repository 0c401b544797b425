#!/usr/bin/env python3
"""Times batch mode's two arithmetics side by side.

For each size N x M it writes a data file with gen_data.py, then runs
`kyori --arithmetic=compatible DATA OUT` and `kyori --arithmetic=accurate
DATA OUT` in turn, RUNS times each, alternating so that both meet the same
load, and keeps the best wall time and the best CPU time (user + system) of
each. The output file goes to a temporary folder and is removed after each
run. The load average is printed before and after: the figures are only worth
comparing with each other, taken in one run.

Usage: bench/arithmetics.py [--program PATH] [--shared DIR] [--sizes 5000x50,2000x500]
                            [--runs 3] [--jobs N]
--program defaults to build-rel/kyori in the repository (configure it with
-DCMAKE_BUILD_TYPE=Release -DKYORI_BUILD_TESTS=OFF); --shared names the folder
holding gen_data.py (default ../shared/bench beside the repository); --jobs is
passed on when given. Exit status 0 when accurate takes at most 10 % more wall
time than compatible at every size, 1 otherwise.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GOAL = 1.10  # accurate may take this many times compatible's wall time
ARITHMETICS = ('compatible', 'accurate')


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    p.add_argument('--program', default=os.path.join(REPO, 'build-rel', 'kyori'))
    p.add_argument('--shared', default=os.path.join(REPO, '..', 'shared', 'bench'))
    p.add_argument('--sizes', default='5000x50,2000x500')
    p.add_argument('--runs', type=int, default=3)
    p.add_argument('--jobs', type=int, default=0)
    return p.parse_args()


def timed_run(command):
    """(wall seconds, user + system seconds) of one run; fails on a nonzero exit."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit('%s: exit status %d' % (' '.join(command), os.waitstatus_to_exitcode(status)))
    return wall, usage.ru_utime + usage.ru_stime


def load():
    return '%.2f %.2f %.2f' % os.getloadavg()


def main():
    args = parse_args()
    if not os.path.exists(args.program):
        sys.exit('%s not found: build it with cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release '
                 '-DKYORI_BUILD_TESTS=OFF && cmake --build build-rel -j2 --target kyori' % args.program)
    gen_data = os.path.join(args.shared, 'gen_data.py')
    print('program %s, best of %d, load average before: %s' % (args.program, args.runs, load()))
    print('%-10s %-11s %9s %9s' % ('size', 'arithmetic', 'wall s', 'cpu s'))
    met = True
    with tempfile.TemporaryDirectory(prefix='kyori_arith_bench_') as folder:
        for size in args.sizes.split(','):
            n, m = size.split('x')
            data = os.path.join(folder, 'data_%s.txt' % size)
            subprocess.run([sys.executable, gen_data, n, m, '1', data], check=True)
            out = os.path.join(folder, 'out.txt')
            best = {a: [float('inf'), float('inf')] for a in ARITHMETICS}
            for _ in range(args.runs):
                for arithmetic in ARITHMETICS:
                    command = [args.program, '--arithmetic=' + arithmetic]
                    if args.jobs:
                        command.append('--jobs=%d' % args.jobs)
                    wall, cpu = timed_run(command + [data, out])
                    os.remove(out)
                    best[arithmetic] = [min(best[arithmetic][0], wall), min(best[arithmetic][1], cpu)]
            for arithmetic in ARITHMETICS:
                print('%-10s %-11s %9.3f %9.3f' % (size, arithmetic, *best[arithmetic]))
            ratio = best['accurate'][0] / best['compatible'][0]
            cpu_ratio = best['accurate'][1] / best['compatible'][1]
            print('%-10s accurate / compatible: wall %.3f, cpu %.3f' % (size, ratio, cpu_ratio))
            met = met and ratio <= GOAL
            os.remove(data)
    print('load average after: %s' % load())
    print('goal (accurate within 10 %% of compatible) %s' % ('met' if met else 'missed'))
    return 0 if met else 1


if __name__ == '__main__':
    sys.exit(main())
