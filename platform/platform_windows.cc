// The Windows platform layer: files and the console through KERNEL32 handles.
// A HANDLE travels as a FileHandle; INVALID_HANDLE_VALUE is kInvalidHandle.
// Bytes pass untranslated in both directions: no C runtime text mode, no
// code-page conversion, no line-end rewriting.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/platform.h"

namespace kyori::platform {
namespace {

// The code page that the dialogue's bytes are written in.
constexpr UINT kShiftJisCodePage = 932;

// The largest count handed to one ReadFile or WriteFile call.
constexpr std::size_t kMaxTransfer = 1u << 30;

struct CreationRule {
  DWORD access;
  DWORD disposition;
};

// The access and creation disposition of each open mode; false for a mode
// outside 0 to 3.
bool RuleFor(int32_t mode, CreationRule* rule) {
  switch (mode) {
    case 0: *rule = {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS}; return true;
    case 1: *rule = {GENERIC_READ, OPEN_EXISTING}; return true;
    case 2: *rule = {GENERIC_WRITE, CREATE_ALWAYS}; return true;
    case 3: *rule = {GENERIC_WRITE, OPEN_ALWAYS}; return true;
    default: return false;
  }
}

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle AsFileHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// The console output code page in force before the run switched it to 932;
// 0 when nothing was switched. The console event handler runs on a thread of
// its own, so the value is taken with one atomic exchange.
std::atomic<UINT> SavedOutputCodePage{0};

void RestoreOutputCodePage() {
  const UINT saved = SavedOutputCodePage.exchange(0);
  if (saved != 0) SetConsoleOutputCP(saved);
}

// Ctrl+C, Ctrl+Break or closing the window end the process without reaching
// EndConsoleSession; the console (shared with the shell that started us) gets
// its code page back first, and the default handling then goes on.
BOOL WINAPI RestoreOnConsoleEvent(DWORD) {
  RestoreOutputCodePage();
  return FALSE;
}

}  // namespace

FileHandle OpenFile(const char* name, int32_t mode) {
  CreationRule rule;
  if (!RuleFor(mode, &rule) || name == nullptr || name[0] == '\0') return kInvalidHandle;
  // Share mode 0: nobody else may open the file while we hold it. Without
  // FILE_FLAG_BACKUP_SEMANTICS a directory is refused.
  const HANDLE handle = CreateFileA(name, rule.access, 0, nullptr, rule.disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kInvalidHandle;
  if (mode == 3) SetFilePointer(handle, 0, nullptr, FILE_END);
  return AsFileHandle(handle);
}

std::ptrdiff_t ReadFile(FileHandle file, char* buffer, std::size_t capacity) {
  if (file == kInvalidHandle) return -1;
  const DWORD wanted = static_cast<DWORD>(capacity < kMaxTransfer ? capacity : kMaxTransfer);
  DWORD got = 0;
  if (::ReadFile(AsHandle(file), buffer, wanted, &got, nullptr)) return got;
  // A pipe whose writer has closed, or a handle at its end, has simply ended.
  const DWORD error = GetLastError();
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  return -1;
}

bool WriteFile(FileHandle file, const char* bytes, std::size_t count) {
  if (file == kInvalidHandle) return false;
  while (count > 0) {
    const DWORD chunk = static_cast<DWORD>(count < kMaxTransfer ? count : kMaxTransfer);
    DWORD put = 0;
    if (!::WriteFile(AsHandle(file), bytes, chunk, &put, nullptr) || put == 0) return false;
    bytes += put;
    count -= put;
  }
  return true;
}

bool SeekFromCurrent(FileHandle file, std::int64_t offset) {
  if (file == kInvalidHandle) return false;
  // SetFilePointer takes the distance as a low 32-bit part and a signed high
  // part; its failure value is also a valid low part, so the error code decides.
  const LONG low = static_cast<LONG>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  const DWORD result = SetFilePointer(AsHandle(file), low, &high, FILE_CURRENT);
  return result != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

bool CloseFile(FileHandle file) {
  if (file == kInvalidHandle) return true;
  return CloseHandle(AsHandle(file)) != 0;
}

FileHandle StandardInput() { return AsFileHandle(GetStdHandle(STD_INPUT_HANDLE)); }
FileHandle StandardOutput() { return AsFileHandle(GetStdHandle(STD_OUTPUT_HANDLE)); }

void WriteDebugMessage(const char* bytes, std::size_t count) {
  // The debugger takes a NUL-terminated text; a message may arrive in pieces.
  const std::string message(bytes, count);
  OutputDebugStringA(message.c_str());
}

void BeginConsoleSession() {
  // Only a real console has a code page; output redirected to a file or a pipe
  // receives the same bytes and nothing is switched.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD console_mode = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &console_mode)) return;
  const UINT current = GetConsoleOutputCP();
  if (current == 0 || current == kShiftJisCodePage) return;
  SetConsoleCtrlHandler(RestoreOnConsoleEvent, TRUE);
  if (SetConsoleOutputCP(kShiftJisCodePage)) {
    SavedOutputCodePage.store(current);
  } else {
    SetConsoleCtrlHandler(RestoreOnConsoleEvent, FALSE);
  }
}

void EndConsoleSession() {
  if (SavedOutputCodePage.load() == 0) return;
  RestoreOutputCodePage();
  SetConsoleCtrlHandler(RestoreOnConsoleEvent, FALSE);
}

}  // namespace kyori::platform
