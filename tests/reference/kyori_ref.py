"""Independent reference model of one kyori run, in plain Python.

`run(data_files, stdin)` plays one whole run of the calculator in a pretend
working folder and returns what it writes: the console bytes, the files of the
folder afterwards, and the exit status.  It touches no real file.

Every routine of the program has a function of the same name here (in
snake_case), written from the program's rules alone, so that the C++ program
can be checked against it byte for byte.  Python floats are IEEE doubles and
every Python float operation rounds to a double, which is the arithmetic the
program uses; `to_single` rounds a double to single precision.  No library
mathematics (sqrt, exp, log, pow, float parsing) is used in the computation:
the program's own sequences of operations are spelled out below.
"""

import math
import struct
from array import array

# ---------------------------------------------------------------------------
# Arithmetic helpers
# ---------------------------------------------------------------------------

_single_cell = array('f', [0.0])


def to_single(x):
    """Round a double to the nearest single (ties to even), overflow to +-inf."""
    _single_cell[0] = x
    return _single_cell[0]


def divide(a, b):
    """IEEE double division: a zero divisor gives an infinity or a NaN."""
    if b == 0.0:
        if a != a or a == 0.0:
            return math.nan
        negative = (math.copysign(1.0, a) < 0) != (math.copysign(1.0, b) < 0)
        return -math.inf if negative else math.inf
    return a / b


def double_from_bits(bits):
    return struct.unpack('<d', struct.pack('<Q', bits))[0]


def bits_of_double(x):
    return struct.unpack('<Q', struct.pack('<d', x))[0]


class UndefinedCase(Exception):
    """The model reached a case the program's rules leave without an outcome
    (for instance the logarithm of an infinity).  The differential test skips
    such a case instead of guessing."""


# ---------------------------------------------------------------------------
# Elementary numeric functions
# ---------------------------------------------------------------------------

LN2_CONSTANT = double_from_bits(0x3FE62E42FEFA39EF)
SQRT2_CONSTANT = double_from_bits(0x3FF6A09E667F3BCD)


def to_double(x):
    return float(x)


def abs_value(x):
    return x if x >= 0 else x * -1.0


def floor_to_int(x):
    """Largest 32-bit integer not above x (truncate, then step down)."""
    if x != x or x >= 2147483648.0 or x <= -2147483649.0:
        raise UndefinedCase('floor of %r is outside the 32-bit range' % x)
    t = int(x)  # truncation toward zero
    if x < 0 and x < t:
        t -= 1
    return t


def integer_power(x, n):
    m = int(abs_value(float(n)))
    acc = 1.0
    while m != 0:
        if m % 2 == 1:
            acc = x * acc
        x = x * x
        m //= 2
    if n >= 0:
        return acc
    return divide(1.0, acc)


def scale_by_power_of_two(x, k):
    if k >= 0:
        f = 2.0
    else:
        f = 0.5
        k = -k
    while k != 0:
        if k & 1:
            x = x * f
        f = f * f
        k >>= 1
    return x


def split_mantissa_exponent(x):
    """Returns (mantissa, exponent) with 0.5 <= |mantissa| < 1."""
    if x == 0:
        return 0.0, 0
    step = 1 if abs_value(x) >= 1 else -1
    e = 0
    while True:
        m = divide(x, integer_power(2.0, e))
        if 0.5 <= abs_value(m) < 1:
            return m, e
        e += step
        if abs(e) > 1100:
            raise UndefinedCase('no power of two splits %r' % x)


def natural_log(x):
    if not x > 0:
        return 0.0
    _, e = split_mantissa_exponent(x / SQRT2_CONSTANT)
    u = x / scale_by_power_of_two(1.0, e)
    u = u - 1
    s = 0.0
    for p in range(9, 0, -1):
        s = (p * u) / ((p * u) / (s + (2 * p + 1)) + 2)
    return (e * LN2_CONSTANT) + (u / (s + 1))


