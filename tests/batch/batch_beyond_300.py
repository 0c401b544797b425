#!/usr/bin/env python3
"""Batch mode beyond the dialogue's 300 varieties and traits: the reference
model, given batch mode's capacity (32767), writes the report by the same
rules as for the dialogue; batch OUTPUT with --arithmetic=compatible must
hold the same bytes, and batch mode must refuse (exit 1, no OUTPUT) where the
model stops, and where the file is no whole data file (its line named).
Without --arithmetic, a file beyond 300 is read in the accurate arithmetic.

    python3 batch_beyond_300.py PATH/TO/kyori
"""

import math
import os
import random
import re

import batch_support as bs
from batch_support import kyori_ref

import differential


def plain(n, m, seed):
    """n varieties, m traits of ordinary measurements."""
    return differential.make_large_data(random.Random('beyond:%s' % seed), None, n, m)


def name(rng):
    """One of the generator's names, without a lone quote (which would run
    into the following fields)."""
    while True:
        text = differential.make_name(rng)
        if text.count(b'"') % 2 == 0:
            return text


NUMBER = re.compile(rb'-?(\d+\.?\d*|\.\d+)\Z|&([Hh][0-9A-Fa-f]{1,15}|[Oo][0-7]{1,20})\Z')


def is_number(text):
    """A value batch mode reads: of the layout's grammar, finite."""
    return NUMBER.match(text) is not None and math.isfinite(kyori_ref.text_to_number(text))


def risky(n, m, seed, share=0.5, numbers_only=True):
    """n varieties, m traits with the generator's awkward names and, for about
    `share` of the traits, its awkward columns (nearly identical, huge, tiny,
    odd value texts; none all identical); one variety a line. With
    `numbers_only`, columns holding a value that is no number are drawn
    again."""
    rng = random.Random('beyond-risky:%s' % seed)
    columns = []
    for _ in range(m):
        column = differential.make_trait_column(rng, n, risky=rng.random() < share)
        while (len(set(map(kyori_ref.text_to_number, column))) == 1  # not all the same number
               or (numbers_only and not all(map(is_number, column)))):
            column = differential.make_trait_column(rng, n, risky=True)
        columns.append(column)
    lines = [b'%d %d' % (n, m), b','.join(name(rng) for _ in range(m))]
    for i in range(n):
        lines.append(name(rng) + b',' + b' '.join(columns[j][i] for j in range(m)))
    return b'\r\n'.join(lines) + b'\r\n'


def with_identical_trait(n, m, trait, seed):
    """plain(n, m, seed) with every value of `trait` (1-based) set to 7.25."""
    lines = plain(n, m, seed).split(b'\r\n')
    for i in range(2, 2 + n):
        name, values = lines[i].split(b',', 1)
        values = values.split(b' ')
        values[trait - 1] = b'7.25'
        lines[i] = name + b',' + b' '.join(values)
    return b'\r\n'.join(lines)


# Files that are no whole data file, and the refusal of each.
REFUSED = [
    ('counts 301.5 and 2.5', lambda: plain(301, 2, 4).replace(b'301 2', b'301.5 2.5', 1),
     rb'^kyori: data\.txt: line 1: the number of varieties is "301\.5", not a whole number$'),
    ('350x4 ending in the values of variety 221', lambda: plain(350, 4, 5)[:8000],
     rb'^kyori: data\.txt: line 223: the file ends before '),
    ('310x4 awkward columns, values that are no numbers', lambda: risky(310, 4, 8, numbers_only=False),
     rb'^kyori: data\.txt: line \d+: value of .* is ".*", (not a number|a number with too many digits)'),
]

CASES = [
    ('301x3', lambda: plain(301, 3, 1)),
    ('450x20', lambda: plain(450, 20, 2)),
    ('20x700', lambda: plain(20, 700, 3)),
    ('330x3, the second trait identical', lambda: with_identical_trait(330, 3, 2, 6)),
    ('1x320: one variety', lambda: plain(1, 320, 7)),
    ('310x4 awkward columns', lambda: risky(310, 4, 10)),
    ('310x4 awkward columns, one that stops', lambda: risky(310, 4, 8)),
    ('12x305 awkward names, a few awkward columns', lambda: risky(12, 305, 9, share=0.02)),
]


class BeyondTheDialoguesCapacity(bs.BatchTestCase):

    def test_the_model_and_batch_mode_agree(self):
        outcomes = []
        for label, make in CASES:
            with self.subTest(label):
                data = make()
                try:
                    console, files, status = kyori_ref.run({b'data.txt': data}, b'data.txt\nout.txt\n\n',
                                                     capacity=kyori_ref.BATCH_CAPACITY)
                except kyori_ref.UndefinedCase as e:
                    self.skipTest('the model has no outcome: %s' % e)
                self.assertEqual(status, 0)
                expected = files.get(b'out.txt')
                folder = self.folder()
                with open(os.path.join(folder, 'data.txt'), 'wb') as f:
                    f.write(data)
                result = bs.run(['--arithmetic=compatible', 'data.txt', 'out.txt'], folder)
                after = bs.snapshot(folder)
                self.assertEqual(after.pop(b'data.txt'), data)
                written = after.pop(b'out.txt', None)
                self.assertEqual(after, {})
                if expected is None:
                    trait = bs.identical_trait_in_console(console)
                    self.assertIsNotNone(trait)
                    self.assertFailedWith(result, 1, re.compile(rb'^kyori: data\.txt: trait %d \(.*\): all its values are the same$' % trait),
                                          warnings_allowed=True)
                    self.assertIsNone(written)
                    outcomes.append('refused')
                    continue
                self.assertSucceeded(result)
                self.assertIsNotNone(written, label)
                if written != expected:
                    offset = bs.first_difference(expected, written)
                    self.fail('%s: first difference at byte %r: model %r | program %r' % (
                        label, offset, differential.around(expected, offset), differential.around(written, offset)))
                outcomes.append('same')
        print('\noutcomes: %r' % outcomes)

    def test_files_that_are_not_whole_are_refused(self):
        for label, make, message in REFUSED:
            with self.subTest(label):
                folder = self.folder()
                with open(os.path.join(folder, 'data.txt'), 'wb') as f:
                    f.write(make())
                with open(os.path.join(folder, 'out.txt'), 'wb') as f:
                    f.write(b'before')
                before = bs.snapshot(folder)
                self.assertFailedWith(bs.run(['--arithmetic=compatible', 'data.txt', 'out.txt'], folder), 1,
                                      re.compile(message))
                self.assertEqual(bs.snapshot(folder), before)

    def test_beyond_300_the_default_is_the_accurate_arithmetic(self):
        # 301 varieties: one past the dialogue's capacity, read accurately
        # without being asked; 300 stay compatible.
        for n, default_is in ((301, 'accurate'), (300, 'compatible')):
            with self.subTest(n=n):
                folder = self.folder()
                with open(os.path.join(folder, 'data.txt'), 'wb') as f:
                    f.write(plain(n, 3, 11))
                outputs = {}
                for arithmetic in ('default', 'accurate', 'compatible'):
                    options = [] if arithmetic == 'default' else ['--arithmetic=' + arithmetic]
                    result = bs.run(options + ['data.txt', '-'], folder)
                    self.assertSucceeded(result)
                    outputs[arithmetic] = result.stdout
                self.assertNotEqual(outputs['accurate'], outputs['compatible'])
                self.assertEqual(outputs['default'], outputs[default_is])


if __name__ == '__main__':
    bs.main()
