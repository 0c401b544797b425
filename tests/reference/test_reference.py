"""Hand checks of the reference model against worked values of the program's
rules.  python3 test_reference.py: exit 0 when all held, 1 when one failed,
77 when one was skipped (unittest_status.py)."""

import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import kyori_ref as k  # noqa: E402
import unittest_status  # noqa: E402


def bits(x):
    return k.bits_of_double(x)


def sjis(text):
    return text.encode('cp932')


class NumberToTextTest(unittest.TestCase):
    def test_table(self):
        cases = [
            (0.0, '0'), (-0.0, '0'), (1.0, '1'), (-1.0, '-1'), (0.5, '0.5'),
            (-0.5, '-0.5'), (100.0, '100'), (12.5, '12.5'),
            (1234.5678, '1234.5678'), (0.1, '0.1'), (0.1 + 0.2, '0.3'),
            (1 / 3, '0.333333333333333'), (2 / 3, '0.666666666666667'),
            (-1.23456789012345, '-1.23456789012345'),
            (1.4142135623730951, '1.4142135623731'),
            (3.141592653589793, '3.14159265358979'),
            (1.000000000000005, '1.00000000000001'),
            (0.001, '0.001'), (0.0001, '0.0001'), (-0.000123, '-0.000123'),
            (0.00009999, '9.99900000000000e-05'),
            (0.00001, '1.00000000000000e-05'),
            (0.00001234, '1.23400000000000e-05'),
            (1e-100, '1.00000000000000e-100'),
            (123456789012345.0, '123456789012345'),
            (99999999999999.91, '100000000000000'),
            (999999999999999.0, '1.00000000000000e+015'),
            (1e15, '1.00000000000000e+015'),
            (12345678901234567.0, '1.23456789012346e+016'),
            (1e100, '1.00000000000000e+100'),
            (1.7976931348623157e308, '1.79769313486232e+308'),
            (9.99999999999999, '10'),
            (math.nan, '0'),
            (math.inf, 'inf'), (-math.inf, '-inf'),
        ]
        for value, text in cases:
            with self.subTest(value=value):
                self.assertEqual(k.number_to_text(value), text.encode())

    def test_digits_of_band_edge(self):
        # 9.99999999999999 / 10 falls just under the lower band constant; its
        # leading 0 digit is carried into: "100000000000000" with E = 2.
        self.assertEqual(k.decimal_digits(9.99999999999999), ('100000000000000', 2, 0))


class TextToNumberTest(unittest.TestCase):
    def test_table(self):
        h = float.fromhex
        cases = [
            (b'123.45', 123.45), (b'-2.5', -2.5),
            (b'0.12', h('0x1.eb851eb851eb9p-4')),
            (b'4.125', h('0x1.07fffffffffffp+2')),
            (b'2.99', h('0x1.7eb851eb851ebp+1')),
            (b'.5', 0.5), (b'5.', 5.0), (b'12.3.4', k.text_to_number(b'12.3')),
            (b'1e3', 1.0), (b'1,000', 1.0), (b'5abc', 5.0), (b'+5', 0.0),
            (b' 5', 0.0), (b'', 0.0), (b'-', -0.0),
            (b'&H1F', 31.0), (b'&hff', 255.0), (b'&O17', 15.0), (b'&o7', 7.0),
            (b'&X1', 0.0), (b'&H', 0.0),
            (b'&H8000000000000000', -2.0 ** 63),
            (str(2 ** 53 + 1).encode(), 2.0 ** 53),
            (b'-&H1F', -0.0),
        ]
        for text, value in cases:
            with self.subTest(text=text):
                self.assertEqual(bits(k.text_to_number(text)), bits(value))

    def test_order_of_summation_is_not_correct_rounding(self):
        self.assertNotEqual(k.text_to_number(b'0.12'), 0.12)
        self.assertEqual(k.text_to_number(b'12.3'), 12.3)

    def test_long_prefixed_numbers_wrap(self):
        # 17 hexadecimal digits: the leftmost gets place value 0 and adds nothing.
        self.assertEqual(k.text_to_number(b'&HF0000000000000001'), 1.0)
        # 22nd octal digit from the right adds -2**63 when odd.
        self.assertEqual(k.text_to_number(b'&O1' + b'0' * 21), -2.0 ** 63)
        self.assertEqual(k.text_to_number(b'&O2' + b'0' * 21), 0.0)


