"""Running the built kyori program in batch mode and in the dialogue, for the
batch tests.

Every test script takes the program's path as its first argument:

    python3 SCRIPT.py PATH/TO/kyori [unittest options] [TestClass ...]

and exits 0 when every check ran and held, 1 when one failed, 77 (a skip in
ctest) when some could not run here (unittest_status.py).

Each run is a real process in a fresh temporary folder, with a clean
environment (English messages unless a test sets a locale).
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REFERENCE = os.path.join(HERE, '..', 'reference')
sys.path.insert(0, REFERENCE)

import kyori_ref  # noqa: E402
import unittest_status  # noqa: E402

PROGRAM = None  # set by main()

# The dialogue's answers for a data file and an output file: the data file's
# name, the output file's name, then Enter at the last question.
DIALOGUE_ANSWERS = b'%s\n%s\n\n'

TEMP_PATTERN = re.compile(rb'\.kyori-\d+(-\d+)?\.tmp$')

HEADING_STANDARDIZED = kyori_ref.HEADING_STANDARDIZED
HEADING_RESULTS = kyori_ref.HEADING_RESULTS


class Result:
    def __init__(self, status, stdout, stderr):
        self.status = status      # exit status, or -signal when killed
        self.stdout = stdout
        self.stderr = stderr

    def lines(self):
        """Standard error as lines, without their line ends."""
        return self.stderr.split(b'\n')[:-1] if self.stderr else []

    def __repr__(self):
        return 'exit %r, stderr %r' % (self.status, self.stderr[:600])


def clean_environment(**settings):
    """The environment of a run: the caller's, without locale variables
    (LANG=C), plus `settings`."""
    env = {k: v for k, v in os.environ.items()
           if not (k == 'LANG' or k == 'LANGUAGE' or k.startswith('LC_'))}
    env['LANG'] = 'C'
    env.update(settings)
    return env


def run(args, cwd, stdin=b'', env=None, close_stdin=False, close_stdout=False, preexec_fn=None,
        timeout=300, close_stderr=False):
    """Runs the program with `args` in `cwd`; `stdin` bytes are its standard
    input. close_stdin / close_stdout / close_stderr start it with that
    stream closed."""
    command = [PROGRAM] + list(args)

    def prepare_child():
        if close_stdin:
            os.close(0)
        if close_stdout:
            os.close(1)
        if close_stderr:
            os.close(2)
        if preexec_fn:
            preexec_fn()
    p = subprocess.Popen(command, cwd=cwd, stdin=None if close_stdin else subprocess.PIPE,
                         stdout=None if close_stdout else subprocess.PIPE, stderr=subprocess.PIPE,
                         env=env or clean_environment(), preexec_fn=prepare_child)
    try:
        out, err = p.communicate(None if close_stdin else stdin, timeout=timeout)
    except subprocess.TimeoutExpired:
        p.kill()
        p.communicate()
        raise AssertionError('kyori %r did not end within %d s' % (args, timeout))
    return Result(p.returncode, out or b'', err)


def run_dialogue(folder, data_name, output_name):
    """Runs the dialogue in `folder` on the data file `data_name`; returns the
    result and the output file's bytes (None when it wrote none)."""
    answers = DIALOGUE_ANSWERS % (data_name, output_name)
    result = run([], folder, stdin=answers)
    path = os.path.join(folder.encode(), output_name)
    output = None
    if os.path.exists(path):
        with open(path, 'rb') as f:
            output = f.read()
        os.remove(path)
    return result, output


def write_file(folder, name, data):
    """Writes the bytes `data` as folder/name (names as text or bytes)."""
    with open(os.path.join(os.fsencode(folder), os.fsencode(name)), 'wb') as f:
        f.write(data)


def read_file(folder, name):
    """The bytes of folder/name (names as text or bytes)."""
    with open(os.path.join(os.fsencode(folder), os.fsencode(name)), 'rb') as f:
        return f.read()


