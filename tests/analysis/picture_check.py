#!/usr/bin/env python3
"""Renders the pictures of twelve rice varieties with headless chromium and
checks that each screenshot is a picture, not a blank page.

The matrix: the Euclidean distances between the varieties' standardized
traits (the sample data's twelve varieties, with Japanese names). For each
of average linkage and neighbour-joining, `analysis_driver svg` draws it,
chromium renders it at the SVG's own size, and the PNG is decoded with the
standard library (zlib and the PNG filters) to check that at least 10% of
the pixels are not white and that at least 40 distinct colours appear (the
heatmap's continuous scale alone gives many).

With --multivariate DRIVER2 (tests/multivariate_driver.cc), two more from
the varieties' trait values, each with the average-linkage tree cut into
three groups (ななつぼし and ゆめぴりか alone, the other ten together): the
tree picture coloured by the groups, as above and with at least 20 pixels
of each group's colour; and the biplot, at least 1% of its pixels not white,
40 colours, and 20 pixels of each group's colour (its points and names).

Usage: picture_check.py DRIVER CHROMIUM [--multivariate DRIVER2] [--keep DIR]
(DIR keeps the files). Exit status 0 when every picture held, 1 when one
failed, 77 when CHROMIUM is not a program here.
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


def render(chromium, svg, name, folder):
    """The pixels of `svg` as chromium shows it at its own size, or None."""
    svg_path = os.path.join(folder, name + ".svg")
    png_path = os.path.join(folder, name + ".png")
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
        return None
    _, _, rows = decode_png(open(png_path, "rb").read())
    return [p for row in rows for p in row]


def near(pixel, colour, distance=40):
    return sum((a - b) ** 2 for a, b in zip(pixel, colour)) <= distance ** 2


def judge(name, pixels, least_inked, least_colours, group_colours=()):
    """What is wrong with the rendered picture, or ""."""
    if pixels is None:
        return "chromium wrote no screenshot"
    inked = sum(1 for p in pixels if p != (255, 255, 255))
    colours = len(set(pixels))
    print("%s: %.1f%% not white, %d colours" % (name, 100.0 * inked / len(pixels), colours))
    if inked < least_inked * len(pixels):
        return "the picture is nearly blank"
    if colours < least_colours:
        return "only %d colours" % colours
    for colour in group_colours:
        rgb = tuple(int(colour[k:k + 2], 16) for k in (1, 3, 5))
        if sum(1 for p in pixels if near(p, rgb)) < 20:
            return "hardly a pixel of the group colour %s" % colour
    return ""


def tree_picture(driver, chromium, method, folder):
    names = [name for name, _ in VARIETIES]
    svg = subprocess.run([driver, "svg", method], input=driver_input(12, distances(), names),
                         stdout=subprocess.PIPE, check=True).stdout
    return judge(method, render(chromium, svg, "rice_" + method, folder), 0.10, 40)


# The colours of groups 1 to 3 (analysis/picture_text.h GroupColour).
GROUP_COLOURS = ("#1f77b4", "#d62728", "#2ca02c")


def multivariate_input():
    lines = ["%d %d" % (len(VARIETIES), len(VARIETIES[0][1]))]
    lines += [" ".join(repr(v) for v in values) for _, values in VARIETIES]
    names = [name for name, _ in VARIETIES] + ["稈長", "穂長", "穂数", "千粒重", "タンパク"]
    lines += [name.encode("utf-8").hex() for name in names]
    return ("\n".join(lines) + "\n").encode("ascii")


def grouped_pictures(driver, chromium, folder):
    """(name, problem) of the coloured tree and of the biplot."""
    found = []
    for name, arguments, least_inked, least_colours in (("grouped tree", ["tree", "average", "3"], 0.10, 40),
                                                        ("biplot", ["biplot", "3"], 0.01, 40)):
        svg = subprocess.run([driver] + arguments, input=multivariate_input(),
                             stdout=subprocess.PIPE, check=True).stdout
        pixels = render(chromium, svg, "rice_" + name.replace(" ", "_"), folder)
        found.append((name, judge(name, pixels, least_inked, least_colours, GROUP_COLOURS)))
    return found


SKIPPED = 77  # ctest's SKIP_RETURN_CODE


def main():
    driver, chromium = sys.argv[1], sys.argv[2]
    if not (os.path.isfile(chromium) and os.access(chromium, os.X_OK)):
        print("skipped: no chromium at %s (Debian: chromium)" % chromium)
        return SKIPPED
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    multivariate = sys.argv[sys.argv.index("--multivariate") + 1] if "--multivariate" in sys.argv else None
    folder = keep or tempfile.mkdtemp(prefix="kyori-picture-")
    os.makedirs(folder, exist_ok=True)
    failed = passed = 0
    try:
        results = [(method, tree_picture(driver, chromium, method, folder)) for method in ("average", "nj")]
        if multivariate:
            results += grouped_pictures(multivariate, chromium, folder)
        for name, problem in results:
            if problem:
                failed += 1
                print("FAIL %s: %s" % (name, problem))
            else:
                passed += 1
    finally:
        if not keep:
            shutil.rmtree(folder, ignore_errors=True)
    print("picture_check: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
