#!/usr/bin/env python3
"""The README's console sessions (its ```console blocks) run as they are
shown, so that what the README says kyori writes is what it writes.

In a session, each line starting with "$ " is a command, and the lines up to
the next command are what it shows:
  $ cat FILE      FILE not yet made: the lines are its content, written
                  there (UTF-8, LF); else the lines are FILE's content as
                  kyori wrote it (without its byte-order mark, CR LF read
                  as LF);
  $ kyori ARGS    the program run with ARGS (split as a shell splits them);
                  the lines are its standard error, and its standard output
                  is empty.
Each block runs in a folder of its own. Lines are compared without the
blanks at their ends (the report's lines end in two blanks).

    python3 batch_readme.py PATH/TO/kyori
"""

import os
import re
import shlex

import batch_support as bs

README = os.path.join(bs.HERE, '..', '..', 'README.md')


def sessions(text):
    """Every ```console block of `text`, as its list of lines."""
    return [block.split('\n') for block in re.findall(r'^```console\n(.*?)^```$', text, re.S | re.M)]


def steps(lines):
    """(command, shown lines) for each "$ " line of a session."""
    result = []
    for line in lines:
        if line.startswith('$ '):
            result.append((line[2:], []))
        elif line:
            assert result, 'a session starts with a command: %r' % line
            result[-1][1].append(line)
    return result


def shown(data):
    """A file's bytes as the README shows them: lines without their ends'
    blanks."""
    text = data.decode('utf-8')
    if text.startswith('\ufeff'):
        text = text[1:]
    return [line.rstrip() for line in text.replace('\r\n', '\n').rstrip('\n').split('\n')]


class ReadmeSessions(bs.BatchTestCase):

    def test_every_session(self):
        with open(README, encoding='utf-8') as f:
            blocks = sessions(f.read())
        self.assertTrue(blocks, 'the README has no console session')
        for number, block in enumerate(blocks, 1):
            folder = self.folder()
            for command, lines in steps(block):
                with self.subTest(session=number, command=command):
                    words = shlex.split(command)
                    if words[0] == 'cat' and len(words) == 2:
                        path = os.path.join(folder, words[1])
                        if os.path.exists(path):
                            with open(path, 'rb') as f:
                                self.assertEqual(shown(f.read()), [line.rstrip() for line in lines])
                        else:
                            with open(path, 'wb') as f:
                                f.write(('\n'.join(lines) + '\n').encode('utf-8'))
                    else:
                        self.assertEqual(words[0], 'kyori', 'a session runs cat and kyori only')
                        result = bs.run(words[1:], folder)
                        self.assertNoSignal(result)
                        self.assertEqual(result.stdout, b'')
                        self.assertEqual([line.decode('utf-8') for line in result.lines()], lines)


if __name__ == '__main__':
    bs.main()
