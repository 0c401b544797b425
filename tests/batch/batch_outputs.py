#!/usr/bin/env python3
"""The files a batch run writes, tried as a script and a careless user would:
outputs that name the data file or each other, outputs that cannot be
created, written or renamed, file-size limits, odd and long names, links, and
signals at any moment. Each case is a real process in its own temporary
folder. What must hold:

- every file a run writes is distinct from DATA and from the others, by any
  name, link or standard handle: otherwise exit 2, one line, nothing read or
  written;
- a run is one transaction: all outputs replaced, or none (an existing one
  whole, as it was);
- no temporary file is left, except after SIGKILL;
- each failure is one line on standard error, and no signal ends the run
  but the one sent.

    python3 batch_outputs.py PATH/TO/kyori
"""

import os
import random
import resource
import shutil
import signal
import subprocess
import time
import unittest

import batch_support as bs
from batch_support import read_file as read, write_file as write

SMALL = b'4 2\r\nA,B\r\nw,1 10\r\nx,2 30\r\ny,3 20\r\nz,5 25\r\n'
OLD = {'out.txt': b'old report\r\n', 't.nwk': b'old tree\n', 't.phy': b'old matrix\n', 't.svg': b'<old/>\n',
       'z.csv': b'old values\r\n'}
ALL_OUTPUTS = ['--tree=t.nwk', '--phylip=t.phy', '--svg=t.svg']


def generated(varieties, traits, seed=7):
    """A data file of random values, names V1..Vn and T1..Tm."""
    rng = random.Random(seed)
    names = b','.join(b'T%d' % (j + 1) for j in range(traits))
    rows = b''.join(b'V%d,%s\r\n' % (i + 1, b' '.join(b'%.3f' % rng.uniform(0, 100) for _ in range(traits)))
                    for i in range(varieties))
    return b'%d %d\r\n%s\r\n%s' % (varieties, traits, names, rows)


def file_size_limit(limit):
    def apply():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return apply


class OutputCase(bs.BatchTestCase):
    """A folder with the data and the earlier contents of every output."""

    def prepared(self, data=SMALL):
        folder = self.folder()
        write(folder, 'in.txt', data)
        for name, content in OLD.items():
            write(folder, name, content)
        return folder

    def expected_outputs(self, args, data=SMALL):
        """The files a clean run with `args` (ending in DATA OUTPUT as in.txt
        out.txt) writes, by name."""
        folder = self.folder()
        write(folder, 'in.txt', data)
        result = bs.run(args, folder)
        self.assertSucceeded(result, cophenetic=any(a.startswith(('--tree', '--svg')) for a in args))
        return {name: read(folder, name) for name in os.listdir(folder) if name != 'in.txt'}

    def assertUnchanged(self, folder, before):
        self.assertEqual(bs.snapshot(folder), before)


