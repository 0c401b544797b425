#!/usr/bin/env python3
"""Batch mode on the tables users have: spreadsheet CSV, TSV and semicolon
files, read by --input=auto (the default), csv or tsv. Each case is a real
process in its own temporary folder.

GoodTables   a table of good inputs (delimiters, quoting, byte-order mark,
             Shift-JIS and UTF-8 names, line ends, exponents, blanks around
             numbers, R's write.csv layout): the distances of --phylip=FILE
             (each the shortest text of its double) equal SciPy's
             pdist(zscore(x, ddof=1)) on the same numbers to 1e-12 relative,
             and its names are the file's names in UTF-8; the kyori layout
             holding the same data gives the same distances in the accurate
             arithmetic. OUTPUT written by --format=csv and the table of
             --standardized, read back by pandas, hold the same distances
             and SciPy's zscore, under the file's names and trait names;
             --format=tsv holds the same numbers. Needs numpy, SciPy and
             pandas (exit 77 without them).
Tables       what runs anywhere: the report of a table is the accurate report
             of the same data in the kyori layout; a table or the kyori
             layout from standard input given in pieces; names converted by
             the table's encoding; the delimiter and reader asked for.
BadTables    a table of bad inputs, tables and the kyori layout: exit 1, one
             line naming the line of the file, nothing written, an existing
             OUTPUT untouched, no temporary file; and a run stopped by a
             signal while it reads a table.

    python3 batch_tables.py PATH/TO/kyori [CLASS ...]
"""

import os
import random
import re
import signal
import subprocess
import time
import unittest

import batch_support as bs
from batch_support import read_file as read, write_file as write

try:
    import numpy
    import pandas
    from scipy.spatial.distance import pdist, squareform
    from scipy.stats import zscore
    HAVE_TOOLS = True
except ImportError:  # reported as a skip of every case that needs them
    HAVE_TOOLS = False

RELATIVE = 1e-12


def close(a, b):
    return abs(a - b) <= RELATIVE * max(abs(a), abs(b), 1.0)


class Table:
    """A table's names and values, and ways to write it as a file."""

    def __init__(self, corner, traits, rows):
        self.corner = corner      # the first header cell (str)
        self.traits = traits      # [str]
        self.rows = rows          # [(name str, [value text str])]

    def numbers(self):
        return [[float(v.strip().replace(',', '.')) for v in values] for _, values in self.rows]

    def names(self):
        return [name for name, _ in self.rows]

    def text(self, delimiter=',', line_end='\n', quote_all=False, last_line_end=True):
        def cell(c):
            if quote_all or any(ch in c for ch in (delimiter, '"', '\n', '\r')):
                return '"' + c.replace('"', '""') + '"'
            return c
        lines = [delimiter.join(cell(c) for c in [self.corner] + self.traits)]
        for name, values in self.rows:
            lines.append(delimiter.join([cell(name)] + [cell(v) if quote_all else v for v in values]))
        body = line_end.join(lines)
        return body + line_end if last_line_end else body

    def kyori_layout(self):
        """The same data in the kyori layout (counts first)."""
        out = ['%d %d' % (len(self.rows), len(self.traits)), ','.join(self.traits)]
        for name, values in self.rows:
            out.append(name)
            out.append(' '.join(values))
        return ('\r\n'.join(out) + '\r\n').encode('cp932')


def generated(seed, varieties, traits, names=None, value=None):
    rng = random.Random(seed)
    names = names or ['V%03d' % (i + 1) for i in range(varieties)]
    value = value or (lambda r, j: '%.*f' % (r.randrange(0, 4), r.uniform(-50, 50) * (j + 1)))
    trait_names = ['T%d' % (j + 1) for j in range(traits)]
    rows = [(names[i], [value(rng, j) for j in range(traits)]) for i in range(varieties)]
    return Table('variety', trait_names, rows)


