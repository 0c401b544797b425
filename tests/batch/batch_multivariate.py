#!/usr/bin/env python3
"""The principal components (--pca=PREFIX) and the groups (--groups,
--group-means, --k) as real processes: what their files hold, checked
against arithmetic done here; and the promises of batch mode under hostile
use: files that collide with DATA or each other, outputs that cannot be
written, bad counts of groups, data too small for them, names that would
break the pictures' XML, runs too large for memory, and signals.

    python3 batch_multivariate.py PATH/TO/kyori [TestClass ...]

Classes: Results, Hostile, AddressSpace (a plain build), XmlNames (xmllint),
Signals.
"""

import csv
import io
import math
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import time

import batch_support as bs
from batch_support import read_file as read, write_file as write

# Three clusters of three varieties, far apart: the silhouette chooses 3.
CLUSTERS = [('a1', 0, 0), ('a2', 1, 0), ('a3', 0, 1),
            ('b1', 10, 0), ('b2', 11, 0), ('b3', 10, 1),
            ('c1', 0, 10), ('c2', 1, 10), ('c3', 0, 11)]
CLUSTER_OF = {name: name[0] for name, _, _ in CLUSTERS}


def layout(rows, traits):
    """A data file in the kyori layout: rows of (name, value, ...)."""
    head = b'%d %d\r\n%s\r\n' % (len(rows), len(traits), b','.join(t.encode() for t in traits))
    body = b''.join(r[0].encode() + b',' + b' '.join(repr(v).encode() for v in r[1:]) + b'\r\n' for r in rows)
    return head + body


def table(rows, traits):
    """The same rows as a CSV table."""
    head = 'variety,' + ','.join(traits) + '\r\n'
    return (head + ''.join(','.join([r[0]] + [repr(v) for v in r[1:]]) + '\r\n' for r in rows)).encode()


SAMPLE_ROWS = [('v%d' % i, round(random.Random(i).uniform(50, 100), 2), round(random.Random(i + 99).uniform(10, 30), 2),
                round(random.Random(i + 7).uniform(0, 5), 3), round(random.Random(i + 3).uniform(1, 2), 3))
               for i in range(12)]
SAMPLE_TRAITS = ['height', 'length', 'count', 'weight']


def csv_rows(data):
    """A written table: UTF-8 with a byte-order mark and CR LF, read back as
    rows of cells."""
    assert data.startswith(b'\xef\xbb\xbf'), data[:10]
    text = data[3:].decode('utf-8')
    assert text.endswith('\r\n') and '\n' not in text.replace('\r\n', ''), text[-20:]
    return list(csv.reader(io.StringIO(text, newline='')))


def number(cell):
    return float('nan') if cell == 'NA' else float(cell)


def standardized(rows):
    """Each trait standardized: mean 0, sample standard deviation 1."""
    m = len(rows[0]) - 1
    columns = []
    for j in range(m):
        values = [r[j + 1] for r in rows]
        mean = sum(values) / len(values)
        sd = math.sqrt(sum((v - mean) ** 2 for v in values) / (len(values) - 1))
        columns.append([(v - mean) / sd for v in values])
    return [[columns[j][i] for j in range(m)] for i in range(len(rows))]


def groups_of(data):
    """{variety: group} from a --groups file, and the rows as read."""
    rows = csv_rows(data)
    return {r[0]: int(r[1]) for r in rows[1:]}, rows


