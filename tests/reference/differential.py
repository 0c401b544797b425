#!/usr/bin/env python3
"""Differential test: runs the built kyori program and the reference model on
many generated data files and typed answers, and compares the console bytes,
the files of the working folder afterwards and the exit status.

    python3 differential.py PATH/TO/kyori [--cases N] [--seed S] [--case I]
                            [--failures DIR] [--gen-data PATH]

Every case is made from (seed, case number) alone, so a failure is replayed
with `--seed S --case I`.  A mismatching case is written to a folder under
--failures for inspection, one summary line per failure is printed, and the
exit status is 1 when any case mismatched.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import kyori_ref  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
GEN_DATA_CANDIDATES = [
    '/work/shared/bench/gen_data.py',
    os.path.join(HERE, '..', '..', '..', 'shared', 'bench', 'gen_data.py'),
]

# ---------------------------------------------------------------------------
# Pieces of data files
# ---------------------------------------------------------------------------

KANA = ('あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめも'
        'やゆよらりるれろわをんアイウエオカキクケコサシスセソタチツテトナニヌネノ'
        'ハヒフヘホマミムメモヤユヨラリルレロワヲンー稈長穂数千粒重品種形質夢森表能ソ')


def ascii_word(rng, lo=1, hi=12):
    letters = 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.'
    return ''.join(rng.choice(letters) for _ in range(rng.randint(lo, hi))).encode()


def make_name(rng):
    kind = rng.random()
    if kind < 0.35:
        return ascii_word(rng)
    if kind < 0.6:
        return ''.join(rng.choice(KANA) for _ in range(rng.randint(1, 8))).encode('cp932')
    specials = [
        b'', b'a b', b'ab  ', b'x\ty', b'"a,b"', b'"x y z"', b'ab"c', b"o'k",
        b'123456789', b'1234567890', b'12345678901', b'&H10', b'-', b'#1',
        ascii_word(rng, 20, 80), b'\x81\x40\x82\xa0' * rng.randint(1, 6),
    ]
    return rng.choice(specials)


def plain_decimal(rng, scale, decimals):
    v = rng.uniform(-scale, scale) if rng.random() < 0.3 else rng.uniform(0, scale)
    return ('%.*f' % (decimals, v)).encode()


def special_value(rng):
    return rng.choice([
        b'&H1F', b'&hff', b'&O17', b'&o7', b'&X1', b'&H', b'abc', b'+5', b'1e3', b'.5', b'5.',
        b'-', b'--1', b'1.2.3', b'"3"', b'-0', b'0', b'00012.50', b'-.25',
        b'9' * rng.randint(16, 25), b'1' + b'0' * rng.randint(15, 40),
        b'0.' + b'0' * rng.randint(4, 40) + b'17', b'&HFFFFFFFFFFFFFFFF', b'&H8000000000000000',
        b'-&H10', b'12345678901234567890.5', b'9' * rng.randint(300, 400),
        b'1' + b'0' * 400, b'-' + b'9' * 400, b'0.00001', b'-0.0001',
    ])


def make_trait_column(rng, rows, risky):
    """The value texts of one trait for `rows` varieties; a risky trait may
    hold identical, nearly identical, huge or tiny values."""
    mode = rng.random() if risky else 1.0
    if mode < 0.08:  # all identical
        v = rng.choice([b'5', b'0.1', b'0.3', b'2.5', b'-7', b'0.7', b'1', b'12.34', b'0'])
        return [v] * rows
    if mode < 0.13:  # nearly identical
        base = rng.uniform(-100, 100)
        return [('%.6f' % (base + rng.choice([0, 0, 1e-6, -1e-6]))).encode() for _ in range(rows)]
    if mode < 0.18:  # huge magnitudes
        e = rng.randint(8, 25)
        return [('%.2f' % (rng.uniform(1, 9) * 10 ** e)).encode() for _ in range(rows)]
    if mode < 0.23:  # tiny magnitudes
        zeros = rng.randint(3, 25)
        return [b'0.' + b'0' * zeros + str(rng.randint(1, 99999)).encode() for _ in range(rows)]
    if mode < 0.3:  # many significant digits, near powers of ten
        col = []
        for _ in range(rows):
            digits = ''.join(rng.choice('0123456789') for _ in range(rng.randint(10, 20)))
            if rng.random() < 0.3:
                digits = rng.choice(['9' * rng.randint(13, 17), '1' + '0' * rng.randint(13, 17)])
            point = rng.randint(0, len(digits))
            text = digits[:point] + '.' + digits[point:]
            col.append(((rng.random() < 0.3) * '-' + text).encode())
        return col
    scale = 10 ** rng.uniform(-2, 5)
    decimals_fixed = rng.random() < 0.5
    d = rng.randint(0, 6)
    col = []
    for _ in range(rows):
        if risky and rng.random() < 0.04:
            col.append(special_value(rng))
        else:
            col.append(plain_decimal(rng, scale, d if decimals_fixed else rng.randint(0, 6)))
    return col


def make_count(rng, lo, hi):
    r = rng.random()
    if r < 0.9:
        n = rng.randint(lo, hi)
        return str(n).encode(), n
    text = rng.choice([b'301', b'300.5', b'2.5', b'3.5', b'-1', b'&H3', b'', b'abc', b'1e3',
                       b'9' * 400, b'2.0', b'0.9', b'1000', b'-5.5', b'02',
                       b'1' + b'0' * 400, b'-' + b'9' * 400, b'300', b'4.5', b'&O5'])
    value = kyori_ref.text_to_number(text)
    rows = int(value) if 0 <= value < 20 else rng.randint(0, 4)
    return text, rows


# ---------------------------------------------------------------------------
# Layout of a data file
# ---------------------------------------------------------------------------

def assemble(rng, tokens):
    """Joins (kind, bytes) tokens into a file with a randomly chosen layout."""
    eol_style = rng.choice([b'\r\n', b'\n', b'mixed'])

    def eol():
        if eol_style == b'mixed':
            return rng.choice([b'\r\n', b'\n'])
        return eol_style

    layout = rng.choice(['rows', 'rows', 'lines', 'random'])
    faults = rng.random() < 0.25
    out = bytearray()
    for index, (kind, text, role) in enumerate(tokens):
        out += text
        if layout == 'lines':
            sep = eol()
        elif layout == 'rows':
            nxt = tokens[index + 1][2] if index + 1 < len(tokens) else 'end'
            if role == 'count1':
                sep = rng.choice([b' ', b'\t', b',', b'  '])
            elif kind == 'name' and role == 'trait' and nxt == 'trait':
                sep = b','
            elif kind == 'name' and role == 'variety':
                sep = rng.choice([b',', b',', eol()])
            elif kind == 'num' and nxt == 'value':
                sep = rng.choice([b' ', b' ', b'\t', b',', b', ', b' , '])
            else:
                sep = eol()
        else:
            if kind == 'name':
                sep = rng.choice([b',', eol()])
            else:
                sep = rng.choice([b' ', b'  ', b'\t', b',', b', ', b' ,', eol(), eol()])
        if faults and rng.random() < 0.06:
            sep = rng.choice([
                b' ' + eol(),            # blank after the last number of a line
                b',' + eol(),            # comma at the end of a line
                eol() + eol(),           # empty line
                b' ',                    # name followed by a blank
                b'\r',                   # lone CR
                b'\0',                   # NUL byte
                b' \t ,',
            ])
        out += sep
    ending = rng.random()
    if ending < 0.1 and out:
        del out[rng.randint(0, len(out) - 1):]          # file ends early
    elif ending < 0.15:
        out += b'\r'                                     # CR as the last byte
    elif ending < 0.2:
        while out[-1:] in (b'\n', b'\r'):
            del out[-1:]                                 # no final line end
    elif ending < 0.25:
        out += b'trailing junk 1 2 3' + eol()
    return bytes(out)


def pad_to_boundary(rng, data):
    """Puts blanks in front of the first field (they are skipped) so that a
    chosen byte of the file lands at the end or the start of a 64 KiB block."""
    interesting = [i for i, b in enumerate(data) if b in b'\r\n, \t"\0'] or [0]
    k = rng.choice(interesting + [len(data) - 1, len(data)])
    boundary = rng.choice([65536, 65536, 131072])
    pad = boundary + rng.choice([-1, 0, 0, 1]) - k
    return rng.choice([b' ', b'\t']) * max(pad, 0) + data


def make_small_data(rng):
    n_text, rows = make_count(rng, 0, 12)
    m_text, cols = make_count(rng, 0, 8)
    rows = min(rows, 15)
    cols = min(cols, 10)
    if rng.random() < 0.1:
        rows = max(0, rows + rng.choice([-1, 1]))
    tokens = [('num', n_text, 'count1'), ('num', m_text, 'count2')]
    tokens += [('name', make_name(rng), 'trait') for _ in range(cols)]
    risky = rng.random() < 0.5
    columns = [make_trait_column(rng, rows, risky) for _ in range(cols)]
    for i in range(rows):
        tokens.append(('name', make_name(rng), 'variety'))
        tokens += [('num', columns[j][i], 'value') for j in range(cols)]
    data = assemble(rng, tokens)
    if rng.random() < 0.08:
        data = pad_to_boundary(rng, data)
    return data


def make_large_data(rng, gen_data, n, m):
    if gen_data:
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, 'data.txt')
            subprocess.run([sys.executable, gen_data, str(n), str(m),
                            str(rng.randint(0, 10 ** 6)), path], check=True)
            with open(path, 'rb') as f:
                return f.read()
    lines = [b'%d %d' % (n, m), b','.join(b'T%03d' % (j + 1) for j in range(m))]
    columns = [[('%.3f' % rng.gauss(100, 15)).encode() for _ in range(n)] for _ in range(m)]
    for i in range(n):
        lines.append(b'V%03d,' % (i + 1) + b' '.join(columns[j][i] for j in range(m)))
    return b'\r\n'.join(lines) + b'\r\n'


# ---------------------------------------------------------------------------
# Typed answers
# ---------------------------------------------------------------------------

def make_stdin(rng, data_name, has_subfolder):
    lines = []
    r = rng.random()
    if r < 0.08:
        lines.append(b'missing.txt')
    elif r < 0.13:
        lines.append(data_name + b',x')
    elif r < 0.16:
        lines.append(b'')
    elif r < 0.18:
        lines.append(data_name + b'\r')     # a CR kept in the name
    elif r < 0.2:
        lines.append(b'sub')                 # a folder
    if rng.random() < 0.04:
        lines.append(data_name + b'\0,junk')  # the reply ends at a NUL byte
    else:
        lines.append(data_name)
    r = rng.random()
    if r < 0.05:
        lines.append(b'nodir/out.txt')
    elif r < 0.08:
        lines.append(b'')
    elif r < 0.11:
        lines.append(b'out,txt')
    elif r < 0.13:
        lines.append(b'o' * 300)             # a name too long for the file system
    elif r < 0.15 and has_subfolder:
        lines.append(b'sub')
    if rng.random() < 0.1:
        lines.append(b'a,b')          # a reply with a comma at the "? " of a stop
    r = rng.random()
    if r < 0.06:
        out_name = b'/dev/full'
    elif r < 0.1:
        out_name = data_name
    elif r < 0.14 and has_subfolder:
        out_name = b'sub/result.txt'
    elif r < 0.17:
        out_name = 'ｋ結果.txt'.encode('cp932')
    else:
        out_name = b'out.txt'
    lines.append(out_name)
    r = rng.random()
    if r < 0.1:
        lines.append(b'y,n')
    lines.append(rng.choice([b'', b'', b'y', b'  ', b'end', b'z' * 5000, b'q\0,r']))
    if rng.random() < 0.1:
        lines.append(b'extra line')
    ending = rng.random()
    if ending < 0.15:
        del lines[rng.randint(0, len(lines) - 1):]       # standard input ends early
    crlf = rng.random() < 0.3
    out = b''.join(line + (b'\r\n' if crlf else b'\n') for line in lines)
    if rng.random() < 0.1 and out:
        out = out.rstrip(b'\r\n')                        # last line without LF
    return out


def make_case(seed, index, gen_data, large_every):
    rng = random.Random('%d:%d' % (seed, index))
    files = {}
    data_name = rng.choice([b'kyori_in.txt', b'data.txt', 'ﾃﾞｰﾀ.txt'.encode('cp932'), b'd 1.txt'])
    if large_every and index % large_every == large_every - 1:
        if index // large_every % 3 == 0:
            n, m = 300, 300
        else:
            n, m = rng.randint(20, 300), rng.randint(1, 300)
        files[data_name] = make_large_data(rng, gen_data, n, m)
        stdin = data_name + b'\nkyori_out.txt\n\n'
        return files, stdin, 'large %dx%d' % (n, m)
    files[data_name] = make_small_data(rng)
    has_subfolder = rng.random() < 0.2
    if has_subfolder:
        files[b'sub/other.txt'] = make_small_data(rng)
        if rng.random() < 0.5:
            data_name = b'sub/other.txt'
    return files, make_stdin(rng, data_name, has_subfolder), 'small'


# ---------------------------------------------------------------------------
# Running and comparing
# ---------------------------------------------------------------------------

def run_program(program, files, stdin, timeout):
    with tempfile.TemporaryDirectory(prefix='kyori-diff-') as d:
        for name, content in files.items():
            path = os.path.join(d.encode(), name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'wb') as f:
                f.write(content)
        try:
            p = subprocess.run([program], cwd=d, input=stdin, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=timeout)
            console, stderr, status = p.stdout, p.stderr, p.returncode
        except subprocess.TimeoutExpired as e:
            console, stderr, status = e.stdout or b'', b'timeout', 'timeout'
        after = {}
        root = d.encode()
        for folder, _, names in os.walk(root):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, 'rb') as f:
                    after[os.path.relpath(path, root)] = f.read()
    return console, after, status, stderr


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b)) if len(a) != len(b) else None


def around(data, offset):
    return data[max(0, offset - 40):offset + 40]


def describe(expected, actual):
    """Short description of the first difference between model and program."""
    e_con, e_files, e_status = expected
    a_con, a_files, a_status = actual
    if e_con != a_con:
        off = first_difference(e_con, a_con)
        return 'console byte %d: model %r | program %r' % (
            off, around(e_con, off), around(a_con, off))
    if set(e_files) != set(a_files):
        return 'files: model %r | program %r' % (sorted(e_files), sorted(a_files))
    for name in sorted(e_files):
        if e_files[name] != a_files[name]:
            off = first_difference(e_files[name], a_files[name])
            return 'file %r byte %d: model %r | program %r' % (
                name, off, around(e_files[name], off), around(a_files[name], off))
    return 'exit status: model %r | program %r' % (e_status, a_status)


def save_failure(folder, files, stdin, expected, actual, stderr, summary):
    if os.path.exists(folder):
        shutil.rmtree(folder)
    for sub, content in [('data', files), ('model', expected[1]), ('program', actual[1])]:
        for name, data in content.items():
            path = os.path.join(folder.encode(), sub.encode(), name.lstrip(b'/'))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'wb') as f:
                f.write(data)
    os.makedirs(os.path.join(folder, 'model'), exist_ok=True)
    os.makedirs(os.path.join(folder, 'program'), exist_ok=True)
    for path, data in [('stdin.bin', stdin), ('model.console', expected[0]),
                       ('program.console', actual[0]), ('program.stderr', stderr)]:
        with open(os.path.join(folder, path), 'wb') as f:
            f.write(data)
    with open(os.path.join(folder, 'summary.txt'), 'w') as f:
        f.write(summary + '\nmodel exit %r, program exit %r\n' % (expected[2], actual[2]))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    ap.add_argument('program')
    ap.add_argument('--cases', type=int, default=600)
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--case', type=int, help='run this one case number only')
    ap.add_argument('--large-every', type=int, default=200,
                    help='every Nth case is a large data file (0: none)')
    ap.add_argument('--failures', default=os.path.join(tempfile.gettempdir(),
                                                       'kyori-differential-failures'))
    ap.add_argument('--gen-data', help='path of the large data file generator')
    ap.add_argument('--timeout', type=float, default=60)
    args = ap.parse_args()

    program = os.path.abspath(args.program)
    gen_data = args.gen_data
    if gen_data is None:
        gen_data = next((p for p in GEN_DATA_CANDIDATES if os.path.exists(p)), None)
    indices = [args.case] if args.case is not None else range(args.cases)

    started = time.time()
    passed = failed = skipped = 0
    for index in indices:
        files, stdin, label = make_case(args.seed, index, gen_data, args.large_every)
        try:
            expected = kyori_ref.run(files, stdin)
        except kyori_ref.UndefinedCase as e:
            skipped += 1
            print('skipped seed=%d case=%d: %s' % (args.seed, index, e))
            continue
        console, after, status, stderr = run_program(program, files, stdin, args.timeout)
        actual = (console, after, status)
        if actual == expected:
            passed += 1
            continue
        failed += 1
        summary = 'MISMATCH seed=%d case=%d (%s): %s' % (
            args.seed, index, label, describe(expected, actual))
        print(summary)
        save_failure(os.path.join(args.failures, 'seed%d-case%d' % (args.seed, index)),
                     files, stdin, expected, actual, stderr, summary)
    print('differential: seed %d, %d cases, %d skipped, %.1f s%s' % (
        args.seed, len(indices), skipped, time.time() - started,
        ', failures in %s' % args.failures if failed else ''))
    print('%d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