def japanese():
    t = generated(7, 5, 3, names=['コシヒカリ', 'ササニシキ', 'あきたこまち', 'ひとめぼれ', '日本晴'])
    t.corner = '品種名'
    t.traits = ['稈長', '穂長', '穂数']
    return t


def exponents():
    return generated(11, 8, 3, value=lambda r, j: r.choice(['%.3e', '%.2E', '%+.4g', '%g']) % (r.uniform(1, 9) * 10 ** r.randrange(-3, 4)))


def awkward_names():
    """Variety names holding the delimiter, a quote, a tab; a trait name
    holding a line break (a variety name may not: it heads a line)."""
    t = generated(13, 5, 2, names=['a,b', 'say "hi"', 'semi;colon', 'plain', 'tab\there'])
    t.traits = ['two\nlines', 'T2']
    return t


def half_width():
    """Shift-JIS names whose bytes are well-formed UTF-8 too: ﾃｩ is C3 A9,
    which UTF-8 reads as é."""
    return generated(19, 4, 2, names=['ﾃｩ', 'ｱｲ', '日本晴', 'ﾊﾟ'])


# (title, table, file bytes, extra options)
def good_cases():
    plain = generated(1, 12, 4)
    j = japanese()
    semicolon = generated(3, 9, 3)
    semicolon_rows = [(n, [v.replace('.', ',') for v in vs]) for n, vs in semicolon.rows]
    semicolon_as_written = Table(semicolon.corner, semicolon.traits, semicolon_rows)
    spaced = generated(5, 6, 3)
    spaced_as_written = Table(spaced.corner, spaced.traits, [(n, [' %s ' % v for v in vs]) for n, vs in spaced.rows])
    r_style = generated(17, 7, 3)
    r_style.corner = ''
    names = awkward_names()
    return [
        ('comma, LF', plain, plain.text().encode(), []),
        ('tab, CR LF', plain, plain.text('\t', '\r\n').encode(), []),
        ('semicolon, decimal comma', semicolon_as_written, semicolon_as_written.text(';').encode(), []),
        ('no line end at the end', plain, plain.text(last_line_end=False).encode(), []),
        ('UTF-8 names with a byte-order mark', j, b'\xef\xbb\xbf' + j.text().encode(), []),
        ('UTF-8 names without a byte-order mark', j, j.text('\t').encode(), []),
        ('Shift-JIS names', j, j.text(line_end='\r\n').encode('cp932'), []),
        ('exponents and a plus sign', exponents(), exponents().text().encode(), []),
        ('blanks around numbers', spaced_as_written, spaced_as_written.text().encode(), []),
        ("R's write.csv: every cell quoted, empty corner", r_style, r_style.text(quote_all=True).encode(), []),
        ('quoted names holding the delimiter, a quote, a line break', names, names.text().encode(), []),
        ('Shift-JIS names that read as UTF-8 too', half_width(), half_width().text().encode('cp932'), []),
        ('--input=tsv', plain, plain.text('\t').encode(), ['--input=tsv']),
        ('--input=csv', plain, plain.text().encode(), ['--input=csv']),
    ]


def expected_distances(table):
    x = numpy.array(table.numbers(), dtype=float)
    return squareform(pdist(zscore(x, ddof=1), 'euclidean'))


PHYLIP_UNSAFE = re.compile(r"[\x00-\x20\x7f-\x9f\u00a0\u1680\u2000-\u200a\u2028\u2029\u202f\u205f\u3000()\[\],:;']")


def phylip_name(name):
    """A name as the PHYLIP matrix writes it: blanks, controls and the
    characters that end a name elsewhere become '_' (names here are unique)."""
    return PHYLIP_UNSAFE.sub('_', name) or 'unnamed'


def read_phylip(data):
    """(names, matrix of floats) of a square PHYLIP matrix in UTF-8."""
    lines = data.decode('utf-8').split('\n')
    n = int(lines[0])
    rows = [line.split(' ') for line in lines[1:n + 1]]
    return [row[0] for row in rows], [[float(v) for v in row[1:]] for row in rows]


