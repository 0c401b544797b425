// Runs the built program as a real process, for the end-to-end tests.
//
// The program is taken from the environment so that the same expected bytes
// check every build: KYORI_PROGRAM (default: the program built beside the
// tests), KYORI_LAUNCHER (optional: a program that runs it, such as a Windows
// loader) and KYORI_PROGRAM_IS_WINDOWS=1 for cases that cannot apply there.
// The program runs with LC_ALL set to KYORI_RUN_LOCALE (default C.UTF-8): a
// UTF-8 locale must not change the bytes of piped output, and under wine it
// stands for an English Windows (ANSI code page 1252) that keeps Unix file
// names in UTF-8.
#ifndef KYORI_TESTS_PROGRAM_RUNNER_H_
#define KYORI_TESTS_PROGRAM_RUNNER_H_

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

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

inline std::string RunLocale() {
  const char* locale = std::getenv("KYORI_RUN_LOCALE");
  return locale != nullptr && *locale != '\0' ? locale : "C.UTF-8";
}

// The launcher (when one is set) and the program, as execv takes them.
inline std::vector<std::string> CommandFor(const std::string& program) {
  std::vector<std::string> command;
  if (const char* launcher = std::getenv("KYORI_LAUNCHER"); launcher && *launcher) {
    command.push_back(launcher);
  }
  command.push_back(program);
  return command;
}

// In the child: runs `command` (never returns).
[[noreturn]] inline void ExecCommand(std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (std::string& arg : command) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// Waits for `child` until `deadline`, then kills it; fills the exit status.
inline void AwaitChild(pid_t child, std::chrono::steady_clock::time_point deadline, ProgramRun* run) {
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      run->timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!run->timed_out && WIFEXITED(status)) run->exit_status = WEXITSTATUS(status);
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
  std::vector<std::string> command = CommandFor(program);
  const std::string locale = RunLocale();

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
    setenv("LC_ALL", locale.c_str(), 1);
    ExecCommand(command);
  }
  AwaitChild(child, std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds), &run);
  run.console = ReadWholeFile(out_path);
  return run;
}

// Runs the program in `work_folder` on a terminal: a pseudo-terminal is its
// standard input, output and error and its controlling terminal, in raw mode
// (nothing echoed, no line end rewritten), so that `console` holds exactly
// the bytes the program wrote. LC_ALL is `locale`. `answers` are typed ahead
// at the start (they must fit the terminal's input queue, 4 KiB).
inline ProgramRun RunProgramOnTerminal(const std::string& work_folder, const std::string& answers,
                                       const std::string& locale, int timeout_seconds = 60) {
  ProgramRun run;
  int master = -1;
  int terminal = -1;
  if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) return run;
  termios mode;
  tcgetattr(terminal, &mode);
  cfmakeraw(&mode);
  tcsetattr(terminal, TCSANOW, &mode);
  std::vector<std::string> command = CommandFor(ProgramPath());

  const pid_t child = fork();
  if (child == 0) {
    close(master);
    setsid();
    ioctl(terminal, TIOCSCTTY, 0);
    if (chdir(work_folder.c_str()) != 0) _exit(126);
    dup2(terminal, 0);
    dup2(terminal, 1);
    dup2(terminal, 2);
    if (terminal > 2) close(terminal);
    setenv("LC_ALL", locale.c_str(), 1);
    ExecCommand(command);
  }
  close(terminal);
  if (!answers.empty() && write(master, answers.data(), answers.size()) < 0) run.console = "<typing failed>";
  // Read what the terminal shows until the program has closed it (the read
  // then fails with EIO) or the time is up.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  for (;;) {
    pollfd ready = {master, POLLIN, 0};
    if (std::chrono::steady_clock::now() > deadline) break;
    if (poll(&ready, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got > 0) {
      run.console.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  AwaitChild(child, deadline, &run);
  close(master);
  return run;
}

}  // namespace kyori::testing

#endif  // KYORI_TESTS_PROGRAM_RUNNER_H_
