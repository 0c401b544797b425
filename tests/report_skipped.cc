// The command of a test whose tool is missing: prints why the test cannot run
// and exits 77, which ctest (SKIP_RETURN_CODE 77) shows as a skip, so that a
// test without its tool is still listed rather than left out.
//
//   report_skipped needs python3 (Debian: python3)
//   -> "skipped: needs python3 (Debian: python3)", exit status 77
#include <cstdio>

int main(int argc, char** argv) {
  std::fputs("skipped:", stdout);
  for (int i = 1; i < argc; ++i) std::printf(" %s", argv[i]);
  std::fputs("\n", stdout);
  return 77;
}