class GoodTables(bs.BatchTestCase):

    def setUp(self):
        if not HAVE_TOOLS:
            self.skipTest('needs numpy, SciPy and pandas (Debian: python3-scipy, python3-pandas)')

    def run_table(self, data, options, name='data.csv'):
        """The names and distances of the PHYLIP matrix of `data`."""
        folder = self.folder()
        write(folder, name, data)
        result = bs.run(options + ['--phylip=p.phy', name, 'out.txt'], folder)
        self.assertSucceeded(result, warnings_allowed=False)
        return read_phylip(read(folder, 'p.phy'))

    def assertMatrix(self, got, expected, where):
        self.assertEqual(len(got), len(expected), where)
        for i in range(len(expected)):
            self.assertEqual(len(got[i]), len(expected[i]), where)
            for k in range(len(expected[i])):
                self.assertTrue(close(got[i][k], expected[i][k]),
                                '%s [%d, %d]: %r, expected %r' % (where, i, k, got[i][k], expected[i][k]))

    def test_good_tables(self):
        for title, table, data, options in good_cases():
            with self.subTest(title):
                names, distances = self.run_table(data, options)
                self.assertEqual(names, [phylip_name(n) for n in table.names()])
                self.assertMatrix(distances, expected_distances(table), title)

    def assertValues(self, frame, expected, where):
        got = frame.to_numpy(dtype=float)
        self.assertEqual(got.shape, expected.shape, where)
        for (i, k), value in numpy.ndenumerate(expected):
            self.assertTrue(close(got[i, k], value), '%s [%d, %d]: %r, expected %r' % (where, i, k, got[i, k], value))

    def read_tables(self, data, options, suffix, sep):
        """The distances (OUTPUT) and standardized values (--standardized)
        of `data`, as pandas reads them back."""
        folder = self.folder()
        write(folder, 'data.csv', data)
        result = bs.run(options + ['--standardized=z' + suffix, 'data.csv', 'd' + suffix], folder)
        self.assertSucceeded(result, warnings_allowed=False)
        def frame(name):
            return pandas.read_csv(os.path.join(folder, name), sep=sep, index_col=0, encoding='utf-8-sig',
                                   float_precision='round_trip', keep_default_na=False, na_values=['NA'])
        return frame('d' + suffix), frame('z' + suffix)

    def test_csv_and_tsv_tables_read_back_by_pandas(self):
        for title, table, data, options in good_cases():
            with self.subTest(title):
                distances, values = self.read_tables(data, options + ['--format=csv'], '.csv', ',')
                self.assertEqual(list(distances.index), table.names())
                self.assertEqual(list(distances.columns), table.names())
                self.assertValues(distances, expected_distances(table), title + ', distances')
                self.assertEqual(list(values.index), table.names())
                self.assertEqual(list(values.columns), table.traits)
                expected_values = zscore(numpy.array(table.numbers(), dtype=float), ddof=1)
                self.assertValues(values, expected_values, title + ', standardized')
                tsv_distances, tsv_values = self.read_tables(data, options + ['--format=tsv'], '.tsv', '\t')
                self.assertTrue(tsv_distances.equals(distances), title + ': TSV distances differ from CSV')
                self.assertTrue(tsv_values.equals(values), title + ': TSV values differ from CSV')

    def test_the_kyori_layout_and_the_table_agree(self):
        for table in (generated(21, 15, 5), japanese()):
            with self.subTest(table.names()[0]):
                names_t, from_table = self.run_table(table.text().encode(), [])
                names_l, from_layout = self.run_table(table.kyori_layout(), ['--arithmetic=accurate'], name='data.txt')
                self.assertEqual(names_t, names_l)
                self.assertMatrix(from_layout, from_table, 'layout against table')
                self.assertMatrix(from_table, expected_distances(table), 'table against SciPy')