class TemplateTest(unittest.TestCase):
    def test_calculator_templates(self):
        cases = [
            (b'##', 5, b' 5'), (b'##', 12, b'12'), (b'##', 99, b'99'),
            (b'##', 100, b'10'), (b'##', -3, b'-3'), (b'##', -12, b'-1'),
            (b'####', 1, b'   1'), (b'####', 12, b'  12'), (b'####', 99, b'  99'),
            (b'####', 12345, b'1234'), (b'#########', 1, b'        1'),
            (b'#########', 42, b'       42'), (b'####', 2.5, b'   2'),
            (b'####', 3.5, b'   4'), (b'####', -2.5, b'  -2'),
            (b'####', 0.4, b'   0'), (b'####', -0.4, b'   0'),
            (b'##', math.nan, b'-2'), (b'##', 3e9, b'-2'),
        ]
        for template, value, text in cases:
            with self.subTest(template=template, value=value):
                self.assertEqual(k.format_with_template(template, [float(value)]), text)

    def test_other_templates(self):
        cases = [
            (b'No.###:', [7.0], [], b'No.  7:'),
            (b'#.##', [3.14159, 5.0], [], b'3. 5'),
            (b'@', [], [b'abc'], b'abc'),
            (b'&  &', [], [b'ab'], b'ab  '),
            (b'&  &', [], [b'abcdef'], b'abcd'),
            (b'&&', [], [b'xyz'], b'xy'),
            (b'& x', [], [], b'& x'),
            (b'## &&', [1.0], [b'', b'ab'], b' 1 ab'),
            (b'', [], [], b''),
            # "@" appends after the excess "3"; the cursor then moves by the
            # text's length only, so the closing NUL lands on its last byte.
            (b'##@', [123.0], [b'', b'xy'], b'123x'),
        ]
        for template, numbers, texts, text in cases:
            with self.subTest(template=template):
                self.assertEqual(k.format_with_template(template, numbers, texts), text)

    def test_left_of_text_and_spaces(self):
        self.assertEqual(k.left_of_text(b'1.23400000000000e-05', 8), b'1.234000')
        self.assertEqual(k.left_of_text(b'12345678', 8), b'12345678')
        for short in (b'1', b'-1', b'0.5', b''):
            self.assertEqual(k.left_of_text(short, 8), short)
        self.assertEqual(k.spaces_text(18), b' ' * 18)
        self.assertEqual(k.spaces_text(0), b'')


class ElementaryTest(unittest.TestCase):
    def test_power_table(self):
        cases = [
            (3.0, 2.0, 9.0), (0.1, 2.0, 0.010000000000000002), (4.0, 0.5, 2.0),
            (2.0, 0.5, float.fromhex('0x1.6a09e667f3bccp+0')),  # one ulp below the root
            (0.0, 0.5, 0.0), (-1.0, 0.5, 0.0), (-4.0, 0.5, 0.0),
            (-2.0, 3.0, -8.0), (5.0, 0.0, 1.0), (0.0, 0.0, 1.0), (0.0, -1.0, math.inf),
        ]
        for x, y, result in cases:
            with self.subTest(x=x, y=y):
                self.assertEqual(bits(k.power(x, y)), bits(result))

    def test_log_exp_floor(self):
        cases = [
            (k.natural_log, 1.0, 0.0), (k.natural_log, 2.0, 0.6931471805599453),
            (k.natural_log, 0.0, 0.0), (k.natural_log, -3.0, 0.0),
            (k.exponential, 0.0, 1.0), (k.exponential, 1.0, 2.718281828459045),
            (k.exponential, -1.0, 0.3678794411714423),
            (k.integer_power, (2.0, -3), 0.125), (k.integer_power, (0.0, 0), 1.0),
        ]
        for fn, arg, result in cases:
            with self.subTest(fn=fn.__name__, arg=arg):
                args = arg if isinstance(arg, tuple) else (arg,)
                self.assertEqual(bits(fn(*args)), bits(result))
        for x, t in [(2.7, 2), (-2.7, -3), (-3.0, -3), (0.0, 0), (-0.5, -1)]:
            self.assertEqual(k.floor_to_int(x), t)

    def test_split_mantissa_exponent(self):
        for x, m, e in [(1.0, 0.5, 1), (0.75, 0.75, 0), (0.1, 0.8, -3), (0.0, 0.0, 0),
                        (-6.0, -0.75, 3)]:
            with self.subTest(x=x):
                self.assertEqual(k.split_mantissa_exponent(x), (m, e))

    def test_to_single_rounds_and_overflows(self):
        self.assertEqual(k.to_single(0.1), 0.10000000149011612)
        self.assertEqual(k.to_single(1e39), math.inf)
        self.assertEqual(k.to_single(-1e39), -math.inf)
        self.assertEqual(k.to_single(1e-46), 0.0)


