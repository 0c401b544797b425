#!/usr/bin/env python3
"""Checks batch mode's two arithmetics and its spread warning.

Table mode runs a table of generated data files (30-60 varieties, 2-4
traits: one trait of the kind under test beside well-conditioned ones), each
through the program as

    kyori --arithmetic=accurate --jobs=1 --phylip=P DATA OUT   (and --jobs=3)
    kyori --arithmetic=compatible --phylip=P DATA OUT
    kyori --phylip=P DATA OUT                                  (the default)

and checks, for each:
  accurate    exit status 1, naming the trait, exactly when a trait's values
              are all equal; otherwise the PHYLIP distances bit for bit the
              accurate steps done here in Python (two passes in double per
              trait, sums of squares in trait order, the square root), and
              equal to SciPy's pdist(zscore(x, ddof=1)) to 1e-12 relative
              (1e-12 absolute near 0); the report the cells of those values;
              the same bytes for --jobs=1 and --jobs=3;
  compatible  the report's bytes those of the reference model's dialogue on
              the same file, exit status 1 exactly when the model stops at an
              identical trait, the PHYLIP distances the model's
              Power(squared, 0.5);
  warnings    one line per trait whose compatible standard deviation (the
              model's steps) differs from the accurate one by more than 0.1 %
              (1e-3 relative), with the percentage, or that the compatible
              arithmetic stops as identical though its values differ; no
              others;
  default     these files are in the kyori layout and of at most 300
              varieties and traits: the default run is the compatible one,
              its report and messages the same.
It prints one line per row and the worst relative error of the compatible
standard deviation and of the compatible distances (against SciPy).

Example mode (`--example FILE...`) runs the same checks without SciPy on each
FILE, and checks that the file shows the difference: at least one warning,
both arithmetics finish, and their reports differ. Quiet mode (`--quiet
FILE...`) runs them and checks that the file draws no warning and both
arithmetics finish: its compatible report is right to its last digits or
nearly.

Usage: arithmetics.py KYORI                    exit 0 when every check held,
       arithmetics.py KYORI --example FILE...  1 when one failed, 77 when the
       arithmetics.py KYORI --quiet FILE...    table's numpy or scipy is missing
"""

import math
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import kyori_ref as ref  # noqa: E402

SPREAD_TOLERANCE = 1e-3   # the program's threshold for a warning: 0.1 %
SCIPY_TOLERANCE = 1e-12   # relative; absolute for distances below 1
SKIPPED = 77

# ---------------------------------------------------------------------------
# The data file as the program reads it
# ---------------------------------------------------------------------------


class Data:
    """The counts, names and values (as the program's parser makes them) of a
    data file; columns[j][i] is variety i's value of trait j."""

    def __init__(self, raw):
        run = ref.Run({}, b'')
        run.read_data_file(ref.Channel(raw))
        self.raw = raw
        self.n = int(run.variety_count)
        self.m = int(run.trait_count)
        self.variety_names = [run.variety_names.get(i, b'') for i in range(1, self.n + 1)]
        self.trait_names = [run.trait_names.get(j, b'') for j in range(1, self.m + 1)]
        self.columns = [[run.value(i, j) for i in range(1, self.n + 1)] for j in range(1, self.m + 1)]


def all_equal(column):
    return all(x == column[0] for x in column)


# ---------------------------------------------------------------------------
# The two spreads, step for step
# ---------------------------------------------------------------------------


def compatible_spread(column):
    """The compatible standard deviation (a single, widened), or None where
    the compatible arithmetic stops the trait as identical: the model's
    steps (standardize_traits), for a count read as the number of values."""
    n = float(len(column))
    mean = 0.0
    spread = 0.0
    for x in column:
        mean = mean + x
        spread = ref.to_single(ref.power(x, 2) + spread)
    mean = ref.divide(mean, n)
    spread = ref.to_single(spread - (ref.power(mean, 2) * n))
    if spread == 0 or spread != spread:
        return None
    spread = ref.to_single(ref.divide(spread, n - 1))
    if not 0 < spread < math.inf:
        return None
    return ref.to_single(ref.power(spread, 0.5))


