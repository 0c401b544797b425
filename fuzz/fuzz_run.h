// One input of the whole-run fuzz target: the bytes become the data file and
// the program runs once, in-process, with fixed answers at its prompts.
//
// The data file, the answers and the output file live in a temporary folder
// made once per process (removed at exit), in memory (/dev/shm) where there is
// one: each input rewrites two files, and truncating a file on a disk can cost
// a millisecond. The answers are three lines: the
// data file's full name; the output file's full name, which is also the reply
// to the "? " prompt of the two stops (one field, so it fits that question);
// and the reply to the final prompt. Standard input is pointed at the answers
// and standard output at /dev/null for the run, then both are put back.
//
// Checks: the run returns status 0 (the answers never run out and the output
// file can always be written), and the count of live texts after the run is
// what it was before it.
#ifndef KYORI_FUZZ_FUZZ_RUN_H_
#define KYORI_FUZZ_FUZZ_RUN_H_

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "dialogue/run_sequence.h"
#include "fuzz/global_state.h"
#include "text/byte_string.h"

namespace kyori::fuzz {

// Writes `bytes` to `path`, replacing the file. False on any failure.
inline bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put <= 0) {
      ok = false;
      break;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return ::close(fd) == 0 && ok;
}

// The temporary folder of the whole-run target and its fixed files.
struct RunFolder {
  std::string path;
  std::string data_file;
  std::string answers_file;
  int null_output = -1;
};

inline void RemoveRunFolder();

inline const RunFolder& TheRunFolder() {
  static RunFolder* folder = [] {
    auto* f = new RunFolder;
    std::string pattern = "/dev/shm/kyori_fuzz_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::error_code error;
      pattern = (std::filesystem::temp_directory_path(error) / "kyori_fuzz_XXXXXX").string();
      if (error || ::mkdtemp(pattern.data()) == nullptr) std::abort();
    }
    f->path = pattern;
    // The names are typed as answers: a comma would split them into fields.
    if (f->path.find(',') != std::string::npos) std::abort();
    f->data_file = f->path + "/data.txt";
    f->answers_file = f->path + "/answers";
    const std::string answers = f->data_file + "\n" + f->path + "/out.txt\n1\n";
    if (!WriteFileBytes(f->answers_file, answers)) std::abort();
    f->null_output = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (f->null_output < 0) std::abort();
    std::atexit(RemoveRunFolder);
    return f;
  }();
  return *folder;
}

inline void RemoveRunFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(TheRunFolder().path, ignored);
}

// Runs the program on `bytes` as its data file. Returns nullptr when every
// check held, else what went wrong.
inline const char* RunOnDataFile(std::string_view bytes) {
  const RunFolder& folder = TheRunFolder();
  if (!WriteFileBytes(folder.data_file, bytes)) return "the data file could not be written";
  const int answers = ::open(folder.answers_file.c_str(), O_RDONLY | O_CLOEXEC);
  if (answers < 0) return "the answers could not be opened";

  std::fflush(stdout);
  const int saved_in = ::dup(0);
  const int saved_out = ::dup(1);
  ::dup2(answers, 0);
  ::dup2(folder.null_output, 1);
  ::close(answers);

  ResetGlobalState();
  const int32_t live_before = LiveByteStringCount();
  const int status = RunKyori();
  const int32_t live_after = LiveByteStringCount();

  ::dup2(saved_in, 0);
  ::dup2(saved_out, 1);
  ::close(saved_in);
  ::close(saved_out);

  if (status != 0) return "the run ended with a status other than 0";
  if (live_after != live_before) return "the run left live texts behind";
  return nullptr;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_RUN_H_