class Tables(bs.BatchTestCase):

    def test_the_report_of_a_table_is_the_accurate_report(self):
        # The same data as a table and in the kyori layout with
        # --arithmetic=accurate: the report (default format) agrees cell for
        # cell where the parsed numbers are equal; so does the compatible
        # one where each is asked for.
        table = generated(23, 6, 3, value=lambda r, j: '%d.%d' % (r.randrange(-40, 40), r.randrange(0, 2) * 5))
        folder = self.folder()
        write(folder, 't.csv', table.text().encode())
        write(folder, 'k.txt', table.kyori_layout())
        for table_options, layout_options in (([], ['--arithmetic=accurate']),
                                              (['--arithmetic=compatible'], [])):
            with self.subTest(table_options=table_options):
                self.assertSucceeded(bs.run(table_options + ['t.csv', 'a.txt'], folder), warnings_allowed=False)
                self.assertSucceeded(bs.run(layout_options + ['k.txt', 'b.txt'], folder), warnings_allowed=False)
                self.assertEqual(read(folder, 'a.txt'), read(folder, 'b.txt'))
        self.assertNotEqual(read(folder, 'a.txt'), bs.run(['t.csv', '-'], folder).stdout,
                            'the two arithmetics give other digits for these data')

    def test_tables_of_the_kyori_layout_are_accurate_by_default(self):
        # A file in the kyori layout of the dialogue's size: its report is in
        # the compatible arithmetic (with its warning for a spread it
        # misses), its CSV and TSV tables in the accurate one without being
        # asked, as --arithmetic=accurate writes them.
        data = (b'4 2\r\nA,B\r\n'
                b'w,200.1 1\r\nx,200.2 4\r\ny,200.3 2\r\nz,200.4 3\r\n')
        folder = self.folder()
        write(folder, 'k.txt', data)
        report = bs.run(['k.txt', 'r.txt'], folder)
        self.assertEqual(report.status, 0)
        self.assertIn(b'warning', report.stderr)
        self.assertSucceeded(bs.run(['--arithmetic=compatible', 'k.txt', 'c.txt'], folder), warnings_allowed=True)
        self.assertEqual(read(folder, 'r.txt'), read(folder, 'c.txt'))
        for form in ('csv', 'tsv'):
            with self.subTest(form):
                self.assertSucceeded(bs.run(['--format=' + form, 'k.txt', 'auto.' + form], folder),
                                     warnings_allowed=False)
                self.assertSucceeded(bs.run(['--format=' + form, '--arithmetic=accurate', 'k.txt', 'acc.' + form],
                                            folder), warnings_allowed=False)
                self.assertEqual(read(folder, 'auto.' + form), read(folder, 'acc.' + form))
                compatible = bs.run(['--format=' + form, '--arithmetic=compatible', 'k.txt', 'com.' + form], folder)
                self.assertEqual(compatible.status, 0)
                self.assertIn(b'warning', compatible.stderr)
                self.assertNotEqual(read(folder, 'auto.' + form), read(folder, 'com.' + form),
                                    'the two arithmetics give other distances for these data')

    def test_standard_input_given_in_pieces(self):
        # A pipe gives the first field in pieces: "3", then " 2..." a moment
        # later; auto still finds the kyori layout, or the table.
        table = japanese()
        for label, data in (('a table', table.text().encode()), ('the kyori layout', table.kyori_layout()),
                            ('a table after 70,000 blank lines', b'\n' * 70000 + table.text().encode())):
            with self.subTest(label):
                folder = self.folder()
                write(folder, 'data', data)
                expected = bs.run(['data', '-'], folder)
                self.assertSucceeded(expected)
                p = subprocess.Popen([bs.PROGRAM, '-', '-'], cwd=folder, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=bs.clean_environment())
                for piece in [data[:1]] + [data[k:k + 40000] for k in range(1, len(data), 40000)]:
                    p.stdin.write(piece)
                    p.stdin.flush()
                    time.sleep(0.05)
                out, err = p.communicate(timeout=60)
                self.assertEqual((p.returncode, err), (0, b''))
                self.assertEqual(out, expected.stdout)

    def test_names_are_converted_by_the_tables_encoding(self):
        # ﾃｩ in Shift-JIS is C3 A9, which is é in UTF-8: the tree and the
        # matrix hold what the file means.
        for label, data, expected in (
                ('Shift-JIS', 'v,A\nﾃｩ,1\n日本晴,2\nx,4\n'.encode('cp932'), ['ﾃｩ', '日本晴', 'x']),
                ('UTF-8', 'v,A\né,1\n日本晴,2\nx,4\n'.encode('utf-8'), ['é', '日本晴', 'x'])):
            with self.subTest(label):
                folder = self.folder()
                write(folder, 'd.csv', data)
                result = bs.run(['--phylip=p.phy', '--tree=t.nwk', 'd.csv', 'out.txt'], folder)
                self.assertSucceeded(result, cophenetic=True)
                names, _ = read_phylip(read(folder, 'p.phy'))
                self.assertEqual(names, expected)
                tree = read(folder, 't.nwk').decode('utf-8')
                for name in expected:
                    self.assertIn(name + ':', tree)

    def test_the_reader_and_the_delimiter_asked_for(self):
        comma = b'variety,A,B\nx,1,2\ny,3,5\nz,4,4\n'
        folder = self.folder()
        write(folder, 'd.csv', comma)
        write(folder, 'd.tsv', comma.replace(b',', b'\t'))
        write(folder, 'd.txt', b'3 2\nA,B\nx,1 2\ny,3 5\nz,4 4\n')
        for args, message in (
                (['--input=tsv', 'd.csv'], rb'^kyori: d\.csv: line 1: the header has no trait column '
                                           rb'\(is the delimiter right\?\)$'),
                (['--input=kyori', 'd.csv'], rb'^kyori: d\.csv: line 1: the number of varieties is "variety", '),
                (['--input=csv', 'd.txt'], rb'^kyori: d\.txt: line 1: the header has no trait column '),
                (['--input=csv', 'd.tsv'], rb'^kyori: d\.tsv: line 1: the header has no trait column ')):
            with self.subTest(args=args):
                self.assertFailedWith(bs.run(args + ['out.txt'], folder), 1, re.compile(message))
        reports = [bs.run(args + ['-'], folder).stdout for args in
                   (['d.csv'], ['--input=csv', 'd.csv'], ['--input=tsv', 'd.tsv'], ['d.tsv'],
                    ['--input=kyori', '--arithmetic=accurate', 'd.txt'])]
        self.assertTrue(reports[0].startswith(bs.HEADING_STANDARDIZED))
        self.assertEqual(len(set(reports)), 1)


