// The platform layer: what each platform (POSIX, Windows) must provide to the
// portable I/O code above it. One implementation file per platform is chosen
// at build time; nothing above this header calls the system directly.
//
// Contract:
// - OpenFile opens `name` (NUL-terminated bytes, relative to the current
//   directory) with the access and creation rule of `mode`:
//     0 read and write, open or create empty;   1 read, must exist;
//     2 write, create or truncate to 0;          3 write, open or create, then
//       position at the end (append).
//   No sharing: while the process holds the file open, another open of the same
//   file (by this process or a cooperating one) fails. A directory never opens.
//   A mode outside 0 to 3 fails. Returns kInvalidHandle on any failure.
// - ReadFile reads up to `capacity` bytes at the handle's position; returns the
//   count (0 at the end of the file), or -1 when the read failed.
// - WriteFile writes all `count` bytes; returns false if any could not be written.
// - SeekFromCurrent moves the handle's position by `offset` bytes (negative
//   moves back); returns false when the position cannot move.
// - CloseFile closes a handle; returns false when the system reports an error
//   (a write that failed late). kInvalidHandle is ignored.
// - StandardInput/StandardOutput: the process's standard handles.
// - WriteDebugMessage: the debugger output (standard error on POSIX).
// - BeginConsoleSession/EndConsoleSession: whatever the console needs for the
//   run to show Shift-JIS, undone at the end (nothing on POSIX).
#ifndef KYORI_PLATFORM_PLATFORM_H_
#define KYORI_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>

namespace kyori::platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidHandle = -1;

FileHandle OpenFile(const char* name, int32_t mode);
std::ptrdiff_t ReadFile(FileHandle file, char* buffer, std::size_t capacity);
bool WriteFile(FileHandle file, const char* bytes, std::size_t count);
bool SeekFromCurrent(FileHandle file, std::int64_t offset);
bool CloseFile(FileHandle file);
FileHandle StandardInput();
FileHandle StandardOutput();
void WriteDebugMessage(const char* bytes, std::size_t count);
void BeginConsoleSession();
void EndConsoleSession();

}  // namespace kyori::platform

#endif  // KYORI_PLATFORM_PLATFORM_H_