def exponential(x):
    if x >= 0:
        k = floor_to_int(x / LN2_CONSTANT + 0.5)
    else:
        k = floor_to_int(x / LN2_CONSTANT - 0.5)
    r = x - (k * LN2_CONSTANT)
    r2 = r * r
    g = r2 / 22
    for i in (18, 14, 10, 6):
        g = r2 / (i + g)
    q = ((g + 2) + r) / ((g + 2) - r)
    return scale_by_power_of_two(q, k)


def power(x, y):
    if -2147483647.0 <= y <= 2147483647.0 and y == to_double(floor_to_int(y)):
        return integer_power(x, int(y))
    if x > 0:
        return exponential(y * natural_log(x))
    return 0.0


# ---------------------------------------------------------------------------
# Number to text
# ---------------------------------------------------------------------------

BAND_LOW = double_from_bits(0x3FEFFFFFFFFFFFF7)   # 0.999999999999999
BAND_HIGH = double_from_bits(0x4023FFFFFFFFFFFA)  # 9.99999999999999


def decimal_digits(value):
    """Returns (15 digit characters, decimal exponent E, negative flag)."""
    if value == 0 or value != value:
        return '0' * 15, 0, 0
    if value in (math.inf, -math.inf):
        raise UndefinedCase('no digits for an infinity')
    negative = 0
    if value < 0:
        negative = 1
        value = value * -1
    e = 1
    while value < BAND_LOW:
        value = value * 10
        e -= 1
    while value >= BAND_HIGH:
        value = value / 10
        e += 1
    digits = []
    for _ in range(15):
        d = floor_to_int(value)
        digits.append(d)
        value = (value - d) * 10
    if value >= 5:
        i = 14
        while i >= 0 and digits[i] == 9:
            digits[i] = 0
            i -= 1
        if i >= 0:
            digits[i] += 1
    return ''.join(chr(48 + d) for d in digits), e, negative


def number_to_text(value):
    """General decimal text of a double, at most 15 significant digits."""
    if value == math.inf:
        return b'inf'
    if value == -math.inf:
        return b'-inf'
    d, e, negative = decimal_digits(value)
    text = '-' if negative else ''
    if e > 15:
        text += d[0] + '.' + d[1:] + 'e' + '+%03d' % (e - 1)
    elif e < -3:
        text += d[0] + '.' + d[1:] + 'e' + '%03d' % (e - 1)
    else:
        if e > 0:
            body = d[:e] + '.' + d[e:]
        else:
            body = '0.' + '0' * (-e) + d
        body = body.rstrip('0')
        if body.endswith('.'):
            body = body[:-1]
        text += body
    return text.encode('ascii')


# ---------------------------------------------------------------------------
# Picture templates and small text routines
# ---------------------------------------------------------------------------

def round_to_int32(x):
    """Nearest integer, ties to even; outside the 32-bit range or NaN gives
    -2147483648."""
    if x != x or x in (math.inf, -math.inf):
        return -2147483648
    r = round(x)  # Python rounds halves to even
    if r < -2147483648 or r > 2147483647:
        return -2147483648
    return r


def format_with_template(template, numbers=(), texts=()):
    """Formats `template` (bytes) with the argument slots numbers[k] (doubles)
    and texts[k] (bytes); returns the formatted bytes."""
    buf = bytearray(1024 + 64)
    cursor = 0
    pos = 0
    k = 0
    tmpl = bytes(template) + b'\0'

    def put(data):
        buf[cursor:cursor + len(data)] = data

    while True:
        c = tmpl[pos]
        if c == 0:
            buf[cursor] = 0
            break
        if c == ord('#'):
            n = 0
            while tmpl[pos] == ord('#'):
                n += 1
                pos += 1
            value = numbers[k] if k < len(numbers) else 0.0
            put(('%*d' % (n, round_to_int32(value))).encode('ascii') + b'\0')
            cursor += n
            k += 1
        elif c == ord('@'):
            pos += 1
            text = texts[k] if k < len(texts) else b''
            end = buf.index(0, cursor)
            buf[end:end + len(text) + 1] = text + b'\0'
            cursor += len(text)
            k += 1
        elif c == ord('&'):
            s = 0
            while tmpl[pos + 1 + s] == ord(' '):
                s += 1
            if tmpl[pos + 1 + s] == ord('&'):
                width = s + 2
                pos += s + 2
                text = texts[k] if k < len(texts) else b''
                if len(text) < width:
                    put(b' ' * width)
                    put(text)
                else:
                    put(text[:width])
                cursor += width
                k += 1
            else:
                put(b'&')
                cursor += 1
                pos += 1
        else:
            buf[cursor] = c
            cursor += 1
            pos += 1
    return bytes(buf[:buf.index(0)])


