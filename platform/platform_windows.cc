// The Windows platform layer: files and the console through KERNEL32 handles.
// A HANDLE travels as a FileHandle; INVALID_HANDLE_VALUE is kInvalidHandle.
// Bytes pass untranslated in both directions: no C runtime text mode, no
// code-page conversion, no line-end rewriting. File names are the exception:
// their bytes are read as code page 932 (or UTF-8, per SetFileNameEncoding)
// and every file is named to the system in UTF-16, so that the ANSI code
// page of the machine plays no part.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

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
  DWORD share;  // 0: nobody else may open the file while we hold it
};

// The access, creation disposition and share mode of each open mode; false
// for a value that is no mode.
bool RuleFor(OpenMode mode, CreationRule* rule) {
  switch (mode) {
    case OpenMode::kReadWrite: *rule = {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0}; return true;
    case OpenMode::kRead: *rule = {GENERIC_READ, OPEN_EXISTING, 0}; return true;
    case OpenMode::kCreate: *rule = {GENERIC_WRITE, CREATE_ALWAYS, 0}; return true;
    case OpenMode::kAppend: *rule = {GENERIC_WRITE, OPEN_ALWAYS, 0}; return true;
    case OpenMode::kReadShared: *rule = {GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ}; return true;
  }
  return false;
}

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle AsFileHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// The console output and input code pages in force before the run switched
// them to 932; 0 when that one was not switched. The console event handler
// runs on a thread of its own, so each value is taken with one atomic
// exchange.
std::atomic<UINT> SavedOutputCodePage{0};
std::atomic<UINT> SavedInputCodePage{0};

void RestoreCodePages() {
  const UINT output = SavedOutputCodePage.exchange(0);
  if (output != 0) SetConsoleOutputCP(output);
  const UINT input = SavedInputCodePage.exchange(0);
  if (input != 0) SetConsoleCP(input);
}

// Ctrl+C, Ctrl+Break or closing the window end the process without reaching
// EndConsoleSession; the console (shared with the shell that started us) gets
// its code pages back first, and the default handling then goes on.
BOOL WINAPI RestoreOnConsoleEvent(DWORD) {
  RestoreCodePages();
  return FALSE;
}

bool IsConsoleHandle(HANDLE handle) {
  DWORD console_mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &console_mode);
}

// Switches one of the console's code pages to 932 through `set`, keeping the
// page it replaces in `saved`. Returns true when it switched.
bool SwitchToShiftJis(UINT current, BOOL(WINAPI* set)(UINT), std::atomic<UINT>& saved) {
  if (current == 0 || current == kShiftJisCodePage) return false;
  if (!set(kShiftJisCodePage)) return false;
  saved.store(current);
  return true;
}

std::atomic<UINT> NameCodePage{kShiftJisCodePage};

std::wstring Widen(std::string_view bytes, UINT code_page, DWORD flags) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int count = MultiByteToWideChar(code_page, flags, bytes.data(), size, nullptr, 0);
  if (count <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(code_page, flags, bytes.data(), size, wide.data(), count);
  return wide;
}

std::string Utf8Of(const wchar_t* wide, std::size_t length) {
  if (length == 0) return std::string();
  const int size = static_cast<int>(length);
  const int count = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, size, utf8.data(), count, nullptr, nullptr);
  return utf8;
}