def scaled(column):
    """The values times the power of two that brings the largest magnitude
    into [0.5, 1), and its exponent."""
    exponent = math.frexp(max(abs(x) for x in column))[1]
    return [math.ldexp(x, -exponent) for x in column], exponent


def accurate_moments(column):
    """Mean and sample standard deviation by two passes in double, over the
    scaled values; returns (mean, deviation) of the scaled values and the
    deviation of the values."""
    values, exponent = scaled(column)
    total = 0.0
    for x in values:
        total = total + x
    mean = total / len(values)
    squares = 0.0
    for x in values:
        d = x - mean
        squares = squares + d * d
    deviation = math.sqrt(squares / (len(values) - 1))
    return mean, deviation, math.ldexp(deviation, exponent)


def accurate_deviation(column):
    return accurate_moments(column)[2]


def accurate_standardized(data):
    out = []
    for column in data.columns:
        mean, deviation, _ = accurate_moments(column)
        out.append([(x - mean) / deviation for x in scaled(column)[0]])
    return out


def accurate_distances(z, n):
    """The condensed distances: pair (i, j), i < j, in row order; each the
    square root of the sum over the traits in order of (z_j - z_i)^2."""
    out = []
    for i in range(n):
        for j in range(i + 1, n):
            s = 0.0
            for column in z:
                d = column[j] - column[i]
                s = s + d * d
            out.append(math.sqrt(s))
    return out


def expected_warnings(data):
    """{trait number (1-based): None for a false identical, else the
    percentage text}, for the traits that should be warned about."""
    found = {}
    for j, column in enumerate(data.columns):
        if all_equal(column) or not all(math.isfinite(x) for x in column):
            continue
        accurate = accurate_deviation(column)
        compatible = compatible_spread(column)
        if compatible is None:
            found[j + 1] = None
            continue
        relative = abs(compatible - accurate) / accurate
        if relative > SPREAD_TOLERANCE:
            found[j + 1] = '%.3g' % (relative * 100)
    return found


# ---------------------------------------------------------------------------
# The report and the matrix
# ---------------------------------------------------------------------------


def cell(value, distance):
    text = ref.left_of_text(ref.number_to_text(value), ref.CELL_WIDTH)
    if value != value or (distance and value < ref.DISTANCE_ZERO_THRESHOLD) or (not distance and value == 0):
        text = ref.ZERO_CELL
    return text + b' '


def render_report(data, z, condensed):
    """The report's bytes for standardized values z and the distances."""
    n = data.n
    out = bytearray(ref.HEADING_STANDARDIZED + ref.CRLF)
    for i in range(n):
        out += b''.join(cell(column[i], False) for column in z) + b' ' + ref.CRLF
    out += ref.HEADING_RESULTS + ref.CRLF
    for i in range(n):
        row = [0.0 if i == j else condensed[condensed_index(n, min(i, j), max(i, j))] for j in range(n)]
        out += data.variety_names[i] + b'  ' + b''.join(cell(d, True) for d in row) + b' ' + ref.CRLF
    return bytes(out)


def condensed_index(n, i, j):
    return i * n - i * (i + 1) // 2 + (j - i - 1)


def read_phylip(path, n):
    """The condensed distances of a square PHYLIP matrix, which must be
    symmetric with a zero diagonal."""
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    assert lines[0] == str(n), 'PHYLIP count %r' % lines[0]
    rows = [[float(t) for t in line.split(' ')[1:]] for line in lines[1:n + 1]]
    for i in range(n):
        assert len(rows[i]) == n and rows[i][i] == 0, 'PHYLIP row %d' % (i + 1)
        for j in range(i):
            assert rows[i][j] == rows[j][i], 'PHYLIP (%d, %d) not symmetric' % (i + 1, j + 1)
    return [rows[i][j] for i in range(n) for j in range(i + 1, n)]


def bits(x):
    return '%016x' % ref.bits_of_double(x)


# ---------------------------------------------------------------------------
# The program and the model
# ---------------------------------------------------------------------------

