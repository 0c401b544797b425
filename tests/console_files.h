// The console on files, for tests of what it reads and what it shows:
// standard input reads given bytes from one file, standard output goes to
// another, read back whole. Both lie in a temporary folder of their own;
// when the object goes, the files are closed and the console takes the
// standard handles back.
//
//   ConsoleFiles console;
//   console.Use("a,b\n");          // ReadConsoleLine() now gives "a,b"
//   WriteToConsole(TextFromBytes("x? "));
//   console.ShownWithoutFlush();   // -> ""    (still in the console's buffer)
//   console.Shown();               // -> "x? " (the buffer flushed first)
#ifndef KYORI_TESTS_CONSOLE_FILES_H_
#define KYORI_TESTS_CONSOLE_FILES_H_

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "io/channels.h"
#include "tests/test_files.h"

namespace kyori::testing {

class ConsoleFiles {
 public:
  ConsoleFiles() = default;
  ~ConsoleFiles() {
    CloseBoth();
    TakeConsoleHandles();
  }
  ConsoleFiles(const ConsoleFiles&) = delete;
  ConsoleFiles& operator=(const ConsoleFiles&) = delete;

  // Standard input reads `typed` from its start; standard output goes to an
  // emptied file. May be called again: the files before are closed.
  void Use(std::string_view typed) {
    CloseBoth();
    WriteWholeFile(folder_.File("typed"), typed);
    in_ = ::open(folder_.File("typed").c_str(), O_RDONLY);
    out_ = ::open(folder_.File("shown").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ConsoleIn = in_;
    ConsoleOut = out_;
  }

  // Everything standard output has received since Use, the console's
  // buffer flushed first.
  std::string Shown() {
    FlushConsoleOutput();
    return ShownWithoutFlush();
  }

  // What standard output's file holds now, the console's buffer left as it
  // is (to see that output is still held back).
  std::string ShownWithoutFlush() const { return ReadWholeFile(folder_.File("shown")); }

 private:
  void CloseBoth() {
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) ::close(out_);
    in_ = out_ = -1;
  }

  TempFolder folder_;
  int in_ = -1;
  int out_ = -1;
};

}  // namespace kyori::testing

#endif  // KYORI_TESTS_CONSOLE_FILES_H_
