"""The exit status of a unittest run as ctest reads it: 0 when every check
ran and held, 1 when one failed (or none ran at all: a selection that names
no test), 77 (ctest's SKIP_RETURN_CODE for these scripts) when none failed
but some did not run, so that a skipped check is never counted as passed.

A script whose cases may skip where they cannot run (they need the superuser,
a plain build, a tool) keeps them in a test class of its own, registered as
a ctest entry of its own, so that the rest still count as passed.

    unittest_status.main()            instead of unittest.main()
"""

import sys
import unittest

SKIPPED = 77


def exit_status(result):
    # A class skipped as a whole (setUpClass raising SkipTest) runs no test
    # but records its skip: that is a skip, not a selection that names none.
    if not result.wasSuccessful() or (result.testsRun == 0 and not result.skipped):
        return 1
    if result.skipped:
        print('skipped: %d of the checks did not run:' % len(result.skipped))
        for test, reason in result.skipped:
            print('  %s: %s' % (test, reason))
        return SKIPPED
    return 0


def main(argv=None, module='__main__'):
    program = unittest.main(module=module, argv=argv, verbosity=2, exit=False)
    sys.stdout.flush()
    sys.exit(exit_status(program.result))
