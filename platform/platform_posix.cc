// The POSIX platform layer: open(2) with an exclusive advisory lock standing
// in for an open without sharing.
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kyori::platform {
namespace {

int FlagsFor(int32_t mode) {
  switch (mode) {
    case 0: return O_RDWR | O_CREAT;
    case 1: return O_RDONLY;
    case 2: return O_WRONLY | O_CREAT;  // truncated only once the lock is held
    case 3: return O_WRONLY | O_CREAT;
    default: return -1;
  }
}

int Descriptor(FileHandle file) { return static_cast<int>(file); }

}  // namespace

FileHandle OpenFile(const char* name, int32_t mode) {
  const int flags = FlagsFor(mode);
  if (flags < 0 || name == nullptr || name[0] == '\0') return kInvalidHandle;
  int fd;
  do {
    fd = ::open(name, flags | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidHandle;
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kInvalidHandle;
  }
  // No sharing: a second holder of the same file (another channel of this
  // process, whose lock sits on another open file description, or a
  // cooperating process) is refused.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return kInvalidHandle;
  }
  if (mode == 2 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return kInvalidHandle;
  }
  if (mode == 3 && S_ISREG(info.st_mode)) ::lseek(fd, 0, SEEK_END);
  return fd;
}

std::ptrdiff_t ReadFile(FileHandle file, char* buffer, std::size_t capacity) {
  if (file == kInvalidHandle) return -1;
  for (;;) {
    const ssize_t got = ::read(Descriptor(file), buffer, capacity);
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

bool WriteFile(FileHandle file, const char* bytes, std::size_t count) {
  if (file == kInvalidHandle) return false;
  while (count > 0) {
    const ssize_t put = ::write(Descriptor(file), bytes, count);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) return false;
    bytes += put;
    count -= static_cast<std::size_t>(put);
  }
  return true;
}

bool SeekFromCurrent(FileHandle file, std::int64_t offset) {
  if (file == kInvalidHandle) return false;
  return ::lseek(Descriptor(file), static_cast<off_t>(offset), SEEK_CUR) != static_cast<off_t>(-1);
}

bool CloseFile(FileHandle file) {
  if (file == kInvalidHandle) return true;
  return ::close(Descriptor(file)) == 0 || errno == EINTR;
}

FileHandle StandardInput() { return STDIN_FILENO; }
FileHandle StandardOutput() { return STDOUT_FILENO; }

void WriteDebugMessage(const char* bytes, std::size_t count) {
  WriteFile(STDERR_FILENO, bytes, count);
}

void BeginConsoleSession() {
  // A console or pipe that has gone away must not end the run by a signal:
  // the write simply fails.
  ::signal(SIGPIPE, SIG_IGN);
}
void EndConsoleSession() {}

}  // namespace kyori::platform
