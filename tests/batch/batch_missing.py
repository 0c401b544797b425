#!/usr/bin/env python3
"""Missing values in batch mode, tried as real processes: --missing and
--min-common, the count of gaps on standard error, the traits that cannot be
standardized over their present values, the pairs without a distance where a
tree, a matrix or a picture needs every one, the compatible arithmetic
refused, and the promises of every run holding with gaps (nothing replaced
by a refused run, no temporary file, one transaction under signals and
under an address-space limit). A file without gaps gives the bytes it gave
when nothing was read as missing.

    python3 batch_missing.py PATH/TO/kyori [TestClass ...]
"""

import math
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import batch_support as bs
from batch_support import read_file as read, write_file as write

PROJECT = os.path.join(bs.HERE, '..', '..')
V = b'v,A,B\r\n'
# Four varieties, two traits, two gaps: standardized x -1 -1, y NA 1, z 0 NA,
# w 1 0; y and z have no trait in common.
GAPS = V + b'x,1,10\r\ny,NA,30\r\nz,3,NA\r\nw,5,20\r\n'
# The same in the kyori layout.
GAPS_LAYOUT = b'4 2\r\nA,B\r\nx,1 10\r\ny,NA 30\r\nz,3 NA\r\nw,5 20\r\n'
# Every pair shares a trait: a tree can be made.
SHARED = V + b'x,1,NA\r\ny,2,30\r\nz,4,20\r\nw,5,NA\r\nv,7,12\r\n'
OLD = {'out.txt': b'old report\r\n', 't.nwk': b'old tree\n', 't.phy': b'old matrix\n', 't.svg': b'<old/>\n',
       'z.csv': b'old values\r\n'}
STOPPED = b'kyori: stopped by a signal; no output file was replaced'
WHY_EVERY_PAIR = rb"; a tree, a PHYLIP matrix or a picture needs every pair's distance$"


def count_line(missing, values, traits, name=b'data'):
    return b'kyori: %s: %d of %d values missing, in %d trait%s' % (
        name, missing, values, traits, b'' if traits == 1 else b's')


def table_cells(data):
    """The rows of a CSV table kyori wrote, without its byte-order mark, as
    lists of cells (no cell here is quoted)."""
    text = data.decode('utf-8-sig')
    assert text.endswith('\r\n'), text[-20:]
    return [row.split(',') for row in text[:-2].split('\r\n')]


def standardized_by_hand(rows):
    """Each column over its present values (None for a gap): mean, sample sd."""
    columns = list(zip(*rows))
    result = []
    for column in columns:
        present = [v for v in column if v is not None]
        mean = sum(present) / len(present)
        sd = math.sqrt(sum((v - mean) ** 2 for v in present) / (len(present) - 1))
        result.append([None if v is None else (v - mean) / sd for v in column])
    return [list(row) for row in zip(*result)]


def distance_by_hand(a, b, min_common):
    """Over the traits both have, scaled up to all traits; None below
    min_common common traits."""
    common = [(p, q) for p, q in zip(a, b) if p is not None and q is not None]
    if len(common) < max(min_common, 1):
        return None
    return math.sqrt(len(a) / len(common) * sum((p - q) ** 2 for p, q in common))


def generated_with_gaps(varieties, traits, share, seed):
    """A table of random values, each missing with probability `share`, in
    the texts of the usual list; every trait keeps two different values."""
    rng = random.Random(seed)
    texts = [b'NA', b'', b'N/A', b'#N/A', b'NaN', b'.', b'-', b'?']
    lines = [b'variety,' + b','.join(b'T%d' % (j + 1) for j in range(traits))]
    for i in range(varieties):
        cells = [rng.choice(texts) if i >= 2 and rng.random() < share else b'%.3f' % rng.uniform(0, 100)
                 for _ in range(traits)]
        lines.append(b'V%d,' % (i + 1) + b','.join(cells))
    return b'\r\n'.join(lines) + b'\r\n'