def left_of_text(text, n):
    """The first n bytes of a text; the whole text when it is shorter."""
    return bytes(text[:n])


def spaces_text(n):
    return b' ' * n


# ---------------------------------------------------------------------------
# Text to number
# ---------------------------------------------------------------------------

def _wrap64(v):
    v &= 0xFFFFFFFFFFFFFFFF
    return v - (1 << 64) if v >= 1 << 63 else v


def text_to_number(text):
    """Converts a field's bytes (read up to the first NUL) to a double."""
    text = bytes(text).split(b'\0', 1)[0]
    if text[:1] == b'&':
        return _prefixed_number(text)
    return _decimal_number(text)


def _prefixed_number(text):
    upper = bytes(c - 32 if 97 <= c <= 122 else c for c in text)
    if upper[1:2] == b'O':
        base, digit_chars = 8, b'01234567'
    elif upper[1:2] == b'H':
        base, digit_chars = 16, b'0123456789ABCDEF'
    else:
        return 0.0
    digits = []
    for c in upper[2:]:
        if c not in digit_chars:
            break
        digits.append(digit_chars.index(c))
    total = 0.0
    place = 1
    for d in reversed(digits):
        total = total + float(_wrap64(place * d))
        place = _wrap64(place * base)
    return total


def _decimal_number(text):
    pos = 0
    negative = False
    if text[:1] == b'-':
        negative = True
        pos = 1
    start = pos
    while pos < len(text) and 48 <= text[pos] <= 57:
        pos += 1
    total = 0.0
    place = 1.0
    for c in reversed(text[start:pos]):
        total = total + (c - 48) * place
        place = place * 10
    if pos < len(text) and text[pos] == ord('.'):
        pos += 1
        place = 10.0
        while pos < len(text) and 48 <= text[pos] <= 57:
            total = total + divide(float(text[pos] - 48), place)
            place = place * 10
            pos += 1
    if negative:
        total = total * -1
    return total


# ---------------------------------------------------------------------------
# Input statement
# ---------------------------------------------------------------------------

KIND_INT8, KIND_INT16, KIND_INT32 = 1, 3, 5
KIND_FLOAT32, KIND_FLOAT64, KIND_TEXT = 8, 9, 10


def store_field(field, kind):
    """The value a target of `kind` receives from the field's bytes."""
    if kind == KIND_TEXT:
        return bytes(field).split(b'\0', 1)[0]
    number = text_to_number(field)
    if kind == KIND_FLOAT64:
        return number
    if kind == KIND_FLOAT32:
        return to_single(number)
    r = round_to_int32(number)
    if kind == KIND_INT32:
        return r
    bits = 8 if kind == KIND_INT8 else 16
    r &= (1 << bits) - 1
    return r - (1 << bits) if r >= 1 << (bits - 1) else r


class Channel:
    """A data file open for reading: its bytes and the read position."""

    def __init__(self, data):
        self.data = bytes(data)
        self.pos = 0

    def read_byte(self):
        if self.pos >= len(self.data):
            return None
        b = self.data[self.pos]
        self.pos += 1
        return b

    def give_back(self):
        self.pos -= 1


SPACE, TAB, COMMA, QUOTE, CR, LF, NUL = 0x20, 0x09, 0x2C, 0x22, 0x0D, 0x0A, 0x00


def read_from_channel(channel, kinds):
    """Reads one field per target kind; returns a list with the stored value
    of each target, None for a target the statement left unchanged."""
    values = [None] * len(kinds)
    for index, kind in enumerate(kinds):
        field = _gather_field(channel, kind == KIND_TEXT)
        if field is None:
            break
        values[index] = store_field(field, kind)
    return values