class Results(bs.BatchTestCase):
    """What the files hold."""

    def run_ok(self, args, files, expected_lines=(), folders=()):
        folder = self.folder()
        for name in folders:
            os.mkdir(os.path.join(folder, name))
        for name, data in files.items():
            write(folder, name, data)
        result = bs.run(args, folder)
        self.assertEqual(result.status, 0, result)
        lines = [line for line in result.lines() if not line.startswith(b'kyori: cophenetic correlation')]
        self.assertEqual(len(lines), len(expected_lines), result)
        for line, pattern in zip(lines, expected_lines):
            self.assertRegex(line, pattern)
        return folder

    def test_components_solve_the_correlation_matrix(self):
        """Each component's loadings are a unit eigenvector of the traits'
        correlation matrix with its eigenvalue, the largest loading in
        absolute value positive; the scores are the standardized values
        times the loadings; the variance table adds up."""
        folder = self.run_ok(['--pca=out/rice', 'in.txt', 'out.txt'], {'in.txt': layout(SAMPLE_ROWS, SAMPLE_TRAITS)},
                             folders=['out'])
        self.assertEqual(sorted(os.listdir(os.path.join(folder, 'out'))),
                         ['rice_biplot.svg', 'rice_loadings.csv', 'rice_scores.csv', 'rice_variance.csv'])
        z = standardized(SAMPLE_ROWS)
        n, m = len(z), len(z[0])
        corr = [[sum(z[i][a] * z[i][b] for i in range(n)) / (n - 1) for b in range(m)] for a in range(m)]
        loadings = csv_rows(read(folder, 'out/rice_loadings.csv'))
        scores = csv_rows(read(folder, 'out/rice_scores.csv'))
        variance = csv_rows(read(folder, 'out/rice_variance.csv'))
        self.assertEqual(loadings[0], [''] + ['PC%d' % (c + 1) for c in range(m)])
        self.assertEqual([r[0] for r in loadings[1:]], SAMPLE_TRAITS)
        self.assertEqual([r[0] for r in scores[1:]], [r[0] for r in SAMPLE_ROWS])
        self.assertEqual(variance[0], ['', 'standard_deviation', 'eigenvalue', 'percent_of_variance',
                                       'cumulative_percent'])
        eigenvalues = [float(r[2]) for r in variance[1:]]
        self.assertEqual(eigenvalues, sorted(eigenvalues, reverse=True))
        self.assertAlmostEqual(sum(eigenvalues), m, delta=1e-12)  # the trace of a correlation matrix
        for c in range(m):
            v = [float(loadings[1 + j][1 + c]) for j in range(m)]
            self.assertAlmostEqual(sum(x * x for x in v), 1.0, delta=1e-12)
            largest = max(v, key=abs)
            self.assertGreater(largest, 0, 'component %d' % (c + 1))
            for a in range(m):
                self.assertAlmostEqual(sum(corr[a][b] * v[b] for b in range(m)), eigenvalues[c] * v[a], delta=1e-10)
            for i in range(n):
                self.assertAlmostEqual(float(scores[1 + i][1 + c]), sum(z[i][j] * v[j] for j in range(m)), delta=1e-10)
            sd, eigenvalue, percent, cumulative = map(float, variance[1 + c][1:])
            self.assertAlmostEqual(sd * sd, eigenvalue, delta=1e-12)
            self.assertAlmostEqual(percent, 100 * eigenvalue / m, delta=1e-10)
            self.assertAlmostEqual(cumulative, 100 * sum(eigenvalues[:c + 1]) / m, delta=1e-10)
        self.assertEqual(variance[-1][4], '100')

    def test_components_do_not_depend_on_the_reports_arithmetic(self):
        """The kyori layout in the compatible arithmetic (auto) and in the
        accurate one give the same four files, byte for byte: the components
        are computed in double precision from the values as read. The same
        numbers as a table (whose reader may round a value to its other
        neighbour) give the same components to 1e-12."""
        written = []
        for data, arithmetic in [(layout(SAMPLE_ROWS, SAMPLE_TRAITS), 'auto'),
                                 (layout(SAMPLE_ROWS, SAMPLE_TRAITS), 'accurate'),
                                 (table(SAMPLE_ROWS, SAMPLE_TRAITS), 'auto')]:
            folder = self.run_ok(['--arithmetic=' + arithmetic, '--pca=p', 'in.txt', 'out.txt'], {'in.txt': data})
            written.append({name: read(folder, 'p_' + name) for name in
                            ['scores.csv', 'loadings.csv', 'variance.csv', 'biplot.svg']})
        self.assertEqual(written[0], written[1])
        for name in ['scores.csv', 'loadings.csv', 'variance.csv']:
            layout_rows, table_rows = csv_rows(written[0][name]), csv_rows(written[2][name])
            self.assertEqual([r[0] for r in layout_rows], [r[0] for r in table_rows])
            for a, b in zip(layout_rows[1:], table_rows[1:]):
                for x, y in zip(a[1:], b[1:]):
                    self.assertAlmostEqual(float(x), float(y), delta=1e-12 * max(1.0, abs(float(x))))

    def test_groups_and_their_means(self):
        """Three far clusters: the silhouette chooses 3, named on standard
        error; each cluster is one group, numbered 1 to 3 down the tree; the
        means and spreads are in the data's own units; --k=2 merges two."""
        data = layout(CLUSTERS, ['x', 'y'])
        folder = self.run_ok(['--groups=g.csv', '--group-means=m.csv', 'in.txt', 'out.txt'], {'in.txt': data},
                             [rb'^kyori: groups: 3, chosen by the largest average silhouette width \(0\.\d{6}\)$'])
        groups, rows = groups_of(read(folder, 'g.csv'))
        self.assertEqual(rows[0], ['', 'group', 'silhouette_width', 'nearest_group'])
        self.assertEqual(sorted(set(groups.values())), [1, 2, 3])
        for name, group in groups.items():
            same = {other for other, g in groups.items() if g == group}
            self.assertEqual(same, {other for other in groups if CLUSTER_OF[other] == CLUSTER_OF[name]})
            width = float([r for r in rows if r[0] == name][0][2])
            self.assertGreater(width, 0.7, name)
        means = csv_rows(read(folder, 'm.csv'))
        self.assertEqual(means[0], ['', 'size', 'silhouette', 'within_distance', 'x mean', 'x sd', 'y mean', 'y sd'])
        raw = {name: (x, y) for name, x, y in CLUSTERS}
        for row in means[1:]:
            members = [name for name, g in groups.items() if g == int(row[0])]
            self.assertEqual(int(row[1]), 3)
            for j, (mean_cell, sd_cell) in enumerate([(row[4], row[5]), (row[6], row[7])]):
                values = [raw[name][j] for name in members]
                mean = sum(values) / 3
                self.assertAlmostEqual(float(mean_cell), mean, delta=1e-12)
                self.assertAlmostEqual(float(sd_cell), math.sqrt(sum((v - mean) ** 2 for v in values) / 2), delta=1e-12)
        folder = self.run_ok(['--groups=g.csv', '--k=2', 'in.txt', 'out.txt'], {'in.txt': data})
        two, _ = groups_of(read(folder, 'g.csv'))
        self.assertEqual(sorted(set(two.values())), [1, 2])
        for name in two:  # each cluster stays whole
            self.assertEqual(len({two[o] for o in two if CLUSTER_OF[o] == CLUSTER_OF[name]}), 1)

    def test_pictures_take_the_groups_colours(self):
        """With groups the tree picture and the biplot show one colour per
        group; without groups neither shows the groups' colours."""
        data = layout(CLUSTERS, ['x', 'y'])
        colours = [b'#1f77b4', b'#d62728', b'#2ca02c']
        plain = self.run_ok(['--svg=t.svg', '--pca=p', 'in.txt', 'out.txt'], {'in.txt': data})
        grouped = self.run_ok(['--svg=t.svg', '--pca=p', '--groups=g.csv', '--k=3', 'in.txt', 'out.txt'],
                              {'in.txt': data})
        for picture in ['t.svg', 'p_biplot.svg']:
            with self.subTest(picture=picture):
                for colour in colours:
                    self.assertIn(colour, read(grouped, picture))
                    self.assertNotIn(colour, read(plain, picture))
        # the same scores either way: the groups colour the biplot, nothing else
        self.assertEqual(read(plain, 'p_scores.csv'), read(grouped, 'p_scores.csv'))

    def test_two_varieties_have_components_but_no_groups(self):
        """n = 2: two components (the second of no variance) and a biplot;
        groups need three varieties."""
        rows = [('x', 1, 5, 2), ('y', 2, 7, 1)]
        folder = self.run_ok(['--pca=p', 'in.txt', 'out.txt'], {'in.txt': layout(rows, ['A', 'B', 'C'])})
        variance = csv_rows(read(folder, 'p_variance.csv'))
        self.assertEqual([r[0] for r in variance[1:]], ['PC1', 'PC2'])
        self.assertEqual(variance[2][1:3], ['0', '0'])
        self.assertAlmostEqual(float(variance[1][2]), 3.0, delta=1e-12)

    def test_japanese_messages(self):
        folder = self.folder()
        write(folder, 'in.txt', layout(CLUSTERS, ['x', 'y']))
        result = bs.run(['--groups=g.csv', 'in.txt', 'out.txt'], folder, env=bs.clean_environment(LANG='ja_JP.UTF-8'))
        self.assertEqual(result.status, 0, result)
        self.assertRegex(result.lines()[-2], re.escape('kyori: グループ数：3（平均シルエット幅が最大：'.encode()) +
                         rb'0\.\d{6}' + re.escape('）'.encode()))
        result = bs.run(['--groups=g.csv', '--method=nj', 'in.txt', 'out.txt'], folder,
                        env=bs.clean_environment(LANG='ja_JP.UTF-8'))
        self.assertFailedWith(result, 2, '--groups: グループは連結法'.encode())