class MissingCase(bs.BatchTestCase):

    def prepared(self, data):
        folder = self.folder()
        write(folder, 'data', data)
        for name, content in OLD.items():
            write(folder, name, content)
        return folder

    def assertRefused(self, data, options, status, lines, env=None):
        """Exit `status`, standard error exactly `lines` (bytes, or regexes
        for the last), nothing written or left."""
        folder = self.prepared(data)
        before = bs.snapshot(folder)
        result = bs.run(options + ['data', 'out.txt'], folder, env=env)
        self.assertNoSignal(result)
        self.assertEqual(result.status, status, result)
        self.assertEqual(result.stdout, b'')
        got = result.lines()
        self.assertEqual(len(got), len(lines), result)
        for line, expected in zip(got, lines):
            if isinstance(expected, bytes):
                self.assertEqual(line, expected)
            else:
                self.assertRegex(line, expected)
        self.assertEqual(bs.snapshot(folder), before, 'nothing written, no temporary file')
        return got

    def run_ok(self, data, options, env=None):
        """A run that succeeds in a folder of its own; the result and every
        file it wrote."""
        folder = self.folder()
        write(folder, 'data', data)
        result = bs.run(options + ['data', 'out.txt'], folder, env=env)
        self.assertNoSignal(result)
        self.assertEqual(result.status, 0, result)
        self.assertNoTemporaryFiles(folder)
        return result, {name: read(folder, name) for name in os.listdir(folder) if name != 'data'}


# Refused runs: label, data, options, exit status, standard error's lines.
REFUSED = [
    ('a trait missing in every variety', V + b'x,1,NA\r\ny,2,\r\nz,3,?\r\n', [], 1,
     [count_line(3, 6, 1), re.compile(rb'^kyori: data: trait 2 \(B\): fewer than two present values \(0\); '
                                      rb'standardizing needs two$')]),
    ('a trait with one present value', V + b'x,1,NA\r\ny,2,5\r\nz,3,-\r\n', [], 1,
     [count_line(2, 6, 1), re.compile(rb'^kyori: data: trait 2 \(B\): fewer than two present values \(1\); ')]),
    ('present values all equal', V + b'x,1,4\r\ny,2,NA\r\nz,3,4\r\n', [], 1,
     [count_line(1, 6, 1), re.compile(rb'^kyori: data: trait 2 \(B\): all its present values are the same$')]),
    ('the first trait that cannot be, in trait order', b'v,A,B,C\r\nx,1,NA,2\r\ny,NA,NA,2\r\nz,3,NA,NA\r\n', [], 1,
     [count_line(5, 9, 3), re.compile(rb'^kyori: data: trait 2 \(B\): fewer than two present values \(0\)')]),
    ('two varieties with nothing in common, a tree', GAPS, ['--tree=t.nwk'], 1,
     [count_line(2, 8, 2), re.compile(rb'^kyori: data: varieties 2 \(y\) and 3 \(z\) have no trait in common, '
                                      rb'so no distance; pairs without a distance: 1' + WHY_EVERY_PAIR)]),
    ('the same, neighbour joining', GAPS, ['--method=nj', '--tree=t.nwk', '--standardized=z.csv'], 1,
     [count_line(2, 8, 2), re.compile(rb'^kyori: data: varieties 2 \(y\) and 3 \(z\) have no trait in common')]),
    ('the same, a PHYLIP matrix', GAPS, ['--phylip=t.phy'], 1,
     [count_line(2, 8, 2), re.compile(rb'^kyori: data: varieties 2 \(y\) and 3 \(z\) have no trait in common')]),
    ('the same, a picture', GAPS, ['--svg=t.svg', '--format=csv'], 1,
     [count_line(2, 8, 2), re.compile(rb'^kyori: data: varieties 2 \(y\) and 3 \(z\) have no trait in common')]),
    ('the same in the kyori layout', GAPS_LAYOUT, ['--tree=t.nwk'], 1,
     [count_line(2, 8, 2), re.compile(rb'^kyori: data: varieties 2 \(y\) and 3 \(z\) have no trait in common')]),
    ('fewer common traits than --min-common', GAPS, ['--min-common=2', '--phylip=t.phy'], 1,
     [count_line(2, 8, 2), re.compile(rb'^kyori: data: varieties 1 \(x\) and 2 \(y\) have fewer than 2 traits in '
                                      rb'common \(--min-common=2\), so no distance; pairs without a distance: 5'
                                      + WHY_EVERY_PAIR)]),
    ('--min-common above the traits: no pair has a distance', SHARED, ['--min-common=3', '--tree=t.nwk'], 1,
     [count_line(2, 10, 1), re.compile(rb'^kyori: data: varieties 1 \(x\) and 2 \(y\) have fewer than 3 traits '
                                       rb'.*pairs without a distance: 10;')]),
    ('--missing= makes NA an error again', GAPS, ['--missing='], 1,
     [re.compile(rb'^kyori: data: line 3: value of A for y is "NA", not a number$')]),
    ('--missing= and an empty cell', V + b'x,1,2\r\ny,,4\r\nz,3,5\r\n', ['--missing='], 1,
     [re.compile(rb'^kyori: data: line 3: value of A for y is empty$')]),
    ('--missing= in the kyori layout', GAPS_LAYOUT, ['--missing='], 1,
     [re.compile(rb'^kyori: data: line 4: value of A for y is "NA", not a number$')]),
    ('--missing=999 reads NA as no number', GAPS, ['--missing=999'], 1,
     [re.compile(rb'^kyori: data: line 3: value of A for y is "NA", not a number$')]),
    ('an empty field of the kyori layout stays an error', b'3 2\r\nA,B\r\nx,1,,2\r\ny,3 4\r\nz,5 6\r\n',
     ['--missing=,NA'], 1, [re.compile(rb'^kyori: data: line 3: value of B for x is empty; two commas')]),
    ('the compatible arithmetic asked for', GAPS, ['--arithmetic=compatible'], 2,
     [re.compile(rb'^kyori: data: 2 values are missing, and the compatible arithmetic has no definition for '
                 rb'missing values; use --arithmetic=accurate or auto$')]),
    ('one value missing, the compatible arithmetic asked for', V + b'x,1,10\r\ny,NA,30\r\nz,3,20\r\n',
     ['--arithmetic=compatible'], 2, [re.compile(rb'^kyori: data: 1 value is missing, and the compatible arithmetic')]),
    ('the compatible arithmetic asked for, the kyori layout', GAPS_LAYOUT, ['--arithmetic=compatible', '--tree=t.nwk'],
     2, [re.compile(rb'^kyori: data: 2 values are missing, and the compatible arithmetic')]),
]