def _gather_field(channel, is_text):
    # Skip blanks before the field; the end of the file ends the statement.
    while True:
        b = channel.read_byte()
        if b is None:
            return None
        if b not in (SPACE, TAB):
            channel.give_back()
            break
    field = bytearray()
    in_quotes = False
    while True:
        b = channel.read_byte()
        if b is None:
            return bytes(field)
        if b == QUOTE:
            in_quotes = not in_quotes
        if b == CR:
            nxt = channel.read_byte()
            if nxt == LF or nxt is None:
                return bytes(field)
            channel.give_back()
            field.append(b)
            continue
        if b in (NUL, LF):
            return bytes(field)
        if not in_quotes and b == COMMA:
            return bytes(field)
        if not in_quotes and not is_text and b in (SPACE, TAB):
            _skip_after_blank(channel)
            return bytes(field)
        field.append(b)


def _skip_after_blank(channel):
    while True:
        b = channel.read_byte()
        if b is None or b == COMMA:
            return
        if b not in (SPACE, TAB):
            channel.give_back()
            return


# ---------------------------------------------------------------------------
# Dialogue texts (Shift-JIS bytes)
# ---------------------------------------------------------------------------

def _sjis(text):
    return text.encode('cp932')


CRLF = b'\r\n'
INTRODUCTION = [_sjis(t) for t in (
    '本プログラムは多次元空間内の距離を計算する．２次元のときはピタゴラスの定理を．',
    '最大99品種相互間の値をファイル出力．形質数は無制限．',
    '入力ファイルの形式はkyori_in.txtをまねる．',
    '形質値は整数でなくて可．値は標準化（平均０，標準偏差１）してから計算．',
    'データ始めに品種数と形質数．データ間は空白を入れる．',
    '品種名は間に空白禁止．Merrowlightを使用．',
    '',
)]
CLOSING_ADVICE = [_sjis(t) for t in (
    '結果は同時に出力ファイルにも出力されています．',
    'それをExcelにでも読み込んで以後の必要な計算をする．',
    '蛇足；Excelでこの出力テキストファイルを読み込むときは，',
    'テキスト読み込み→カンマやタブで…区切り→スペース，にチェック…，',
    'とやれば，Excelの各カラムに品種名，数字が別々に入る．',
    'Good　Luck！',
)]
PROMPT_DATA_FILE = _sjis('入力ファイル名（kyori_in.txtと入力．他に用意してあればそのファイル名)? ')
PROMPT_OUTPUT_FILE = _sjis('出力ファイル名（kyori_out.txtと入力．他に用意してあればそのファイル名)? ')
PROMPT_FINAL = _sjis('終わりますか（任意のキー入力を）? ')
PROMPT_STOP = b'? '
TOO_MANY_FIELDS = _sjis('入力データの個数が多すぎます')
TOO_FEW_FIELDS = _sjis('入力データの個数が足りません')
CANNOT_OPEN_DATA = _sjis('入力ファイルが開けません．')
CANNOT_CREATE_OUTPUT = _sjis('出力ファイルが作成できません．')
WRITE_FAILED = _sjis('出力ファイルへの書き込みに失敗しました．')
OVER_CAPACITY = _sjis('品種数と形質数はそれぞれ300までです．計算終了')
IDENTICAL_DATA = _sjis('-番目のデータがすべて同一です．計算終了')
ECHO_VARIETY_COUNT = _sjis('このデータでの品種数は ')
ECHO_TRAIT_COUNT = _sjis(' 形質数は ')
ECHO_HEADING = _sjis('入力データは ')
ECHO_NAME_COLUMN = _sjis('品種名 ')
HEADING_STANDARDIZED = _sjis('標準化したデータ ')
HEADING_RESULTS = _sjis('計算結果 ')

CELL_WIDTH = 8
ZERO_CELL = b'0.000000'
DISTANCE_ZERO_THRESHOLD = double_from_bits(0x3EE4F8B588E368F1)
NAME_WIDTH = 10
CAPACITY = 300          # the dialogue's limit on each count
BATCH_CAPACITY = 32767  # batch mode's limit on each count