def snapshot(folder):
    """Every file under `folder`: {relative path bytes: content bytes}; links
    are recorded as ('link', target)."""
    files = {}
    root = os.fsencode(folder)
    for parent, _, names in os.walk(root):
        for name in names:
            path = os.path.join(parent, name)
            key = os.path.relpath(path, root)
            if os.path.islink(path):
                files[key] = ('link', os.readlink(path))
            elif os.path.isfile(path):
                with open(path, 'rb') as f:
                    files[key] = f.read()
            else:
                files[key] = ('special',)
    return files


def temporary_files(folder):
    return sorted(k for k in snapshot(folder) if TEMP_PATTERN.search(k))


def first_difference(a, b):
    """The offset of the first byte where a and b differ; None when equal."""
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return None if len(a) == len(b) else min(len(a), len(b))


def identical_trait_in_console(console):
    """The trait number the dialogue's console reports as identical, or None."""
    m = re.search(rb'(\d+) ' + re.escape(kyori_ref.IDENTICAL_DATA), console)
    return int(m.group(1)) if m else None


def is_warning(line):
    return line.startswith(b'kyori: ') and b': warning: ' in line


class BatchTestCase(unittest.TestCase):
    """Checks shared by the batch tests."""

    maxDiff = 2000

    def folder(self):
        d = tempfile.mkdtemp(prefix='kyori-batch-')
        self.addCleanup(shutil.rmtree, d, True)
        return d

    def assertNoSignal(self, result):
        self.assertGreaterEqual(result.status, 0, 'killed by signal %s (%r)' % (
            signal.Signals(-result.status).name if result.status < 0 else '', result))

    def assertSucceeded(self, result, warnings_allowed=True, cophenetic=False):
        """Exit 0; standard error empty, or (when allowed) warnings alone, and
        the cophenetic correlation line of a tree when one was asked for."""
        self.assertNoSignal(result)
        self.assertEqual(result.status, 0, result)
        lines = result.lines()
        if cophenetic:
            self.assertRegex(lines[-1] if lines else b'', rb'^kyori: cophenetic correlation \(\w+\): -?\d\.\d{6}$')
            lines = lines[:-1]
        for line in lines:
            self.assertTrue(warnings_allowed and is_warning(line), 'unexpected message %r' % line)
        if result.stderr:
            self.assertTrue(result.stderr.endswith(b'\n'), result)

    def assertFailedWith(self, result, status, fragment=None, warnings_allowed=False):
        """Exit `status` with one message line starting "kyori: " (after any
        warnings, when allowed), holding `fragment` (bytes or a regex)."""
        self.assertNoSignal(result)
        self.assertEqual(result.status, status, result)
        self.assertTrue(result.stderr.endswith(b'\n'), result)
        lines = result.lines()
        failures = [line for line in lines if not (warnings_allowed and is_warning(line))]
        self.assertEqual(len(failures), 1, result)
        self.assertEqual(failures[0], lines[-1], 'the failure is the last line: %r' % result)
        for line in lines:
            self.assertTrue(line.startswith(b'kyori: '), result)
        if isinstance(fragment, bytes):
            self.assertIn(fragment, failures[0])
        elif fragment is not None:
            self.assertRegex(failures[0], fragment)
        return failures[0]

    def assertNoTemporaryFiles(self, folder):
        self.assertEqual(temporary_files(folder), [])


def replace_headings(report, heading_standardized, heading_results, varieties):
    """The report with its two headings (line 0 and line varieties + 1)
    replaced."""
    lines = report.split(b'\r\n')
    assert lines[0] == HEADING_STANDARDIZED, lines[0]
    assert lines[varieties + 1] == HEADING_RESULTS, lines[varieties + 1]
    lines[0] = heading_standardized
    lines[varieties + 1] = heading_results
    return b'\r\n'.join(lines)


def main():
    global PROGRAM
    if len(sys.argv) < 2 or not os.path.exists(sys.argv[1]):
        sys.exit('usage: %s PATH/TO/kyori [unittest options]' % sys.argv[0])
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest_status.main()