# Usage errors: the options, the one line's end. Each with GAPS as data.
USAGE = [
    (['--min-common=0'], b'value not allowed: --min-common=0'),
    (['--min-common=abc'], b'value not allowed: --min-common=abc'),
    (['--min-common='], b'value not allowed: --min-common='),
    (['--min-common=-1'], b'value not allowed: --min-common=-1'),
    (['--min-common=1.5'], b'value not allowed: --min-common=1.5'),
    (['--min-common=32768'], b'value not allowed: --min-common=32768'),
    (['--min-common=2', '--min-common=2'], b'option given more than once: --min-common'),
    (['--min-common'], b'value not allowed: --min-common=data'),
    (['--missing=NA, 999'], b'value not allowed: --missing=NA, 999'),
    (['--missing=NA ,999'], b'value not allowed: --missing=NA ,999'),
    (['--missing=NA', '--missing=999'], b'option given more than once: --missing'),
]


# Patterns of gaps, as rows of values (None for a gap).
GAP_PATTERNS = [
    ('the worked example, and a variety with one trait', [[1, 10], [None, 30], [3, None], [5, 20], [2.5, None]]),
    ('a variety missing all but one trait',
     [[1, 10, 7.5], [2, 30, 1], [None, None, 4], [5, 20, 2], [3, 12, 9]]),
    ('a trait present in two varieties only',
     [[1, None, 7.5], [2, 30, 1], [4, None, 4], [5, 20, None], [3, None, 9]]),
    ('two varieties with no trait in common, and complete pairs',
     [[1, None, None], [None, 30, 1], [4, 25, 4], [5, 20, 2], [3, 21, 9]]),
    ('all values present', [[1, 10, 7.5], [2, 30, 1], [4, 25, 4], [5, 20, 2]]),
]


