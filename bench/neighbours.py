#!/usr/bin/env python3
"""Every variety's K nearest neighbours: kyori --neighbours beside
scikit-learn's brute-force NearestNeighbors and FAISS's exact IndexFlatL2.

A data file of N x M is generated with ../shared/bench/gen_data.py; kyori
reads it as a user would (the whole run: reading, standardizing, the search,
the CSV table). The peers get the same values z-scored by numpy (divisor
n - 1) as a .npy file, prepared beforehand and not timed, and each runs as
its own process (bench/neighbours_peer.py); their search alone is shown
too. Wall time and peak resident memory of each process, side by side in
one run, and how many varieties' lists of neighbours equal kyori's (where
they differ, the neighbours swapped are checked to be at the same distance
within the peer's rounding: a tie that its float arithmetic broke
otherwise).

Usage: bench/neighbours.py [--program build/kyori] [--shared ../shared/bench]
                           [--size 150000x20] [--k 10] [--jobs N]
Prints a Markdown table, and the load average before and after.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

import numpy

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def measured(command):
    """Runs `command` under a fresh process and returns (wall, peak MiB, stdout)."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = child.stdout.read()
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit('failed (%d): %s\n%s' % (status, ' '.join(command), err.decode()))
    return wall, usage.ru_maxrss / 1024.0, out.decode()


def read_layout(path):
    """The values of a kyori-layout file from gen_data.py, varieties x traits."""
    with open(path) as f:
        lines = f.read().split('\n')
    n, m = (int(x) for x in lines[0].split())
    rows = [line.split(',', 1)[1].split() for line in lines[2:2 + n]]
    return numpy.array(rows, dtype=numpy.float64).reshape(n, m)


def kyori_neighbours(path, n, k):
    with open(path, 'rb') as f:
        text = f.read()[3:].decode()
    lines = text.split('\r\n')[1:-1]
    assert len(lines) == n * k, (len(lines), n, k)
    index = numpy.array([int(line.split(',')[2][1:]) - 1 for line in lines]).reshape(n, k)
    return index


def agreement(ours, theirs, z, tolerance):
    """Varieties whose lists are equal, and whether every difference is a tie
    within `tolerance` (relative)."""
    equal = int((ours == theirs).all(axis=1).sum())
    ties_only = True
    for i in numpy.nonzero((ours != theirs).any(axis=1))[0]:
        d_ours = numpy.sqrt(((z[ours[i]] - z[i]) ** 2).sum(axis=1))
        d_theirs = numpy.sqrt(((z[theirs[i]] - z[i]) ** 2).sum(axis=1))
        if not numpy.allclose(d_ours, d_theirs, rtol=tolerance, atol=0):
            ties_only = False
    return equal, ties_only


def prepare(data, out):
    x = read_layout(data)
    numpy.save(out, (x - x.mean(axis=0)) / x.std(axis=0, ddof=1))


def main():
    if sys.argv[1:2] == ['--prepare']:
        return prepare(sys.argv[2], sys.argv[3])
    parser = argparse.ArgumentParser()
    parser.add_argument('--program', default=os.path.join(REPO, 'build', 'kyori'))
    parser.add_argument('--shared', default=os.path.join(REPO, '..', 'shared', 'bench'))
    parser.add_argument('--size', default='150000x20')
    parser.add_argument('--k', type=int, default=10)
    parser.add_argument('--jobs', type=int, default=0)
    parser.add_argument('--peers', default='sklearn,faiss')
    args = parser.parse_args()
    n, m = (int(x) for x in args.size.split('x'))
    k = args.k
    folder = tempfile.mkdtemp(prefix='kyori-neighbours-')
    data = os.path.join(folder, 'data.txt')
    subprocess.run([sys.executable, os.path.join(args.shared, 'gen_data.py'), str(n), str(m), '1', data], check=True)
    # Prepared in a child process: a child forked from a parent that holds
    # the data would count the parent's memory in its own peak.
    subprocess.run([sys.executable, os.path.abspath(__file__), '--prepare', data, os.path.join(folder, 'z.npy')],
                   check=True)
    print('load before: %s' % open('/proc/loadavg').read().strip())
    rows = []
    command = [args.program, '--neighbours=%d' % k, data, os.path.join(folder, 'kyori.csv')]
    if args.jobs:
        command.insert(1, '--jobs=%d' % args.jobs)
    wall, peak, _ = measured(command)
    rows.append(['kyori --neighbours=%d (whole run)' % k, wall, None, peak, n, True])
    peer = os.path.join(REPO, 'bench', 'neighbours_peer.py')
    tools = [t for t in [('sklearn', 1e-9), ('faiss', 1e-5)] if t[0] in args.peers.split(',')]
    for tool, _ in tools:
        out = os.path.join(folder, tool + '.npy')
        wall, peak, printed = measured(['/usr/bin/python3', peer, tool, os.path.join(folder, 'z.npy'), str(k), out])
        name = {'sklearn': 'scikit-learn NearestNeighbors(brute)', 'faiss': 'FAISS IndexFlatL2'}[tool]
        rows.append([name, wall, float(printed.strip()), peak, None, None])
    print('load after:  %s' % open('/proc/loadavg').read().strip())
    ours = kyori_neighbours(os.path.join(folder, 'kyori.csv'), n, k)
    z = numpy.load(os.path.join(folder, 'z.npy'))
    for row, (tool, tolerance) in zip(rows[1:], tools):
        row[4], row[5] = agreement(ours, numpy.load(os.path.join(folder, tool + '.npy')), z, tolerance)
    print()
    print('%d x %d, K = %d' % (n, m, k))
    print()
    print('| program | wall (s) | search alone (s) | peak RSS (MiB) | lists equal to kyori\'s | the rest ties |')
    print('|---|---:|---:|---:|---:|---|')
    for name, wall, search, peak, equal, ties_only in rows:
        print('| %s | %.1f | %s | %.0f | %d of %d | %s |' % (
            name, wall, '-' if search is None else '%.1f' % search, peak, equal, n, 'yes' if ties_only else 'NO'))


if __name__ == '__main__':
    main()