WARNING_LINE = re.compile(rb'^kyori: .*: warning: trait (\d+) \(.*\): (?:'
                          rb'its standard deviation is off by (\S+)% in the compatible arithmetic; '
                          rb'--arithmetic=accurate gives the correct value|'
                          rb'(the compatible arithmetic finds all its values the same, but they differ); '
                          rb'--arithmetic=accurate gives the correct result)$')
STOP_LINE = re.compile(rb'^kyori: .*: trait (\d+) \(.*\): all its values are the same$')


class Outcome:
    def __init__(self, status, stderr, report, phylip):
        self.status = status
        self.stderr = stderr
        self.report = report    # None when no output file was written
        self.phylip = phylip    # path, None when not written


def run_program(program, folder, tag, data_path, options):
    out = os.path.join(folder, tag + '.out')
    phylip = os.path.join(folder, tag + '.phy')
    env = dict(os.environ, LC_ALL='C', LANG='C', LANGUAGE='')
    done = subprocess.run([program] + options + ['--phylip=' + phylip, data_path, out],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=env, timeout=120)
    if done.stdout:
        raise AssertionError('%s printed on standard output: %r' % (tag, done.stdout[:200]))
    report = None
    if os.path.exists(out):
        with open(out, 'rb') as f:
            report = f.read()
    return Outcome(done.returncode, done.stderr, report, phylip if os.path.exists(phylip) else None)


def model_dialogue(raw):
    """The model's dialogue on the file: (output file bytes or None, the
    model's squared distances)."""
    run = ref.Run({b'data.txt': raw}, b'data.txt\nout.txt\n\n')
    try:
        run.main()
    except ref.RunEnd:
        pass
    return run.files.get(b'out.txt'), run.distance_matrix


# ---------------------------------------------------------------------------
# One row
# ---------------------------------------------------------------------------


class Row:
    def __init__(self, name):
        self.name = name
        self.failures = []
        self.accurate_status = None
        self.compatible_status = None
        self.warned = {}
        self.trait_names = []
        self.spread_errors = {}       # relative, per trait (1-based) the compatible arithmetic standardizes
        self.false_identical = []     # traits the compatible arithmetic stops though they differ
        self.distance_error = None    # worst relative, compatible against SciPy
        self.scipy_error = None       # worst relative, accurate against SciPy
        self.reports_differ = None

    def check(self, condition, message):
        if not condition:
            self.failures.append(message)
        return condition


def check_file(program, name, raw, scipy=None):
    """Runs every check on one data file; returns its Row."""
    row = Row(name)
    data = Data(raw)
    n = data.n
    first_equal = next((j + 1 for j, c in enumerate(data.columns) if all_equal(c)), None)
    with tempfile.TemporaryDirectory(prefix='kyori_arith_') as folder:
        data_path = os.path.join(folder, 'data.txt')
        with open(data_path, 'wb') as f:
            f.write(raw)
        accurate = run_program(program, folder, 'accurate1', data_path, ['--arithmetic=accurate', '--jobs=1'])
        accurate3 = run_program(program, folder, 'accurate3', data_path, ['--arithmetic=accurate', '--jobs=3'])
        compatible = run_program(program, folder, 'compatible', data_path, ['--arithmetic=compatible'])
        default = run_program(program, folder, 'default', data_path, [])
        check_accurate(row, data, first_equal, accurate, accurate3, scipy)
        check_compatible(row, data, compatible, scipy)
        row.check((default.status, default.stderr, default.report) ==
                  (compatible.status, compatible.stderr, compatible.report),
                  'the default run is not the compatible one')
        if accurate.report is not None and compatible.report is not None:
            row.reports_differ = accurate.report != compatible.report
    for j, column in enumerate(data.columns):
        if all_equal(column):
            continue
        c = compatible_spread(column)
        if c is None:
            row.false_identical.append(j + 1)
        else:
            a = accurate_deviation(column)
            row.spread_errors[j + 1] = abs(c - a) / a
    row.trait_names = [name.decode('cp932', 'replace') for name in data.trait_names]
    return row