class Gaps(MissingCase):

    def test_refused_runs(self):
        for label, data, options, status, lines in REFUSED:
            with self.subTest(label):
                self.assertRefused(data, options, status, lines)

    def test_usage_errors(self):
        for options, message in USAGE:
            with self.subTest(options=options):
                self.assertRefused(GAPS, options, 2, [b'kyori: ' + message])

    def test_values_and_distances_by_hand(self):
        """The tables of files with gaps against the definitions worked out
        here, for each pattern of gaps that matters: NA exactly at the gaps
        and the pairs without a distance, for each least number of common
        traits."""
        for label, rows in GAP_PATTERNS:
            names = ['v%d' % (i + 1) for i in range(len(rows))]
            traits = len(rows[0])
            data = ('v,' + ','.join('T%d' % (j + 1) for j in range(traits)) + '\r\n' + ''.join(
                name + ',' + ','.join('NA' if v is None else repr(v) for v in row) + '\r\n'
                for name, row in zip(names, rows))).encode()
            z = standardized_by_hand(rows)
            missing = sum(v is None for row in rows for v in row)
            with_gaps = sum(any(row[j] is None for row in rows) for j in range(traits))
            for min_common in (1, 2):
                with self.subTest(label, min_common=min_common):
                    result, files = self.run_ok(data, ['--min-common=%d' % min_common, '--format=csv',
                                                       '--standardized=z.csv'])
                    self.assertEqual(result.lines(), [count_line(missing, len(rows) * traits, with_gaps)]
                                     if missing else [])
                    values = table_cells(files['z.csv'])
                    self.assertEqual(values[0], [''] + ['T%d' % (j + 1) for j in range(traits)])
                    for row, expected in zip(values[1:], z):
                        for cell, value in zip(row[1:], expected):
                            self.assertCloseOrNA(cell, value)
                    distances = table_cells(files['out.txt'])
                    self.assertEqual(distances[0], [''] + names)
                    for i, row in enumerate(distances[1:]):
                        self.assertEqual(row[0], names[i])
                        for k, cell in enumerate(row[1:]):
                            expected = 0.0 if i == k else distance_by_hand(z[i], z[k], min_common)
                            self.assertCloseOrNA(cell, expected)

    def assertCloseOrNA(self, cell, expected):
        if expected is None:
            self.assertEqual(cell, 'NA')
        else:
            self.assertNotEqual(cell, 'NA')
            self.assertAlmostEqual(float(cell), expected, delta=1e-14 * max(1.0, abs(expected)))

    def test_the_report_writes_NA_in_its_cells(self):
        """The report: a gap's standardized value and a pair without a
        distance are NA; the pairs with one are the accurate arithmetic's."""
        result, files = self.run_ok(GAPS, [])
        self.assertEqual(result.lines(), [count_line(2, 8, 2)])
        lines = files['out.txt'].split(b'\r\n')
        self.assertEqual(lines[0], bs.HEADING_STANDARDIZED)
        self.assertEqual([line.split() for line in lines[1:5]],
                         [[b'-1', b'-1'], [b'NA', b'1'], [b'0.000000', b'NA'], [b'1', b'0.000000']])
        self.assertEqual(lines[5], bs.HEADING_RESULTS)
        self.assertEqual(lines[7].split(), [b'y', b'2.828427', b'0.000000', b'NA', b'1.414213'])
        self.assertEqual(lines[8].split(), [b'z', b'1.414213', b'NA', b'0.000000', b'1.414213'])

    def test_the_kyori_layout_and_the_table_agree(self):
        """NA read from either layout, in the accurate arithmetic that auto
        takes for gaps: the same report."""
        table = self.run_ok(GAPS, [])
        layout = self.run_ok(GAPS_LAYOUT, [])
        self.assertEqual(layout[0].lines(), table[0].lines())
        self.assertEqual(layout[1], table[1])
        self.assertEqual(self.run_ok(GAPS_LAYOUT, ['--arithmetic=accurate'])[1], table[1])

    def test_the_distance_table_has_a_place_for_a_pair_without_a_distance(self):
        """Where a tree is refused, --format=csv writes the pair NA."""
        _, files = self.run_ok(GAPS, ['--format=csv'])
        rows = table_cells(files['out.txt'])
        self.assertEqual(rows[2][3], 'NA')  # y-z
        self.assertEqual(rows[3][2], 'NA')  # z-y
        self.assertEqual(sum(row[1:].count('NA') for row in rows[1:]), 2)

    def test_every_product_where_every_pair_has_a_distance(self):
        """Gaps, but every pair shares a trait: the tree, matrix and picture
        are made, the same bytes for 1 and 3 threads."""
        options = ['--tree=t.nwk', '--phylip=t.phy', '--svg=t.svg', '--standardized=z.csv']
        one = self.run_ok(SHARED, ['--jobs=1'] + options)
        three = self.run_ok(SHARED, ['--jobs=3'] + options)
        self.assertEqual(one[1], three[1])
        self.assertEqual(one[0].lines()[0], count_line(2, 10, 1))
        self.assertRegex(one[0].lines()[1], rb'^kyori: cophenetic correlation \(average\): \d\.\d{6}$')
        self.assertEqual(len(one[0].lines()), 2)
        self.assertNotIn(b'NA', one[1]['t.phy'])
        self.assertIn(b'NA', one[1]['z.csv'])

    def test_a_chosen_missing_text_reads_as_NA_does(self):
        """--missing=999 on the file with 999 where the gaps are: the very
        bytes of the usual list on NA; standard input too."""
        coded = GAPS.replace(b'NA', b'999')
        for options in ([], ['--tree=t.nwk'], ['--format=tsv', '--standardized=z.tsv']):
            if '--tree=t.nwk' in options:
                data, coded_data = SHARED, SHARED.replace(b'NA', b'999')
            else:
                data, coded_data = GAPS, coded
            with self.subTest(options=options):
                usual = self.run_ok(data, options)
                chosen = self.run_ok(coded_data, ['--missing=-99,999'] + options)
                self.assertEqual(chosen[1], usual[1])
                self.assertEqual(chosen[0].lines(), usual[0].lines())
        folder = self.folder()
        piped = bs.run(['--missing=999', '-', '-'], folder, stdin=coded)
        self.assertEqual(piped.status, 0, piped)
        self.assertEqual(piped.lines(), [count_line(2, 8, 2, b'-')])
        self.assertEqual(piped.stdout, self.run_ok(GAPS, [])[1]['out.txt'])

    def test_a_file_without_gaps_gives_the_bytes_it_gave_without_missing_values(self):
        """The sample, as it is and as a table: every output of every option
        the same with the usual list, with none (--missing=, the readers as
        they were before missing values) and with --min-common; no count on
        standard error."""
        with open(os.path.join(PROJECT, 'examples', 'kyori_in.txt'), 'rb') as f:
            sample = f.read()
        table = b'v,A,B,C\r\nx,1.5,-2,3e2\r\ny,2,0.5,7\r\nz,4,1,250\r\nw,3,3,280\r\n'
        for label, data in (('the sample', sample), ('a table', table)):
            for options in ([], ['--tree=t.nwk', '--phylip=t.phy', '--svg=t.svg', '--standardized=z.csv'],
                            ['--format=csv', '--standardized=z.csv', '--method=nj', '--tree=t.nwk']):
                with self.subTest(label, options=options):
                    before = self.run_ok(data, ['--missing='] + options)
                    for extra in ([], ['--min-common=4'], ['--missing=999']):
                        now = self.run_ok(data, extra + options)
                        self.assertEqual(now[1], before[1])
                        self.assertEqual(now[0].stderr, before[0].stderr)
                        self.assertNotIn(b'missing', now[0].stderr)

    def test_messages_in_japanese(self):
        env = bs.clean_environment(LANG='ja_JP.UTF-8')
        cases = [
            (GAPS, ['--console=utf-8', '--tree=t.nwk'], 1,
             ['kyori: data: 8個の値のうち2個が欠測です（2形質に）',
              'kyori: data: 2番目の品種（y）と3番目の品種（z）には共通の形質がなく，距離がありません．'
              '距離のない組は全部で1組あり，樹形図，PHYLIP 行列，図にはすべての組の距離が必要です']),
            (GAPS, ['--console=utf-8', '--min-common=2', '--tree=t.nwk'], 1,
             ['kyori: data: 8個の値のうち2個が欠測です（2形質に）',
              'kyori: data: 1番目の品種（x）と2番目の品種（y）の共通の形質は2未満です（--min-common=2）．'
              '距離がありません．距離のない組は全部で5組あり，樹形図，PHYLIP 行列，図にはすべての組の距離が必要です']),
            (V + b'x,1,NA\r\ny,2,5\r\nz,3,-\r\n', ['--console=utf-8'], 1,
             ['kyori: data: 6個の値のうち2個が欠測です（1形質に）',
              'kyori: data: 2番目の形質（B）の欠測でない値が2個未満です（1個）．標準化には2個以上必要です']),
            (V + b'x,1,4\r\ny,2,NA\r\nz,3,4\r\n', ['--console=utf-8'], 1,
             ['kyori: data: 6個の値のうち1個が欠測です（1形質に）',
              'kyori: data: 2番目の形質（B）の欠測でない値がすべて同一です']),
            (GAPS, ['--console=utf-8', '--arithmetic=compatible'], 2,
             ['kyori: data: 2個の欠測値があります．互換の計算には欠測値の定義がないため，'
              '--arithmetic=accurate（または auto）で実行してください']),
        ]
        for data, options, status, lines in cases:
            with self.subTest(options=options, lines=lines[-1]):
                self.assertRefused(data, options, status, [line.encode('utf-8') for line in lines], env=env)
        # Shift-JIS on a console that is not UTF-8.
        got = self.assertRefused(GAPS, ['--console=cp932', '--tree=t.nwk'], 1,
                                 [cases[0][3][0].encode('cp932'), cases[0][3][1].encode('cp932')], env=env)
        self.assertEqual(len(got), 2)