# ---------------------------------------------------------------------------
# Console and output file
# ---------------------------------------------------------------------------

class RunEnd(Exception):
    def __init__(self, status):
        super().__init__(status)
        self.status = status


class Console:
    """Standard input as lines, standard output as collected bytes."""

    def __init__(self, stdin):
        self.stdin = bytes(stdin)
        self.pos = 0
        self.out = bytearray()
        self.last_read_hit_end = False

    def write(self, data):
        self.out += data

    def read_line(self):
        """One line without its LF (and one CR before the LF); the empty line
        when standard input has ended."""
        if self.pos >= len(self.stdin):
            self.last_read_hit_end = True
            return b''
        self.last_read_hit_end = False
        nl = self.stdin.find(b'\n', self.pos)
        if nl < 0:
            line = self.stdin[self.pos:]
            self.pos = len(self.stdin)
            return line
        line = self.stdin[self.pos:nl]
        self.pos = nl + 1
        if line.endswith(b'\r'):
            line = line[:-1]
        return line


def read_from_console(console, prompt, kinds):
    """Writes the prompt, reads one line and splits it at commas into one
    field per target; asks again on a wrong count, or ends the run with
    status 1 when standard input has ended."""
    while True:
        console.write(prompt)
        line = console.read_line().split(b'\0', 1)[0]
        values = []
        pos = 0
        message = None
        for index, kind in enumerate(kinds):
            end = line.find(b',', pos)
            if end < 0:
                end = len(line)
            values.append(store_field(line[pos:end], kind))
            pos = end
            last = index == len(kinds) - 1
            if last and pos < len(line):
                message = TOO_MANY_FIELDS
                break
            if not last and pos == len(line):
                message = TOO_FEW_FIELDS
                break
            pos += 1
        if message is None:
            return values
        console.write(message + b'\n')
        if console.last_read_hit_end:
            raise RunEnd(1)


class OutputFile:
    def __init__(self, name, writable):
        self.name = name
        self.writable = writable
        self.data = bytearray()
        self.write_failed = False

    def write(self, data):
        if not data:
            return
        if self.writable:
            self.data += data
        else:
            self.write_failed = True


# ---------------------------------------------------------------------------
# One run
# ---------------------------------------------------------------------------

def _index(counter):
    return round_to_int32(counter)


def _loop(limit):
    """The counter values 1, 2, ... of a loop that runs while counter <= limit."""
    counter = 1.0
    while counter <= limit:
        yield counter
        counter = counter + 1