def check_accurate(row, data, first_equal, run, run3, scipy):
    row.accurate_status = run.status
    row.check(run.status == run3.status and run.report == run3.report,
              'accurate: --jobs=1 and --jobs=3 differ')
    if run3.phylip and run.phylip:
        with open(run.phylip, 'rb') as a, open(run3.phylip, 'rb') as b:
            row.check(a.read() == b.read(), 'accurate: PHYLIP differs between --jobs=1 and --jobs=3')
    if first_equal is not None:
        row.check(run.status == 1, 'accurate: exit %d for trait %d all equal' % (run.status, first_equal))
        stops = [m.group(1) for m in map(STOP_LINE.match, run.stderr.splitlines()) if m]
        row.check(stops == [str(first_equal).encode()], 'accurate: stop lines %r, expected trait %d'
                  % (stops, first_equal))
        row.check(run.report is None, 'accurate: an output file after a stop')
        return
    if not row.check(run.status == 0 and run.stderr == b'', 'accurate: exit %d, %r'
                     % (run.status, run.stderr[:300])):
        return
    z = accurate_standardized(data)
    expected = accurate_distances(z, data.n)
    got = read_phylip(run.phylip, data.n)
    wrong = [k for k, (g, e) in enumerate(zip(got, expected)) if bits(g) != bits(e)]
    row.check(not wrong, 'accurate: %d distances differ from the two-pass steps, first at %s'
              % (len(wrong), wrong[:1]))
    row.check(run.report == render_report(data, z, expected), 'accurate: report bytes differ')
    if scipy is not None:
        reference = scipy(data)
        worst = 0.0
        for g, s in zip(got, reference):
            err = abs(g - s)
            worst = max(worst, err / s if s >= 1 else err)
        row.scipy_error = worst
        row.check(worst <= SCIPY_TOLERANCE, 'accurate: %.3g from SciPy' % worst)


def check_compatible(row, data, run, scipy):
    row.compatible_status = run.status
    warned = {}
    for line in run.stderr.splitlines():
        m = WARNING_LINE.match(line)
        if m:
            warned[int(m.group(1))] = None if m.group(3) else m.group(2).decode()
        elif not STOP_LINE.match(line):
            row.check(False, 'compatible: unexpected message %r' % line[:200])
    row.warned = warned
    expected_warned = expected_warnings(data)
    row.check(warned == expected_warned, 'compatible: warnings %r, expected %r' % (warned, expected_warned))
    model_report, squared = model_dialogue(data.raw)
    stop = next((j + 1 for j, c in enumerate(data.columns) if compatible_spread(c) is None), None)
    row.check((model_report is None) == (stop is not None),
              'compatible: the model and the spread steps disagree on a stop (%r)' % stop)
    if model_report is None:
        row.check(run.status == 1 and run.report is None, 'compatible: exit %d where the model stops' % run.status)
        stops = [m.group(1) for m in map(STOP_LINE.match, run.stderr.splitlines()) if m]
        row.check(stops == [str(stop).encode()], 'compatible: stop lines %r, expected trait %r' % (stops, stop))
        return
    if not row.check(run.status == 0, 'compatible: exit %d' % run.status):
        return
    row.check(run.report == model_report, 'compatible: report bytes differ from the model')
    got = read_phylip(run.phylip, data.n)
    n = data.n
    expected = [ref.power(squared[(i + 1, j + 1)], 0.5) for i in range(n) for j in range(i + 1, n)]
    wrong = sum(1 for g, e in zip(got, expected) if bits(g) != bits(e))
    row.check(wrong == 0, 'compatible: %d PHYLIP distances differ from the model' % wrong)
    if scipy is not None:
        reference = scipy(data)
        if all(math.isfinite(s) for s in reference):  # not where a trait's values are all equal
            row.distance_error = max(abs(g - s) / s if s > 0 else abs(g - s) for g, s in zip(got, reference))


# ---------------------------------------------------------------------------
# The table
# ---------------------------------------------------------------------------