class GapsUnderSignals(bs.BatchTestCase):
    """A 3,000 x 40 table with 10 % of its values missing, every output asked
    for, ended by a signal at several moments: all outputs old or all new,
    no temporary file, the signal's line or none."""

    ARGS = ['--tree=t.nwk', '--phylip=t.phy', '--svg=t.svg', '--standardized=z.csv', 'data', 'out.txt']
    DELAYS = [0.0, 0.05, 0.2, 0.5, 0.8, 1.2, 2.0]

    @classmethod
    def setUpClass(cls):
        cls.data = generated_with_gaps(3000, 40, 0.10, 11)
        folder = tempfile.mkdtemp(prefix='kyori-batch-')
        write(folder, 'data', cls.data)
        started = time.monotonic()
        result = bs.run(cls.ARGS, folder)
        cls.duration = time.monotonic() - started
        assert result.status == 0, result
        cls.count = result.lines()[0]
        assert re.match(rb'^kyori: data: \d+ of 120000 values missing, in 40 traits$', cls.count), result
        cls.expected = {name: read(folder, name) for name in OLD}
        shutil.rmtree(folder)

    def test_catchable_signals(self):
        for number in [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]:
            for delay in self.DELAYS:
                with self.subTest(signal=number.name, delay=delay):
                    folder = self.folder()
                    write(folder, 'data', self.data)
                    for name, content in OLD.items():
                        write(folder, name, content)
                    p = subprocess.Popen([bs.PROGRAM] + self.ARGS, cwd=folder, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=bs.clean_environment())
                    time.sleep(delay * self.duration / 2.0)
                    p.send_signal(number)
                    out, err = p.communicate(timeout=120)
                    result = bs.Result(p.returncode, out, err)
                    self.assertIn(result.status, (0, -number), result)
                    contents = {name: read(folder, name) for name in OLD}
                    self.assertIn(contents, [OLD, self.expected])
                    if result.status == 0:
                        self.assertEqual(contents, self.expected)
                    lines = result.lines()
                    for line in lines:
                        if not line.startswith(b'kyori: cophenetic correlation'):
                            self.assertIn(line, [self.count, STOPPED])
                    if STOPPED in lines:
                        self.assertEqual(contents, OLD)
                    self.assertNoTemporaryFiles(folder)
                    self.assertEqual(read(folder, 'data'), self.data)


