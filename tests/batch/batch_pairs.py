#!/usr/bin/env python3
"""--neighbours, --duplicates and --matrix as real processes.

- the neighbours' and the duplicates' tables against the square table of the
  same run's accurate distances (--format=csv), sorted and filtered here:
  the same names, ranks and distances, digit for digit, ties by index;
- the count of duplicates on standard error, in English and Japanese;
- the usage errors (exit 2): bad values, the two modes together, a mode with
  the report's options, --matrix naming DATA or another output;
- the capacity (1,000,000 varieties for these modes, 32,767 for the report)
  and the memory check, judged from the counts before the values are read;
- failures (a full disk, a trait that cannot be standardized) replace
  nothing and leave no temporary file; a signal at any moment of a long
  neighbours run leaves the old OUTPUT or the complete new one, nothing else.

Usage: batch_pairs.py PATH/TO/kyori [unittest options]
"""
import os
import random
import re
import resource
import signal
import subprocess
import time

import batch_support as bs
from batch_support import read_file as read, write_file as write

BOM = b'\xef\xbb\xbf'


def table(rows, traits, seed, ties=False):
    """A CSV data file of `rows` varieties; with `ties`, small whole numbers,
    so that many pairs are at exactly the same distance, and some repeated
    varieties."""
    rng = random.Random(seed)
    lines = ['name,' + ','.join('t%d' % k for k in range(traits))]
    values = []
    for i in range(rows):
        if ties and i % 5 == 4:
            row = values[i - 1]
        elif ties:
            row = [str(rng.randint(0, 3)) for _ in range(traits)]
        else:
            row = ['%.6g' % rng.gauss(50, 10) for _ in range(traits)]
        values.append(row)
        lines.append('v%d,%s' % (i, ','.join(row)))
    return ('\n'.join(lines) + '\n').encode()


def rows_of(csv_bytes):
    assert csv_bytes.startswith(BOM), csv_bytes[:20]
    text = csv_bytes[len(BOM):].decode()
    assert text.endswith('\r\n')
    return [line.split(',') for line in text[:-2].split('\r\n')]


def gapped_table(rows, traits, seed):
    """A CSV data file of `rows` varieties with missing values: about a third
    of the values NA, a variety with a single value and two varieties with no
    trait in common, so that some pairs have no distance."""
    rng = random.Random(seed)
    lines = ['name,' + ','.join('t%d' % k for k in range(traits))]
    for i in range(rows):
        row = ['NA' if rng.random() < 0.35 else str(rng.randint(0, 4)) for _ in range(traits)]
        if i == 1:
            row = ['NA'] * (traits - 1) + ['3']
        if i == 2:
            row = ['2'] + ['NA'] * (traits - 1)
        lines.append('v%d,%s' % (i, ','.join(row)))
    return ('\n'.join(lines) + '\n').encode()


def square_table(folder, data_name, extra=()):
    """Names and the matrix of distances (as texts) of the accurate
    arithmetic's distance table; NA for a pair without a distance."""
    result = bs.run(['--arithmetic=accurate', '--format=csv'] + list(extra) + [data_name, 'square.csv'], folder)
    assert result.status == 0, result
    rows = rows_of(read(folder, 'square.csv'))
    names = rows[0][1:]
    texts = [r[1:] for r in rows[1:]]
    return names, texts


