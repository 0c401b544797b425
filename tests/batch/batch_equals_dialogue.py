#!/usr/bin/env python3
"""Batch mode writes what the dialogue writes: for the end-to-end data files,
a table of awkward data files and many generated ones, `kyori DATA OUTPUT`
must leave in OUTPUT exactly the bytes the dialogue leaves in its output file
wherever the dialogue reads the file as it was meant (every field where its
layout puts it, every count a whole number, every value a number), and must
refuse (exit 1, one message, no OUTPUT) where the dialogue stops, where the
file holds no variety (its count of varieties is not 1 or more: the dialogue
writes a report of headings alone, batch mode refuses), and wherever the
dialogue misreads it (a field out of place, a value that is no number, the
file ending early or running on): one line naming the line of the file.
Also `-` for DATA and OUTPUT, and the same bytes for every --jobs.

    python3 batch_equals_dialogue.py PATH/TO/kyori [--cases N]
"""

import glob
import math
import os
import random
import re
import sys

import batch_support as bs
from batch_support import kyori_ref

import differential  # the generator of data files, beside the reference model

E2E = os.path.join(bs.HERE, '..', 'data', 'e2e')
# The end-to-end data files that the dialogue misreads: the refusal of each.
E2E_MISREAD = {
    # "品種A 95.5 18.2": the name takes its line, and every later field is
    # read one place late.
    'variety_line_shifts_fields': rb'^kyori: data\.txt: line 4: .*took the whole line',
}
CASES = 200
SEED = 7


def cp932(text):
    return text.encode('cp932')


# Data files chosen for what they exercise; each is run through both modes.
# What batch mode must do: 'same' (the dialogue's report, or its stop), or
# the regex of its one line of refusal.
LINE = rb'^kyori: data\.txt: line \d+: '
FIXTURES = [
    ('counts 2.5 and 1.5', b'2.5 1.5\r\nT\r\na,1\r\nb,4\r\nc,9\r\n',
     rb'^kyori: data\.txt: line 1: the number of varieties is "2\.5", not a whole number$'),
    ('an infinite value', b'3 2\r\nA,B\r\nx,1 ' + b'9' * 400 + b'\r\ny,2 3\r\nz,4 5\r\n',
     rb'^kyori: data\.txt: line 3: value of B for x is "9+\.\.\.", a number with too many digits'),
    ('infinities of both signs (a NaN mean)',
     b'3 2\r\nA,B\r\nx,1 ' + b'9' * 400 + b'\r\ny,2 -' + b'9' * 400 + b'\r\nz,4 5\r\n', LINE),
    ('a value that overflows a single', b'3 1\r\nT\r\nx,1' + b'0' * 39 + b'\r\ny,2\r\nz,3\r\n', 'same'),
    ('names with commas in quotes, blanks and Shift-JIS',
     b'3 2\r\n"a,b",' + cp932('稈長') + b'\r\n' + b'"x, y",1 2\r\nab  c,3 5\r\n'
     + cp932('コシヒカリ') + b',4 4\r\n', 'same'),
    ('a name of 80 characters', b'2 1\r\nT\r\n' + b'n' * 80 + b',1\r\nb,2\r\n', 'same'),
    ('the file ends in the values', b'5 3\r\nA,B,C\r\nv,1 2 3\r\nw,4 5 6\r\nx,7 8',
     rb'^kyori: data\.txt: line 5: the file ends before the value of C for x \(the counts announce 5 '
     rb'varieties and 3 traits\)$'),
    ('the file ends after the trait names', b'4 2\r\nA,B\r\n', rb'^kyori: data\.txt: line 2: the file ends before '
     rb'the name of variety 1'),
    ('the file ends after the counts', b'3 2', rb'^kyori: data\.txt: line 1: the file ends before the name of trait 1'),
    ('an identical first trait', b'3 2\r\nA,B\r\nx,5 1\r\ny,5 2\r\nz,5 4\r\n', 'same'),
    ('an identical second trait', b'3 2\r\nA,B\r\nx,1 0.1\r\ny,2 0.1\r\nz,4 0.1\r\n', 'same'),
    ('one variety', b'1 2\r\nA,B\r\nx,1 2\r\n', 'same'),
    ('no traits', b'3 0\r\nx\r\ny\r\nz\r\n', 'same'),
    ('no varieties', b'0 2\r\nA,B\r\n', 'same'),
    ('a negative count', b'-2 2\r\nA,B\r\nx,1 2\r\n', 'same'),
    ('counts 300 and 1', b'300 1\r\nT\r\n' + b''.join(b'v%d,%d\r\n' % (i, i * i % 97) for i in range(300)), 'same'),
    ('nearly identical values', b'4 1\r\nT\r\na,2000.1\r\nb,2000.2\r\nc,2000.3\r\nd,2000.4\r\n', 'same'),
    ('LF line ends and commas between values', b'3 2\nA,B\nx,1,2\ny,3,5\nz,6,4\n', 'same'),
    ('hexadecimal and octal values', b'3 1\r\nT\r\nx,&H1F\r\ny,&O17\r\nz,3\r\n', 'same'),
    ('counts in hexadecimal', b'&H3 &O1\r\nT\r\nx,1\r\ny,2\r\nz,4\r\n', 'same'),
    ('a NUL byte in a name', b'3 1\r\nT\r\nx\0y,1\r\nb,2\r\nc,4\r\n', LINE),
    ('a lone CR in a name', b'3 1\r\nT\r\nx\ry,1\r\nb,2\r\nc,4\r\n', 'same'),
    ('trailing junk after the values', b'2 1\r\nT\r\na,1\r\nb,2\r\njunk 1 2 3\r\n',
     rb'^kyori: data\.txt: line 5: "junk 1 2 3" follows the last value'),
    ('a blank after the last value of a line', b'2 2\r\nA,B\r\na,1 2 \r\nb,3 4\r\n',
     rb'^kyori: data\.txt: line 4: .*a blank at the end of line 3'),
    ('a decimal comma', b'2 2\r\nA,B\r\na,1,5 2\r\nb,3 4\r\n', rb'looks like a decimal comma'),
    ('a value 1e3', b'2 1\r\nA\r\na,1e3\r\nb,3\r\n', rb'^kyori: data\.txt: line 3: value of A for a is "1e3", '
     rb'not a number$'),
    ('an empty file', b'', rb'^kyori: data\.txt: the data file is empty$'),
    ('blanks only', b'   \r\n', rb'^kyori: data\.txt: the data file is empty$'),
]