SMALL = layout(CLUSTERS[:4], ['x', 'y'])
OLD = {'out.txt': b'old report\r\n', 'p_scores.csv': b'old scores\r\n', 'p_loadings.csv': b'old loadings\r\n',
       'p_variance.csv': b'old variance\r\n', 'p_biplot.svg': b'<old/>\n', 'g.csv': b'old groups\r\n',
       'm.csv': b'old means\r\n', 't.svg': b'<old tree/>\n'}
EVERYTHING = ['--pca=p', '--groups=g.csv', '--group-means=m.csv', '--svg=t.svg']


class Hostile(bs.BatchTestCase):
    """Each refusal: its status and one line, and every file as it was."""

    def prepared(self, data=SMALL, name='in.txt'):
        folder = self.folder()
        write(folder, name, data)
        for old, content in OLD.items():
            write(folder, old, content)
        os.mkdir(os.path.join(folder, 'sub'))
        os.symlink('loop', os.path.join(folder, 'loop'))
        return folder

    def refused(self, args, status, fragment, data=SMALL, setup=None, name='in.txt'):
        folder = self.prepared(data, name)
        if setup:
            setup(folder)
        before = bs.snapshot(folder)
        result = bs.run(args, folder)
        self.assertFailedWith(result, status, fragment)
        self.assertEqual(result.stdout, b'')
        self.assertEqual(bs.snapshot(folder), before)

    def test_files_that_collide(self):
        def link(target, name):
            return lambda folder: os.symlink(target, os.path.join(folder, name))

        def hard(target, name):
            return lambda folder: os.link(os.path.join(folder, target), os.path.join(folder, name))
        cases = [
            (['--pca=x', 'x_scores.csv', 'out.txt'], b'x_scores.csv: is the data file itself', None, 'x_scores.csv'),
            (['--pca=./x', 'x_biplot.svg', 'out.txt'], b'./x_biplot.svg: is the data file itself', None,
             'x_biplot.svg'),
            (['--pca=p', 'in.txt', 'p_variance.csv'], b'--pca and OUTPUT name the same file', None, 'in.txt'),
            (['--pca=p', '--svg=p_biplot.svg', 'in.txt', 'out.txt'], b'--pca and --svg name the same file',
             None, 'in.txt'),
            (['--pca=p', '--groups=sub/../p_loadings.csv', 'in.txt', 'out.txt'],
             b'--groups and --pca name the same file', None, 'in.txt'),
            (['--groups=g.csv', '--group-means=./g.csv', 'in.txt', 'out.txt'],
             b'--group-means and --groups name the same file', None, 'in.txt'),
            (['--groups=lnk', 'in.txt', 'out.txt'], b'lnk: is the data file itself', link('in.txt', 'lnk'), 'in.txt'),
            (['--group-means=hl', 'in.txt', 'out.txt'], b'hl: --group-means and OUTPUT name the same file',
             hard('out.txt', 'hl'), 'in.txt'),
            (['--pca=q', '--svg=t.svg', 'in.txt', 'out.txt'], b'--pca and --svg name the same file',
             link('t.svg', 'q_scores.csv'), 'in.txt'),
            (['--groups=-', 'in.txt', '-'], b'-: --groups and OUTPUT name the same file', None, 'in.txt'),
            (['--pca=p', '--standardized=p_scores.csv', 'in.txt', 'out.txt'],
             b'--pca and --standardized name the same file', None, 'in.txt'),
        ]
        for args, fragment, setup, name in cases:
            with self.subTest(args=args):
                self.refused(args, 2, fragment, setup=setup, name=name)

    def test_outputs_that_cannot_be_written(self):
        cases = [
            (['--pca=nodir/p', 'in.txt', 'out.txt'], b'nodir/p_scores.csv: cannot create the output file'),
            (['--pca=p', '--groups=sub', 'in.txt', 'out.txt'], b'sub: cannot create the output file'),
            (['--groups=g.csv', '--group-means=loop', 'in.txt', 'out.txt'], b'loop: cannot create the output file'),
            (EVERYTHING[:3] + ['--svg=/dev/full', 'in.txt', 'out.txt'], b'/dev/full: writing failed'),
            (['--pca=p', '--groups=/dev/full', 'in.txt', 'out.txt'], b'/dev/full: writing failed'),
            (['--pca=/dev/full/p', 'in.txt', 'out.txt'], b'/dev/full/p_scores.csv: cannot create the output file'),
        ]
        for args, fragment in cases:
            with self.subTest(args=args):
                self.refused(args, 1, fragment)

    def test_bad_counts_of_groups_and_data_too_small(self):
        usage = [
            (['--groups=g.csv', '--k=1'], b'value not allowed: --k=1'),
            (['--groups=g.csv', '--k=0'], b'value not allowed: --k=0'),
            (['--groups=g.csv', '--k=abc'], b'value not allowed: --k=abc'),
            (['--groups=g.csv', '--k=99999999999999999999'], b'value not allowed: --k=99999999999999999999'),
            (['--groups=g.csv', '--k=32767'], b'value not allowed: --k=32767'),
            (['--groups=g.csv', '--k=-2'], b'value not allowed: --k=-2'),
            (['--k=3', '--pca=p'], b'--k: the number of groups needs --groups or --group-means'),
            (['--groups=g.csv', '--method=nj'], b'--groups: groups are cut from a tree built by a linkage'),
            (['--group-means=m.csv', '--method=nj', '--svg=t.svg'], b'--group-means: groups are cut from a tree'),
        ]
        for args, fragment in usage:
            with self.subTest(args=args):
                self.refused(args + ['in.txt', 'out.txt'], 2, fragment)
        two = layout([('x', 1, 5), ('y', 2, 7)], ['A', 'B'])
        runs = [
            (['--groups=g.csv'], two, b'in.txt: groups need at least 3 varieties; the data has 2'),
            (['--pca=p', '--group-means=m.csv'], two, b'in.txt: groups need at least 3 varieties; the data has 2'),
            (['--groups=g.csv', '--k=4'], SMALL, b'in.txt: groups need at least 5 varieties; the data has 4'),
            (['--groups=g.csv', '--k=32766'], SMALL, b'in.txt: groups need at least 32767 varieties; the data has 4'),
            (['--pca=p'], layout([('x', 1), ('y', 2), ('z', 4)], ['A']),
             b'in.txt: principal components: the biplot needs at least two traits; the data has 1'),
            (EVERYTHING, layout([('x', 1, 5), ('y', 2, 5), ('z', 4, 5)], ['A', 'B']),
             b'in.txt: trait 2 (B): all its values are the same'),
        ]
        for args, data, fragment in runs:
            with self.subTest(args=args, data=data[:20]):
                self.refused(args + ['in.txt', 'out.txt'], 1, fragment, data=data)

    def test_every_output_of_a_run_is_replaced_together(self):
        folder = self.prepared()
        result = bs.run(EVERYTHING + ['in.txt', 'out.txt'], folder)
        self.assertEqual(result.status, 0, result)
        for name, old in OLD.items():
            self.assertNotEqual(read(folder, name), old, name)
        self.assertNoTemporaryFiles(folder)


