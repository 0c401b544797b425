// Checks of the Windows platform layer, run under wine by .ci/windows.sh (no
// test framework is built for Windows). Run in an empty folder as
//   platform_check.exe 品種.txt "a b"
// It prints one line per failed check and exits with 1 when any failed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "text/texts.h"

namespace {

using namespace kyori;

int Failures = 0;

void Check(bool ok, const char* what) {
  if (ok) return;
  ++Failures;
  std::printf("FAILED: %s\n", what);
}

bool Exists(const wchar_t* name) { return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES; }

void CheckConversion() {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const std::string fffd = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"kyori_in.txt", "kyori_in.txt"},
      {"\x95\x69\x8E\xED", "品種"},
      {"\x83\x5C\x95\x5C", "ソ表"},
      {"\xB1\xDF", "ｱﾟ"},
      {"A\xFF" "B", "A" + fffd + "B"},
      {"<\x80\xA0\xFD\xFE>", "<" + fffd + fffd + fffd + fffd + ">"},
      {"\x82\x20", fffd + " "},
      {"\x85\x40", fffd + "@"},
      {"\x95\x69\x8E", "品" + fffd},
      {std::string("\x95\x69\0x", 4), std::string("品\0x", 5)},
  };
  for (const Case& c : cases) Check(platform::Cp932ToUtf8(c.bytes) == c.utf8, ("Cp932ToUtf8 " + c.utf8).c_str());
  for (const texts::SjisText* text : texts::kAllTexts) {
    Check(platform::Cp932ToUtf8(text->bytes) == text->readable, "Cp932ToUtf8 of a program text");
  }
}

// Names in code page 932, whatever the system's ANSI code page.
void CheckFilesNamedInShiftJis() {
  const char* table = "\x95\x5C.txt";                  // 表.txt: 0x5C second byte
  const char* distance = "\x8B\x97\x97\xA3.txt";       // 距離.txt
  const char* folder = "\x83\x74\x83\x48\x83\x8B\x83\x5F";  // フォルダ
  platform::FileHandle file = platform::CreateNewFile(table);
  Check(file != platform::kInvalidHandle, "CreateNewFile of a Shift-JIS name");
  Check(Exists(L"\u8868.txt"), "the file has its Japanese name");
  Check(platform::WriteFile(file, "new", 3), "WriteFile");
  Check(platform::FlushToDisk(file), "FlushToDisk");
  Check(platform::OpenFile(table, platform::OpenMode::kRead) == platform::kInvalidHandle, "no sharing while created");
  Check(platform::SameFile(table, ".\\\x95\x5C.txt"), "SameFile while held");
  Check(platform::CloseFile(file), "CloseFile");
  Check(platform::CreateNewFile(table) == platform::kInvalidHandle, "CreateNewFile of an existing file");
  Check(!platform::FlushToDisk(platform::kInvalidHandle), "FlushToDisk of no file");

  file = platform::OpenFile(distance, platform::OpenMode::kCreate);
  Check(file != platform::kInvalidHandle && platform::WriteFile(file, "old", 3) && platform::CloseFile(file),
        "OpenFile of a Shift-JIS name");
  Check(!platform::SameFile(table, distance), "SameFile of two files");
  Check(!platform::SameFile(table, "missing.txt"), "SameFile of a missing file");
  Check(platform::RenameFile(table, distance), "RenameFile over an existing file");
  Check(!Exists(L"\u8868.txt"), "the renamed file is gone");
  file = platform::OpenFile(distance, platform::OpenMode::kRead);
  char bytes[8] = {};
  Check(platform::ReadFile(file, bytes, sizeof bytes) == 3 && std::string(bytes) == "new", "the rename replaced");
  platform::CloseFile(file);
  Check(!platform::RenameFile("missing.txt", distance), "RenameFile of a missing file");

  // Read shared with other readers (kReadShared): two at once, but neither
  // beside a holder without sharing.
  platform::FileHandle reader = platform::OpenFile(distance, platform::OpenMode::kReadShared);
  platform::FileHandle other = platform::OpenFile(distance, platform::OpenMode::kReadShared);
  Check(reader != platform::kInvalidHandle && other != platform::kInvalidHandle, "two shared readers at once");
  Check(platform::OpenFile(distance, platform::OpenMode::kRead) == platform::kInvalidHandle,
        "no exclusive open beside shared readers");
  platform::CloseFile(reader);
  platform::CloseFile(other);
  file = platform::OpenFile(distance, platform::OpenMode::kRead);
  Check(platform::OpenFile(distance, platform::OpenMode::kReadShared) == platform::kInvalidHandle,
        "no shared reader beside an exclusive open");
  platform::CloseFile(file);

  Check(CreateDirectoryW(L"\u30D5\u30A9\u30EB\u30C0", nullptr) != 0, "CreateDirectoryW");
  Check(platform::IsDirectory(folder), "IsDirectory of a folder");
  Check(!platform::IsDirectory(distance), "IsDirectory of a file");
  Check(platform::SameFile(folder, ".\\\x83\x74\x83\x48\x83\x8B\x83\x5F\\."), "SameFile of a folder");
  Check(!platform::RemoveFile(folder), "RemoveFile of a folder");

  // The same file by its UTF-8 name.
  platform::SetFileNameEncoding(platform::NameEncoding::kUtf8);
  file = platform::OpenFile("距離.txt", platform::OpenMode::kRead);
  Check(file != platform::kInvalidHandle, "OpenFile of a UTF-8 name");
  platform::CloseFile(file);
  Check(platform::IsDirectory("フォルダ"), "IsDirectory of a UTF-8 name");
  platform::SetFileNameEncoding(platform::NameEncoding::kCp932);

  Check(platform::RemoveFile(distance), "RemoveFile");
  Check(!Exists(L"\u8ddd\u96e2.txt"), "the removed file is gone");
  Check(!platform::RemoveFile(distance), "RemoveFile of a missing file");
  RemoveDirectoryW(L"\u30D5\u30A9\u30EB\u30C0");
}

void CheckProcess(int argc, char** argv) {
  const std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
  Check(arguments == std::vector<std::string>{"品種.txt", "a b"}, "CommandLineArguments in UTF-8");
  Check(!platform::LocaleUsesUtf8(), "LocaleUsesUtf8 is false");
  Check(platform::ProcessId() == static_cast<long>(GetCurrentProcessId()) && platform::ProcessId() != 0,
        "ProcessId");
  const platform::FileHandle file = platform::CreateNewFile("plain.txt");
  Check(!platform::IsTerminal(file), "IsTerminal of a file");
  platform::CloseFile(file);
  platform::RemoveFile("plain.txt");
}

}  // namespace

int main(int argc, char** argv) {
  CheckConversion();
  CheckFilesNamedInShiftJis();
  CheckProcess(argc, argv);
  std::printf("%s\n", Failures == 0 ? "platform checks passed" : "platform checks FAILED");
  return Failures == 0 ? 0 : 1;
}