class Outputs(OutputCase):

    def test_outputs_naming_one_file_are_refused(self):
        # (arguments, the name the message is about, the folder's extra set-up)
        cases = [
            (['--svg=in.txt', 'in.txt', 'out.txt'], b'in.txt: is the data file itself', None),
            (['--tree=./in.txt', 'in.txt', 'out.txt'], b'./in.txt: is the data file itself', None),
            (['--phylip=in.txt', 'in.txt', 'out.txt'], b'in.txt: is the data file itself', None),
            (['--svg=lnk', 'in.txt', 'out.txt'], b'lnk: is the data file itself', ('symlink', 'in.txt', 'lnk')),
            (['--tree=same', '--svg=same', 'in.txt', 'out.txt'], b'same: --svg and --tree name the same file', None),
            (['--tree=same', '--phylip=./same', 'in.txt', 'out.txt'], b'same: --tree and --phylip name the same', None),
            (['--phylip=out.txt', 'in.txt', 'out.txt'], b'out.txt: --phylip and OUTPUT name the same', None),
            (['--tree=link', 'in.txt', 'out.txt'], b'link: --tree and OUTPUT', ('symlink', 'out.txt', 'link')),
            (['--tree=hard', 'in.txt', 'out.txt'], b'hard: --tree and OUTPUT', ('hardlink', 'out.txt', 'hard')),
            (['--svg=t.nwk', '--tree=sub/../t.nwk', 'in.txt', 'out.txt'], b'--svg and --tree', ('folder', 'sub')),
            (['--tree=-', 'in.txt', '-'], b'-: --tree and OUTPUT name the same file', None),
            (['--tree=/dev/stdout', 'in.txt', '-'], b'/dev/stdout: --tree and OUTPUT', None),
            (['--standardized=in.txt', 'in.txt', 'out.txt'], b'in.txt: is the data file itself', None),
            (['--format=csv', 'in.txt', './in.txt'], b'./in.txt: is the data file itself', None),
            (['--standardized=lnk', 'in.txt', 'out.txt'], b'lnk: is the data file itself', ('symlink', 'in.txt', 'lnk')),
            (['--format=csv', '--standardized=out.txt', 'in.txt', 'out.txt'],
             b'out.txt: --standardized and OUTPUT name the same', None),
            (['--standardized=z.csv', '--phylip=sub/../z.csv', 'in.txt', 'out.txt'],
             b'--phylip and --standardized', ('folder', 'sub')),
            (['--standardized=hard', '--format=tsv', 'in.txt', 'out.txt'], b'hard: --standardized and OUTPUT',
             ('hardlink', 'out.txt', 'hard')),
            (['--standardized=-', '--format=csv', 'in.txt', '-'], b'-: --standardized and OUTPUT name the same', None),
        ]
        for args, fragment, setup in cases:
            with self.subTest(args=args):
                folder = self.prepared()
                if setup and setup[0] == 'symlink':
                    os.symlink(setup[1], os.path.join(folder, setup[2]))
                elif setup and setup[0] == 'hardlink':
                    os.link(os.path.join(folder, setup[1]), os.path.join(folder, setup[2]))
                elif setup:
                    os.mkdir(os.path.join(folder, setup[1]))
                before = bs.snapshot(folder)
                result = bs.run(args, folder)
                self.assertFailedWith(result, 2, fragment)
                self.assertEqual(result.stdout, b'')
                self.assertUnchanged(folder, before)

    def test_standard_output_into_a_file_of_the_run(self):
        """`kyori in.txt - >> in.txt`, and standard output redirected into
        the file --tree names: refused, exit 2, both files as they were."""
        for args, target, fragment in [(['in.txt', '-'], 'in.txt', b'-: is the data file itself'),
                                       (['--tree=t.nwk', 'in.txt', '-'], 't.nwk', b't.nwk: --tree and OUTPUT'),
                                       (['--phylip=x.phy', '-', '-'], 'in.txt', b'-: is the data file itself')]:
            with self.subTest(args=args):
                folder = self.prepared()
                before = bs.snapshot(folder)
                with open(os.path.join(folder, target), 'ab') as out, \
                        open(os.path.join(folder, 'in.txt'), 'rb') as data:
                    result = subprocess.run([bs.PROGRAM] + args, cwd=folder, stdin=data, stdout=out,
                                            stderr=subprocess.PIPE, env=bs.clean_environment(), timeout=60)
                self.assertFailedWith(bs.Result(result.returncode, b'', result.stderr), 2, fragment)
                self.assertUnchanged(folder, before)

    def test_an_output_where_standard_error_goes(self):
        """`--tree=log 2>>log` would write the messages into the log that the
        tree then replaces: refused (the message itself lands in the log).
        Standard error on /dev/null, or shared with `-` (`2>&1`), is no
        clash."""
        folder = self.prepared()
        write(folder, 'log', b'earlier messages\n')
        with open(os.path.join(folder, 'log'), 'ab') as log:
            done = subprocess.run([bs.PROGRAM, '--tree=log', 'in.txt', 'out.txt'], cwd=folder,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log,
                                  env=bs.clean_environment(), timeout=60)
        self.assertEqual(done.returncode, 2)
        self.assertEqual(read(folder, 'log'), b'earlier messages\nkyori: log: is where standard error goes; '
                                              b'the messages would be mixed in\n')
        self.assertEqual(read(folder, 'out.txt'), OLD['out.txt'])
        for args, stderr_to in [(['--arithmetic=accurate', '--svg=/dev/null', 'in.txt', 'out.txt'], '/dev/null'),
                                (['--arithmetic=accurate', 'in.txt', '-'], 'stdout')]:
            with self.subTest(args=args):
                folder = self.prepared()
                with open(os.path.join(folder, 'both'), 'wb') as out:
                    done = subprocess.run([bs.PROGRAM] + args, cwd=folder, stdin=subprocess.DEVNULL,
                                          stdout=out,
                                          stderr=subprocess.STDOUT if stderr_to == 'stdout' else subprocess.DEVNULL,
                                          env=bs.clean_environment(), timeout=60)
                self.assertEqual(done.returncode, 0)

    def test_closed_standard_handles_take_no_output(self):
        """With standard error closed, the messages must not land in a file
        opened later (the report's temporary file); with standard output
        closed, `-` fails and the other outputs are not replaced."""
        expected = self.expected_outputs(['--tree=t.nwk', 'in.txt', 'out.txt'])
        folder = self.prepared()
        result = bs.run(['--tree=t.nwk', '-', 'out.txt'], folder, stdin=SMALL, close_stderr=True)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(read(folder, 'out.txt'), expected['out.txt'])
        self.assertEqual(read(folder, 't.nwk'), expected['t.nwk'])
        folder = self.prepared()
        before = bs.snapshot(folder)
        result = bs.run(['--tree=t.nwk', '-', '-'], folder, stdin=SMALL, close_stdout=True)
        self.assertFailedWith(result, 1, b'-: writing failed', warnings_allowed=True)
        self.assertUnchanged(folder, before)

    def test_a_failed_run_replaces_nothing(self):
        """Any output that cannot be created, written or renamed leaves every
        existing output as it was and no temporary file."""
        cases = [
            (['--tree=nodir/t.nwk', 'in.txt', 'out.txt'], b'nodir/t.nwk: cannot create the output file'),
            (['--tree=t.nwk', '--svg=/dev/full', 'in.txt', 'out.txt'], b'/dev/full: writing failed'),
            (['--tree=/dev/full', '--phylip=t.phy', 'in.txt', 'out.txt'], b'/dev/full: writing failed'),
            (['--phylip=/dev/full', '--tree=t.nwk', 'in.txt', 'out.txt'], b'/dev/full: writing failed'),
            (['--tree=t.nwk', '--svg=t.svg', 'in.txt', '/dev/full'], b'/dev/full: writing failed'),
            (['--tree=t.nwk', '--svg=loop', 'in.txt', 'out.txt'], b'loop: cannot create the output file'),
            (['--tree=loop', '--svg=t.svg', 'in.txt', 'out.txt'], b'loop: cannot create the output file'),
            (['--phylip=loop', '--tree=t.nwk', 'in.txt', 'out.txt'], b'loop: cannot create the output file'),
            (['--phylip=t.phy', 'in.txt', 'loop'], b'loop: cannot create the output file'),
            (['--tree=sub', 'in.txt', 'out.txt'], b'sub: cannot create the output file'),
            (['--standardized=/dev/full', '--tree=t.nwk', 'in.txt', 'out.txt'], b'/dev/full: writing failed'),
            (['--format=csv', '--standardized=z.csv', 'in.txt', '/dev/full'], b'/dev/full: writing failed'),
            (['--format=tsv', '--phylip=t.phy', 'in.txt', '/dev/full'], b'/dev/full: writing failed'),
            (['--standardized=loop', '--format=csv', 'in.txt', 'out.txt'], b'loop: cannot create the output file'),
            (['--format=csv', '--standardized=z.csv', 'in.txt', 'loop'], b'loop: cannot create the output file'),
            (['--standardized=sub', 'in.txt', 'out.txt'], b'sub: cannot create the output file'),
            (['--format=csv', 'in.txt', 'sub'], b'sub: cannot create the output file'),
            (['--standardized=nodir/z.csv', 'in.txt', 'out.txt'], b'nodir/z.csv: cannot create the output file'),
        ]
        for args, fragment in cases:
            with self.subTest(args=args):
                folder = self.prepared()
                os.symlink('loop', os.path.join(folder, 'loop'))
                os.mkdir(os.path.join(folder, 'sub'))
                before = bs.snapshot(folder)
                result = bs.run(args, folder)
                self.assertFailedWith(result, 1, fragment, warnings_allowed=True)
                self.assertUnchanged(folder, before)

    def test_a_file_size_limit_is_a_failed_write(self):
        """Under `ulimit -f` the report cannot grow: writing failed, exit 1,
        not SIGXFSZ; nothing replaced, nothing left."""
        data = generated(120, 3)
        folder = self.prepared(data)
        before = bs.snapshot(folder)
        result = bs.run(['--tree=t.nwk', 'in.txt', 'out.txt'], folder, preexec_fn=file_size_limit(16384))
        self.assertFailedWith(result, 1, b'out.txt: writing failed', warnings_allowed=True)
        self.assertUnchanged(folder, before)
        for args in [['--format=csv', '--standardized=z.csv', 'in.txt', 'out.txt'],
                     ['--format=tsv', 'in.txt', 'out.txt']]:
            with self.subTest(args=args):
                result = bs.run(args, folder, preexec_fn=file_size_limit(16384))
                self.assertFailedWith(result, 1, b'out.txt: writing failed', warnings_allowed=True)
                self.assertUnchanged(folder, before)

    def test_names_of_any_length_and_any_byte(self):
        """Names up to the 255 bytes a folder entry holds, names holding
        every byte but '/' and NUL, and the characters shells and formats
        treat specially: each output written under exactly its name."""
        expected = self.expected_outputs(['--tree=t.nwk', '--phylip=t.phy', '--svg=t.svg', 'in.txt', 'out.txt'])
        every_byte = bytes(b for b in range(1, 256) if b != ord('/'))
        name_sets = [
            [b'r' * 255, b't' * 255, b'p' * 254, b's' * 253],
            [b'<>&\'"();:,[] report', b'tree <>&\'"();:,[]', b'matrix;,:[]', b'picture&<>'],
            [b'-' + every_byte[:100], b'~' + every_byte[100:200], b'=' + every_byte[200:], '木の図.svg'.encode()],
        ]
        for names in name_sets:
            with self.subTest(names=names[0][:20]):
                folder = self.prepared()
                output, tree, phylip, svg = names
                args = [b'--tree=' + tree, b'--phylip=' + phylip, b'--svg=' + svg, b'in.txt', b'--', output]
                result = bs.run(args, folder)
                self.assertSucceeded(result, cophenetic=True)
                for name, source in [(output, 'out.txt'), (tree, 't.nwk'), (phylip, 't.phy'), (svg, 't.svg')]:
                    self.assertEqual(read(folder, name), expected[source], name)
                self.assertNoTemporaryFiles(folder)

    def test_a_name_with_control_bytes_stays_on_one_line(self):
        folder = self.prepared()
        result = bs.run(['in.txt', 'nodir/a\nb\x01c'], folder)
        line = self.assertFailedWith(result, 1, b'cannot create the output file')
        self.assertEqual(line, b'kyori: nodir/a\\nb\\x01c: cannot create the output file')

    def test_links_are_written_through(self):
        """A link to an existing file replaces its target; a link to a
        missing file creates it; the links stay links."""
        expected = self.expected_outputs(['--tree=t.nwk', 'in.txt', 'out.txt'])
        folder = self.prepared()
        os.mkdir(os.path.join(folder, 'real'))
        write(folder, 'real/report', b'old')
        os.symlink('real/report', os.path.join(folder, 'report'))
        os.symlink('real/tree-to-be', os.path.join(folder, 'tree'))
        result = bs.run(['--tree=tree', 'in.txt', 'report'], folder)
        self.assertSucceeded(result, cophenetic=True)
        self.assertTrue(os.path.islink(os.path.join(folder, 'report')))
        self.assertTrue(os.path.islink(os.path.join(folder, 'tree')))
        self.assertEqual(read(folder, 'real/report'), expected['out.txt'])
        self.assertEqual(read(folder, 'real/tree-to-be'), expected['t.nwk'])
        self.assertNoTemporaryFiles(folder)

    def test_usage_errors(self):
        for args, fragment in [
                (['--tree=a', '--tree=b', 'in.txt', 'out.txt'], b'option given more than once: --tree'),
                (['--jobs=2', '--jobs', '3', 'in.txt', 'out.txt'], b'option given more than once: --jobs'),
                (['--method=nj', '--method=nj', 'in.txt', 'out.txt'], b'option given more than once: --method'),
                (['--jobs=1000000000', 'in.txt', 'out.txt'], b'value not allowed: --jobs=1000000000'),
                (['--jobs=abc', 'in.txt', 'out.txt'], b'value not allowed: --jobs=abc'),
                (['--jobs=', 'in.txt', 'out.txt'], b'value not allowed: --jobs='),
                (['--method=', 'in.txt', 'out.txt'], b'value not allowed: --method='),
                (['--method=upgma', 'in.txt', 'out.txt'], b'value not allowed: --method=upgma'),
                (['--tree=', 'in.txt', 'out.txt'], b'value not allowed: --tree='),
                (['--svg=', 'in.txt', 'out.txt'], b'value not allowed: --svg='),
                (['--input=csv', '--input=csv', 'in.txt', 'out.txt'], b'option given more than once: --input'),
                (['--input=xls', 'in.txt', 'out.txt'], b'value not allowed: --input=xls'),
                (['--input=', 'in.txt', 'out.txt'], b'value not allowed: --input='),
                (['--input', 'in.txt', 'out.txt'], b'value not allowed: --input=in.txt'),
                (['--arithmetic=auto', '--arithmetic', 'accurate', 'in.txt', 'out.txt'],
                 b'option given more than once: --arithmetic')]:
            with self.subTest(args=args):
                folder = self.prepared()
                before = bs.snapshot(folder)
                self.assertFailedWith(bs.run(args, folder), 2, fragment)
                self.assertUnchanged(folder, before)