# The bad inputs: name, the file's bytes, options, the regex of the one line.
V = b'variety,A,B\r\n'
BAD = [
    # tables
    ('a ragged row', V + b'x,1,2\r\ny,3\r\nz,5,6\r\n', [],
     rb'line 3: the row y has 2 cells, the header 3$'),
    ('a cell that is no number', V + b'x,1,2\r\ny,3,abc\r\n', [], rb'line 3: value of B for y is "abc", not a number$'),
    ('a point in a semicolon table', b'v;A\r\nx;1,5\r\ny;2.5\r\n', [],
     rb'line 3: value of A for y is "2\.5", not a number; the decimal mark is a comma$'),
    ('an empty cell, no missing values', V + b'x,1,2\r\ny,,4\r\n', ['--missing='], rb'line 3: value of A for y is empty$'),
    ('a number too large', V + b'x,1,2\r\ny,1e999,4\r\n', [], rb'line 3: value of A for y is "1e999", too large$'),
    ('a variety given twice', V + b'x,1,2\r\ny,3,4\r\nx,5,6\r\n', [],
     rb'line 4: the variety x is already on line 2$'),
    ('a row without a name', V + b'x,1,2\r\n,3,4\r\n', [], rb'line 3: a row without a variety name$'),
    ('a variety name holding a line break', V + b'x,1,2\r\n"y\r\nz",3,4\r\n', [],
     rb'line 3: the variety name "y\\r\\nz" holds a line break$'),
    ('the header alone', V, [], rb'line 1: the header is the only row$'),
    ('one variety', b'\r\n' + V + b'\r\nx,1,2\r\n', [],
     rb'line 4: the table holds one variety \(x\); standardizing needs at least two$'),
    ('a quote never closed', V + b'x,1,2\r\n"y,3,4\r\nz,5,6\r\n', [], rb'line 3: the quote opened here is never closed$'),
    ('text after a closing quote', V + b'"x"y,1,2\r\nz,3,4\r\n', [], rb'line 2: "y" follows a closing quote$'),
    ('binary garbage', b'variety,A\r\nx,1\r\n\x00\x01\x02\xff\r\n', [], rb'line 3: a control byte \\x00: not a text table$'),
    ('bytes of neither encoding', V + b'x,1,2\r\n\xff\xfe,3,4\r\n', [],
     rb'line 3: the bytes \\xFF\\xFE.* are neither UTF-8 nor Shift-JIS$'),
    ('UTF-16', 'variety,A\r\nx,1\r\n'.encode('utf-16'), [], rb'line 1: UTF-16 is not read; save the table as UTF-8 or Shift-JIS$'),
    ('mixed delimiters', b'variety,A;B\r\nx,1;2\r\ny,3;4\r\n', [], rb'line 2: value of A;B for x is "1;2", not a number$'),
    ('a header with no trait column', b'variety\r\nx\r\ny\r\n', [], rb'line 1: the header has no trait column$'),
    ('32768 traits', b'v' + b',T' * 32768 + b'\r\nx' + b',1' * 32768 + b'\r\n', [],
     rb'line 1: 32768 traits; at most 32767$'),
    # the kyori layout, read strictly
    ('a value abc', b'3 2\r\nA,B\r\nx,1 2\r\ny,abc 4\r\nz,5 6\r\n', [],
     rb'line 4: value of A for y is "abc", not a number$'),
    ('a value 1e3', b'3 2\r\nA,B\r\nx,1 2\r\ny,1e3 4\r\nz,5 6\r\n', [],
     rb'line 4: value of A for y is "1e3", not a number$'),
    ('a decimal comma 1,5', b'3 2\r\nA,B\r\nx,1,5 2\r\ny,3 4\r\nz,5 6\r\n', [],
     rb'^kyori: data: line \d+: .*"1,5" on line 3 looks like a decimal comma'),
    ('a blank after the last value', b'3 2\r\nA,B\r\nx,1 2 \r\ny,3 4\r\nz,5 6\r\n', [],
     rb'line 4: .*a blank at the end of line 3 makes its line end one more, empty field'),
    ('two commas', b'3 2\r\nA,B\r\nx,1,,2\r\ny,3 4\r\nz,5 6\r\n', [],
     rb'line 3: value of B for x is empty; two commas in a row on line 3 make an empty field between them$'),
    ('a file that ends early', b'3 2\r\nA,B\r\nx,1 2\r\ny,3 4\r\nz,5', [],
     rb'line 5: the file ends before the value of B for z \(the counts announce 3 varieties and 2 traits\)$'),
    ('fields after the last value', b'3 2\r\nA,B\r\nx,1 2\r\ny,3 4\r\nz,5 6\r\nw,7 8\r\n', [],
     rb'line 6: "w" follows the last value \(B for z; the counts announce 3 varieties and 2 traits\)$'),
    ('a count that is not whole', b'3 2.5\r\nA,B\r\nx,1 2\r\ny,3 4\r\nz,5 6\r\n', [],
     rb'line 1: the number of traits is "2\.5", not a whole number$'),
    ('a byte-order mark before the counts', b'\xef\xbb\xbf3 1\r\nA\r\nx,1\r\ny,2\r\nz,3\r\n', [],
     rb'line 1: the number of varieties is .*byte-order mark'),
    ('a table read as the kyori layout', V + b'x,1,2\r\ny,3,4\r\n', ['--input=kyori'],
     rb'line 1: the number of varieties is "variety", not a whole number$'),
    # neither
    ('an empty file', b'', [], rb'^kyori: data: the data file is empty$'),
    ('blank lines and blanks', b'\r\n  \r\n\t\r\n', [], rb'^kyori: data: the data file is empty$'),
]

