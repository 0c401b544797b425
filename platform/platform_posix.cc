// The POSIX platform layer: open(2) with an exclusive advisory lock standing
// in for an open without sharing. File names are bytes as they are.
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

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

int OpenRetrying(const char* name, int flags) {
  int fd;
  do {
    fd = ::open(name, flags | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Takes the exclusive lock that stands for "no sharing"; closes `fd` and
// returns false when another holder has the file.
bool LockOrClose(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  ::close(fd);
  return false;
}

// The first of the environment variables that is set and not empty, as the C
// library picks a locale category's name; "" when none is.
std::string_view LocaleNameFromEnvironment(const char* category_variable) {
  for (const char* variable : {"LC_ALL", category_variable, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "";
}

// The codeset part of a locale name: "ja_JP.UTF-8@x" -> "UTF-8".
std::string_view CodesetOf(std::string_view locale_name) {
  const std::size_t dot = locale_name.find('.');
  if (dot == std::string_view::npos) return "";
  const std::string_view rest = locale_name.substr(dot + 1);
  return rest.substr(0, rest.find('@'));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool NamesUtf8(std::string_view codeset) {
  return SameIgnoringCase(codeset, "UTF-8") || SameIgnoringCase(codeset, "UTF8");
}

// Sets `category` from the environment, calls `use` with the name the C
// library chose (null when the locale is not installed), then puts the
// program's own locale back.
template <typename Use>
auto WithUserLocale(int category, Use use) {
  const char* current = ::setlocale(category, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  const char* chosen = ::setlocale(category, "");
  auto result = use(chosen);
  ::setlocale(category, saved.c_str());
  return result;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Decodes through iconv, which stops at each byte it cannot take; that byte
// becomes U+FFFD and decoding resumes after it.
std::string ConvertWithIconv(iconv_t converter, std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 8);
  char buffer[1024];
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* put = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t result = ::iconv(converter, &in, &in_left, &put, &room);
    out.append(buffer, static_cast<std::size_t>(put - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    out.append(kReplacement);  // EILSEQ or EINVAL: an undecodable or cut-off byte
    ++in;
    --in_left;
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace

FileHandle OpenFile(const char* name, int32_t mode) {
  const int flags = FlagsFor(mode);
  if (flags < 0 || name == nullptr || name[0] == '\0') return kInvalidHandle;
  const int fd = OpenRetrying(name, flags);
  if (fd < 0) return kInvalidHandle;
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return kInvalidHandle;
  }
  // No sharing: a second holder of the same file (another channel of this
  // process, whose lock sits on another open file description, or a
  // cooperating process) is refused.
  if (!LockOrClose(fd)) return kInvalidHandle;
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

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

void SetFileNameEncoding(NameEncoding) {}  // names are bytes here

FileHandle StandardError() { return STDERR_FILENO; }

bool IsTerminal(FileHandle file) {
  return file != kInvalidHandle && ::isatty(Descriptor(file)) == 1;
}

bool LocaleUsesUtf8() {
  return WithUserLocale(LC_CTYPE, [](const char* chosen) {
    if (chosen == nullptr) return NamesUtf8(CodesetOf(LocaleNameFromEnvironment("LC_CTYPE")));
    return NamesUtf8(::nl_langinfo(CODESET));
  });
}

bool LocaleIsJapanese() {
  return WithUserLocale(LC_MESSAGES, [](const char* chosen) {
    const std::string_view name = chosen != nullptr ? chosen : LocaleNameFromEnvironment("LC_MESSAGES");
    return name.substr(0, 2) == "ja";
  });
}

std::string Cp932ToUtf8(std::string_view bytes) {
  if (bytes.empty()) return std::string();
  // A converter of its own for each call: an iconv_t cannot be shared
  // between threads, and opening one after the first is cheap.
  const iconv_t converter = ::iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    // No converter installed: ASCII stays, every other byte is undecodable.
    std::string out;
    for (const char c : bytes) {
      if (static_cast<unsigned char>(c) < 0x80) {
        out.push_back(c);
      } else {
        out.append(kReplacement);
      }
    }
    return out;
  }
  std::string out = ConvertWithIconv(converter, bytes);
  ::iconv_close(converter);
  return out;
}

FileHandle CreateNewFile(const char* name) {
  if (name == nullptr || name[0] == '\0') return kInvalidHandle;
  const int fd = OpenRetrying(name, O_WRONLY | O_CREAT | O_EXCL);
  if (fd < 0 || !LockOrClose(fd)) return kInvalidHandle;
  return fd;
}

bool RenameFile(const char* from, const char* to) {
  return from != nullptr && to != nullptr && ::rename(from, to) == 0;
}

bool RemoveFile(const char* name) { return name != nullptr && ::unlink(name) == 0; }

bool SameFile(const char* a, const char* b) {
  struct stat first;
  struct stat second;
  if (a == nullptr || b == nullptr || ::stat(a, &first) != 0 || ::stat(b, &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsHandleOfFile(FileHandle file, const char* name) {
  struct stat first;
  struct stat second;
  if (file == kInvalidHandle || name == nullptr || ::fstat(static_cast<int>(file), &first) != 0 ||
      ::stat(name, &second) != 0) {
    return false;
  }
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsDirectory(const char* name) {
  struct stat info;
  return name != nullptr && ::stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

bool FlushToDisk(FileHandle file) {
  if (file == kInvalidHandle) return false;
  int result;
  do {
    result = ::fsync(Descriptor(file));
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

long ProcessId() { return static_cast<long>(::getpid()); }

std::string FollowLinks(const std::string& name) {
  struct stat info;
  if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return name;
  char* resolved = ::realpath(name.c_str(), nullptr);
  if (resolved == nullptr) return name;  // a link to nothing: replaced like a missing file
  std::string target(resolved);
  std::free(resolved);
  return target;
}

bool CopyPermissions(const char* name, FileHandle file) {
  struct stat info;
  if (name == nullptr || file == kInvalidHandle || ::stat(name, &info) != 0) return false;
  return ::fchmod(static_cast<int>(file), info.st_mode & 07777) == 0;
}

bool IsSpecialFile(const char* name) {
  struct stat info;
  return name != nullptr && ::stat(name, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

std::uint64_t MemoryLimitBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  std::uint64_t limit = pages > 0 && page_size > 0
                            ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size)
                            : UINT64_MAX;
  struct rlimit address_space;
  if (::getrlimit(RLIMIT_AS, &address_space) == 0 && address_space.rlim_cur != RLIM_INFINITY &&
      static_cast<std::uint64_t>(address_space.rlim_cur) < limit) {
    limit = static_cast<std::uint64_t>(address_space.rlim_cur);
  }
  return limit;
}

std::uint64_t ThreadStackBytes() {
  std::size_t stack = 0;
  std::size_t guard = 0;
#if defined(__GLIBC__)
  pthread_attr_t defaults;
  if (::pthread_getattr_default_np(&defaults) == 0) {
    ::pthread_attr_getstacksize(&defaults, &stack);
    ::pthread_attr_getguardsize(&defaults, &guard);
    ::pthread_attr_destroy(&defaults);
  }
#endif
  if (stack == 0) {
    struct rlimit limit;
    stack = ::getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                ? static_cast<std::size_t>(limit.rlim_cur)
                : std::size_t{2} << 20;
  }
  if (guard == 0) guard = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return static_cast<std::uint64_t>(stack) + guard;
}

void ShareOneHeap() {
#if defined(__GLIBC__)
  ::mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace kyori::platform