class AddressSpace(bs.BatchTestCase):
    """Components too large for the memory are refused by the plan, from the
    counts alone, with the memory message: not an abort in the
    decomposition (a plain build: AddressSanitizer cannot run under an
    address-space limit)."""

    def test_components_beyond_the_memory(self):
        if os.environ.get('KYORI_SANITIZED') == '1':
            self.skipTest('AddressSanitizer cannot run under an address-space limit')
        limit = 8 << 30

        def apply():
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        folder = self.folder()
        write(folder, 'big.txt', b'12000 12000\r\n')
        # Without the components the counts fit, and the file ends early.
        result = bs.run(['big.txt', 'out.txt'], folder, preexec_fn=apply)
        self.assertFailedWith(result, 1, b'big.txt: line 1: the file ends before the name of trait 1')
        for args in [['--pca=p'], ['--pca=p', '--groups=g.csv', '--group-means=m.csv']]:
            with self.subTest(args=args):
                started = time.monotonic()
                result = bs.run(args + ['big.txt', 'out.txt'], folder, preexec_fn=apply)
                self.assertFailedWith(result, 1, re.compile(rb'^kyori: big\.txt: needs \d+\.\d GiB of memory; '
                                                            rb'this machine has 8\.0 GiB$'))
                self.assertLess(time.monotonic() - started, 10)
                self.assertEqual(sorted(os.listdir(folder)), ['big.txt'])