class GapsUnderMemoryLimits(MissingCase):
    """A table of 2,000 x 12 with gaps and a tree under address-space limits
    rising by 8 % from 24 MiB: the run is refused by the memory check or by
    running out (one line after the count, nothing replaced), or done with
    the outputs of a run without a limit; never a signal, never a temporary
    file left."""

    def test_sweep(self):
        if os.environ.get('KYORI_SANITIZED') == '1':
            self.skipTest('AddressSanitizer cannot run under an address-space limit')
        data = generated_with_gaps(2000, 12, 0.1, 5)
        options = ['--tree=t.nwk', '--standardized=z.csv', '--svg=t.svg', '--jobs=8']
        _, expected = self.run_ok(data, options)
        limit = 24 << 20
        refused = 0
        while True:
            folder = self.prepared(data)
            before = bs.snapshot(folder)

            def limited(limit=limit):
                resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
            result = bs.run(options + ['data', 'out.txt'], folder, preexec_fn=limited)
            self.assertNoSignal(result)
            self.assertNoTemporaryFiles(folder)
            if result.status == 0:
                written = {name: read(folder, name) for name in expected}
                self.assertEqual(written, expected)
                break
            self.assertEqual(result.status, 1, result)
            lines = result.lines()
            self.assertRegex(lines[-1], rb'^kyori: data: (needs \d+\.\d GiB of memory; this machine has \d+\.\d GiB'
                                        rb'|not enough memory to finish the run)$')
            for line in lines[:-1]:
                self.assertRegex(line, rb'^kyori: data: \d+ of 24000 values missing, in 12 traits$')
            self.assertEqual(bs.snapshot(folder), before)
            refused += 1
            limit = int(limit * 1.08)
            self.assertLess(limit, 8 << 30, 'no limit let the run through')
        self.assertGreater(refused, 0, 'the sweep started above what the run needs')


if __name__ == '__main__':
    bs.main()