# The same faults in Japanese: name, bytes, the one line in UTF-8.
BAD_JAPANESE = [
    ('a ragged row', '品種,稈長,穂長\r\nコシヒカリ,1,2\r\n日本晴,3\r\n'.encode('cp932'),
     'kyori: data: 3行目：品種 日本晴 の行のセルは2個，見出し行は3個です'),
    ('a value abc', '2 1\r\n稈長\r\nコシヒカリ,abc\r\n日本晴,3\r\n'.encode('cp932'),
     'kyori: data: 3行目：コシヒカリの稈長の値が"abc"で，数ではありません'),
    ('one variety', '品種,稈長\r\nコシヒカリ,1\r\n'.encode('utf-8'),
     'kyori: data: 2行目：品種が一つ（コシヒカリ）しかありません．標準化には二つ以上の品種が必要です'),
    ('a file that ends early', '2 1\r\n稈長\r\nコシヒカリ,1\r\n'.encode('cp932'),
     'kyori: data: 3行目：品種2の名前の前でファイルが終わっています（品種数 2，形質数 1 とあります）'),
]

OLD_OUTPUT = b'an earlier report\r\n'


class BadTables(bs.BatchTestCase):

    def check_refused(self, data, options, message, env=None):
        folder = self.folder()
        write(folder, 'data', data)
        write(folder, 'out.txt', OLD_OUTPUT)
        before = bs.snapshot(folder)
        result = bs.run(options + ['--tree=t.nwk', 'data', 'out.txt'], folder, env=env)
        line = self.assertFailedWith(result, 1, re.compile(message))
        self.assertEqual(result.stdout, b'')
        self.assertEqual(bs.snapshot(folder), before, 'nothing written, OUTPUT untouched, no temporary file')
        return line

    def test_bad_inputs(self):
        for name, data, options, message in BAD:
            with self.subTest(name):
                if not message.startswith(rb'^'):
                    message = rb'^kyori: data: ' + message
                self.check_refused(data, options, message)

    def test_bad_inputs_in_japanese(self):
        for name, data, line in BAD_JAPANESE:
            with self.subTest(name):
                self.check_refused(data, [], re.escape(line.encode('utf-8')) + rb'$',
                                   env=bs.clean_environment(LANG='ja_JP.UTF-8'))

    def test_a_signal_while_a_table_is_read(self):
        # The table comes slowly through a pipe; SIGTERM while it is read
        # leaves OUTPUT as it was and no temporary file.
        folder = self.folder()
        write(folder, 'out.txt', OLD_OUTPUT)
        before = bs.snapshot(folder)
        p = subprocess.Popen([bs.PROGRAM, '--tree=t.nwk', '-', 'out.txt'], cwd=folder, stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=bs.clean_environment())
        p.stdin.write(b'variety,A,B\r\n' + b''.join(b'v%d,%d,%d\r\n' % (i, i, i * i) for i in range(5000)))
        p.stdin.flush()
        time.sleep(0.5)
        p.send_signal(signal.SIGTERM)
        out, err = p.communicate(timeout=60)
        self.assertEqual(p.returncode, -signal.SIGTERM, err)
        self.assertEqual(err, b'kyori: stopped by a signal; no output file was replaced\n')
        self.assertEqual(bs.snapshot(folder), before)


if __name__ == '__main__':
    bs.main()
