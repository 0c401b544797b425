#!/usr/bin/env python3
"""Batch mode writes what the dialogue writes: for the end-to-end data files,
a table of awkward data files and many generated ones, `kyori DATA OUTPUT`
must leave in OUTPUT exactly the bytes the dialogue leaves in its output file,
and must refuse (exit 1, one message, no OUTPUT) where the dialogue stops, and
where the file holds no variety (its count of varieties is not 1 or more:
the dialogue writes a report of headings alone, batch mode refuses).
Also `-` for DATA and OUTPUT, and the same bytes for every --jobs.

    python3 batch_equals_dialogue.py PATH/TO/kyori [--cases N]
"""

import glob
import os
import random
import sys

import batch_support as bs
from batch_support import kyori_ref

import differential  # the generator of data files, beside the reference model

E2E = os.path.join(bs.HERE, '..', 'data', 'e2e')
CASES = 200
SEED = 7


def cp932(text):
    return text.encode('cp932')


# Data files chosen for what they exercise; each is run through both modes.
FIXTURES = [
    ('counts 2.5 and 1.5', b'2.5 1.5\r\nT\r\na,1\r\nb,4\r\nc,9\r\n'),
    ('an infinite value', b'3 2\r\nA,B\r\nx,1 ' + b'9' * 400 + b'\r\ny,2 3\r\nz,4 5\r\n'),
    ('infinities of both signs (a NaN mean)',
     b'3 2\r\nA,B\r\nx,1 ' + b'9' * 400 + b'\r\ny,2 -' + b'9' * 400 + b'\r\nz,4 5\r\n'),
    ('a value that overflows a single', b'3 1\r\nT\r\nx,1' + b'0' * 39 + b'\r\ny,2\r\nz,3\r\n'),
    ('names with commas in quotes, blanks and Shift-JIS',
     b'3 2\r\n"a,b",' + cp932('稈長') + b'\r\n' + b'"x, y",1 2\r\nab  c,3 5\r\n'
     + cp932('コシヒカリ') + b',4 4\r\n'),
    ('a name of 80 characters', b'2 1\r\nT\r\n' + b'n' * 80 + b',1\r\nb,2\r\n'),
    ('the file ends in the values', b'5 3\r\nA,B,C\r\nv,1 2 3\r\nw,4 5 6\r\nx,7 8'),
    ('the file ends after the trait names', b'4 2\r\nA,B\r\n'),
    ('the file ends after the counts', b'3 2'),
    ('an identical first trait', b'3 2\r\nA,B\r\nx,5 1\r\ny,5 2\r\nz,5 4\r\n'),
    ('an identical second trait', b'3 2\r\nA,B\r\nx,1 0.1\r\ny,2 0.1\r\nz,4 0.1\r\n'),
    ('one variety', b'1 2\r\nA,B\r\nx,1 2\r\n'),
    ('no traits', b'3 0\r\nx\r\ny\r\nz\r\n'),
    ('no varieties', b'0 2\r\nA,B\r\n'),
    ('a negative count', b'-2 2\r\nA,B\r\nx,1 2\r\n'),
    ('counts 300 and 1', b'300 1\r\nT\r\n' + b''.join(b'v%d,%d\r\n' % (i, i * i % 97) for i in range(300))),
    ('nearly identical values', b'4 1\r\nT\r\na,2000.1\r\nb,2000.2\r\nc,2000.3\r\nd,2000.4\r\n'),
    ('LF line ends and commas between values', b'3 2\nA,B\nx,1,2\ny,3,5\nz,6,4\n'),
    ('hexadecimal and octal values', b'3 1\r\nT\r\nx,&H1F\r\ny,&O17\r\nz,3\r\n'),
    ('a NUL byte in a name', b'3 1\r\nT\r\nx\0y,1\r\nb,2\r\nc,4\r\n'),
    ('a lone CR in a name', b'3 1\r\nT\r\nx\ry,1\r\nb,2\r\nc,4\r\n'),
    ('trailing junk after the values', b'2 1\r\nT\r\na,1\r\nb,2\r\njunk 1 2 3\r\n'),
    ('an empty file', b''),
    ('blanks only', b'   \r\n'),
]


def holds_no_variety(data):
    """The first field, the count of varieties, read as the program reads it,
    is not 1 or more."""
    count = kyori_ref.read_from_channel(kyori_ref.Channel(data), [kyori_ref.KIND_FLOAT64])[0]
    return not (count or 0.0) >= 1


