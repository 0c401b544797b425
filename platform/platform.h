// The platform layer: what each platform (POSIX, Windows) must provide to the
// portable I/O code above it. One implementation file per platform is chosen
// at build time; nothing above this header calls the system directly.
// Unless its comment says otherwise, each call returns false (or
// kInvalidHandle) on failure and changes nothing else.
#ifndef KYORI_PLATFORM_PLATFORM_H_
#define KYORI_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kyori::platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidHandle = -1;

// File names.
//
// Every `name` given to the functions below is NUL-terminated bytes,
// relative to the current directory. POSIX passes them to the system as
// they are. Windows reads them in the encoding chosen by SetFileNameEncoding
// (code page 932 unless set otherwise) and opens the file by its UTF-16
// name, so a Japanese name opens the same file whatever the system's ANSI
// code page.

// How Windows reads a file name's bytes.
enum class NameEncoding { kCp932, kUtf8 };

// Sets how Windows reads names from now on; POSIX ignores it.
void SetFileNameEncoding(NameEncoding encoding);

// Opening, reading and writing files.

// How OpenFile opens a file: its access and creation rule, and whether it
// shares the file.
//   kReadWrite   read and write, open or create empty
//   kRead        read, must exist
//   kCreate      write, create or truncate to 0
//   kAppend      write, open or create, then position at the end
//   kReadShared  read, must exist, shared with other kReadShared opens
// The first four hold the file without sharing.
enum class OpenMode : std::int32_t { kReadWrite = 0, kRead = 1, kCreate = 2, kAppend = 3, kReadShared = 4 };

// Opens `name` with the access and creation rule of `mode`. The modes that
// do not share hold the file alone: while the process holds it open, another
// open of the same file (by this process or a cooperating one, in any mode)
// fails. kReadShared shares the file with every other kReadShared open, so
// any number of runs may read one file at once, but not with a holder in
// another mode: either fails while the other holds the file (POSIX: a
// shared flock beside the others' exclusive one; Windows: FILE_SHARE_READ
// beside share mode 0). A directory never opens. A value that is none of
// the five modes fails. Returns kInvalidHandle on any failure.
//   OpenFile("report.txt", OpenMode::kCreate)  -> a handle, the file empty
//   OpenFile("missing.txt", OpenMode::kRead)   -> kInvalidHandle
FileHandle OpenFile(const char* name, OpenMode mode);

// Creates `name` for writing; fails when it already exists (O_CREAT | O_EXCL
// with 0666 before the umask; CREATE_NEW). Held without sharing, as OpenFile
// holds files.
FileHandle CreateNewFile(const char* name);

// Reads up to `capacity` bytes at the handle's position; returns the count
// (0 at the end of the file), or -1 when the read failed.
std::ptrdiff_t ReadFile(FileHandle file, char* buffer, std::size_t capacity);

// Writes all `count` bytes; returns false if any could not be written.
bool WriteFile(FileHandle file, const char* bytes, std::size_t count);

// Moves the handle's position by `offset` bytes (negative moves back);
// returns false when the position cannot move.
bool SeekFromCurrent(FileHandle file, std::int64_t offset);

// The file's written bytes reach the disk (fsync; FlushFileBuffers), as a
// report must before it is renamed into place.
bool FlushToDisk(FileHandle file);

// Closes a handle; returns false when the system reports an error (a write
// that failed late). kInvalidHandle is ignored.
bool CloseFile(FileHandle file);

// Files by name.

// Renames `from` to `to`, replacing a file `to` (rename(2); MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
bool RenameFile(const char* from, const char* to);

// Removes the file `name` (not a directory).
bool RemoveFile(const char* name);

// Both names exist and lead to the same file, through any path or link
// (st_dev and st_ino; Windows: volume serial and file index).
bool SameFile(const char* a, const char* b);

// `name` exists and is a directory.
bool IsDirectory(const char* name);

// `name` exists and is neither a regular file nor a directory (a device such
// as /dev/null or /dev/full, a pipe); such a file is written in place, never
// replaced. Windows: false.
bool IsSpecialFile(const char* name);

// The name of the file `name` leads to when it is a symbolic link (its
// target, link after link, relative targets taken from the link's folder),
// whether or not the last target exists; `name` as it is when it is not a
// link; "" when the links go round in a loop or are too many to follow.
// Windows: `name` as it is.
//   "out.txt" -> "out.txt";  link "r" -> "../x/report" -> "../x/report"
//   "a" -> "b" -> "a" -> ""
std::string FollowLinks(const std::string& name);

// Gives the open file the permission bits of the file `name` (chmod bits;
// Windows: nothing). False when `name` does not exist.
bool CopyPermissions(const char* name, FileHandle file);

// The standard handles and the console.

// The process's standard input and output handles.
FileHandle StandardInput();
FileHandle StandardOutput();

// The standard error handle.
FileHandle StandardError();

// True when the handle is a terminal (POSIX isatty) or a console (Windows:
// GetConsoleMode succeeds); false for files and pipes.
bool IsTerminal(FileHandle file);

// Writes to the debugger output (standard error on POSIX).
void WriteDebugMessage(const char* bytes, std::size_t count);

// Whatever the console needs for the run to show Shift-JIS and to take typed
// Shift-JIS, undone at the end (Windows: the console's output and input code
// pages become 932; nothing on POSIX but ignoring SIGPIPE).
void BeginConsoleSession();
void EndConsoleSession();

// The command line, the locale and text.