def holds_no_variety(data):
    """The first field, the count of varieties, read as the program reads it,
    is not 1 or more."""
    count = kyori_ref.read_from_channel(kyori_ref.Channel(data), [kyori_ref.KIND_FLOAT64])[0]
    return not (count or 0.0) >= 1


# ---- What the dialogue reads, and whether it is what the file meant -------

DECIMAL = re.compile(rb'-?(\d+\.?\d*|\.\d+)\Z')
PREFIXED = re.compile(rb'&([Hh][0-9A-Fa-f]+|[Oo][0-7]+)\Z')


def is_number(text):
    """A number of the layout's grammar whose value is read as written."""
    if DECIMAL.match(text):
        return math.isfinite(kyori_ref.text_to_number(text))
    if PREFIXED.match(text):
        return int(text[2:], 16 if text[1:2] in b'Hh' else 8) < 1 << 63
    return False


def is_count(text):
    return is_number(text) and kyori_ref.text_to_number(text) == math.floor(kyori_ref.text_to_number(text))


def reads_whole(data):
    """Whether the dialogue's reading of `data` by its own counts finds whole
    counts, every field the counts announce, a number in every value field
    and nothing but blanks and line ends after the last: a file batch mode
    reads as the dialogue does."""
    channel = kyori_ref.Channel(data)
    counts = [kyori_ref._gather_field(channel, False) for _ in range(2)]
    if None in counts or not all(is_count(c) for c in counts):
        return False
    varieties, traits = (max(0, math.floor(kyori_ref.text_to_number(c))) for c in counts)
    if any(kyori_ref._gather_field(channel, True) is None for _ in range(traits)):
        return False
    for _ in range(varieties):
        if kyori_ref._gather_field(channel, True) is None:
            return False
        for _ in range(traits):
            value = kyori_ref._gather_field(channel, False)
            if value is None or not is_number(value):
                return False
    return data[channel.pos:].strip(b' \t\r\n') == b''


