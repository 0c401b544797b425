#!/usr/bin/env python3
"""Batch mode's --encoding, --help and --version.

    python3 batch_options.py PATH/TO/kyori
"""

import os
import re

import batch_support as bs

PROJECT = os.path.join(bs.HERE, '..', '..')

# The two headings of OUTPUT as --encoding=utf-8 writes them.
HEADING_STANDARDIZED_UTF8 = '標準化したデータ '.encode('utf-8')
HEADING_RESULTS_UTF8 = '計算結果 '.encode('utf-8')

with open(os.path.join(PROJECT, 'examples', 'kyori_in.txt'), 'rb') as f:
    SAMPLE = f.read()

ENCODING_CASES = [
    ('the sample', SAMPLE),
    ('Shift-JIS names that hold the headings\' bytes',
     b'2 1\r\n' + '計算結果'.encode('cp932') + b'\r\n' + '標準化したデータ'.encode('cp932')
     + b',1\r\n' + '計算結果 '.encode('cp932') + b',3\r\n'),
    ('one variety, no traits: the smallest report', b'1 0\r\nx\r\n'),
    ('no traits', b'3 0\r\nx\r\ny\r\nz\r\n'),
    ('a table of UTF-8 names', '品種,稈長\r\nコシヒカリ,93.5\r\nひとめぼれ,88\r\n'.encode('utf-8')),
]

# Every option, and the values of those that take one.
OPTIONS = {
    '-h': None, '--help': None, '--version': None, '--': None,
    '--console': ['auto', 'cp932', 'utf-8'],
    '--encoding': ['cp932', 'utf-8'],
    '--input': ['auto', 'kyori', 'csv', 'tsv'],
    '--arithmetic': ['auto', 'compatible', 'accurate'],
    '--method': ['average', 'single', 'complete', 'ward', 'nj'],
    '--format': ['report', 'csv', 'tsv'],
    '--tree': None, '--phylip': None, '--svg': None, '--jobs': None, '--standardized': None,
    '--matrix': None, '--matrix-precision': ['float64', 'float32'], '--neighbours': None, '--duplicates': None,
    '--missing': None, '--min-common': None,
    '--pca': None, '--groups': None, '--group-means': None, '--k': None,
}


class Options(bs.BatchTestCase):

    def test_utf8_headings(self):
        self.assertEqual(HEADING_STANDARDIZED_UTF8.decode('utf-8').encode('cp932'), bs.HEADING_STANDARDIZED)
        self.assertEqual(HEADING_RESULTS_UTF8.decode('utf-8').encode('cp932'), bs.HEADING_RESULTS)
        for label, data in ENCODING_CASES:
            with self.subTest(label):
                folder = self.folder()
                with open(os.path.join(folder, 'data.txt'), 'wb') as f:
                    f.write(data)
                outputs = {}
                for encoding in ('cp932', 'utf-8'):
                    result = bs.run(['--encoding=' + encoding, 'data.txt', 'out.txt'], folder)
                    self.assertSucceeded(result)
                    with open(os.path.join(folder, 'out.txt'), 'rb') as f:
                        outputs[encoding] = f.read()
                default = bs.run(['data.txt', '-'], folder)
                self.assertEqual(default.stdout, outputs['cp932'], 'cp932 is the default')
                lines = outputs['cp932'].split(b'\r\n')
                self.assertEqual(lines[0], bs.HEADING_STANDARDIZED)
                results_at = lines.index(bs.HEADING_RESULTS, 1)
                lines[0] = HEADING_STANDARDIZED_UTF8
                lines[results_at] = HEADING_RESULTS_UTF8
                self.assertEqual(outputs['utf-8'], b'\r\n'.join(lines))

    def test_help(self):
        folder = self.folder()
        result = bs.run(['--help'], folder)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(result.stderr, b'')
        text = result.stdout.decode('utf-8')
        self.assertTrue(text.startswith('Usage: kyori'), text[:200])
        self.assertEqual(bs.run(['-h'], folder).stdout, result.stdout)
        for option, values in OPTIONS.items():
            with self.subTest(option):
                self.assertRegex(text, r'(^|[\s,])%s([\s=,]|$)' % re.escape(option))
                for value in values or []:
                    self.assertRegex(text, r'\b%s\b' % re.escape(value))
                    # the value is accepted: the run goes on to ask for the files
                    accepted = bs.run(['%s=%s' % (option, value)], folder)
                    self.assertNotIn(b'value not allowed', accepted.stderr)
        # every option the help names is one the program knows
        for option in sorted(set(re.findall(r'(?<![\w-])--[a-z][a-z-]*', text))):
            with self.subTest(named_in_help=option):
                self.assertIn(option, OPTIONS)
                probe = bs.run([option + '=x' if OPTIONS[option] is not None else option], folder)
                self.assertNotIn(b'unknown option', probe.stderr)

    def test_bad_and_repeated_table_options(self):
        """--format and --standardized: a value not in the list, an empty
        one, or the option given twice is a usage error (exit 2, one line),
        with nothing read or written."""
        for args, fragment in [
                (['--format=xlsx'], b'value not allowed: --format=xlsx'),
                (['--format=CSV'], b'value not allowed: --format=CSV'),
                (['--format='], b'value not allowed: --format='),
                (['--format', 'data.txt', 'out.txt'], b'value not allowed: --format=data.txt'),
                (['--standardized='], b'value not allowed: --standardized='),
                (['--format=csv', '--format=csv'], b'option given more than once: --format'),
                (['--format=csv', '--format', 'tsv'], b'option given more than once: --format'),
                (['--standardized=a.csv', '--standardized=b.csv'], b'option given more than once: --standardized')]:
            with self.subTest(args=args):
                folder = self.folder()
                with open(os.path.join(folder, 'data.txt'), 'wb') as f:
                    f.write(b'2 1\r\nA\r\nx,1\r\ny,2\r\n')
                before = bs.snapshot(folder)
                full = args if 'data.txt' in args else args + ['data.txt', 'out.txt']
                self.assertFailedWith(bs.run(full, folder), 2, fragment)
                self.assertEqual(bs.snapshot(folder), before)

    def test_version(self):
        with open(os.path.join(PROJECT, 'CMakeLists.txt')) as f:
            version = re.search(r'project\(kyori VERSION ([0-9.]+)', f.read()).group(1)
        result = bs.run(['--version'], self.folder())
        self.assertEqual(result.status, 0, result)
        self.assertEqual(result.stderr, b'')
        self.assertEqual(result.stdout, b'kyori %s\n' % version.encode())

    def test_help_with_files_reads_none(self):
        # --help with files or with a missing file still prints the help: it
        # reads nothing.
        folder = self.folder()
        result = bs.run(['--help', 'missing.txt', 'out.txt'], folder)
        self.assertEqual(result.status, 0, result)
        self.assertTrue(result.stdout.startswith(b'Usage: kyori'))
        self.assertEqual(bs.snapshot(folder), {})


if __name__ == '__main__':
    bs.main()
