#!/usr/bin/env python3
"""The report at collection scale: kyori in both arithmetics beside SciPy.

For each size N x M a data file is generated with gen_data.py; then, round
after round (--runs rounds, each program once a round, so that all meet the
same load), it runs
  kyori --arithmetic=compatible --jobs=J DATA OUT   (the report, batch mode)
  kyori --arithmetic=accurate   --jobs=J DATA OUT
  the same two with --before PATH (another build, e.g. an older one), if given
  peer_scipy.py DATA OUT   z-score (ddof = 1), pdist, squareform, text out
and prints each one's median wall seconds, its peak resident MiB (the most
of its runs) and SciPy's median over its median. Every kyori report is
compared with the one of --jobs=1 in the same arithmetic first: the bytes
must be the same for every number of jobs (and, with --before, the same as
that build's). The load average is printed before and after: figures are
only worth comparing within one run.

Usage: bench/report_speed.py [--program PATH] [--before PATH] [--shared DIR]
                             [--sizes 5000x50] [--runs 3] [--jobs 2]
--program defaults to build-bench/kyori in the repository, built (Release,
no tests) when missing; --shared names the folder of gen_data.py and
peer_scipy.py (default ../shared/bench beside the repository). SciPy runs
under /usr/bin/python3 (Debian's python3-scipy).
"""
import argparse
import filecmp
import os
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARITHMETICS = ('compatible', 'accurate')


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    p.add_argument('--program', default=os.path.join(REPO, 'build-bench', 'kyori'))
    p.add_argument('--before', help='another kyori to time beside it (its reports must be the same bytes)')
    p.add_argument('--shared', default=os.path.join(os.path.dirname(REPO), 'shared', 'bench'))
    p.add_argument('--sizes', default='5000x50')
    p.add_argument('--runs', type=int, default=3)
    p.add_argument('--jobs', type=int, default=2)
    return p.parse_args()


def build(program):
    folder = os.path.dirname(program)
    subprocess.run(['cmake', '-S', REPO, '-B', folder, '-DCMAKE_BUILD_TYPE=Release', '-DKYORI_BUILD_TESTS=OFF'],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(['cmake', '--build', folder, '-j2', '--target', 'kyori'], check=True, stdout=subprocess.DEVNULL)


def measured(command):
    """(wall seconds, peak resident MiB) of one run; stops on a nonzero exit."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit('%s: exit status %d' % (' '.join(command), os.waitstatus_to_exitcode(status)))
    return wall, usage.ru_maxrss / 1024.0


def load():
    return '%.2f %.2f %.2f' % os.getloadavg()


def check_same_bytes(programs, data, folder, jobs):
    """Every program's report in each arithmetic, for --jobs=1 and `jobs`,
    the same bytes as the first one's with --jobs=1."""
    for arithmetic in ARITHMETICS:
        first = None
        for label, program in programs:
            for j in sorted({1, jobs}):
                out = os.path.join(folder, 'check_%s_%s_%d.txt' % (label, arithmetic, j))
                measured([program, '--arithmetic=' + arithmetic, '--jobs=%d' % j, data, out])
                if first is None:
                    first = out
                elif not filecmp.cmp(first, out, shallow=False):
                    sys.exit('%s, %s, --jobs=%d: the report differs from %s' % (label, arithmetic, j, first))
                elif out != first:
                    os.remove(out)
        os.remove(first)


def main():
    args = parse_args()
    if not os.path.exists(args.program):
        build(args.program)
    python = '/usr/bin/python3'
    programs = [('kyori', args.program)] + ([('before', args.before)] if args.before else [])
    print('program %s%s, %d runs each (median), --jobs=%d; load average before: %s' %
          (args.program, ', before: ' + args.before if args.before else '', args.runs, args.jobs, load()))
    header = ['size']
    for label, _ in programs:
        for arithmetic in ARITHMETICS:
            header += ['%s %s s' % (label, arithmetic), 'MiB']
    header += ['SciPy s', 'MiB'] + ['SciPy / %s' % a for a in ARITHMETICS]
    print('| ' + ' | '.join(header) + ' |')
    print('| --- ' + '| ---: ' * (len(header) - 1) + '|')
    with tempfile.TemporaryDirectory(prefix='kyori_report_speed_') as folder:
        for size in args.sizes.split(','):
            n, m = size.split('x')
            data = os.path.join(folder, 'data_%s.txt' % size)
            subprocess.run([python, os.path.join(args.shared, 'gen_data.py'), n, m, '1', data], check=True,
                           stdout=subprocess.DEVNULL)
            check_same_bytes(programs, data, folder, args.jobs)
            out = os.path.join(folder, 'out.txt')
            commands = {}
            for label, program in programs:
                for arithmetic in ARITHMETICS:
                    commands[(label, arithmetic)] = [program, '--arithmetic=' + arithmetic,
                                                     '--jobs=%d' % args.jobs, data, out]
            commands['scipy'] = [python, os.path.join(args.shared, 'peer_scipy.py'), data, out]
            results = {key: [] for key in commands}
            for _ in range(args.runs):
                for key, command in commands.items():
                    results[key].append(measured(command))
                    os.remove(out)
            median = {key: statistics.median(r[0] for r in runs) for key, runs in results.items()}
            peak = {key: max(r[1] for r in runs) for key, runs in results.items()}
            row = [size.replace('x', ' × ')]
            for label, _ in programs:
                for arithmetic in ARITHMETICS:
                    row += ['%.2f' % median[(label, arithmetic)], '%.0f' % peak[(label, arithmetic)]]
            row += ['%.2f' % median['scipy'], '%.0f' % peak['scipy']]
            row += ['%.1f×' % (median['scipy'] / median[('kyori', a)]) for a in ARITHMETICS]
            print('| ' + ' | '.join(row) + ' |')
            sys.stdout.flush()
    print('load average after: %s' % load())


if __name__ == '__main__':
    main()
