#!/usr/bin/env python3
"""Checks that the sample's biplot and groups shown in the README are what
the program makes today: runs `kyori --pca=... --groups=...` on
examples/kyori_in.txt and compares the biplot and the groups' table byte for
byte with examples/kyori_in_biplot.svg and examples/kyori_in_groups.csv,
checks that the README's table of the groups is the one made from that
table, and that the README quotes the line naming the number of groups.

Usage: check_sample_multivariate.py KYORI DATA EXAMPLES README [--update]
--update writes the files made now into EXAMPLES and prints the README's
table and line, instead of comparing.
"""
import csv
import io
import os
import subprocess
import sys
import tempfile

KEPT = ['kyori_in_biplot.svg', 'kyori_in_groups.csv']


def readme_table(groups_csv):
    """The groups' table as the README shows it: widths to three places."""
    rows = list(csv.reader(io.StringIO(groups_csv.decode('utf-8-sig'), newline='')))
    lines = ['| variety | group | silhouette width | nearest group |', '| --- | ---: | ---: | ---: |']
    for name, group, width, nearest in rows[1:]:
        lines.append('| %s | %s | %.3f | %s |' % (name, group, float(width), nearest))
    return '\n'.join(lines) + '\n'


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    program, data, examples, readme = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as folder:
        run = subprocess.run([program, '--pca=' + os.path.join(folder, 'kyori_in'),
                              '--groups=' + os.path.join(folder, 'kyori_in_groups.csv'), data,
                              os.path.join(folder, 'out.txt')], capture_output=True, env=dict(os.environ, LANG='C'))
        if run.returncode != 0:
            print(run.stderr.decode('utf-8', 'replace'))
            return 1
        made = {}
        for name in KEPT:
            with open(os.path.join(folder, name), 'rb') as f:
                made[name] = f.read()
    chosen = run.stderr.decode('utf-8').splitlines()[0]
    table = readme_table(made['kyori_in_groups.csv'])
    if '--update' in sys.argv[5:]:
        for name, content in made.items():
            with open(os.path.join(examples, name), 'wb') as f:
                f.write(content)
        print(chosen)
        print(table)
        return 0
    failed = 0
    for name, content in made.items():
        with open(os.path.join(examples, name), 'rb') as f:
            kept = f.read()
        if kept != content:
            print('%s differs from what the program makes now (%d bytes against %d)' % (name, len(kept), len(content)))
            failed = 1
    with open(readme, encoding='utf-8') as f:
        text = f.read()
    for part, what in [(table, 'the table of the groups'), (chosen + '\n', 'the line naming the number of groups')]:
        if part not in text:
            print('%s does not show %s as the program makes it now:\n%s' % (readme, what, part))
            failed = 1
    if failed:
        print('regenerate with: %s %s %s %s %s --update, and paste the table and line into the README'
              % (sys.argv[0], program, data, examples, readme))
    return failed


if __name__ == '__main__':
    sys.exit(main())
