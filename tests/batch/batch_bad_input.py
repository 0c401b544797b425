#!/usr/bin/env python3
"""Batch mode given what users and accidents give it: usage errors, files
that cannot be read or written, OUTPUT naming DATA, data that stops the run,
full disks, closed standard streams, counts at and past the capacity, counts
that need more memory than allowed. Each case is a real process in its own
temporary folder; each checks the exit status, the message on standard error
(one line starting "kyori: " for a failure, none for success), that no signal
ended the run, and that every file of the folder is as before except an
OUTPUT that was written (no partial OUTPUT, no temporary file, DATA as it was).

    python3 batch_bad_input.py PATH/TO/kyori [CLASS ...]

Cases that need the superuser (mounting a full or a read-only file system)
or a plain build (an address-space limit, which AddressSanitizer cannot run
under) are skipped with a message where they cannot run; they run as test
classes of their own (FullDisk, ReadOnlyFolder, AddressSpace, MemorySweep,
ThreadsForTheUser), each a ctest entry that then shows as skipped, while
BadInput holds the cases that run anywhere. Heavy writes the report of 32767 varieties in full, only with
KYORI_BATCH_HEAVY=1 (it needs about 2 GiB of memory and some 15 seconds
before the first byte).
"""

import hashlib
import os
import random
import re
import resource
import shutil
import subprocess
import tempfile
import time
import unittest

import batch_support as bs
from batch_support import kyori_ref

SMALL = b'3 2\r\nA,B\r\nx,1 10\r\ny,2 30\r\nz,3 20\r\n'
OLD_OUTPUT = b'an earlier report\r\n'
GIB = 1 << 30


def model_report(data):
    """The report the reference model writes for `data` (batch capacity)."""
    _, files, _ = kyori_ref.run({b'd': data}, b'd\no\n\n', capacity=kyori_ref.BATCH_CAPACITY)
    return files.get(b'o')


SMALL_REPORT = model_report(SMALL)
# Bytes that are not a data file: their first field is no number, so they are
# read as a table, which they are not either.
NOT_DATA = bytes(random.Random(4096).randrange(256) for _ in range(3000)).lstrip(b'0123456789 \t+-.')
# Varieties with no trait: legal, as in the dialogue.
NO_TRAITS = b'3 0\r\nx\r\ny\r\nz\r\n'


def write(folder, name, data):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def counts_only(varieties, traits):
    return b'%d %d\r\n' % (varieties, traits)


def one_variety_many_traits(traits):
    names = b','.join(b'T%d' % (j + 1) for j in range(traits))
    values = b' '.join(b'%d' % (j % 97) for j in range(traits))
    return b'1 %d\r\n%s\r\nonly,%s\r\n' % (traits, names, values)


def many_varieties_one_trait(varieties):
    rows = b''.join(b'V%d,%d.%d\r\n' % (i, i % 101, i % 7) for i in range(varieties))
    return b'%d 1\r\nT\r\n%s' % (varieties, rows)


def is_root():
    return os.geteuid() == 0


def limit_address_space(limit):
    def apply():
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return apply