// A file name's bytes as the UTF-16 name the system takes, read in the name
// encoding in force. Bytes that name no character become the code page's
// default character, as CreateFileA makes them on a code page 932 system.
// Empty for a null or empty name, which opens nothing.
std::wstring WideName(const char* name) {
  if (name == nullptr || name[0] == '\0') return std::wstring();
  return Widen(name, NameCodePage.load(), 0);
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Single bytes that code page 932 maps to no character here, though the
// system's table gives them private or control code points.
bool IsUnassignedSingleByte(unsigned char byte) {
  return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

HANDLE OpenForQuery(const wchar_t* name) {
  // No access asked: the attributes can be read even while another handle
  // holds the file without sharing. Backup semantics let a directory open.
  return CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool IdentityOf(const char* name, BY_HANDLE_FILE_INFORMATION* info) {
  const std::wstring wide = WideName(name);
  if (wide.empty()) return false;
  const HANDLE handle = OpenForQuery(wide.c_str());
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(handle, info) != 0;
  CloseHandle(handle);
  return known;
}

}  // namespace

FileHandle OpenFile(const char* name, OpenMode mode) {
  CreationRule rule;
  const std::wstring wide = WideName(name);
  if (!RuleFor(mode, &rule) || wide.empty()) return kInvalidHandle;
  // Share mode 0 (every mode but kReadShared): nobody else may open the file
  // while we hold it; FILE_SHARE_READ (kReadShared): other readers that share may. Without
  // FILE_FLAG_BACKUP_SEMANTICS a directory is refused.
  const HANDLE handle = CreateFileW(wide.c_str(), rule.access, rule.share, nullptr, rule.disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kInvalidHandle;
  if (mode == OpenMode::kAppend) SetFilePointer(handle, 0, nullptr, FILE_END);
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
  // Only a real console has code pages: output to a console shows the
  // Shift-JIS bytes, and names typed at a console arrive in Shift-JIS. Output
  // redirected to a file or a pipe receives the same bytes, input from one is
  // taken as it is, and nothing is switched for them.
  const bool output_is_console = IsConsoleHandle(GetStdHandle(STD_OUTPUT_HANDLE));
  const bool input_is_console = IsConsoleHandle(GetStdHandle(STD_INPUT_HANDLE));
  const bool output_needs = output_is_console && GetConsoleOutputCP() != kShiftJisCodePage;
  const bool input_needs = input_is_console && GetConsoleCP() != kShiftJisCodePage;
  if (!output_needs && !input_needs) return;
  SetConsoleCtrlHandler(RestoreOnConsoleEvent, TRUE);
  bool switched = false;
  if (output_needs) switched |= SwitchToShiftJis(GetConsoleOutputCP(), SetConsoleOutputCP, SavedOutputCodePage);
  if (input_needs) switched |= SwitchToShiftJis(GetConsoleCP(), SetConsoleCP, SavedInputCodePage);
  if (!switched) SetConsoleCtrlHandler(RestoreOnConsoleEvent, FALSE);
}

void EndConsoleSession() {
  if (SavedOutputCodePage.load() == 0 && SavedInputCodePage.load() == 0) return;
  RestoreCodePages();
  SetConsoleCtrlHandler(RestoreOnConsoleEvent, FALSE);
}

std::vector<std::string> CommandLineArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8Of(wide[i], wcslen(wide[i])));
  LocalFree(wide);
  return arguments;
}

void SetFileNameEncoding(NameEncoding encoding) {
  NameCodePage.store(encoding == NameEncoding::kUtf8 ? CP_UTF8 : kShiftJisCodePage);
}

FileHandle StandardError() { return AsFileHandle(GetStdHandle(STD_ERROR_HANDLE)); }

bool IsTerminal(FileHandle file) { return file != kInvalidHandle && IsConsoleHandle(AsHandle(file)); }

bool LocaleUsesUtf8() { return false; }  // the console keeps its code-page switch

bool LocaleIsJapanese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

std::string Cp932ToUtf8(std::string_view bytes) {
  // One character at a time, so that an undecodable byte costs only itself.
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 8);
  std::size_t at = 0;
  while (at < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++at;
      continue;
    }
    const std::size_t length = IsDBCSLeadByteEx(kShiftJisCodePage, lead) ? 2 : 1;
    wchar_t wide[2];
    const int count = at + length <= bytes.size() && !IsUnassignedSingleByte(lead)
                          ? MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes.data() + at,
                                                static_cast<int>(length), wide, 2)
                          : 0;
    if (count == 1) {
      out.append(Utf8Of(wide, 1));
      at += length;
    } else {
      out.append(kReplacement);  // the next byte may start a character of its own
      ++at;
    }
  }
  return out;
}