class XmlNames(bs.BatchTestCase):
    """Names with quotes, <, &, Japanese and bytes that are not UTF-8 through
    the biplot and the coloured tree picture: each file well-formed XML by
    xmllint, the tables' names quoted as CSV needs."""

    def test_hostile_names(self):
        if not shutil.which('xmllint'):
            self.skipTest('xmllint is not installed (Debian: libxml2-utils)')
        names = [b'<b>&amp;', b'"quoted" too', b"it's", '稲 コシヒカリ'.encode('utf-8'), b'\xff\xfe bad',
                 b']]> end', b'a\tb', b'&#x0;']
        traits = [b'<height>', b'len & "width"', '草丈'.encode('utf-8')]
        rng = random.Random(5)
        data = b'%d %d\r\n%s\r\n' % (len(names), len(traits), b','.join(traits))
        for name in names:
            data += name + b',' + b' '.join(b'%.2f' % rng.uniform(0, 50) for _ in traits) + b'\r\n'
        folder = self.folder()
        write(folder, 'in.txt', data)
        result = bs.run(['--pca=p', '--groups=g.csv', '--group-means=m.csv', '--svg=t.svg', 'in.txt', 'out.txt'],
                        folder)
        self.assertEqual(result.status, 0, result)
        for picture in ['p_biplot.svg', 't.svg']:
            with self.subTest(picture=picture):
                lint = subprocess.run(['xmllint', '--noout', os.path.join(folder, picture)], capture_output=True)
                self.assertEqual(lint.returncode, 0, lint.stderr)
                self.assertIn('コシヒカリ'.encode('utf-8'), read(folder, picture))
        scores = csv_rows(read(folder, 'p_scores.csv'))
        self.assertEqual(len(scores), len(names) + 1)
        self.assertEqual(scores[2][0], '"quoted" too')
        self.assertEqual(scores[4][0], '稲 コシヒカリ')
        loadings = csv_rows(read(folder, 'p_loadings.csv'))
        self.assertEqual([r[0] for r in loadings[1:]], ['<height>', 'len & "width"', '草丈'])
        groups, _ = groups_of(read(folder, 'g.csv'))
        self.assertEqual(len(groups), len(names))