def data_run(data, stdin=b'in.txt\nout.txt\n\n'):
    return k.run({b'in.txt': data}, stdin)


class StandardizationTest(unittest.TestCase):
    def model_after_standardize(self, n, columns):
        r = k.Run({}, b'')
        r.variety_count, r.trait_count = float(n), float(len(columns))
        for j, col in enumerate(columns, 1):
            for i, v in enumerate(col, 1):
                r.trait_values[(i, j)] = v
        return r, r.standardize_traits()

    def test_small_integers_give_exact_values(self):
        r, stop = self.model_after_standardize(3, [[1.0, 2.0, 3.0], [10.0, 30.0, 20.0]])
        self.assertIsNone(stop)
        self.assertEqual([r.trait_values[(i, 1)] for i in (1, 2, 3)], [-1.0, 0.0, 1.0])
        self.assertEqual([r.trait_values[(i, 2)] for i in (1, 2, 3)], [-1.0, 1.0, 0.0])
        r.accumulate_distances()
        self.assertEqual(r.distance_matrix[(1, 2)], 5.0)
        self.assertEqual(r.distance_matrix[(1, 3)], 5.0)
        self.assertEqual(r.distance_matrix[(2, 3)], 2.0)
        self.assertEqual(r.distance_matrix[(2, 2)], 0.0)

    def test_single_precision_sum_of_squares_shows(self):
        r, stop = self.model_after_standardize(4, [[12.5, 13.1, 11.9, 12.0]])
        self.assertIsNone(stop)
        self.assertEqual([r.trait_values[(i, 1)] for i in (1, 2, 3, 4)],
                         [0.22727639227858143, 1.3182030752157716,
                          -0.8636502906586088, -0.6818291768357443])
        r.accumulate_distances()
        self.assertEqual(r.distance_matrix[(2, 4)], 4.000129222869873)
        self.assertEqual(r.distance_matrix[(4, 2)], 4.000129222869873)

    def test_stops(self):
        cases = [
            ('all values equal in trait 2', 3, [[1.0, 2.0, 3.0], [5.0, 5.0, 5.0]], 2.0),
            ('no varieties', 0, [[]], 1.0),
            ('one variety, exact square', 1, [[2.0]], 1.0),
            ('one variety, inexact square', 1, [[0.1]], 1.0),
            ('three equal 0.1: negative variance', 3, [[0.1, 0.1, 0.1]], 1.0),
            ('squares beyond single range', 2, [[1e20, 2e20]], 1.0),
        ]
        for label, n, columns, trait in cases:
            with self.subTest(label):
                self.assertEqual(self.model_after_standardize(n, columns)[1], trait)

    def test_fractional_count_divides_by_full_value(self):
        r, stop = self.model_after_standardize(3.5, [[1.0, 2.0, 3.0]])
        self.assertIsNone(stop)
        mean = 6.0 / 3.5
        spread = k.to_single(k.to_single(k.to_single(1.0 + 4.0) + 9.0) - mean * mean * 3.5)
        sd = k.to_single(k.power(k.to_single(spread / 2.5), 0.5))
        self.assertEqual(r.trait_values[(1, 1)], (1.0 - mean) / sd)