def data_file(trait_columns):
    """A data file (ASCII, CR LF) from [(trait name, [value texts])]."""
    n = len(trait_columns[0][1])
    lines = ['%d %d' % (n, len(trait_columns)), ','.join(name for name, _ in trait_columns)]
    for i in range(n):
        lines.append('V%02d,' % (i + 1) + ' '.join(texts[i] for _, texts in trait_columns))
    return ('\r\n'.join(lines) + '\r\n').encode('ascii')


# The well-conditioned traits beside the one under test (mean/spread 4 to 12).
ORDINARY_TRAITS = ('height', 'weight', 'protein')


def table(np):
    """[(row name, data file bytes)]: the trait of the kind under test is
    named for it, the others are ORDINARY_TRAITS."""
    rng = np.random.default_rng(20240612)

    def normal(n, mean, sd, decimals):
        return ['%.*f' % (decimals, v) for v in rng.normal(mean, sd, n)]

    def repeated(n, text):
        return [text] * n

    def but_one(n, text, other):
        texts = [text] * n
        texts[int(rng.integers(n))] = other
        return texts

    def days(n, first, last):
        return ['%d' % v for v in rng.integers(first, last + 1, n)]

    rows = [
        ('well-conditioned', [('height', normal(40, 50, 8, 1)), ('weight', normal(40, 120, 15, 1)),
                              ('protein', normal(40, 3.5, 0.8, 2))]),
        ('mean/spread 1e3', [('height', normal(50, 100, 10, 1)), ('length_mm', normal(50, 2000, 2, 3)),
                             ('protein', normal(50, 20, 3, 2))]),
        ('mean/spread 1e5', [('length_um', normal(45, 1e5, 1, 3)), ('height', normal(45, 80, 9, 1))]),
        ('mean/spread 1e7', [('height', normal(60, 80, 9, 1)), ('weight', normal(60, 30, 4, 2)),
                             ('count', normal(60, 1e7, 1, 2)), ('protein', normal(60, 6, 0.5, 2))]),
        ('dates 45130..45140', [('heading_day', days(36, 45130, 45140)), ('height', normal(36, 80, 9, 1))]),
        ('all equal', [('height', normal(30, 80, 9, 1)), ('ploidy', repeated(30, '7.25')),
                       ('weight', normal(30, 30, 4, 2))]),
        ('equal but for one', [('height', normal(35, 80, 9, 1)), ('awn', but_one(35, '12.5', '12.6'))]),
        ('equal but for one, 45000', [('heading_day', but_one(44, '45000', '45001')),
                                      ('height', normal(44, 80, 9, 1))]),
        ('0.1 repeated', [('ratio', repeated(40, '0.1')), ('height', normal(40, 80, 9, 1))]),
        ('0.3 repeated', [('height', normal(33, 80, 9, 1)), ('ratio', repeated(33, '0.3'))]),
        ('3.3 repeated', [('height', normal(40, 80, 9, 1)), ('weight', normal(40, 30, 4, 2)),
                          ('ratio', repeated(40, '3.3'))]),
        ('2000.7 repeated', [('length_mm', repeated(48, '2000.7')), ('height', normal(48, 80, 9, 1)),
                             ('weight', normal(48, 30, 4, 2))]),
        ('negative', [('height', normal(50, 80, 9, 1)), ('temp_diff', normal(50, -300, 25, 1))]),
        ('negative, mean/spread 1e4', [('offset', normal(42, -45000, 4.5, 1)), ('height', normal(42, 80, 9, 1)),
                                       ('weight', normal(42, 30, 4, 2))]),
        ('magnitude 1e160', [('height', normal(30, 80, 9, 1)), ('mass', normal(30, 3e160, 1e160, 0))]),
        ('magnitude 1e-170', [('concentration', normal(32, 3e-170, 1e-170, 175)),
                              ('height', normal(32, 80, 9, 1))]),
        ('mixed magnitudes', [('content', normal(60, 0.004, 0.001, 5)), ('yield', normal(60, 1e4, 3e3, 0)),
                              ('grains', normal(60, 1e6, 2e5, 0)), ('protein', normal(60, 5, 1, 2))]),
    ]
    return [(name, data_file(columns)) for name, columns in rows]