# Each case: name, arguments, the files of its folder, then what must come
# out. `status` and `message` (a regex for the one stderr line; None: no
# line) are checked for every case; `output` names a file that must end up
# holding `report` (None: every file stays as it was).
CASES = [
    # usage errors
    dict(name='unknown option', args=['--frobnicate', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: unknown option: --frobnicate$'),
    dict(name='a lone dash-letter', args=['-x', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: unknown option: -x$'),
    dict(name='--tree last, without its value', args=['data.txt', 'out.txt', '--tree'],
         status=2, message=rb'^kyori: option needs a value: --tree$'),
    dict(name='--method=foo', args=['--method=foo', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --method=foo$'),
    dict(name='--jobs=0', args=['--jobs=0', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --jobs=0$'),
    dict(name='--jobs 0 as two arguments', args=['--jobs', '0', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --jobs=0$'),
    dict(name='--jobs=1025', args=['--jobs=1025', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --jobs=1025$'),
    dict(name='--jobs=-1', args=['--jobs=-1', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --jobs=-1$'),
    dict(name='--encoding=latin1', args=['--encoding=latin1', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --encoding=latin1$'),
    dict(name='--arithmetic=exact', args=['--arithmetic=exact', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --arithmetic=exact$'),
    dict(name='--console=ascii', args=['--console=ascii', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --console=ascii$'),
    dict(name='--phylip= empty', args=['--phylip=', 'data.txt', 'out.txt'],
         status=2, message=rb'^kyori: value not allowed: --phylip=$'),
    dict(name='one file', args=['data.txt'],
         status=2, message=rb'^kyori: expected two files, DATA and OUTPUT \(see kyori --help\)$'),
    dict(name='three files', args=['data.txt', 'out.txt', 'more.txt'],
         status=2, message=rb'^kyori: expected two files'),
    dict(name='a batch option and no files', args=['--encoding=utf-8'],
         status=2, message=rb'^kyori: expected two files'),

    # DATA that cannot be used
    dict(name='DATA a folder', args=['sub', 'out.txt'], folders=['sub'],
         status=1, message=rb'^kyori: sub: cannot open the data file$'),
    dict(name='DATA missing', args=['missing.txt', 'out.txt'],
         status=1, message=rb'^kyori: missing.txt: cannot open the data file$'),
    dict(name='DATA empty', args=['empty.txt', 'out.txt'], files={'empty.txt': b''},
         status=1, message=rb'^kyori: empty.txt: the data file is empty$'),
    dict(name='DATA - with empty standard input', args=['-', 'out.txt'],
         status=1, message=rb'^kyori: -: the data file is empty$'),
    dict(name='DATA - with standard input closed', args=['-', 'out.txt'], close_stdin=True,
         status=1, message=rb'^kyori: -: (the data file is empty|cannot open the data file)$'),
    # bytes that are no data file: read as a table, refused where they stop
    # being one; blank lines alone are empty
    dict(name='DATA 4096 NULs', args=['nul.txt', 'out.txt'], files={'nul.txt': b'\0' * 4096},
         status=1, message=rb'^kyori: nul.txt: line 1: a control byte \\x00: not a text table$'),
    dict(name='DATA blank lines', args=['blank.txt', 'out.txt'], files={'blank.txt': b'\r\n' * 50},
         status=1, message=rb'^kyori: blank.txt: the data file is empty$'),
    dict(name='DATA random bytes', args=['random.bin', 'out.txt'], files={'random.bin': NOT_DATA},
         status=1, message=rb'^kyori: random.bin: line \d+: '),
    dict(name='DATA 4096 NULs with --tree', args=['--tree=t.nwk', 'nul.txt', 'out.txt'],
         files={'nul.txt': b'\0' * 4096},
         status=1, message=rb'^kyori: nul.txt: line 1: a control byte'),
    # a count of varieties below 1: no variety
    dict(name='DATA counts 0 and 3', args=['zero.txt', 'out.txt'], files={'zero.txt': b'0 3\r\nA,B,C\r\n'},
         status=1, message=rb'^kyori: zero.txt: holds no variety'),
    dict(name='DATA a count of 0.5 varieties', args=['half.txt', 'out.txt'],
         files={'half.txt': b'0.5 1\r\nA\r\nx,1\r\n'},
         status=1, message=rb'^kyori: half.txt: line 1: the number of varieties is "0\.5", not a whole number$'),
    dict(name='DATA - of blank lines', args=['-', 'out.txt'], stdin=b'\n\n\n',
         status=1, message=rb'^kyori: -: the data file is empty$'),
    dict(name='DATA counts 0 and 3, in Japanese', args=['zero.txt', 'out.txt'],
         files={'zero.txt': b'0 3\r\nA,B,C\r\n'}, env={'LANG': 'ja_JP.UTF-8'},
         status=1, message=re.escape(b'kyori: zero.txt: ' + '品種がありません．'.encode('utf-8'))),
    dict(name='DATA of NULs, in Japanese', args=['nul.txt', 'out.txt'], files={'nul.txt': b'\0' * 4096},
         env={'LANG': 'ja_JP.UTF-8'},
         status=1, message=re.escape(b'kyori: nul.txt: 1' + '行目：制御文字 '.encode('utf-8') + b'\\x00')),
    dict(name='DATA varieties without traits: a report of zero distances', args=['notraits.txt', 'out.txt'],
         files={'notraits.txt': NO_TRAITS}, status=0, output='out.txt', report=model_report(NO_TRAITS),
         same_as_dialogue=True),

    # OUTPUT that cannot be written
    dict(name='OUTPUT in a missing folder', args=['data.txt', 'nodir/out.txt'],
         status=1, message=rb'^kyori: nodir/out.txt: cannot create the output file$'),
    dict(name='OUTPUT a folder', args=['data.txt', 'sub'], folders=['sub'],
         status=1, message=rb'^kyori: sub: cannot create the output file$'),
    dict(name='OUTPUT in a read-only folder', args=['data.txt', 'ro/out.txt'], read_only='ro',
         status=1, message=rb'^kyori: ro/out.txt: cannot create the output file$'),
    dict(name='the principal components in a read-only folder', args=['--pca=ro/p', 'data.txt', 'out.txt'],
         read_only='ro', status=1, message=rb'^kyori: ro/p_scores.csv: cannot create the output file$'),
    dict(name='the groups in a read-only folder',
         args=['--groups=g.csv', '--group-means=ro/m.csv', 'data.txt', 'out.txt'],
         read_only='ro', status=1, message=rb'^kyori: ro/m.csv: cannot create the output file$'),
    dict(name='OUTPUT /dev/full', args=['data.txt', '/dev/full'],
         status=1, message=rb'^kyori: /dev/full: writing failed$'),
    dict(name='OUTPUT - with standard output closed', args=['data.txt', '-'], close_stdout=True,
         status=1, message=rb'^kyori: -: writing failed$'),
    dict(name='a disk that fills while OUTPUT is written', args=['big.txt', 'small/out.txt'],
         tiny_disk='small', files={'big.txt': many_varieties_one_trait(150)},
         status=1, message=rb'^kyori: small/out.txt: writing failed$'),

    # OUTPUT naming DATA: refused, DATA untouched
    dict(name='OUTPUT = DATA', args=['data.txt', 'data.txt'],
         status=2, message=rb'^kyori: data.txt: is the data file itself; it would be overwritten$'),
    dict(name='OUTPUT = DATA through another path', args=['data.txt', './x/../data.txt'], folders=['x'],
         status=2, message=rb'^kyori: \./x/\.\./data.txt: is the data file itself'),
    dict(name='OUTPUT = DATA by its absolute path', args=['data.txt', '{folder}/data.txt'],
         status=2, message=rb'^kyori: /.*/data.txt: is the data file itself'),
    dict(name='OUTPUT a symbolic link to DATA', args=['data.txt', 'link.txt'], symlinks={'link.txt': 'data.txt'},
         status=2, message=rb'^kyori: link.txt: is the data file itself'),
    dict(name='DATA a symbolic link to OUTPUT', args=['link.txt', 'data.txt'], symlinks={'link.txt': 'data.txt'},
         status=2, message=rb'^kyori: data.txt: is the data file itself'),
    dict(name='OUTPUT a hard link to DATA', args=['data.txt', 'hard.txt'], hardlinks={'hard.txt': 'data.txt'},
         status=2, message=rb'^kyori: hard.txt: is the data file itself'),

    # data that stops the run: an existing OUTPUT stays as it was
    dict(name='an identical trait', args=['same.txt', 'out.txt'],
         files={'same.txt': b'3 2\r\nA,B\r\nx,1 5\r\ny,2 5\r\nz,3 5\r\n'},
         status=1, message=rb'^kyori: same.txt: trait 2 \(B\): all its values are the same$'),
    dict(name='32768 varieties', args=['cap.txt', 'out.txt'], files={'cap.txt': counts_only(32768, 2)},
         status=1, message=rb'^kyori: cap.txt: more than 32767 varieties or traits$'),
    dict(name='32768 traits', args=['cap.txt', 'out.txt'], files={'cap.txt': counts_only(2, 32768)},
         status=1, message=rb'^kyori: cap.txt: more than 32767 varieties or traits$'),
    dict(name='a count of 400 nines (infinite)', args=['cap.txt', 'out.txt'], files={'cap.txt': b'9' * 400 + b' 2\r\n'},
         status=1, message=rb'^kyori: cap.txt: line 1: the number of varieties is "9+\.\.\.", not a whole number$'),
    dict(name='one variety, 32767 traits', args=['wide.txt', 'out.txt'],
         files={'wide.txt': one_variety_many_traits(32767)},
         status=1, message=rb'^kyori: wide.txt: trait 1 \(T1\): all its values are the same$'),
    dict(name='32767 x 32767 under a 2 GiB address space', args=['huge.txt', 'out.txt'],
         files={'huge.txt': counts_only(32767, 32767)}, address_space=2 * GIB, within_seconds=5,
         status=1, message=rb'^kyori: huge.txt: needs \d+\.\d GiB of memory; this machine has 2\.0 GiB$'),
    dict(name='32767 x 1 under a 1 GiB address space: past the capacity check',
         args=['--arithmetic=compatible', 'tall.txt', 'out.txt'],
         files={'tall.txt': many_varieties_one_trait(32767)}, address_space=1 * GIB, within_seconds=5,
         status=1, message=rb'^kyori: tall.txt: needs 2\.\d GiB of memory; this machine has 1\.0 GiB$'),

    # runs that succeed
    dict(name='- for both: standard input to standard output', args=['-', '-'], stdin=SMALL,
         status=0, stdout=SMALL_REPORT),
    dict(name='OUTPUT replaced', args=['data.txt', 'out.txt'], status=0, output='out.txt', report=SMALL_REPORT),
    dict(name='a file that ends early: refused, OUTPUT as it was', args=['short.txt', 'out.txt'],
         files={'short.txt': b'5 3\r\nA,B,C\r\nv,1 2 3\r\nw,4 5 7\r\nx,7 9'},
         status=1, message=rb'^kyori: short.txt: line 5: the file ends before the value of C for x '
                           rb'\(the counts announce 5 varieties and 3 traits\)$'),
    dict(name='DATA and OUTPUT named after options, after --', args=['--', '--data', '--out'],
         files={'--data': SMALL}, status=0, output='--out', report=SMALL_REPORT),

    # messages in Japanese
    dict(name='Japanese, UTF-8', args=['missing.txt', 'out.txt'], env={'LANG': 'ja_JP.UTF-8'},
         status=1, message=re.escape(b'kyori: missing.txt: ' + 'データファイルが開けません'.encode('utf-8'))),
    dict(name='Japanese, code page 932', args=['--console=cp932', 'missing.txt', 'out.txt'],
         env={'LANG': 'ja_JP.UTF-8'},
         status=1, message=re.escape(b'kyori: missing.txt: ' + 'データファイルが開けません'.encode('cp932'))),
    dict(name='Japanese through LC_MESSAGES, UTF-8 through LC_CTYPE', args=['missing.txt', 'out.txt'],
         env={'LC_MESSAGES': 'ja_JP.UTF-8', 'LC_CTYPE': 'C.UTF-8'},
         status=1, message=re.escape(b'kyori: missing.txt: ' + 'データファイルが開けません'.encode('utf-8'))),
    dict(name='LC_ALL=C over a Japanese LANG', args=['missing.txt', 'out.txt'],
         env={'LANG': 'ja_JP.UTF-8', 'LC_ALL': 'C'},
         status=1, message=rb'^kyori: missing.txt: cannot open the data file$'),
    dict(name='a Japanese trait name in a Japanese message', args=['same.txt', 'out.txt'],
         env={'LANG': 'ja_JP.UTF-8'},
         files={'same.txt': b'2 1\r\n' + '草丈'.encode('cp932') + b'\r\nx,5\r\ny,5\r\n'},
         status=1, message=re.escape(b'kyori: same.txt: 1' + '番目の形質（草丈）のデータがすべて同一です'.encode('utf-8'))),
]


# ---- Memory and threads under an address-space limit ---------------------
#
# Runs that need more memory than the limit allows end at the check, before
# anything is written; runs that fit only with fewer threads than asked run
# with fewer; memory that runs out in spite of the check ends in one line.

def long_names(length):
    """Three varieties whose names are `length` bytes each: memory the counts
    do not foretell."""
    name = b'N' * length
    return b'3 1\r\nT\r\n%sa,1\r\n%sb,2\r\n%sc,3\r\n' % (name, name, name)


CASES += [
    dict(name='names of 16 MiB each under a 90 MiB address space: the memory message',
         args=['names.txt', 'out.txt'], files={'names.txt': long_names(16 << 20)},
         address_space=90 << 20, status=1,
         message=rb'^kyori: names.txt: not enough memory to finish the run$'),
]


def sweep_table(varieties):
    """`varieties` rows of three traits whose cells are padded with 3000
    blanks each: the text outweighs the values."""
    pad = b' ' * 3000
    rows = b''.join(b'V%d,%s%d,%s%d.5,%s%d\r\n' % (i, pad, i % 4, pad, i % 5, pad, i % 7) for i in range(varieties))
    return b'variety,A,B,C\r\n' + rows


def sweep_data(varieties):
    """`varieties` varieties and one trait of values 0 to 3: every spread is
    exact in both arithmetics, so no warning."""
    return b'%d 1\r\nT\r\n%s' % (varieties, b''.join(b'V%d,%d\r\n' % (i, i % 4) for i in range(varieties)))


ACCURATE = ['--arithmetic=accurate']
COMPATIBLE = ['--arithmetic=compatible']
ANALYSES = ['--tree=t.nwk', '--svg=p.svg', '--phylip=p.phy']
OUTPUT_OPTIONS = {'out.txt': None, 't.nwk': '--tree=t.nwk', 'p.svg': '--svg=p.svg', 'p.phy': '--phylip=p.phy'}
# name, varieties, options. 8000 varieties hold 31,996,000 pairs: the pairs
# outweigh the rest, and a report takes some seconds to write, so the
# sweeps of 8000 beyond the accurate one (whose peak holds the roots and the
# cells at once, 12 bytes a pair) run only with KYORI_BATCH_HEAVY=1; smaller
# collections stand in for them, with the same options.
SWEEPS = [
    ('accurate, 8000', 8000, ACCURATE),
    ('compatible, 2000', 2000, COMPATIBLE),
    ('compatible, tree, picture, matrix, 2000', 2000, COMPATIBLE + ANALYSES),
    ('accurate, tree, picture, matrix, 2000', 2000, ACCURATE + ANALYSES),
    ('--jobs=1024, 2000', 2000, COMPATIBLE + ['--jobs=1024']),
    ('--jobs=64 --tree, 2000', 2000, COMPATIBLE + ['--jobs=64', '--tree=t.nwk']),
    ('--jobs=64, nj picture, 600', 600, COMPATIBLE + ['--jobs=64', '--svg=p.svg', '--method=nj']),
]
HEAVY_SWEEPS = [
    ('compatible, 8000', 8000, COMPATIBLE),
    ('compatible, tree, picture, matrix, 8000', 8000, COMPATIBLE + ANALYSES),
    ('accurate, tree, picture, matrix, 8000', 8000, ACCURATE + ANALYSES),
    ('--jobs=1024, 8000', 8000, COMPATIBLE + ['--jobs=1024']),
    ('--jobs=64 --tree, 8000', 8000, COMPATIBLE + ['--jobs=64', '--tree=t.nwk']),
]
# A table is held whole while it is read: tables whose text (cells padded
# with blanks, 9 KiB a row) outweighs their distances, and one whose
# distances outweigh the text.
TABLE_SWEEPS = [
    ('a table of 2000 padded rows', 2000, []),
    ('a table of 2000 padded rows, --jobs=64 --tree', 2000, ['--jobs=64', '--tree=t.nwk']),
    ('a table of 600 padded rows, compatible', 600, COMPATIBLE),
]
REFUSED = rb'^kyori: tall\.txt: needs (\d+\.\d) GiB of memory; this machine has \d+\.\d GiB$'
OUT_OF_MEMORY = rb'^kyori: tall\.txt: not enough memory to finish the run$'
SWEEP_STEP = 1.03
SWEEP_FLOOR = 24 << 20  # room for the program itself, not for a collection


def file_digest(path):
    digest = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 20), b''):
            digest.update(block)
    return digest.hexdigest()


def outputs(folder):
    """{name: digest} of the files a run may write."""
    return {name: file_digest(os.path.join(folder, name))
            for name in OUTPUT_OPTIONS if os.path.exists(os.path.join(folder, name))}


class SweepCase(bs.BatchTestCase):
    """One trait and many varieties, in both arithmetics, with and without the
    analyses, with 1024 and 64 threads: the address-space limit rises in steps
    of 3 % from below the figure the check names up to the first limit the
    run gets through. At every limit the run ends at the check (exit 1, the
    one line naming the memory needed, nothing written) or is done (exit 0,
    every output the same bytes as a run with one thread and no limit), never
    by a signal, and leaves no temporary file."""

    @classmethod
    def setUpClass(cls):
        if os.environ.get('KYORI_SANITIZED') == '1':
            raise unittest.SkipTest('AddressSanitizer cannot run under an address-space limit')
        cls.data_folder = tempfile.mkdtemp(prefix='kyori-sweep-')
        cls.references = {}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.data_folder, True)

    def data(self, varieties, table=False):
        name = os.path.join(self.data_folder, ('tall-%d.csv' if table else 'tall-%d.txt') % varieties)
        if not os.path.exists(name):
            write(self.data_folder, os.path.basename(name), (sweep_table if table else sweep_data)(varieties))
        return name

    def reference(self, varieties, options, table=False):
        """The outputs of the run with one thread and no limit."""
        key = (varieties, table) + tuple(o for o in options if not o.startswith('--jobs='))
        if key not in self.references:
            folder = self.folder()
            result = bs.run(['--jobs=1'] + list(key[2:]) + [self.data(varieties, table), 'out.txt'],
                            folder, env=bs.clean_environment())
            self.assertEqual(result.status, 0, result)
            self.references[key] = outputs(folder)
        return self.references[key]

    def run_under(self, varieties, options, limit, table=False):
        folder = self.folder()
        os.symlink(self.data(varieties, table), os.path.join(folder, 'tall.txt'))
        write(folder, 'out.txt', OLD_OUTPUT)
        result = bs.run(options + ['tall.txt', 'out.txt'], folder, env=bs.clean_environment(),
                        preexec_fn=limit_address_space(limit))
        return result, folder

    def check_sweep(self, varieties, options, table=False):
        # Below any figure the check can name: its refusal tells where to start.
        # A table's bytes are read before its counts are known: where they do
        # not fit, reading them ends in the memory message, and the sweep
        # starts at the floor.
        result, _ = self.run_under(varieties, options, SWEEP_FLOOR, table)
        self.assertNoSignal(result)
        last = result.lines()[-1] if result.lines() else b''
        needed = re.match(REFUSED, last)
        if table and re.match(OUT_OF_MEMORY, last):
            limit = SWEEP_FLOOR
        else:
            self.assertIsNotNone(needed, result)
            limit = max(SWEEP_FLOOR, int((float(needed.group(1)) - 0.1) * GIB))
        tried = []
        while True:
            self.assertLess(len(tried), 80, 'no limit up to %d MiB got through' % (limit >> 20))
            result, folder = self.run_under(varieties, options, limit, table)
            tried.append(limit >> 20)
            at = 'at %d MiB' % (limit >> 20)
            self.assertNoSignal(result)
            self.assertEqual(bs.temporary_files(folder), [], at)
            if result.status == 0:
                if '--tree=t.nwk' in options or '--svg=p.svg' in options:
                    self.assertSucceeded(result, warnings_allowed=False, cophenetic=True)
                else:
                    self.assertEqual(result.stderr, b'', result)
                expected = {name: digest for name, digest in self.reference(varieties, options, table).items()
                            if OUTPUT_OPTIONS[name] is None or OUTPUT_OPTIONS[name] in options}
                self.assertEqual(outputs(folder), expected, at)
                break
            self.assertFailedWith(result, 1, re.compile(REFUSED + b'|' + OUT_OF_MEMORY if table else REFUSED))
            with open(os.path.join(folder, 'out.txt'), 'rb') as f:
                self.assertEqual(f.read(), OLD_OUTPUT, at)
            self.assertEqual(sorted(os.listdir(folder)), ['out.txt', 'tall.txt'], at)
            limit = int(limit * SWEEP_STEP)
        self.assertGreater(len(tried), 1, 'the sweep started above the turn: %r' % tried)



class MemorySweep(SweepCase):

    def test_sweeps(self):
        for name, varieties, options in SWEEPS:
            with self.subTest(name):
                self.check_sweep(varieties, options)

    def test_table_sweeps(self):
        for name, varieties, options in TABLE_SWEEPS:
            with self.subTest(name):
                self.check_sweep(varieties, options, table=True)


class HeavyMemorySweep(SweepCase):

    @unittest.skipUnless(os.environ.get('KYORI_BATCH_HEAVY') == '1',
                         'set KYORI_BATCH_HEAVY=1 to sweep 8000 varieties with every option '
                         '(a minute or two)')
    def test_heavy_sweeps(self):
        for name, varieties, options in HEAVY_SWEEPS:
            with self.subTest(name):
                self.check_sweep(varieties, options)


class ThreadsForTheUser(bs.BatchTestCase):
    """No thread left for the user (RLIMIT_NPROC 1; the superuser, whom the
    limit does not bind, runs as nobody): 64 jobs do the work on the one
    thread there is, the outputs the same as with --jobs=1."""

    def test_64_jobs_on_one_thread(self):
        folder = self.folder()
        os.chmod(folder, 0o777)
        write(folder, 'data.txt', many_varieties_one_trait(300))
        options = ['--tree=t.nwk', '--phylip=p.phy', 'data.txt', 'out.txt']
        self.assertSucceeded(bs.run(['--jobs=1'] + options, folder, env=bs.clean_environment()), cophenetic=True)
        expected = outputs(folder)
        for name in expected:
            os.remove(os.path.join(folder, name))

        def one_process():
            resource.setrlimit(resource.RLIMIT_NPROC, (1, 1))
            if is_root():
                os.setgid(65534)
                os.setuid(65534)
        # LeakSanitizer's check at the end needs a thread of its own, which
        # the limit forbids: under the sanitizers the leak check is left out.
        env = bs.clean_environment()
        if os.environ.get('KYORI_SANITIZED') == '1':
            env['ASAN_OPTIONS'] = env.get('ASAN_OPTIONS', '') + ':detect_leaks=0'
        try:
            result = bs.run(['--jobs=64'] + options, folder, env=env, preexec_fn=one_process)
        except subprocess.SubprocessError as e:
            self.skipTest('cannot start the program as another user with one process: %s' % e)
        self.assertSucceeded(result, cophenetic=True)
        self.assertEqual(outputs(folder), expected)
        self.assertNoTemporaryFiles(folder)

# Cases that need what not every machine gives run as test classes (and
# ctest entries) of their own, so that where they cannot run they show as
# skipped while the rest show as passed: mounting a full or a read-only file
# system needs the superuser (a folder without write permission is read-only
# to anyone else), and an address-space limit a plain build (not
# AddressSanitizer).
GROUPS = [('tiny_disk', 'FullDisk'), ('read_only', 'ReadOnlyFolder'), ('address_space', 'AddressSpace')]


def group_of(case):
    """The test class that runs `case`."""
    for key, group in GROUPS:
        if key in case:
            return group
    return 'BadInput'


class TableCases(bs.BatchTestCase):
    """Runs the cases of CASES that belong to the test class (group_of)."""

    def setUp(self):
        self.mounts = []

    def tearDown(self):
        for path in reversed(self.mounts):
            subprocess.run(['umount', '-l', path], check=False)

    def mount_tmpfs(self, path, options):
        """Mounts a tmpfs at `path`; False when mounting is not permitted."""
        os.makedirs(path, exist_ok=True)
        if not is_root() or not shutil.which('mount'):
            return False
        done = subprocess.run(['mount', '-t', 'tmpfs', '-o', options, 'tmpfs', path],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if done.returncode != 0:
            return False
        self.mounts.append(path)
        return True

    def remount_read_only(self, path):
        return subprocess.run(['mount', '-o', 'remount,ro', path], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def prepare(self, case, folder):
        write(folder, 'data.txt', SMALL)
        write(folder, 'out.txt', OLD_OUTPUT)
        for name in case.get('folders', []):
            os.makedirs(os.path.join(folder, name), exist_ok=True)
        for name, data in case.get('files', {}).items():
            write(folder, name, data)
        for name, target in case.get('symlinks', {}).items():
            os.symlink(target, os.path.join(folder, name))
        for name, target in case.get('hardlinks', {}).items():
            os.link(os.path.join(folder, target), os.path.join(folder, name))
        if 'tiny_disk' in case:
            path = os.path.join(folder, case['tiny_disk'])
            if not self.mount_tmpfs(path, 'size=64k'):
                self.skipTest('cannot mount a 64 KiB tmpfs here (needs the superuser)')
            write(folder, os.path.join(case['tiny_disk'], 'out.txt'), OLD_OUTPUT)
        if 'read_only' in case:
            path = os.path.join(folder, case['read_only'])
            if is_root():
                if not self.mount_tmpfs(path, 'size=64k'):
                    self.skipTest('as the superuser, a folder without write permission is still '
                                  'writable, and a read-only tmpfs cannot be mounted here')
                write(folder, os.path.join(case['read_only'], 'out.txt'), OLD_OUTPUT)
                if not self.remount_read_only(path):
                    self.skipTest('cannot remount the tmpfs read-only')
            else:
                write(folder, os.path.join(case['read_only'], 'out.txt'), OLD_OUTPUT)
                os.chmod(path, 0o555)
                self.addCleanup(os.chmod, path, 0o755)

    def address_space_works(self, limit):
        """Whether a small run works under the address-space limit (not under
        AddressSanitizer, which reserves far more)."""
        if os.environ.get('KYORI_SANITIZED') == '1':
            return False
        folder = self.folder()
        write(folder, 'data.txt', SMALL)
        result = bs.run(['data.txt', 'out.txt'], folder, preexec_fn=limit_address_space(limit))
        return result.status == 0

    def run_case(self, case):
        folder = self.folder()
        self.prepare(case, folder)
        preexec = None
        if 'address_space' in case:
            if not self.address_space_works(case['address_space']):
                self.skipTest('the program cannot run under a %d GiB address space '
                              '(a sanitizer build)' % (case['address_space'] // GIB))
            preexec = limit_address_space(case['address_space'])
        args = [a.replace('{folder}', folder) for a in case['args']]
        env = bs.clean_environment(**case.get('env', {}))
        before = bs.snapshot(folder)
        started = time.monotonic()
        result = bs.run(args, folder, stdin=case.get('stdin', b''), env=env,
                        close_stdin=case.get('close_stdin', False),
                        close_stdout=case.get('close_stdout', False), preexec_fn=preexec)
        elapsed = time.monotonic() - started

        self.assertNoSignal(result)
        self.assertEqual(result.status, case['status'], result)
        if case.get('message') is None:
            self.assertEqual(result.stderr, b'')
        else:
            self.assertFailedWith(result, case['status'], re.compile(case['message']))
        if 'stdout' in case:
            self.assertEqual(result.stdout, case['stdout'])
        else:
            self.assertEqual(result.stdout, b'')
        if 'within_seconds' in case:
            self.assertLess(elapsed, case['within_seconds'], 'the refusal took %.1f s' % elapsed)

        after = bs.snapshot(folder)
        if 'output' in case:
            name = os.fsencode(case['output'])
            self.assertEqual(after.pop(name, None), case['report'])
            before.pop(name, None)
        self.assertEqual(bs.temporary_files(folder), [])
        self.assertEqual(sorted(after), sorted(before))
        for name in before:
            self.assertTrue(after[name] == before[name], '%r changed' % name)

        if case.get('same_as_dialogue'):
            _, dialogue_output = bs.run_dialogue(folder, os.fsencode(args[0]), b'dialogue_out.txt')
            self.assertEqual(dialogue_output, case['report'])

    def run_table(self):
        cases = [case for case in CASES if group_of(case) == type(self).__name__]
        self.assertTrue(cases, 'no case belongs to %s' % type(self).__name__)
        for case in cases:
            with self.subTest(case['name']):
                try:
                    self.run_case(case)
                finally:
                    self.tearDown()
                    self.mounts = []


class BadInput(TableCases):
    """The table's cases that run anywhere, and the checks beside it."""

    def test_table(self):
        self.run_table()

    def test_case_names_are_unique(self):
        names = [case['name'] for case in CASES]
        self.assertEqual(len(names), len(set(names)))

    def test_replaced_output_keeps_its_permissions_and_links(self):
        """An OUTPUT that exists is replaced whole, but keeps its permission
        bits; an OUTPUT that is a symbolic link is written through: the link
        stays, its target gets the report."""
        folder = self.folder()
        write(folder, 'data.txt', SMALL)
        write(folder, 'private.txt', b'old')
        os.chmod(os.path.join(folder, 'private.txt'), 0o600)
        write(folder, 'target.txt', b'old')
        os.symlink('target.txt', os.path.join(folder, 'link.txt'))
        for output in ('private.txt', 'link.txt'):
            result = bs.run(['data.txt', output], folder, env=bs.clean_environment())
            self.assertEqual(result.status, 0, result)
        self.assertEqual(os.stat(os.path.join(folder, 'private.txt')).st_mode & 0o777, 0o600)
        with open(os.path.join(folder, 'private.txt'), 'rb') as f:
            self.assertEqual(f.read(), SMALL_REPORT)
        self.assertTrue(os.path.islink(os.path.join(folder, 'link.txt')))
        with open(os.path.join(folder, 'target.txt'), 'rb') as f:
            self.assertEqual(f.read(), SMALL_REPORT)

    def test_output_naming_the_file_standard_input_reads(self):
        """`kyori - data.txt < data.txt`: the data come from standard input, and
        OUTPUT names that very file: refused, the data untouched."""
        folder = self.folder()
        write(folder, 'data.txt', SMALL)
        with open(os.path.join(folder, 'data.txt'), 'rb') as data:
            result = subprocess.run([bs.PROGRAM, '-', 'data.txt'], cwd=folder, stdin=data,
                                    capture_output=True, env=bs.clean_environment(), timeout=60)
        self.assertEqual(result.returncode, 2, result)
        self.assertRegex(result.stderr, rb'^kyori: data.txt: is the data file itself; it would be overwritten\n$')
        with open(os.path.join(folder, 'data.txt'), 'rb') as f:
            self.assertEqual(f.read(), SMALL)
        self.assertEqual(sorted(os.listdir(folder)), ['data.txt'])


class FullDisk(TableCases):
    """A disk that fills while OUTPUT is written: a 64 KiB tmpfs, mounted by
    the superuser."""

    def test_table(self):
        self.run_table()


class ReadOnlyFolder(TableCases):
    """OUTPUT in a folder that cannot be written: a folder without write
    permission, or for the superuser a tmpfs remounted read-only."""

    def test_table(self):
        self.run_table()


class AddressSpace(TableCases):
    """The memory check under a lowered address-space limit (a plain build)."""

    def test_table(self):
        self.run_table()


class Heavy(bs.BatchTestCase):
    """The report of 32767 varieties, with KYORI_BATCH_HEAVY=1."""

    @unittest.skipUnless(os.environ.get('KYORI_BATCH_HEAVY') == '1',
                         'set KYORI_BATCH_HEAVY=1 to write the report of 32767 varieties '
                         '(about 2 GiB of memory, some 15 s before its first byte)')
    def test_32767_varieties_write_their_report(self):
        """The report of 32767 varieties and one trait holds 1.07e9 distance
        cells (about 9.6 GB): its beginning, up to the first distance row, is
        read from standard output and compared with the model, then the run
        is ended."""
        data = many_varieties_one_trait(32767)
        folder = self.folder()
        write(folder, 'tall.txt', data)
        expected = self.report_beginning(data)
        p = subprocess.Popen([bs.PROGRAM, 'tall.txt', '-'], cwd=folder, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, env=bs.clean_environment())
        try:
            got = b''
            while len(got) < len(expected):
                chunk = p.stdout.read(len(expected) - len(got))
                if not chunk:
                    break
                got += chunk
        finally:
            p.kill()
            p.wait()
            p.stdout.close()
        if got != expected:
            self.fail('first difference at byte %r' % bs.first_difference(expected, got))

    def report_beginning(self, data):
        """The model's report of a one-trait file up to the end of the first
        distance row, without the model's whole triangle of distances."""
        r = kyori_ref.Run({b'd': data}, b'', kyori_ref.BATCH_CAPACITY)
        r.read_data_file(kyori_ref.Channel(data))
        self.assertIsNone(r.standardize_traits())
        r.output = kyori_ref.OutputFile(b'o', writable=True)
        r.write_standardized_section()
        standardized = [r.value(float(i), 1.0) for i in range(1, int(r.variety_count) + 1)]
        r.write_to_channel(r.variety_names[1] + b'  ')
        for value in standardized:
            d = value - standardized[0]
            squared = kyori_ref.to_single(d * d + 0.0)  # one trait: a single-precision sum of one term
            r.write_cell(kyori_ref.power(squared, 0.5), distance_rule=True)
        r.write_to_channel(b' ' + kyori_ref.CRLF)
        return bytes(r.output.data)



if __name__ == '__main__':
    bs.main()