def make_case(rng):
    """A generated data file and the fields it was made of: (kind, text,
    role) tokens, as differential.make_small_data makes them."""
    n_text, rows = differential.make_count(rng, 0, 12)
    m_text, cols = differential.make_count(rng, 0, 8)
    rows, cols = min(rows, 15), min(cols, 10)
    if rng.random() < 0.1:
        rows = max(0, rows + rng.choice([-1, 1]))
    tokens = [('num', n_text, 'count1'), ('num', m_text, 'count2')]
    tokens += [('name', differential.make_name(rng), 'trait') for _ in range(cols)]
    risky = rng.random() < 0.5
    columns = [differential.make_trait_column(rng, rows, risky) for _ in range(cols)]
    for i in range(rows):
        tokens.append(('name', differential.make_name(rng), 'variety'))
        tokens += [('num', columns[j][i], 'value') for j in range(cols)]
    data = differential.assemble(rng, tokens)
    if rng.random() < 0.08:
        data = differential.pad_to_boundary(rng, data)
    return data, tokens


def read_as_meant(data, tokens):
    """Whether the dialogue's reading of `data` gives exactly the tokens, in
    their places, with whole counts and numbers for values, and nothing but
    blanks and line ends after them."""
    channel = kyori_ref.Channel(data)
    read = []
    for kind, _, _ in tokens:
        field = kyori_ref._gather_field(channel, kind == 'name')
        if field is None:
            return False
        read.append(field)
    if read != [text for _, text, _ in tokens]:
        return False
    if not (is_count(tokens[0][1]) and is_count(tokens[1][1])):
        return False
    varieties, traits = (kyori_ref.text_to_number(tokens[k][1]) for k in (0, 1))
    announced = 2 + max(0, math.floor(traits)) * (1 + max(0, math.floor(varieties))) + max(0, math.floor(varieties))
    if announced != len(tokens):
        return False
    if any(not is_number(text) for _, text, role in tokens if role == 'value'):
        return False
    return data[channel.pos:].strip(b' \t\r\n') == b''


class BatchEqualsDialogue(bs.BatchTestCase):

    def compare(self, data, label, expect='same', through_standard_streams=False):
        """Runs `data` through the dialogue and batch mode and compares.
        `expect` is 'same', or the regex of batch mode's one line of refusal.
        Returns what happened: 'same', 'stopped', 'no variety', 'refused',
        'over 300'."""
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
        if expect != 'same':
            self.assertFailedWith(result, 1, re.compile(expect))
            self.assertIsNone(written, label)
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
            return 'stopped'
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
            case = os.path.relpath(path, E2E).split(os.sep)[0]
            with self.subTest(path=os.path.relpath(path, E2E)):
                with open(path, 'rb') as f:
                    self.compare(f.read(), path, E2E_MISREAD.get(case, 'same'), through_standard_streams=True)

    def test_fixtures(self):
        outcomes = {}
        for label, data, expect in FIXTURES:
            with self.subTest(label):
                outcomes[label] = self.compare(data, label, expect, through_standard_streams=True)
        print('\nfixtures: %r' % outcomes)
        # The table holds every kind of case.
        for kind in ('same', 'stopped', 'no variety', 'refused'):
            self.assertIn(kind, outcomes.values())

    def test_generated_data_files(self):
        # Files the dialogue reads as meant give its report; any other is
        # refused with the line of the file where it goes wrong (or, whose
        # count of varieties is below 1, as holding no variety).
        misread = rb'^kyori: data\.txt: (line \d+: |holds no variety)'
        tally = {'same': 0, 'stopped': 0, 'refused': 0, 'no variety': 0, 'over 300': 0}
        as_meant = 0
        for index in range(CASES):
            rng = random.Random('batch:%d:%d' % (SEED, index))
            data, tokens = make_case(rng)
            label = 'seed %d case %d' % (SEED, index)
            whole = reads_whole(data)
            if not data.strip(b' \t\r\n'):
                expect = rb'^kyori: data\.txt: the data file is empty$'
            else:
                expect = 'same' if whole else misread
            with self.subTest(label):
                # A file that is read as it was made is read whole.
                if read_as_meant(data, tokens):
                    self.assertTrue(whole, label)
                    as_meant += 1
                tally[self.compare(data, label, expect, through_standard_streams=index % 10 == 0)] += 1
        print('\ngenerated: %d cases, %d read as meant, %r' % (CASES, as_meant, tally))
        self.assertGreater(tally['same'], CASES // 10)
        self.assertGreater(tally['refused'], CASES // 10)

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
