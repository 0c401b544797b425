#!/usr/bin/env python3
"""Reads the CSV and TSV tables back as their users do: with pandas, or
with R's read.csv and read.delim.

A small collection (Japanese names, names holding a comma, a quote, a line
break, a tab, a leading or trailing blank; awkward values such as 5e-324,
the largest double, -0 and 1/3; missing values and pairs without a
distance, NaN, written as NA) goes through `table_driver tables` with its
names in code page 932, in UTF-8, and left to detection; each of the four
tables is read back and must give every name exactly and every number to
the bit (compared as float.hex; NA must read as NaN).

  pandas: read_csv(f, index_col=0, encoding="utf-8-sig",
                   float_precision="round_trip")         (sep="\\t" for TSV)
  R:      read.csv(f, row.names = 1, check.names = FALSE,
                   fileEncoding = "UTF-8-BOM")           (read.delim for TSV)
          in a UTF-8 locale (C.UTF-8 here), and with encoding = "UTF-8"
          in its place in the C locale, where fileEncoding = "UTF-8-BOM"
          reads nothing. R reads every line break inside quotes (CR LF or a
          CR alone) as LF, so names are compared so; and R's own conversion
          of decimal text is not always correctly rounded, so for R a number
          may be one unit in the last place off (the script says how many).

Usage: tables_read_back.py DRIVER pandas|R   exit status 0 when every check
                                              held, 1 when one failed, 77
                                              when pandas or Rscript is missing
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SKIPPED = 77  # ctest's SKIP_RETURN_CODE

TRAITS = ["稈長", "穂長,cm", '"T"', "ｱｲ x"]
# Names as a data file can hold them (quotes kept, a comma inside quotes, a
# CR alone, a tab, a trailing blank), and a few it cannot (a line end, a
# leading blank).
VARIETIES = ["コシヒカリ", "ひとめぼれ", "a,b", '"c,d"', '5" pot', "cr\ralone", "line\r\nbreak", " leading",
             "trailing ", "tab\there", "日本晴 2号", "ﾊﾙｶ"]
AWKWARD = [1e-300, 0.1, 1 / 3, -0.0, 5e-324, sys.float_info.max, -sys.float_info.max, 0.1 + 0.2,
           2.2250738585072014e-308, 1e23, 0.9999999999999999, -1.4142135623730951]
TABLES = ["values.csv", "values.tsv", "distances.csv", "distances.tsv"]


def collection():
    """Trait names, variety names, values by trait, condensed distances; a
    few values missing and a few pairs without a distance (NaN)."""
    n, m = len(VARIETIES), len(TRAITS)
    values = [AWKWARD[k % len(AWKWARD)] * (1 + k * 1e-3) if k % 3 else math.sin(k + 1) * 10 ** (k % 7 - 3)
              for k in range(n * m)]
    distances = [abs(AWKWARD[k % len(AWKWARD)]) if k % 4 == 0 else math.exp(math.cos(k)) * (1 + k / 7)
                 for k in range(n * (n - 1) // 2)]
    for k in range(5, len(values), 11):
        values[k] = math.nan
    for k in range(7, len(distances), 13):
        distances[k] = math.nan
    return TRAITS, VARIETIES, values, distances


def driver_input(encoding, traits, varieties, values, distances):
    codec = "cp932" if encoding == "cp932" else "utf-8"
    lines = ["%d %d %s" % (len(varieties), len(traits), encoding)]
    lines += [name.encode(codec).hex() or "-" for name in traits + varieties]
    lines.append(" ".join("nan" if math.isnan(v) else v.hex() for v in values))
    lines.append(" ".join("nan" if math.isnan(d) else d.hex() for d in distances))
    return ("\n".join(lines) + "\n").encode("ascii")


def expected_tables(traits, varieties, values, distances):
    """Each table as (column names, row names, rows of numbers)."""
    n, m = len(varieties), len(traits)
    value_rows = [[values[j * n + i] for j in range(m)] for i in range(n)]

    def pair(i, j):
        if i == j:
            return 0.0
        a, b = min(i, j), max(i, j)
        return distances[n * a - a * (a + 1) // 2 + (b - a - 1)]

    distance_rows = [[pair(i, j) for j in range(n)] for i in range(n)]
    return {"values": (traits, varieties, value_rows), "distances": (varieties, varieties, distance_rows)}


def ulps_apart(a, b):
    """How many doubles lie between a and b (0: the same bits, or both NaN)."""
    if a.hex() == b.hex():
        return 0
    if math.isnan(a) or math.isnan(b):
        return math.inf
    if math.copysign(1, a) != math.copysign(1, b):
        return math.inf
    return abs(int.from_bytes(struct.pack(">d", abs(a)), "big") - int.from_bytes(struct.pack(">d", abs(b)), "big"))


def compare(label, got, expected, tolerance_ulps):
    """got and expected: (column names, row names, rows). Returns (failures, numbers off by an ulp)."""
    failures, off = [], 0
    columns, rows, numbers = got
    want_columns, want_rows, want_numbers = expected
    if columns != want_columns:
        failures.append("%s: columns %r, expected %r" % (label, columns, want_columns))
    if rows != want_rows:
        failures.append("%s: rows %r, expected %r" % (label, rows, want_rows))
    if len(numbers) != len(want_numbers) or any(len(a) != len(b) for a, b in zip(numbers, want_numbers)):
        failures.append("%s: %d rows of numbers, expected %d" % (label, len(numbers), len(want_numbers)))
        return failures, off
    for i, (row, want_row) in enumerate(zip(numbers, want_numbers)):
        for j, (value, want) in enumerate(zip(row, want_row)):
            apart = ulps_apart(value, want)
            if apart > tolerance_ulps:
                failures.append("%s: row %d column %d is %s, expected %s" % (label, i, j, value.hex(), want.hex()))
            elif apart:
                off += 1
    return failures, off


def read_with_pandas(folder):
    import pandas as pd
    tables = {}
    for name in TABLES:
        frame = pd.read_csv(os.path.join(folder, name), sep="\t" if name.endswith(".tsv") else ",", index_col=0,
                            encoding="utf-8-sig", float_precision="round_trip")
        if frame.index.name is not None:
            raise RuntimeError("%s: the names' column has the header %r (a byte-order mark left?)"
                               % (name, frame.index.name))
        numbers = [[float(v) for v in row] for row in frame.itertuples(index=False)]
        tables[name] = (list(frame.columns), list(frame.index), numbers)
    return tables


# How R is run: the locale, and the argument that names the files' encoding.
R_READINGS = [("C.UTF-8", 'fileEncoding = "UTF-8-BOM"'), ("C", 'encoding = "UTF-8"')]
R_PROGRAM = r"""
hex <- function(x) vapply(x, function(s) paste(charToRaw(enc2utf8(s)), collapse = ""), "")
for (f in commandArgs(TRUE)) {
  reader <- if (grepl("tsv$", f)) read.delim else read.csv
  d <- reader(f, row.names = 1, check.names = FALSE, ENCODING)
  cat("table", basename(f), "\n")
  cat("columns", hex(colnames(d)), "\n")
  cat("rows", hex(rownames(d)), "\n")
  for (i in seq_len(nrow(d))) cat("numbers", sprintf("%a", unlist(d[i, ])), "\n")
}
"""


def read_with_r(folder, rscript, locale, encoding):
    with tempfile.NamedTemporaryFile("w", suffix=".R", delete=False) as program:
        program.write(R_PROGRAM.replace("ENCODING", encoding))
    try:
        result = subprocess.run([rscript, "--vanilla", program.name] + [os.path.join(folder, t) for t in TABLES],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False,
                                env=dict(os.environ, LC_ALL=locale))
    finally:
        os.unlink(program.name)
    if result.returncode != 0 or result.stderr.strip():
        raise RuntimeError("Rscript (%s, %s): exit %d: %s"
                           % (locale, encoding, result.returncode, result.stderr.decode(errors="replace")))
    tables, current = {}, None
    for line in result.stdout.decode().split("\n"):
        words = line.split()
        if not words:
            continue
        if words[0] == "table":
            current = tables.setdefault(words[1], ([], [], []))
        elif words[0] in ("columns", "rows"):
            names = [bytes.fromhex(w).decode("utf-8") for w in words[1:]]
            current[0 if words[0] == "columns" else 1].extend(names)
        else:
            current[2].append([math.nan if w == "NA" else float.fromhex(w) for w in words[1:]])
    return tables


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("pandas", "R"):
        print(__doc__)
        return 2
    driver, reader = sys.argv[1], sys.argv[2]
    if reader == "pandas":
        try:
            import pandas  # noqa: F401
        except ImportError as missing:
            print("skipped: this check needs pandas (%s); Debian: python3-pandas" % missing)
            return SKIPPED
    rscript = shutil.which("Rscript")
    if reader == "R" and rscript is None:
        print("skipped: this check needs Rscript; Debian: r-base-core")
        return SKIPPED

    traits, varieties, values, distances = collection()
    if reader == "pandas":
        readings = [("pandas", lambda folder: read_with_pandas(folder))]
        expected = expected_tables(traits, varieties, values, distances)
    else:
        readings = [("R %s %s" % (locale, encoding),
                     lambda folder, locale=locale, encoding=encoding: read_with_r(folder, rscript, locale, encoding))
                    for locale, encoding in R_READINGS]
        as_r_reads = [name.replace("\r\n", "\n").replace("\r", "\n") for name in varieties]
        expected = expected_tables(traits, as_r_reads, values, distances)
    failures, off, numbers, names = [], 0, 0, 0
    for encoding in ("cp932", "utf-8", "detect"):
        with tempfile.TemporaryDirectory() as folder:
            run = subprocess.run([driver, "tables", folder],
                                 input=driver_input(encoding, traits, varieties, values, distances),
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
            if run.returncode != 0:
                print("FAIL %s: table_driver: %s" % (encoding, run.stderr.decode(errors="replace")))
                return 1
            for title, read in readings:
                tables = read(folder)
                for name in TABLES:
                    want = expected[name.split(".")[0]]
                    label = "%s, names in %s, %s" % (title, encoding, name)
                    if name not in tables:
                        failures.append("%s: not read" % label)
                        continue
                    found, table_off = compare(label, tables[name], want, 0 if reader == "pandas" else 1)
                    failures += found
                    off += table_off
                    numbers += sum(len(row) for row in want[2])
                    names += len(want[0]) + len(want[1])
    for line in failures:
        print("FAIL " + line)
    print("%s read %d numbers and %d names back: %d failures, %d numbers one unit in the last place off"
          % (reader, numbers, names, len(failures), off))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
