#!/usr/bin/env python3
"""The .npy matrix and the neighbours against numpy and scikit-learn.

NpyReadBack: numpy.load reads --matrix's file as a vector of n(n-1)/2
numbers in SciPy's pdist order, float64 or float32, equal to the PHYLIP
matrix of the same run (float32: each number rounded to the nearest single),
in both arithmetics.

AgainstScikitLearn: --neighbours on generated data against
NearestNeighbors(algorithm="brute") on the same data z-scored by numpy
(sample standard deviation): the same neighbours, in the same order, at the
same distances within 1e-9; a different neighbour only where scikit-learn's
own rounding swapped two at the same distance within 1e-9.

Each case is skipped (exit 77 when all are) without numpy, or without
scikit-learn (Debian: python3-numpy, python3-sklearn).

Usage: batch_pairs_reference.py PATH/TO/kyori NpyReadBack|AgainstScikitLearn
"""
import os
import random

import batch_support as bs
from batch_support import write_file as write

try:
    import numpy
except ImportError:
    numpy = None
try:
    from sklearn.neighbors import NearestNeighbors
except ImportError:
    NearestNeighbors = None

BOM = b'\xef\xbb\xbf'


def generated(rows, traits, seed):
    rng = random.Random(seed)
    values = [[rng.gauss(100, 15) for _ in range(traits)] for _ in range(rows)]
    lines = ['name,' + ','.join('t%d' % k for k in range(traits))]
    lines += ['v%d,%s' % (i, ','.join(repr(v) for v in row)) for i, row in enumerate(values)]
    return ('\n'.join(lines) + '\n').encode(), values


def phylip_matrix(path):
    with open(path, 'rb') as f:
        lines = f.read().decode('utf-8').split('\n')
    n = int(lines[0])
    return [[float(x) for x in line.split()[1:]] for line in lines[1:n + 1]]


class NpyReadBack(bs.BatchTestCase):
    def setUp(self):
        if numpy is None:
            self.skipTest('needs numpy (Debian: python3-numpy)')

    def test_the_vector_is_the_phylip_matrix(self):
        data, _ = generated(70, 4, 3)
        layout = b'3 2\nA,B\nx,1 10\ny,2 30\nz,3 20\n'
        for name, content, arithmetic in [('in.csv', data, 'accurate'), ('in.csv', data, 'compatible'),
                                          ('in.txt', layout, 'auto')]:
            for precision, dtype in [(None, '<f8'), ('float64', '<f8'), ('float32', '<f4')]:
                with self.subTest(data=name, arithmetic=arithmetic, precision=precision):
                    folder = self.folder()
                    write(folder, name, content)
                    args = ['--arithmetic=' + arithmetic, '--phylip=d.phy', '--matrix=d.npy', name, 'out.txt']
                    if precision:
                        args.insert(0, '--matrix-precision=' + precision)
                    result = bs.run(args, folder)
                    self.assertSucceeded(result)
                    vector = numpy.load(os.path.join(folder, 'd.npy'), allow_pickle=False)
                    self.assertEqual(vector.dtype.str, dtype)
                    square = phylip_matrix(os.path.join(folder, 'd.phy'))
                    n = len(square)
                    self.assertEqual(vector.shape, (n * (n - 1) // 2,))
                    condensed = [square[i][j] for i in range(n) for j in range(i + 1, n)]
                    expected = numpy.array(condensed, dtype=numpy.dtype(dtype))
                    self.assertTrue(numpy.array_equal(vector, expected))
                    for i in range(n):
                        self.assertEqual(square[i][i], 0.0)


class AgainstScikitLearn(bs.BatchTestCase):
    def setUp(self):
        if numpy is None or NearestNeighbors is None:
            self.skipTest('needs numpy and scikit-learn (Debian: python3-sklearn)')

    def test_the_same_neighbours(self):
        for rows, traits, k in [(4000, 20, 10), (1500, 3, 1), (2000, 8, 50), (300, 1, 299)]:
            with self.subTest(rows=rows, traits=traits, k=k):
                folder = self.folder()
                data, values = generated(rows, traits, rows + traits)
                write(folder, 'in.csv', data)
                result = bs.run(['--neighbours=%d' % k, '--jobs=2', 'in.csv', 'nb.csv'], folder)
                self.assertSucceeded(result, warnings_allowed=False)
                with open(os.path.join(folder, 'nb.csv'), 'rb') as f:
                    text = f.read()
                self.assertTrue(text.startswith(BOM))
                lines = text[len(BOM):].decode().split('\r\n')[1:-1]
                self.assertEqual(len(lines), rows * k)
                ours_index = numpy.array([int(l.split(',')[2][1:]) for l in lines]).reshape(rows, k)
                ours_distance = numpy.array([float(l.split(',')[3]) for l in lines]).reshape(rows, k)
                x = numpy.array(values)
                z = (x - x.mean(axis=0)) / x.std(axis=0, ddof=1)
                theirs_distance, theirs_index = NearestNeighbors(n_neighbors=k, algorithm='brute').fit(z).kneighbors()
                self.assertTrue(numpy.allclose(ours_distance, theirs_distance, rtol=0, atol=1e-9))
                swapped = 0
                for i, r in zip(*numpy.nonzero(ours_index != theirs_index)):
                    a, b = ours_index[i, r], theirs_index[i, r]
                    da = numpy.sqrt(((z[i] - z[a]) ** 2).sum())
                    db = numpy.sqrt(((z[i] - z[b]) ** 2).sum())
                    self.assertLessEqual(abs(da - db), 1e-9, (i, r, a, b))
                    swapped += 1
                self.assertLess(swapped, rows * k // 1000 + 3)


if __name__ == '__main__':
    bs.main()