def scipy_distances(np, pdist, zscore):
    """SciPy's distances of the data. Each trait is first scaled by a power of
    two (as `scaled` does), which changes no z-score but keeps numpy's squares
    of values such as 1e160 or 1e-170 in range."""
    def distances(data):
        x = np.array([scaled(column)[0] for column in data.columns], dtype=np.float64).T
        return list(pdist(zscore(x, axis=0, ddof=1)))
    return distances


def print_row(row):
    def figure(x):
        return '-' if x is None else '%.2g' % x
    warned = ','.join('%d%s' % (t, '(identical)' if p is None else '(%s%%)' % p)
                      for t, p in sorted(row.warned.items())) or '-'
    print('%-27s accurate %s compatible %s  warnings %-22s  sd %-8s distance %-8s vs SciPy %-8s %s'
          % (row.name, row.accurate_status, row.compatible_status, warned,
             figure(max(row.spread_errors.values()) if row.spread_errors else None), figure(row.distance_error),
             figure(row.scipy_error), 'ok' if not row.failures else 'FAILED'))
    for failure in row.failures:
        print('    ' + failure)


def run_table(program):
    try:
        import numpy as np
        from scipy.spatial.distance import pdist
        from scipy.stats import zscore
    except ImportError as missing:
        print('skipped: this check needs numpy and scipy (%s); Debian: python3-scipy' % missing)
        return SKIPPED
    rows = [check_file(program, name, raw, scipy_distances(np, pdist, zscore)) for name, raw in table(np)]
    for row in rows:
        print_row(row)
    spread = max((e, r.name) for r in rows for e in r.spread_errors.values())
    ordinary = [(e, t in r.warned) for r in rows for t, e in r.spread_errors.items()
                if r.trait_names[t - 1] in ORDINARY_TRAITS]
    distance = max((r.distance_error, r.name) for r in rows if r.distance_error is not None)
    identical = ['%s (trait %s)' % (r.name, ','.join(map(str, r.false_identical))) for r in rows if r.false_identical]
    print('worst compatible standard deviation error: %.3g relative (%s)' % spread)
    print('compatible stops as identical though the values differ: %s' % ('; '.join(identical) or 'none'))
    print('worst compatible distance error: %.3g relative (%s)' % distance)
    print('ordinary traits (%s): worst compatible standard deviation error %.3g relative; '
          '%d of %d draw the warning' % (', '.join(sorted(ORDINARY_TRAITS)), max(e for e, _ in ordinary),
                                         sum(1 for _, w in ordinary if w), len(ordinary)))
    failed = [r for r in rows if r.failures]
    print('%d of %d rows failed' % (len(failed), len(rows)) if failed else 'all rows passed')
    return 1 if failed else 0


def run_examples(program, paths):
    rows = []
    for path in paths:
        with open(path, 'rb') as f:
            row = check_file(program, os.path.basename(path), f.read())
        row.check(row.warned, 'the example draws no warning')
        row.check(row.accurate_status == 0 and row.compatible_status == 0, 'both arithmetics should finish')
        row.check(row.reports_differ, 'the two reports are the same')
        print_row(row)
        rows.append(row)
    return 1 if any(r.failures for r in rows) else 0


def run_quiet(program, paths):
    rows = []
    for path in paths:
        with open(path, 'rb') as f:
            row = check_file(program, os.path.basename(path), f.read())
        row.check(not row.warned, 'the file draws a warning: %r' % row.warned)
        row.check(row.accurate_status == 0 and row.compatible_status == 0, 'both arithmetics should finish')
        print_row(row)
        rows.append(row)
    return 1 if any(r.failures for r in rows) else 0


def main(argv):
    if len(argv) < 2 or (len(argv) > 2 and argv[2] not in ('--example', '--quiet')) or len(argv) == 3:
        print(__doc__.rsplit('Usage:', 1)[1])
        return 2
    program = argv[1]
    if len(argv) > 2:
        return (run_examples if argv[2] == '--example' else run_quiet)(program, argv[3:])
    return run_table(program)


if __name__ == '__main__':
    sys.exit(main(sys.argv))
