#!/usr/bin/env python3
"""neighbours_peer.py sklearn|faiss Z.npy K OUT.npy -- each row's K nearest
other rows of the z-scored matrix Z.npy by brute force, as users would
compute them: scikit-learn's NearestNeighbors(algorithm="brute"), or FAISS's
exact IndexFlatL2 (float32, asked for K + 1 with each row itself dropped).
Writes the indices (rows x K, int64) to OUT.npy and prints the seconds of
the search alone. Debian: python3-sklearn, python3-faiss.
"""
import sys
import time

import numpy


def main():
    tool, source, k, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    z = numpy.load(source)
    started = time.perf_counter()
    if tool == 'sklearn':
        from sklearn.neighbors import NearestNeighbors
        _, index = NearestNeighbors(n_neighbors=k, algorithm='brute').fit(z).kneighbors()
    else:
        import faiss
        x = numpy.ascontiguousarray(z, dtype=numpy.float32)
        flat = faiss.IndexFlatL2(x.shape[1])
        flat.add(x)
        _, found = flat.search(x, k + 1)
        index = numpy.empty((x.shape[0], k), dtype=numpy.int64)
        for i in range(x.shape[0]):  # each row itself, wherever a tie put it
            row = found[i][found[i] != i]
            index[i] = row[:k]
    print('%.3f' % (time.perf_counter() - started))
    numpy.save(out, index)


if __name__ == '__main__':
    main()
