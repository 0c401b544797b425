#!/usr/bin/env python3
"""Renders the tree picture of twelve rice varieties with headless chromium
and checks that the screenshot is a picture, not a blank page.

The matrix: the Euclidean distances between the varieties' standardized
traits (the sample data's twelve varieties, with Japanese names). For each
of average linkage and neighbour-joining, `analysis_driver svg` draws it,
chromium renders it at the SVG's own size, and the PNG is decoded with the
standard library (zlib and the PNG filters) to check that at least 10% of
the pixels are not white and that at least 40 distinct colours appear (the
heatmap's continuous scale alone gives many).

Usage: picture_check.py DRIVER CHROMIUM [--keep DIR]   (DIR keeps the files)
Exit status 0 when both pictures held, 1 when one failed, 77 when CHROMIUM is
not a program here.
"""
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from common import driver_input  # noqa: E402

VARIETIES = [
    ("コシヒカリ", [93.5, 18.2, 17.8, 22.3, 6.1]),
    ("ひとめぼれ", [84.2, 17.5, 19.4, 22.8, 6.4]),
    ("ヒノヒカリ", [81.7, 18.9, 18.6, 22.1, 6.6]),
    ("あきたこまち", [86.3, 17.1, 20.2, 21.9, 6.3]),
    ("ななつぼし", [72.4, 16.8, 22.5, 21.4, 6.9]),
    ("はえぬき", [78.9, 17.6, 21.3, 22.6, 6.5]),
    ("まっしぐら", [80.1, 18.3, 19.9, 23.2, 6.8]),
    ("キヌヒカリ", [79.6, 18.7, 18.1, 22.4, 6.2]),
    ("ゆめぴりか", [70.8, 16.5, 23.1, 21.7, 6.0]),
    ("つや姫", [82.5, 19.1, 17.6, 23.5, 6.2]),
    ("夢つくし", [85.4, 18.4, 18.9, 22.0, 6.5]),
    ("森のくまさん", [88.6, 19.6, 16.9, 22.9, 6.7]),
]


def distances():
    rows = [values for _, values in VARIETIES]
    n, m = len(rows), len(rows[0])
    z = [[0.0] * m for _ in range(n)]
    for t in range(m):
        col = [r[t] for r in rows]
        mean = sum(col) / n
        sd = math.sqrt(sum((v - mean) ** 2 for v in col) / (n - 1))
        for i in range(n):
            z[i][t] = (rows[i][t] - mean) / sd
    return [math.sqrt(sum((z[i][t] - z[j][t]) ** 2 for t in range(m)))
            for i in range(n) for j in range(i + 1, n)]


def decode_png(data):
    """(width, height, rows of RGB(A) tuples) of an 8-bit RGB or RGBA PNG."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), "unexpected PNG format %d/%d" % (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, channels)])
        previous = line
    return width, height, rows


def check(driver, chromium, method, folder):
    names = [name for name, _ in VARIETIES]
    svg = subprocess.run([driver, "svg", method], input=driver_input(12, distances(), names),
                         stdout=subprocess.PIPE, check=True).stdout
    svg_path = os.path.join(folder, "rice_%s.svg" % method)
    png_path = os.path.join(folder, "rice_%s.png" % method)
    with open(svg_path, "wb") as f:
        f.write(svg)
    width, height = (math.ceil(float(v)) for v in
                     re.search(rb'width="([\d.]+)" height="([\d.]+)"', svg).groups())
    profile = tempfile.mkdtemp(prefix="kyori-chromium-")
    try:
        subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                        "--no-first-run", "--disable-background-networking",
                        "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + profile, "--screenshot=" + png_path,
                        "--window-size=%d,%d" % (width, height), "file://" + svg_path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=False)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if not os.path.exists(png_path):
        return "chromium wrote no screenshot"
    w, h, rows = decode_png(open(png_path, "rb").read())
    pixels = [p for row in rows for p in row]
    inked = sum(1 for p in pixels if p != (255, 255, 255))
    colours = len(set(pixels))
    print("%s: %dx%d, %.1f%% not white, %d colours" % (method, w, h, 100.0 * inked / len(pixels), colours))
    if inked < 0.10 * len(pixels):
        return "the picture is nearly blank"
    if colours < 40:
        return "only %d colours" % colours
    return ""


SKIPPED = 77  # ctest's SKIP_RETURN_CODE


def main():
    driver, chromium = sys.argv[1], sys.argv[2]
    if not (os.path.isfile(chromium) and os.access(chromium, os.X_OK)):
        print("skipped: no chromium at %s (Debian: chromium)" % chromium)
        return SKIPPED
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    folder = keep or tempfile.mkdtemp(prefix="kyori-picture-")
    os.makedirs(folder, exist_ok=True)
    failed = passed = 0
    try:
        for method in ("average", "nj"):
            problem = check(driver, chromium, method, folder)
            if problem:
                failed += 1
                print("FAIL %s: %s" % (method, problem))
            else:
                passed += 1
    finally:
        if not keep:
            shutil.rmtree(folder, ignore_errors=True)
    print("picture_check: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
