// Runs the built program as a real process, for the end-to-end tests.
//
// The program is taken from the environment so that the same expected bytes
// check every build: KYORI_PROGRAM (default: the program built beside the
// tests), KYORI_LAUNCHER (optional: a program that runs it, such as a Windows
// loader) and KYORI_PROGRAM_IS_WINDOWS=1 for cases that cannot apply there.
#ifndef KYORI_TESTS_PROGRAM_RUNNER_H_
#define KYORI_TESTS_PROGRAM_RUNNER_H_

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/test_files.h"

namespace kyori::testing {

struct ProgramRun {
  std::string console;   // every byte written to standard output
  int exit_status = -1;  // -1 when the program did not exit by itself
  bool timed_out = false;
};

inline bool ProgramIsWindows() {
  const char* flag = std::getenv("KYORI_PROGRAM_IS_WINDOWS");
  return flag != nullptr && std::string_view(flag) == "1";
}

inline std::string ProgramPath() {
  const char* path = std::getenv("KYORI_PROGRAM");
  return path != nullptr && *path != '\0' ? path : KYORI_PROGRAM_PATH;
}

// Runs the program in `work_folder`, with `answers` as its standard input
// (or with standard input at /dev/null when `answers` is null). Standard
// error is kept apart from the console bytes. A non-negative `as_user` runs
// the program under that user and group id (the tests run as the superuser
// in CI, whom file permissions do not bind).
inline ProgramRun RunProgram(const std::string& work_folder, const std::string* answers,
                             int timeout_seconds = 60, int as_user = -1,
                             const std::string& program = ProgramPath()) {
  ProgramRun run;
  TempFolder pipes;  // standard input and output live outside the work folder
  const std::string in_path = answers ? pipes.File("stdin") : "/dev/null";
  const std::string out_path = pipes.File("stdout");
  const std::string err_path = pipes.File("stderr");
  if (answers) WriteWholeFile(in_path, *answers);
  std::vector<std::string> argv_text;
  if (const char* launcher = std::getenv("KYORI_LAUNCHER"); launcher && *launcher) {
    argv_text.push_back(launcher);
  }
  argv_text.push_back(program);
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    const int in = open(in_path.c_str(), O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    if (as_user >= 0 && (setgid(static_cast<gid_t>(as_user)) != 0 || setuid(static_cast<uid_t>(as_user)) != 0)) {
      _exit(126);
    }
    if (chdir(work_folder.c_str()) != 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      run.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!run.timed_out && WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  run.console = ReadWholeFile(out_path);
  return run;
}

}  // namespace kyori::testing

#endif  // KYORI_TESTS_PROGRAM_RUNNER_H_