class RenameFails(OutputCase):
    """An output whose rename fails after others were renamed (needs the
    superuser, to make a file immutable)."""

    def test_a_rename_that_fails_puts_the_earlier_outputs_back(self):
        """The picture cannot be renamed into place (an immutable file): the
        report, already renamed, is put back as it was."""
        if os.geteuid() != 0 or not shutil.which('chattr'):
            self.skipTest('needs the superuser and chattr to make a file immutable')
        folder = self.prepared()
        svg = os.path.join(folder, 't.svg')
        if subprocess.run(['chattr', '+i', svg], stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest('this file system has no immutable files')
        self.addCleanup(subprocess.run, ['chattr', '-i', svg])
        before = bs.snapshot(folder)
        result = bs.run(['--tree=t.nwk', '--svg=t.svg', 'in.txt', 'out.txt'], folder)
        self.assertFailedWith(result, 1, b't.svg: writing failed', warnings_allowed=True)
        self.assertUnchanged(folder, before)


class Signals(bs.BatchTestCase):
    """A 3,000 x 40 run with a tree, a matrix and a picture, ended by a signal
    at several moments: from the first instant to after its end."""

    ARGS = ['--arithmetic=accurate', '--tree=t.nwk', '--phylip=t.phy', '--svg=t.svg', '--standardized=z.csv',
            'in.txt', 'out.txt']
    DELAYS = [0.0, 0.02, 0.1, 0.3, 0.6, 1.0, 1.5, 2.5]

    @classmethod
    def setUpClass(cls):
        cls.data = generated(3000, 40)
        folder = tempfile_folder()
        write(folder, 'in.txt', cls.data)
        started = time.monotonic()
        result = bs.run(cls.ARGS, folder)
        cls.duration = time.monotonic() - started
        assert result.status == 0, result
        cls.expected = {name: read(folder, name) for name in OLD}
        shutil.rmtree(folder)

    def signalled(self, number, delay):
        folder = self.folder()
        write(folder, 'in.txt', self.data)
        for name, content in OLD.items():
            write(folder, name, content)
        p = subprocess.Popen([bs.PROGRAM] + self.ARGS, cwd=folder, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=bs.clean_environment())
        time.sleep(delay)
        p.send_signal(number)
        out, err = p.communicate(timeout=120)
        return folder, bs.Result(p.returncode, out, err)

    def assertEveryOutputWholeOrComplete(self, folder, result):
        """All old (the run ended before its renames) or all new (it ended
        after): never a mixture, never a part."""
        contents = {name: read(folder, name) for name in OLD}
        if result.status == 0:
            self.assertEqual(contents, self.expected)
        else:
            self.assertIn(contents, [OLD, self.expected])
        self.assertEqual(read(folder, 'in.txt'), self.data)

    def test_catchable_signals_remove_every_temporary_file(self):
        for number in [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]:
            for delay in self.DELAYS:
                with self.subTest(signal=number.name, delay=delay):
                    folder, result = self.signalled(number, delay * self.duration / 2.5)
                    self.assertIn(result.status, (0, -number), result)
                    lines = result.lines()
                    if result.status == -number and lines and not lines[-1].startswith(b'kyori: cophenetic'):
                        self.assertEqual(lines, [b'kyori: stopped by a signal; no output file was replaced'])
                        self.assertEqual(contents_of(folder), OLD)
                    self.assertLessEqual(len(lines), 1, result)
                    self.assertNoTemporaryFiles(folder)
                    self.assertEveryOutputWholeOrComplete(folder, result)

    def test_sigkill_leaves_only_recognisable_temporary_files(self):
        for delay in self.DELAYS:
            with self.subTest(delay=delay):
                folder, result = self.signalled(signal.SIGKILL, delay * self.duration / 2.5)
                self.assertIn(result.status, (0, -signal.SIGKILL), result)
                self.assertEveryOutputWholeOrComplete(folder, result)
                for name in os.listdir(folder):
                    self.assertTrue(name in OLD or name == 'in.txt' or bs.TEMP_PATTERN.search(name.encode()),
                                    name)


def tempfile_folder():
    import tempfile
    return tempfile.mkdtemp(prefix='kyori-batch-')


def contents_of(folder):
    return {name: read(folder, name) for name in OLD}


if __name__ == '__main__':
    bs.main()