class Signals(bs.BatchTestCase):
    """A 2,000 x 60 run with the components, the groups, their means and the
    pictures, ended by a signal at several moments: every output old or every
    one new, no temporary file left."""

    ARGS = EVERYTHING + ['--arithmetic=accurate', 'in.txt', 'out.txt']
    DELAYS = [0.0, 0.05, 0.2, 0.4, 0.6, 0.8, 1.0, 1.5]

    @classmethod
    def setUpClass(cls):
        rng = random.Random(11)
        rows = [('V%d' % i,) + tuple(round(rng.uniform(0, 100), 3) for _ in range(60)) for i in range(2000)]
        cls.data = layout(rows, ['T%d' % j for j in range(60)])
        folder = bs.tempfile.mkdtemp(prefix='kyori-batch-')
        try:
            write(folder, 'in.txt', cls.data)
            started = time.monotonic()
            result = bs.run(cls.ARGS, folder)
            cls.duration = time.monotonic() - started
            assert result.status == 0, result
            cls.expected = {name: read(folder, name) for name in OLD}
        finally:
            shutil.rmtree(folder)

    def test_catchable_signals_leave_nothing(self):
        for number in [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]:
            for delay in self.DELAYS:
                with self.subTest(signal=number.name, delay=delay):
                    folder = self.folder()
                    write(folder, 'in.txt', self.data)
                    for name, content in OLD.items():
                        write(folder, name, content)
                    p = subprocess.Popen([bs.PROGRAM] + self.ARGS, cwd=folder, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=bs.clean_environment())
                    time.sleep(delay * self.duration)
                    p.send_signal(number)
                    out, err = p.communicate(timeout=120)
                    result = bs.Result(p.returncode, out, err)
                    self.assertIn(result.status, (0, -number), result)
                    contents = {name: read(folder, name) for name in OLD}
                    if result.status == 0:
                        self.assertEqual(contents, self.expected)
                    else:
                        self.assertIn(contents, [OLD, self.expected])
                        # (a signal before the handlers are set ends the run
                        # with no word: nothing was made yet)
                        if contents == OLD and result.lines():
                            self.assertEqual(result.lines(),
                                             [b'kyori: stopped by a signal; no output file was replaced'])
                    self.assertNoTemporaryFiles(folder)
                    self.assertEqual(read(folder, 'in.txt'), self.data)


if __name__ == '__main__':
    bs.main()