class Tables(bs.BatchTestCase):
    def check_neighbours(self, data, k, ties):
        folder = self.folder()
        write(folder, 'in.csv', data)
        names, texts = square_table(folder, 'in.csv')
        result = bs.run(['--neighbours=%d' % k, '--jobs=2', 'in.csv', 'nb.csv'], folder)
        self.assertSucceeded(result, warnings_allowed=False)
        self.assertEqual(result.stderr, b'')
        rows = rows_of(read(folder, 'nb.csv'))
        self.assertEqual(rows[0], ['variety', 'rank', 'neighbour', 'distance'])
        expected = []
        n = len(names)
        for i in range(n):
            order = sorted((float(texts[i][j]), j) for j in range(n) if j != i)
            for rank, (_, j) in enumerate(order[:k]):
                expected.append([names[i], str(rank + 1), names[j], texts[i][j]])
        self.assertEqual(rows[1:], expected)
        if ties:  # the data make ties: some neighbours are ordered by index alone
            self.assertTrue(any(a[0] == b[0] and a[3] == b[3] for a, b in zip(expected, expected[1:])))

    def test_neighbours_are_the_sorted_rows_of_the_distance_table(self):
        cases = [  # rows, traits, k, ties
            (2, 1, 1, False), (9, 3, 8, False), (9, 3, 20, False), (300, 5, 10, False),
            (600, 2, 7, True), (140, 1, 30, True)]
        for rows, traits, k, ties in cases:
            with self.subTest(rows=rows, traits=traits, k=k):
                self.check_neighbours(table(rows, traits, rows * 7 + traits, ties), k, ties)

    def test_duplicates_are_the_filtered_table_and_counted(self):
        folder = self.folder()
        write(folder, 'in.csv', table(400, 3, 5, ties=True))
        names, texts = square_table(folder, 'in.csv')
        n = len(names)
        distances = sorted({texts[i][j] for i in range(n) for j in range(i + 1, n)}, key=float)
        # 0 (the repeated varieties), a distance that some pair has exactly
        # (such a pair is within it), and a text above every distance
        for most, shown in [('0', '0'), (distances[3], distances[3]), (distances[len(distances) // 3], None),
                            ('1e9', '1e+09')]:
            shown = (shown or most).encode()
            with self.subTest(most=most):
                result = bs.run(['--duplicates=' + most, 'in.csv', 'dup.csv'], folder)
                self.assertEqual(result.status, 0, result)
                expected = [[names[i], names[j], texts[i][j]] for i in range(n) for j in range(i + 1, n)
                            if float(texts[i][j]) <= float(most)]
                self.assertTrue(expected)
                rows = rows_of(read(folder, 'dup.csv'))
                self.assertEqual(rows[0], ['variety', 'other', 'distance'])
                self.assertEqual(rows[1:], expected)
                self.assertEqual(result.lines(), [b'kyori: %d pairs at a distance of at most %s' % (
                    len(expected), shown)])
        japanese = bs.run(['--duplicates=0', 'in.csv', 'dup.csv'], folder,
                          env=bs.clean_environment(LANG='ja_JP.UTF-8'))
        self.assertEqual(japanese.status, 0, japanese)
        self.assertRegex(japanese.stderr.decode(), r'^kyori: \d+組が距離0以下です\n$')

    def test_missing_values_give_the_gapped_distances_and_no_pair_without_one(self):
        # The distances over the traits each pair shares, as the distance
        # table has them; a pair without a distance (NA there) is neither a
        # neighbour nor a duplicate, so a variety may have fewer than K.
        folder = self.folder()
        write(folder, 'in.csv', gapped_table(60, 4, 11))
        for min_common in ['1', '3']:
            extra = ['--min-common=' + min_common]
            names, texts = square_table(folder, 'in.csv', extra)
            n = len(names)
            self.assertIn('NA', texts[1])
            with self.subTest(min_common=min_common, mode='neighbours'):
                result = bs.run(['--neighbours=6', '--jobs=2'] + extra + ['in.csv', 'nb.csv'], folder)
                self.assertEqual(result.status, 0, result)
                self.assertRegex(result.stderr.decode(), r'^kyori: in.csv: \d+ of 240 values missing, in 4 traits\n$')
                expected = []
                for i in range(n):
                    order = sorted((float(texts[i][j]), j) for j in range(n) if j != i and texts[i][j] != 'NA')
                    for rank, (_, j) in enumerate(order[:6]):
                        expected.append([names[i], str(rank + 1), names[j], texts[i][j]])
                self.assertEqual(rows_of(read(folder, 'nb.csv'))[1:], expected)
                if min_common == '3':  # a variety with one value has no neighbour at all
                    self.assertNotIn('v1', [row[0] for row in expected])
            with self.subTest(min_common=min_common, mode='duplicates'):
                result = bs.run(['--duplicates=1.5'] + extra + ['in.csv', 'dup.csv'], folder)
                self.assertEqual(result.status, 0, result)
                expected = [[names[i], names[j], texts[i][j]] for i in range(n) for j in range(i + 1, n)
                            if texts[i][j] != 'NA' and float(texts[i][j]) <= 1.5]
                self.assertTrue(expected)
                self.assertEqual(rows_of(read(folder, 'dup.csv'))[1:], expected)
                self.assertEqual(result.lines()[-1], b'kyori: %d pairs at a distance of at most 1.5' % len(expected))

    def test_no_pair_within_is_an_empty_table_and_a_count_of_0(self):
        folder = self.folder()
        write(folder, 'in.csv', table(50, 4, 1))
        result = bs.run(['--duplicates=0', 'in.csv', 'dup.csv'], folder)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(result.lines(), [b'kyori: 0 pairs at a distance of at most 0'])
        self.assertEqual(read(folder, 'dup.csv'), BOM + b'variety,other,distance\r\n')

    def test_no_traits_put_every_pair_at_0(self):
        # as the report's accurate arithmetic has it: neighbours by index alone
        folder = self.folder()
        write(folder, 'in.txt', b'3 0\r\nx\r\ny\r\nz\r\n')
        result = bs.run(['--neighbours=1', 'in.txt', 'nb.csv'], folder)
        self.assertSucceeded(result, warnings_allowed=False)
        self.assertEqual(read(folder, 'nb.csv'), BOM + b'variety,rank,neighbour,distance\r\n'
                         b'x,1,y,0\r\ny,1,x,0\r\nz,1,x,0\r\n')
        result = bs.run(['--duplicates=0', 'in.txt', 'dup.csv'], folder)
        self.assertEqual(result.lines(), [b'kyori: 3 pairs at a distance of at most 0'])

    def test_kyori_layout_and_names_in_shift_jis(self):
        folder = self.folder()
        write(folder, 'in.txt', open(os.path.join(os.path.dirname(__file__), '..', '..', 'examples',
                                                  'kyori_in.txt'), 'rb').read())
        result = bs.run(['--neighbours=1', 'in.txt', 'nb.csv'], folder)
        self.assertSucceeded(result, warnings_allowed=False)
        rows = rows_of(read(folder, 'nb.csv'))
        self.assertEqual(len(rows), 13)
        self.assertEqual(rows[1][:3], ['コシヒカリ', '1', '夢つくし'])


class Refusals(bs.BatchTestCase):
    def test_usage_errors(self):
        cases = [  # arguments, fragment of the message
            (['--neighbours=0'], b'value not allowed: --neighbours=0'),
            (['--neighbours=1001'], b'value not allowed: --neighbours=1001'),
            (['--neighbours=3x'], b'value not allowed'),
            (['--neighbours=-2'], b'value not allowed'),
            (['--duplicates=-1'], b'value not allowed: --duplicates=-1'),
            (['--duplicates=nan'], b'value not allowed'),
            (['--duplicates=inf'], b'value not allowed'),
            (['--duplicates=1e999'], b'value not allowed'),
            (['--duplicates=0.5x'], b'value not allowed'),
            (['--duplicates='], b'value not allowed'),
            (['--matrix-precision=float16'], b'value not allowed'),
            (['--matrix='], b'value not allowed'),
            (['--neighbours=3', '--duplicates=0'], b'--neighbours and --duplicates'),
            (['--duplicates=0', '--neighbours=3'], b'--neighbours and --duplicates'),
            (['--neighbours=3', '--tree=t.nwk'], b'--neighbours and --tree'),
            (['--neighbours=3', '--matrix=m.npy'], b'--neighbours and --matrix'),
            (['--duplicates=0', '--format=tsv'], b'--duplicates and --format'),
            (['--duplicates=0', '--standardized=z.csv'], b'--duplicates and --standardized'),
            (['--neighbours=3', '--arithmetic=compatible'], b'--neighbours and --arithmetic'),
            (['--neighbours=3', '--method=ward'], b'--neighbours and --method'),
            (['--neighbours=3', '--svg=p.svg'], b'--neighbours and --svg'),
            (['--neighbours=3', '--phylip=p.phy'], b'--neighbours and --phylip'),
            (['--neighbours=3', '--encoding=utf-8'], b'--neighbours and --encoding'),
            (['--neighbours=3', '--pca=pc'], b'--neighbours and --pca'),
            (['--duplicates=0', '--groups=g.csv'], b'--duplicates and --groups'),
            (['--duplicates=0', '--group-means=g.csv'], b'--duplicates and --group-means'),
            (['--neighbours=3', '--k=3'], b'--neighbours and --k'),
            (['--matrix=in.csv'], b'in.csv: is the data file itself'),
            (['--matrix=out.csv'], b'out.csv: --matrix and OUTPUT name the same file'),
            (['--matrix=m.npy', '--phylip=./m.npy'], b'name the same file'),
        ]
        for extra, fragment in cases:
            with self.subTest(args=extra):
                folder = self.folder()
                write(folder, 'in.csv', table(5, 2, 3))
                write(folder, 'out.csv', b'old')
                result = bs.run(extra + ['in.csv', 'out.csv'], folder)
                self.assertFailedWith(result, 2, fragment)
                self.assertEqual(sorted(os.listdir(folder)), ['in.csv', 'out.csv'])
                self.assertEqual(read(folder, 'out.csv'), b'old')

    def test_capacity_and_memory_are_judged_from_the_counts(self):
        folder = self.folder()
        # The counts alone: a run refused on them reads no further.
        write(folder, 'million.txt', b'1000001 2\n')
        refused = bs.run(['--neighbours=5', 'million.txt', 'out.csv'], folder)
        self.assertFailedWith(refused, 1, b'million.txt: more than 1000000 varieties or 32767 traits')
        write(folder, 'wide.txt', b'10 32768\n')
        refused = bs.run(['--duplicates=0', 'wide.txt', 'out.csv'], folder)
        self.assertFailedWith(refused, 1, b'more than 1000000 varieties or 32767 traits')
        self.assertEqual(sorted(os.listdir(folder)), ['million.txt', 'wide.txt'])
        if os.environ.get('KYORI_SANITIZED') == '1':
            return  # AddressSanitizer cannot start under a lowered address space
        # A million varieties of 30 traits need more than 600 MB
        write(folder, 'large.txt', b'1000000 30\n')

        def limited():
            resource.setrlimit(resource.RLIMIT_AS, (600 << 20, 600 << 20))
        for mode in ['--neighbours=1000', '--duplicates=0']:
            with self.subTest(mode=mode):
                refused = bs.run([mode, 'large.txt', 'out.csv'], folder, preexec_fn=limited)
                self.assertFailedWith(refused, 1, re.compile(rb'large\.txt: needs \d+\.\d GiB of memory; this machine has 0\.6 GiB'))
        self.assertEqual(sorted(os.listdir(folder)), ['large.txt', 'million.txt', 'wide.txt'])

    def test_beyond_the_reports_capacity(self):
        folder = self.folder()
        write(folder, 'in.csv', table(33000, 1, 9))
        refused = bs.run(['in.csv', 'out.txt'], folder)
        self.assertFailedWith(refused, 1, b'32767')
        result = bs.run(['--neighbours=2', 'in.csv', 'nb.csv'], folder)
        self.assertSucceeded(result, warnings_allowed=False)
        self.assertEqual(read(folder, 'nb.csv').count(b'\r\n'), 1 + 2 * 33000)

    def test_failures_replace_nothing(self):
        cases = [  # data, output, message
            (table(20, 2, 4), '/dev/full', b'/dev/full: writing failed'),
            (b'name,a,b\nx,1,2\ny,1,3\nz,1,4\n', 'out.csv', b'trait 1 (a): all its values are the same'),
            (b'name,a\nx,1\n', 'out.csv', b'in.csv: '),
            (b'1 0\r\nx\r\n', 'out.csv', b'in.csv: one variety: there is no pair to compare'),
        ]
        for data, output, fragment in cases:
            for mode in ['--neighbours=2', '--duplicates=1']:
                with self.subTest(output=output, mode=mode, data=data[:20]):
                    folder = self.folder()
                    write(folder, 'in.csv', data)
                    write(folder, 'out.csv', b'old')
                    result = bs.run([mode, 'in.csv', output], folder)
                    self.assertFailedWith(result, 1, fragment)
                    self.assertEqual(read(folder, 'out.csv'), b'old')
                    self.assertNoTemporaryFiles(folder)


class Signals(bs.BatchTestCase):
    """A neighbours run of some seconds ended by a signal at several moments."""

    DELAYS = [0.0, 0.05, 0.3, 0.7, 1.0, 1.4]

    @classmethod
    def setUpClass(cls):
        cls.data = table(30000, 12, 2)
        folder = tempfile_folder()
        write(folder, 'in.csv', cls.data)
        started = time.monotonic()
        result = bs.run(['--neighbours=5', 'in.csv', 'nb.csv'], folder)
        cls.duration = time.monotonic() - started
        assert result.status == 0, result
        cls.expected = read(folder, 'nb.csv')

    def test_a_signal_leaves_the_old_output_or_the_new_one(self):
        for number in [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]:
            for delay in self.DELAYS:
                with self.subTest(signal=number.name, delay=delay):
                    folder = self.folder()
                    write(folder, 'in.csv', self.data)
                    write(folder, 'nb.csv', b'old')
                    p = subprocess.Popen([bs.PROGRAM, '--neighbours=5', 'in.csv', 'nb.csv'], cwd=folder,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, env=bs.clean_environment())
                    time.sleep(delay * self.duration)
                    p.send_signal(number)
                    _, err = p.communicate(timeout=300)
                    self.assertIn(p.returncode, (0, -number), err)
                    output = read(folder, 'nb.csv')
                    if p.returncode == 0:
                        self.assertEqual(err, b'')
                        self.assertEqual(output, self.expected)
                    elif err:
                        self.assertEqual(err, b'kyori: stopped by a signal; no output file was replaced\n')
                        self.assertEqual(output, b'old')
                    else:
                        # silent: the signal came before the program could
                        # catch it (the old output), or once the output was
                        # in place (the new one)
                        self.assertIn(output, [b'old', self.expected])
                    self.assertEqual(sorted(os.listdir(folder)), ['in.csv', 'nb.csv'])


def tempfile_folder():
    import tempfile
    return tempfile.mkdtemp(prefix='kyori-batch-')


if __name__ == '__main__':
    bs.main()
