// The POSIX platform layer: open(2) with an exclusive advisory lock standing
// in for an open without sharing, a shared one for an open shared with other
// readers. File names are bytes as they are.
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
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace kyori::platform {
namespace {

int FlagsFor(OpenMode mode) {
  switch (mode) {
    case OpenMode::kReadWrite: return O_RDWR | O_CREAT;
    case OpenMode::kRead: return O_RDONLY;
    case OpenMode::kCreate: return O_WRONLY | O_CREAT;  // truncated only once the lock is held
    case OpenMode::kAppend: return O_WRONLY | O_CREAT;
    case OpenMode::kReadShared: return O_RDONLY;
  }
  return -1;  // no mode
}

int Descriptor(FileHandle file) { return static_cast<int>(file); }

int OpenRetrying(const char* name, int flags) {
  int fd;
  do {
    fd = ::open(name, flags | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Takes the lock that stands for the open's sharing: exclusive for "no
// sharing", shared for "shared with other readers"; closes `fd` and returns
// false when a holder the lock excludes has the file.
bool LockOrClose(int fd, int lock = LOCK_EX) {
  if (::flock(fd, lock | LOCK_NB) == 0) return true;
  ::close(fd);
  return false;
}

int LockFor(OpenMode mode) { return mode == OpenMode::kReadShared ? LOCK_SH : LOCK_EX; }

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

FileHandle OpenFile(const char* name, OpenMode mode) {
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
  // cooperating process) is refused; shared readers refuse only those.
  if (!LockOrClose(fd, LockFor(mode))) return kInvalidHandle;
  if (mode == OpenMode::kCreate && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return kInvalidHandle;
  }
  if (mode == OpenMode::kAppend && S_ISREG(info.st_mode)) ::lseek(fd, 0, SEEK_END);
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

void AdviseLargePages(void* start, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(start) + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(kLargePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

}  // namespace kyori::platform

namespace kyori::platform {
namespace {

// "dir/sub/name" -> "dir/sub"; "name" -> "."; "/name" -> "/"
std::string FolderOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : name.substr(0, slash);
}

std::string LeafOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The most links followed before a name is taken for a loop (as the
// system's own limit for one path, about 40).
constexpr int kMostLinks = 40;

}  // namespace

std::string FollowLinks(const std::string& name) {
  std::string at = name;
  for (int hops = 0; hops <= kMostLinks; ++hops) {
    struct stat info;
    if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(at.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return "";
    target.resize(static_cast<std::size_t>(length));
    if (target[0] != '/') {
      const std::string folder = FolderOf(at);
      if (folder != ".") target = folder + (folder == "/" ? "" : "/") + target;
    }
    at = target;
  }
  return "";
}

bool IdentifyFile(const char* name, FileIdentity* identity) {
  if (name == nullptr || name[0] == '\0') return false;
  struct stat info;
  if (::stat(name, &info) == 0) {
    *identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), "",
                 S_ISREG(info.st_mode)};
    return true;
  }
  if (errno != ENOENT) return false;
  const std::string leaf = LeafOf(name);
  if (leaf.empty() || ::stat(FolderOf(name).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  *identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), leaf, false};
  return true;
}

bool IdentifyHandle(FileHandle file, FileIdentity* identity) {
  struct stat info;
  if (file == kInvalidHandle || ::fstat(Descriptor(file), &info) != 0) return false;
  *identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), "",
               S_ISREG(info.st_mode)};
  return true;
}

unsigned OccupyClosedStandardHandles() {
  unsigned closed = 0;
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    closed |= 1u << fd;
    // The lowest free number is `fd` itself: the lower ones are open.
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) ::close(null);
  }
  return closed;
}

bool LinkFile(const char* existing, const char* link) {
  return existing != nullptr && link != nullptr && ::link(existing, link) == 0;
}

namespace {

// A handler may run at any moment, on any thread: what it reads is fixed
// storage, each slot's name written before the slot is marked used.
constexpr std::size_t kSlotNameBytes = 4096;
struct EndSlot {
  volatile sig_atomic_t used;
  char name[kSlotNameBytes];
};
EndSlot end_slots[kEndSignalSlots];
char end_message[1024];
volatile sig_atomic_t end_message_length = 0;
bool end_handlers_installed = false;

constexpr int kEndSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE,
                               SIGALRM, SIGXCPU, SIGUSR1, SIGUSR2, SIGABRT};

sigset_t EndSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int s : kEndSignals) sigaddset(&set, s);
  return set;
}

void SetAction(int signal_number, void (*handler)(int)) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  action.sa_mask = EndSignalSet();
  ::sigaction(signal_number, &action, nullptr);
}

// Removes the named files, says why the run ended, and ends the process
// by the same signal with its default action.
extern "C" void RemoveAndEnd(int signal_number) {
  const int saved_errno = errno;
  for (EndSlot& slot : end_slots) {
    if (slot.used) ::unlink(slot.name);
  }
  if (signal_number != SIGPIPE && end_message_length > 0) {
    const ssize_t ignored = ::write(STDERR_FILENO, end_message, static_cast<std::size_t>(end_message_length));
    (void)ignored;
  }
  SetAction(signal_number, SIG_DFL);
  sigset_t own;
  sigemptyset(&own);
  sigaddset(&own, signal_number);
  ::pthread_sigmask(SIG_UNBLOCK, &own, nullptr);
  ::raise(signal_number);
  errno = saved_errno;
}

}  // namespace

void RemoveOnEndSignals(std::string_view message) {
  end_message_length = 0;
  const std::size_t length = std::min(message.size(), sizeof end_message);
  std::memcpy(end_message, message.data(), length);
  end_message_length = static_cast<sig_atomic_t>(length);
  if (end_handlers_installed) return;
  end_handlers_installed = true;
  for (const int s : kEndSignals) SetAction(s, RemoveAndEnd);
  SetAction(SIGXFSZ, SIG_IGN);
}

int RemoveIfEnded(const char* name) {
  if (name == nullptr) return -1;
  const std::size_t length = std::strlen(name);
  if (length >= kSlotNameBytes) return -1;
  for (int k = 0; k < kEndSignalSlots; ++k) {
    EndSlot& slot = end_slots[k];
    if (slot.used) continue;
    std::memcpy(slot.name, name, length + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot.used = 1;
    return k;
  }
  return -1;
}

void ForgetRemoveIfEnded(int slot) {
  if (slot >= 0 && slot < kEndSignalSlots) end_slots[slot].used = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void BlockEndSignals() {
  const sigset_t set = EndSignalSet();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void UnblockEndSignals() {
  const sigset_t set = EndSignalSet();
  ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void DefaultEndSignals() {
  if (!end_handlers_installed) return;
  end_handlers_installed = false;
  for (const int s : kEndSignals) SetAction(s, SIG_DFL);
}

}  // namespace kyori::platform