FileHandle CreateNewFile(const char* name) {
  const std::wstring wide = WideName(name);
  if (wide.empty()) return kInvalidHandle;
  const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle == INVALID_HANDLE_VALUE ? kInvalidHandle : AsFileHandle(handle);
}

bool RenameFile(const char* from, const char* to) {
  const std::wstring wide_from = WideName(from);
  const std::wstring wide_to = WideName(to);
  if (wide_from.empty() || wide_to.empty()) return false;
  return MoveFileExW(wide_from.c_str(), wide_to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* name) {
  const std::wstring wide = WideName(name);
  return !wide.empty() && DeleteFileW(wide.c_str()) != 0;
}

bool SameFile(const char* a, const char* b) {
  BY_HANDLE_FILE_INFORMATION first;
  BY_HANDLE_FILE_INFORMATION second;
  if (!IdentityOf(a, &first) || !IdentityOf(b, &second)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

bool IsDirectory(const char* name) {
  const std::wstring wide = WideName(name);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FlushToDisk(FileHandle file) {
  return file != kInvalidHandle && FlushFileBuffers(AsHandle(file)) != 0;
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

std::string FollowLinks(const std::string& name) { return name; }

bool CopyPermissions(const char*, FileHandle) { return true; }

bool IsSpecialFile(const char*) { return false; }

std::uint64_t MemoryLimitBytes() {
  MEMORYSTATUSEX status;
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return UINT64_MAX;
  return static_cast<std::uint64_t>(status.ullTotalPhys);
}

std::uint64_t ThreadStackBytes() {
  const char* image = reinterpret_cast<const char*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  return static_cast<std::uint64_t>(nt->OptionalHeader.SizeOfStackReserve);
}

void ShareOneHeap() {}

void AdviseLargePages(void*, std::size_t) {}

}  // namespace kyori::platform

namespace kyori::platform {
namespace {

// "dir\sub/name" -> "dir\sub"; "name" -> "."
std::string FolderOf(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? name.substr(0, 1) : name.substr(0, slash);
}

std::string LeafOf(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\:");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Windows compares names without regard to case: ASCII letters in capitals.
std::string Capitals(std::string leaf) {
  for (char& c : leaf) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return leaf;
}

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info, std::string leaf) {
  const bool regular = leaf.empty() && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  return {static_cast<std::uint64_t>(info.dwVolumeSerialNumber),
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, std::move(leaf), regular};
}

int slots_used[kEndSignalSlots];

}  // namespace

bool IdentifyFile(const char* name, FileIdentity* identity) {
  if (name == nullptr || name[0] == '\0') return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (IdentityOf(name, &info)) {
    *identity = IdentityFrom(info, "");
    return true;
  }
  const std::string leaf = LeafOf(name);
  if (leaf.empty() || !IdentityOf(FolderOf(name).c_str(), &info)) return false;
  *identity = IdentityFrom(info, Capitals(leaf));
  return true;
}

bool IdentifyHandle(FileHandle file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (file == kInvalidHandle || !GetFileInformationByHandle(AsHandle(file), &info)) return false;
  *identity = IdentityFrom(info, "");
  return true;
}

unsigned OccupyClosedStandardHandles() { return 0; }

bool LinkFile(const char* existing, const char* link) {
  const std::wstring wide_existing = WideName(existing);
  const std::wstring wide_link = WideName(link);
  if (wide_existing.empty() || wide_link.empty()) return false;
  return CreateHardLinkW(wide_link.c_str(), wide_existing.c_str(), nullptr) != 0;
}

void RemoveOnEndSignals(std::string_view) {}

int RemoveIfEnded(const char* name) {
  if (name == nullptr) return -1;
  for (int k = 0; k < kEndSignalSlots; ++k) {
    if (slots_used[k]) continue;
    slots_used[k] = 1;
    return k;
  }
  return -1;
}

void ForgetRemoveIfEnded(int slot) {
  if (slot >= 0 && slot < kEndSignalSlots) slots_used[slot] = 0;
}

void BlockEndSignals() {}
void UnblockEndSignals() {}
void DefaultEndSignals() {}

}  // namespace kyori::platform
