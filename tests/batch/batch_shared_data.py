#!/usr/bin/env python3
"""Batch runs that read one data file at the same time, as `make -j` or GNU
parallel start them: each run holds DATA shared with other readers, so every
one of them succeeds, and each writes the report (and tree) a run alone
writes. The dialogue still holds its data file for itself: while another
reader has the file, the dialogue cannot open it and asks again.

    python3 batch_shared_data.py PATH/TO/kyori
"""

import fcntl
import os
import random
import subprocess

import batch_support as bs
from batch_support import read_file as read
from batch_support import kyori_ref

RUNS = 6


def big_data(varieties, traits, seed):
    """A data file large enough (about 2 MB) that reading it takes a while,
    so that runs started together read it at the same time."""
    r = random.Random(seed)
    lines = [b'%d %d' % (varieties, traits), b','.join(b'T%d' % (j + 1) for j in range(traits))]
    for i in range(varieties):
        values = b' '.join(b'%.2f' % r.uniform(1, 100) for _ in range(traits))
        lines.append(b'V%d,%s' % (i + 1, values))
    return b'\r\n'.join(lines) + b'\r\n'


class SharedData(bs.BatchTestCase):

    def start(self, folder, k):
        return subprocess.Popen([bs.PROGRAM, '--tree=t%d.nwk' % k, 'big.txt', 'o%d.txt' % k], cwd=folder,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=bs.clean_environment())

    def finish(self, runs):
        results = []
        for p in runs:
            out, err = p.communicate(timeout=300)
            results.append(bs.Result(p.returncode, out, err))
        return results

    def run_together(self, folder, hold=False):
        """Starts RUNS runs at once on big.txt; with `hold`, this process
        holds big.txt open as another reader would, the whole time."""
        held = open(os.path.join(folder, 'big.txt'), 'rb') if hold else None
        try:
            if held:
                fcntl.flock(held, fcntl.LOCK_SH | fcntl.LOCK_NB)
            return self.finish([self.start(folder, k) for k in range(RUNS)])
        finally:
            if held:
                held.close()

    def check_all_alike(self, folder, results, alone_report, alone_tree):
        for k, result in enumerate(results):
            with self.subTest(run=k):
                self.assertSucceeded(result, cophenetic=True)
                self.assertEqual(read(folder, 'o%d.txt' % k), alone_report)
                self.assertEqual(read(folder, 't%d.nwk' % k), alone_tree)
        self.assertNoTemporaryFiles(folder)

    def test_runs_started_together_all_succeed(self):
        data = big_data(400, 600, 1)
        folder = self.folder()
        with open(os.path.join(folder, 'big.txt'), 'wb') as f:
            f.write(data)
        alone = bs.run(['--tree=alone.nwk', 'big.txt', 'alone.txt'], folder)
        self.assertSucceeded(alone, cophenetic=True)
        alone_report, alone_tree = read(folder, 'alone.txt'), read(folder, 'alone.nwk')
        self.check_all_alike(folder, self.run_together(folder), alone_report, alone_tree)
        # Whatever the timing of those, runs that start while a reader holds
        # the file must all succeed too.
        self.check_all_alike(folder, self.run_together(folder, hold=True), alone_report, alone_tree)
        self.assertEqual(read(folder, 'big.txt'), data)

    def test_the_dialogue_keeps_its_data_file_to_itself(self):
        folder = self.folder()
        data = b'3 2\r\nA,B\r\nx,1 10\r\ny,2 30\r\nz,3 20\r\n'
        with open(os.path.join(folder, 'd.txt'), 'wb') as f:
            f.write(data)
        with open(os.path.join(folder, 'd.txt'), 'rb') as held:
            fcntl.flock(held, fcntl.LOCK_SH | fcntl.LOCK_NB)
            result, output = bs.run_dialogue(folder, b'd.txt', b'o.txt')
        self.assertIn(kyori_ref.CANNOT_OPEN_DATA, result.stdout)
        self.assertIsNone(output)
        # Once the other reader has let go, the dialogue reads it.
        result, output = bs.run_dialogue(folder, b'd.txt', b'o.txt')
        self.assertNotIn(kyori_ref.CANNOT_OPEN_DATA, result.stdout)
        self.assertIsNotNone(output)


if __name__ == '__main__':
    bs.main()