class Run:
    """The calculator's process-wide data and its steps."""

    def __init__(self, data_files, stdin, capacity=CAPACITY):
        self.capacity = capacity
        self.files = {bytes(k): bytes(v) for k, v in data_files.items()}
        self.folders = set()
        for name in self.files:
            parts = name.split(b'/')
            for i in range(1, len(parts)):
                self.folders.add(b'/'.join(parts[:i]))
        self.console = Console(stdin)
        self.variety_count = 0.0
        self.trait_count = 0.0
        self.trait_names = {}
        self.variety_names = {}
        self.trait_values = {}
        self.distance_matrix = {}
        self.output = None

    # -- helpers -----------------------------------------------------------
    def write_to_console(self, data):
        self.console.write(data)

    def write_to_channel(self, data):
        self.output.write(data)

    def print_with_template(self, template, number):
        self.write_to_console(format_with_template(template, [number]))

    def value(self, i, j):
        return self.trait_values.get((_index(i), _index(j)), 0.0)

    def name_filler(self, name):
        return spaces_text(round_to_int32(abs_value(float(NAME_WIDTH - len(name)))))

    # -- files -------------------------------------------------------------
    def open_for_reading(self, name):
        if name in self.files:
            return Channel(self.files[name])
        return None

    def open_for_writing(self, name):
        if name == b'/dev/full':
            return OutputFile(name, writable=False)
        if (not name or name in self.folders or name in (b'.', b'..')
                or name.endswith(b'/') or any(len(p) > 255 for p in name.split(b'/'))):
            return None
        if b'/' in name and name.rsplit(b'/', 1)[0] not in self.folders:
            return None
        return OutputFile(name, writable=True)

    # -- the run -----------------------------------------------------------
    def main(self):
        for line in INTRODUCTION:
            self.write_to_console(line + CRLF)
        channel = self.ask_for_file(PROMPT_DATA_FILE, self.open_for_reading, CANNOT_OPEN_DATA)
        self.read_data_file(channel)
        stop_at = self.standardize_traits()
        if stop_at is not None:
            self.identical_data_stop(stop_at)
            return 0
        self.output = self.ask_for_file(PROMPT_OUTPUT_FILE, self.open_for_writing,
                                        CANNOT_CREATE_OUTPUT)
        self.files[self.output.name] = b''
        self.write_standardized_section()
        self.accumulate_distances()
        self.write_distance_section()
        status = 0
        if self.output.writable:
            self.files[self.output.name] = bytes(self.output.data)
        else:
            del self.files[self.output.name]
        if self.output.write_failed:
            self.write_to_console(WRITE_FAILED + CRLF)
            status = 1
        self.write_to_console(CRLF)
        for line in CLOSING_ADVICE:
            self.write_to_console(line + CRLF)
        read_from_console(self.console, PROMPT_FINAL, [KIND_TEXT])
        return status

    def ask_for_file(self, prompt, open_file, failure):
        """Asks for a file name until open_file(name) gives a file; after the
        failure message, input that has ended stops the run."""
        while True:
            name = read_from_console(self.console, prompt, [KIND_TEXT])[0]
            opened = open_file(name)
            if opened is not None:
                return opened
            self.write_to_console(failure + CRLF)
            if self.console.last_read_hit_end:
                raise RunEnd(1)

    def read_one(self, channel, kind, current):
        value = read_from_channel(channel, [kind])[0]
        return current if value is None else value

    def read_data_file(self, channel):
        self.variety_count = self.read_one(channel, KIND_FLOAT64, self.variety_count)
        self.trait_count = self.read_one(channel, KIND_FLOAT64, self.trait_count)
        if self.variety_count >= self.capacity + 1 or self.trait_count >= self.capacity + 1:
            self.write_to_console(OVER_CAPACITY + CRLF)
            read_from_console(self.console, PROMPT_STOP, [KIND_FLOAT32])
            raise RunEnd(0)
        self.write_to_console(ECHO_VARIETY_COUNT)
        self.print_with_template(b'##', self.variety_count)
        self.write_to_console(ECHO_TRAIT_COUNT + number_to_text(self.trait_count) + CRLF)
        self.write_to_console(ECHO_HEADING + CRLF)
        self.write_to_console(ECHO_NAME_COLUMN)
        for i in _loop(self.trait_count):
            name = self.read_one(channel, KIND_TEXT, b'')
            self.trait_names[_index(i)] = name
            self.write_to_console(name + b' ' + b'  ')
        self.write_to_console(CRLF)
        for i in _loop(self.variety_count):
            name = self.read_one(channel, KIND_TEXT, b'')
            self.variety_names[_index(i)] = name
            self.write_to_console(name + b' ' + self.name_filler(name))
            for j in _loop(self.trait_count):
                v = self.read_one(channel, KIND_FLOAT64, 0.0)
                self.trait_values[(_index(i), _index(j))] = v
                self.write_to_console(number_to_text(v) + b' ' + b' ')
            self.write_to_console(CRLF)

    def standardize_traits(self):
        """Standardizes every trait in place; returns the trait number at which
        the data stop the run, or None."""
        n = self.variety_count
        for j in _loop(self.trait_count):
            mean = 0.0
            spread = 0.0
            for i in _loop(n):
                x = self.value(i, j)
                mean = mean + x
                spread = to_single(power(x, 2) + spread)
            mean = divide(mean, n)
            spread = to_single(spread - (power(mean, 2) * n))
            if spread == 0 or spread != spread:
                return j
            spread = to_single(divide(spread, n - 1))
            if not (0 < spread < math.inf):
                return j
            spread = to_single(power(spread, 0.5))
            for i in _loop(n):
                key = (_index(i), _index(j))
                self.trait_values[key] = divide(self.value(i, j) - mean, spread)
        return None

    def identical_data_stop(self, trait):
        self.write_to_console(number_to_text(trait) + b' ' + IDENTICAL_DATA + CRLF)
        read_from_console(self.console, PROMPT_STOP, [KIND_FLOAT32])

    def accumulate_distances(self):
        """Squared distances between every pair of varieties, summed in trait
        order and held in single precision.  (a - b) and (b - a) round to the
        same magnitude, so each pair is summed once and stored both ways; the
        diagonal stays 0."""
        rows = [int(i) for i in _loop(self.variety_count)]
        cols = [int(j) for j in _loop(self.trait_count)]
        vectors = {i: [self.trait_values.get((i, j), 0.0) for j in cols] for i in rows}
        acc = array('f', [0.0])
        for k in rows:
            self.distance_matrix[(k, k)] = 0.0
            vk = vectors[k]
            for i in rows:
                if i <= k:
                    continue
                vi = vectors[i]
                acc[0] = 0.0
                for a, b in zip(vi, vk):
                    d = a - b
                    acc[0] = d * d + acc[0]
                self.distance_matrix[(k, i)] = acc[0]
                self.distance_matrix[(i, k)] = acc[0]

    def write_cell(self, value, distance_rule):
        text = left_of_text(number_to_text(value), CELL_WIDTH)
        if value != value:
            text = ZERO_CELL
        elif distance_rule and value < DISTANCE_ZERO_THRESHOLD:
            text = ZERO_CELL
        elif not distance_rule and value == 0:
            text = ZERO_CELL
        self.write_to_console(text)
        self.write_to_channel(text)
        self.write_to_console(b' ')
        self.write_to_channel(b' ')

    def write_standardized_section(self):
        self.write_to_console(HEADING_STANDARDIZED + CRLF)
        self.write_to_channel(HEADING_STANDARDIZED + CRLF)
        for i in _loop(self.variety_count):
            for j in _loop(self.trait_count):
                self.write_cell(self.value(i, j), distance_rule=False)
            self.write_to_channel(b' ' + CRLF)
            self.write_to_console(CRLF)
        self.write_to_console(HEADING_RESULTS + CRLF)
        self.write_to_channel(HEADING_RESULTS + CRLF)

    def write_distance_section(self):
        self.write_to_console(spaces_text(18))
        for i in _loop(self.variety_count):
            self.print_with_template(b'####', i)
        self.write_to_console(CRLF)
        roots = {}
        for i in _loop(self.variety_count):
            name = self.variety_names.get(_index(i), b'')
            self.write_to_channel(name)
            self.print_with_template(b'#########', i)
            self.write_to_console(spaces_text(1))
            self.write_to_console(name + b' ' + self.name_filler(name))
            self.write_to_channel(b'  ')
            self.write_to_console(b'  ')
            for j in _loop(self.variety_count):
                squared = self.distance_matrix.get((_index(i), _index(j)), 0.0)
                if squared not in roots:
                    roots[squared] = power(squared, 0.5)
                self.write_cell(roots[squared], distance_rule=True)
            self.write_to_channel(b' ' + CRLF)
            self.write_to_console(CRLF)


def run(data_files, stdin, capacity=CAPACITY):
    """One run of the program.

    data_files: {name bytes: content bytes}, the files of the working folder.
    stdin: the bytes piped to the program.
    capacity: the largest count of varieties and of traits accepted (the
    dialogue's 300; BATCH_CAPACITY for the report batch mode writes, whose
    rules are otherwise the same).
    Returns (console bytes, files of the folder afterwards, exit status).
    Raises UndefinedCase where the program's rules give no outcome."""
    r = Run(data_files, stdin, capacity)
    try:
        status = r.main()
    except RunEnd as end:
        status = end.status
    return bytes(r.console.out), dict(r.files), status