// The program's arguments without the program name; POSIX: argv as given;
// Windows: the UTF-16 command line in UTF-8 (argc and argv are not used
// there), so names taken from it need SetFileNameEncoding(NameEncoding::kUtf8).
//   kyori --console=utf-8 品種.txt out.txt
//     -> {"--console=utf-8", "品種.txt", "out.txt"}
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The character set of the user's LC_CTYPE locale (LC_ALL, LC_CTYPE, LANG)
// is UTF-8; the program's own locale is left as it was. When that locale is
// not installed, the name's codeset part decides ("ja_JP.UTF-8" -> true).
// Windows: false.
bool LocaleUsesUtf8();

// The user's LC_MESSAGES locale (LC_ALL, LC_MESSAGES, LANG) names Japanese:
// it starts with "ja" ("ja_JP.UTF-8", "ja"). Windows: the user's interface
// language is Japanese.
bool LocaleIsJapanese();

// Code page 932 bytes in UTF-8. Never fails: each byte that starts no
// character of code page 932 (0x80, 0xA0, 0xFD to 0xFF, a lead byte whose
// pair is unassigned or cut off) gives U+FFFD (EF BF BD) and the conversion
// goes on at the next byte.
//   "\x83\x5C" -> "ソ";  "A\xB1" -> "Aｱ";  "\x82\x20" -> "\xEF\xBF\xBD "
std::string Cp932ToUtf8(std::string_view bytes);

// The process, its memory and its threads.

// This process's id.
long ProcessId();

// The most memory the process can hope to hold: the physical memory, or
// less when an address-space limit is set (POSIX RLIMIT_AS; Windows: the
// physical memory).
std::uint64_t MemoryLimitBytes();

// The address space each thread that std::thread starts holds for its
// stack: the default thread stack size and its guard page (glibc:
// RLIMIT_STACK's soft limit, 2 MiB when that is unlimited; Windows: the
// program's stack reserve). 8 MiB + 4 KiB on a usual Linux.
std::uint64_t ThreadStackBytes();

// From now on every thread allocates from the one heap the program starts
// with, so that a thread holds no address space of its own but its stack
// (glibc gives each new thread a heap of its own, 64 MiB of address space,
// unless told otherwise). Nothing on Windows.
void ShareOneHeap();

// Asks that the memory [start, start + bytes), not yet touched, be backed by
// large pages where the system offers them on request (Linux's transparent
// huge pages in "madvise" mode): a buffer of tens of megabytes filled once
// then takes a few dozen page faults instead of thousands. Only the whole
// 2 MiB pages inside the range are named; nothing when it holds none, on a
// system without them, or on Windows. The contents are not changed.
void AdviseLargePages(void* start, std::size_t bytes);

// Which file a name leads to, to tell whether two names (or a name and a
// standard handle) are one file. A file that exists is known by its device
// and file number (st_dev and st_ino; Windows: volume serial and file
// index), through any path or link, and `leaf` is empty; a name that does
// not exist yet by its folder's device and number and its last component
// (Windows: in capitals, as its names compare). Two identities are one file
// when all three are equal.
//   "same" and "./same", neither existing: the same identity
//   "out.txt" and a hard link to it: the same identity
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  std::string leaf;
  bool regular = false;  // an existing regular file (not a device, pipe or folder)
  bool operator==(const FileIdentity&) const = default;
};

// The identity of `name`, following links; false when neither the file nor
// its folder exists (a file that could not be created).
bool IdentifyFile(const char* name, FileIdentity* identity);
// The identity of the file an open handle (standard output, say) is.
bool IdentifyHandle(FileHandle file, FileIdentity* identity);

// Opens the null device on each standard handle (standard input, output,
// error: 0, 1, 2) that is closed, so that no file opened later takes its
// number and receives what is meant for that handle (a message written into
// a report). Returns which were closed: bit k for handle k. Windows: 0.
//   `kyori - out.txt < in.txt 2>&-` -> 4; the first temporary file is then
//   not descriptor 2
unsigned OccupyClosedStandardHandles();

// Makes `link` a second name (a hard link) of the existing file `existing`;
// false when the file system cannot (or `link` exists).
bool LinkFile(const char* existing, const char* link);

// Files removed when a signal ends the process. A run that writes
// temporary files names each one here before it creates it and forgets it
// once it is renamed or removed; SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE,
// SIGALRM, SIGXCPU, SIGUSR1, SIGUSR2 and SIGABRT then remove every file
// still named, write `message` (when not empty, and not for SIGPIPE) to
// standard error, and end the process with the signal's own status, as if
// the signal had not been caught. SIGXFSZ (a file grown past its size limit)
// is ignored, so that the write fails and is reported like any other.
// Windows: the slots are kept but no handler is installed (a run ended
// there may leave its temporary files; their names tell them apart).
//
// RemoveOnEndSignals installs the handlers (once; `message` may be changed
// by calling it again). RemoveIfEnded returns a slot for `name`, or -1 when
// every slot is in use or the name is too long (the file must then not be
// created). Slots and names are held in fixed storage, as a handler may run
// at any moment. BlockEndSignals holds these signals back on the calling
// thread (the handler cannot run in the middle of a set of renames) until
// UnblockEndSignals, which delivers any that came meanwhile. DefaultEndSignals
// gives each signal its default action back. Slots are taken and given back
// on one thread.
inline constexpr int kEndSignalSlots = 16;
void RemoveOnEndSignals(std::string_view message);
int RemoveIfEnded(const char* name);
void ForgetRemoveIfEnded(int slot);
void BlockEndSignals();
void UnblockEndSignals();
void DefaultEndSignals();

}  // namespace kyori::platform

#endif  // KYORI_PLATFORM_PLATFORM_H_