class RunTest(unittest.TestCase):
    def test_report_of_four_varieties(self):
        data = b'4 1\r\nt\r\np,12.5\r\nq,13.1\r\nr,11.9\r\ns,12.0\r\n'
        console, files, status = data_run(data)
        self.assertEqual(status, 0)
        lines = files[b'out.txt'].split(b'\r\n')
        self.assertEqual(lines[0], sjis('標準化したデータ '))
        self.assertEqual(lines[1:5], [b'0.227276  ', b'1.318203  ', b'-0.86365  ', b'-0.68182  '])
        self.assertEqual(lines[5], sjis('計算結果 '))
        self.assertEqual(lines[7], b'q  1.090926 0.000000 2.181853 2.000032  ')
        self.assertEqual(lines[10], b'')
        self.assertEqual(len(lines), 11)
        self.assertIn(b'\r\n' + b' ' * 18 + b'   1   2   3   4\r\n', console)
        self.assertIn(b'\r\n        2 q ' + b' ' * 9 + b'  1.090926 0.000000 2.181853 2.000032 \r\n',
                      console)

    def test_echo_of_mixed_layouts(self):
        data = sjis('3 2\r\n形質1,形質2\r\n品種A,95.5 18.2\r\n品種B\r\n88 17.9\r\n'
                    'LongName12345,102.25,20\r\n')
        console, _, status = data_run(data)
        self.assertEqual(status, 0)
        expected = sjis('このデータでの品種数は  3 形質数は 2\r\n入力データは \r\n'
                        '品種名 形質1   形質2   \r\n'
                        '品種A      95.5  18.2  \r\n品種B      88  17.9  \r\n'
                        'LongName12345    102.25  20  \r\n')
        self.assertIn(expected, console)

    def test_no_data_at_all(self):
        console, files, status = data_run(b'0 0\r\n')
        self.assertEqual(status, 0)
        self.assertEqual(files[b'out.txt'],
                         sjis('標準化したデータ ') + b'\r\n' + sjis('計算結果 ') + b'\r\n')
        self.assertIn(sjis('計算結果 ') + b'\r\n' + b' ' * 18 + b'\r\n\r\n', console)

    def test_identical_trait_stops_without_output(self):
        console, files, status = data_run(b'3 2\nt1,t2\na,1 5\nb,2 5\nc,3 5\n', b'in.txt\nx\n')
        self.assertEqual(status, 0)
        self.assertTrue(console.endswith(
            b'\r\n2 ' + sjis('-番目のデータがすべて同一です．計算終了') + b'\r\n? '))
        self.assertEqual(set(files), {b'in.txt'})

    def test_dialogue_failures(self):
        over = sjis('品種数と形質数はそれぞれ300までです．計算終了') + b'\r\n? '
        cases = [
            ('capacity', b'301 2\n', b'in.txt\n\n', 0, over),
            ('infinite count', b'3 ' + b'9' * 400 + b'\n', b'in.txt\n', 0, over),
            ('missing data file at end of input', b'2 1\n', b'nope\n',
             1, sjis('入力ファイルが開けません．') + b'\r\n'),
            ('comma in a last line without LF, then end of input', b'2 1\n', b'a,b',
             1, sjis('入力データの個数が多すぎます') + b'\n' + k.PROMPT_DATA_FILE
             + sjis('入力ファイルが開けません．') + b'\r\n'),
            ('no folder for output', b'2 1\nt\na,1\nb,2\n', b'in.txt\nno/out\n',
             1, sjis('出力ファイルが作成できません．') + b'\r\n'),
        ]
        for label, data, stdin, status, tail in cases:
            with self.subTest(label):
                console, files, got = data_run(data, stdin)
                self.assertEqual(got, status)
                self.assertTrue(console.endswith(tail), console[-200:])
                self.assertEqual(set(files), {b'in.txt'})

    def test_too_many_fields_asks_again(self):
        console, files, status = data_run(b'2 1\nt\na,1\nb,2\n', b'x,y\nin.txt\nout.txt\n\n')
        self.assertEqual(status, 0)
        self.assertIn(k.PROMPT_DATA_FILE + sjis('入力データの個数が多すぎます') + b'\n'
                      + k.PROMPT_DATA_FILE + sjis('このデータ'), console)
        self.assertIn(b'out.txt', files)

    def test_lost_output_is_reported(self):
        console, files, status = data_run(b'2 1\nt\na,1\nb,2\n', b'in.txt\n/dev/full\n\n')
        self.assertEqual(status, 1)
        self.assertIn(b'0.000000 \r\n' + sjis('出力ファイルへの書き込みに失敗しました．')
                      + b'\r\n\r\n' + sjis('結果は'), console)
        self.assertEqual(set(files), {b'in.txt'})


if __name__ == '__main__':
    unittest_status.main()