class BatchEqualsDialogue(bs.BatchTestCase):

    def compare(self, data, label, through_standard_streams=False):
        """Runs `data` through the dialogue and batch mode and compares.
        Returns what happened: 'same', 'refused', 'over 300'."""
        folder = self.folder()
        data_path = os.path.join(folder, 'data.txt')
        with open(data_path, 'wb') as f:
            f.write(data)
        dialogue, expected = bs.run_dialogue(folder, b'data.txt', b'dialogue_out.txt')
        self.assertEqual(dialogue.status, 0, '%s: the dialogue %r' % (label, dialogue))
        if kyori_ref.OVER_CAPACITY in dialogue.stdout:
            return 'over 300'
        before = bs.snapshot(folder)
        result = bs.run(['data.txt', 'out.txt'], folder)
        after = bs.snapshot(folder)
        written = after.pop(b'out.txt', None)
        self.assertEqual(after, before, '%s: only OUTPUT may change' % label)
        if not data:
            self.assertFailedWith(result, 1, b'data.txt: the data file is empty')
            self.assertIsNone(written)
            return 'refused'
        if holds_no_variety(data):
            self.assertFailedWith(result, 1, b'data.txt: holds no variety', warnings_allowed=True)
            self.assertIsNone(written, label)
            return 'no variety'
        if expected is None:
            line = self.assertFailedWith(result, 1, warnings_allowed=True)
            self.assertIsNone(written, label)
            trait = bs.identical_trait_in_console(dialogue.stdout)
            self.assertIsNotNone(trait, '%s: the dialogue stopped without naming a trait' % label)
            self.assertRegex(line, rb'^kyori: data\.txt: trait %d \(.*\): all its values are the same$' % trait)
            return 'refused'
        self.assertSucceeded(result)
        self.assertEqual(written, expected, label)
        if through_standard_streams:
            self.check_standard_streams(folder, data, expected, label)
        return 'same'

    def check_standard_streams(self, folder, data, expected, label):
        both = bs.run(['-', '-'], folder, stdin=data)
        self.assertSucceeded(both)
        self.assertEqual(both.stdout, expected, '%s: stdin to stdout' % label)
        from_stdin = bs.run(['-', 'in.txt'], folder, stdin=data)
        self.assertSucceeded(from_stdin)
        with open(os.path.join(folder, 'in.txt'), 'rb') as f:
            self.assertEqual(f.read(), expected, '%s: stdin to a file' % label)
        to_stdout = bs.run(['data.txt', '-'], folder)
        self.assertSucceeded(to_stdout)
        self.assertEqual(to_stdout.stdout, expected, '%s: a file to stdout' % label)

    def test_end_to_end_data_files(self):
        files = sorted(glob.glob(os.path.join(E2E, '*', 'given', '*')))
        self.assertGreater(len(files), 0, 'no data files under ' + E2E)
        for path in files:
            with self.subTest(path=os.path.relpath(path, E2E)):
                with open(path, 'rb') as f:
                    self.compare(f.read(), path, through_standard_streams=True)

    def test_fixtures(self):
        outcomes = {}
        for label, data in FIXTURES:
            with self.subTest(label):
                outcomes[label] = self.compare(data, label, through_standard_streams=True)
        print('\nfixtures: %r' % outcomes)
        # The table holds both kinds of case.
        self.assertIn('same', outcomes.values())
        self.assertIn('refused', outcomes.values())

    def test_generated_data_files(self):
        tally = {'same': 0, 'refused': 0, 'no variety': 0, 'over 300': 0}
        for index in range(CASES):
            rng = random.Random('batch:%d:%d' % (SEED, index))
            data = differential.make_small_data(rng)
            label = 'seed %d case %d' % (SEED, index)
            with self.subTest(label):
                tally[self.compare(data, label, through_standard_streams=index % 10 == 0)] += 1
        print('\ngenerated: %d cases, %r' % (CASES, tally))

    def test_jobs_give_the_same_bytes(self):
        # Rows whose cell count is not a multiple of four (3 or 7 traits, 1003
        # or 1203 varieties) have cells formatted one at a time, where threads
        # that shared state would collide; several runs per thread count,
        # since a collision depends on timing.
        for n, m, options, repeats in [(200, 30, ['--tree=t.nwk', '--phylip=p.txt'], 1),
                                       (1003, 7, [], 2),
                                       (1203, 3, [], 2),
                                       (1000, 20, ['--arithmetic=accurate'], 1)]:
            with self.subTest(size='%dx%d' % (n, m), options=options):
                folder = self.folder()
                rng = random.Random('jobs:%d:%d' % (n, m))
                with open(os.path.join(folder, 'data.txt'), 'wb') as f:
                    f.write(differential.make_large_data(rng, None, n, m))
                first = None
                for jobs in [1] + [2, 3, 8] * repeats:
                    result = bs.run(['--jobs=%d' % jobs] + options + ['data.txt', 'out.txt'], folder)
                    self.assertSucceeded(result, cophenetic='--tree=t.nwk' in options)
                    files = bs.snapshot(folder)
                    files[b'(stderr)'] = result.stderr
                    del files[b'data.txt']
                    if first is None:
                        first = files
                        self.assertGreater(len(first[b'out.txt']), n * n * 2)
                        continue
                    for name in sorted(first):
                        if files[name] != first[name]:
                            self.fail('--jobs=%d: %s differs from --jobs=1 at byte %r' % (
                                jobs, name.decode(), bs.first_difference(first[name], files[name])))
                if n <= kyori_ref.CAPACITY and '--arithmetic=accurate' not in options:
                    _, expected = bs.run_dialogue(folder, b'data.txt', b'dialogue_out.txt')
                    self.assertTrue(first[b'out.txt'] == expected, 'the dialogue')

if __name__ == '__main__':
    if '--cases' in sys.argv:
        at = sys.argv.index('--cases')
        CASES = int(sys.argv[at + 1])
        del sys.argv[at:at + 2]
    bs.main()
