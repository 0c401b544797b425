#include "frontend/output_file.h"

#include <string_view>

namespace kyori {
namespace {

// The most ".kyori-<pid>-<n>.tmp" names tried in one folder.
constexpr int kNamesToTry = 100;

// "dir/out.txt" -> "dir/"; "out.txt" -> "" (the current folder). A
// backslash counts as a separator too (Windows); elsewhere a name holding
// one still gets its temporary file in the same folder.
std::string FolderPrefix(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string NameAside(const std::string& folder, int attempt) {
  return folder + ".kyori-" + std::to_string(platform::ProcessId()) + "-" + std::to_string(attempt) + ".tmp";
}

bool Exists(const std::string& name) { return platform::SameFile(name.c_str(), name.c_str()); }

}  // namespace

OutputFile::Buffer::int_type OutputFile::Buffer::overflow(int_type c) {
  if (c != traits_type::eof()) {
    const char byte = traits_type::to_char_type(c);
    writer_.Write(std::string_view(&byte, 1));
  }
  return writer_.Failed() ? traits_type::eof() : traits_type::not_eof(c);
}

std::streamsize OutputFile::Buffer::xsputn(const char* s, std::streamsize n) {
  writer_.Write(std::string_view(s, static_cast<std::size_t>(n)));
  return writer_.Failed() ? 0 : n;
}

bool OutputFile::Open(const std::string& name, platform::FileHandle standard_output) {
  name_ = name;
  if (name == "-") {
    in_place_ = true;
    handle_ = standard_output;
    owns_handle_ = false;
  } else if (platform::IsSpecialFile(name.c_str())) {
    in_place_ = true;
    handle_ = platform::OpenFile(name.c_str(), platform::OpenMode::kCreate);
    owns_handle_ = true;
  } else {
    // A symbolic link is written through: its target is the file replaced.
    name_ = platform::FollowLinks(name);
    if (name_.empty() || platform::IsDirectory(name_.c_str()) || !CreateTemporary()) return false;
    owns_handle_ = true;
    // The replacement keeps the permissions of the file it replaces.
    platform::CopyPermissions(name_.c_str(), handle_);
  }
  if (handle_ == platform::kInvalidHandle && name != "-") return false;
  writer_ = std::make_unique<FileWriter>(handle_);
  buffer_ = std::make_unique<Buffer>(*writer_);
  stream_ = std::make_unique<std::ostream>(buffer_.get());
  return true;
}

bool OutputFile::CreateTemporary() {
  const std::string folder = FolderPrefix(name_);
  for (int attempt = 0; attempt < kNamesToTry; ++attempt) {
    Aside aside{NameAside(folder, attempt), -1};
    // Named for removal before it exists, and no signal in between: a run
    // ended at any moment leaves no temporary file.
    platform::BlockEndSignals();
    aside.slot = platform::RemoveIfEnded(aside.name.c_str());
    if (aside.slot >= 0) handle_ = platform::CreateNewFile(aside.name.c_str());
    if (handle_ == platform::kInvalidHandle) platform::ForgetRemoveIfEnded(aside.slot);
    platform::UnblockEndSignals();
    if (handle_ != platform::kInvalidHandle) {
      temporary_ = aside;
      return true;
    }
    // Another name is tried only when this one is taken (a file left by an
    // earlier run, or another output of this one); a folder that is missing
    // or not writable ends it.
    if (aside.slot < 0 || !Exists(aside.name)) return false;
  }
  return false;
}

bool OutputFile::Finish() {
  if (!writer_) return false;
  stream_->flush();
  bool written = writer_->Flush();
  if (owns_handle_) {
    if (!in_place_ && written) written = platform::FlushToDisk(handle_);
    if (!platform::CloseFile(handle_)) written = false;
  }
  handle_ = platform::kInvalidHandle;
  stream_.reset();
  buffer_.reset();
  writer_.reset();
  return written;
}

void OutputFile::KeepOldFile() {
  // Only a file is kept: a folder that took the output's name since Open is
  // left where it is, and the rename over it fails.
  if (!Exists(name_) || platform::IsDirectory(name_.c_str())) return;
  const std::string folder = FolderPrefix(name_);
  for (int attempt = 0; attempt < kNamesToTry; ++attempt) {
    Aside aside{NameAside(folder, attempt), -1};
    aside.slot = platform::RemoveIfEnded(aside.name.c_str());
    if (aside.slot < 0) return;
    if (platform::LinkFile(name_.c_str(), aside.name.c_str())) {
      old_file_ = aside;
      old_file_moved_ = false;
      return;
    }
    if (!Exists(aside.name)) {
      // No hard links here: the old file is moved aside instead, and is no
      // longer removed by a signal (it must not be lost).
      platform::ForgetRemoveIfEnded(aside.slot);
      aside.slot = -1;
      if (platform::RenameFile(name_.c_str(), aside.name.c_str())) {
        old_file_ = aside;
        old_file_moved_ = true;
      }
      return;
    }
    platform::ForgetRemoveIfEnded(aside.slot);
  }
}

bool OutputFile::Replace() {
  if (in_place_) return true;
  if (temporary_.name.empty()) return false;
  KeepOldFile();
  if (!platform::RenameFile(temporary_.name.c_str(), name_.c_str())) {
    if (old_file_moved_) {
      // Put back under its name; if even that fails it stays aside, never removed.
      platform::RenameFile(old_file_.name.c_str(), name_.c_str());
      Forget(old_file_);
      old_file_moved_ = false;
    } else {
      Remove(old_file_);
    }
    return false;
  }
  Forget(temporary_);
  replaced_ = true;
  return true;
}

bool OutputFile::Restore() {
  if (!replaced_) return true;
  replaced_ = false;
  if (old_file_.name.empty()) return platform::RemoveFile(name_.c_str());
  const bool back = platform::RenameFile(old_file_.name.c_str(), name_.c_str());
  Forget(old_file_);
  return back;
}

void OutputFile::Settle() {
  replaced_ = false;
  Remove(old_file_);
}

void OutputFile::Forget(Aside& aside) {
  platform::ForgetRemoveIfEnded(aside.slot);
  aside = Aside{};
}

void OutputFile::Remove(Aside& aside) {
  if (!aside.name.empty()) platform::RemoveFile(aside.name.c_str());
  Forget(aside);
}

void OutputFile::Abandon() {
  if (owns_handle_ && handle_ != platform::kInvalidHandle) platform::CloseFile(handle_);
  handle_ = platform::kInvalidHandle;
  Remove(temporary_);
  // The old file's second name is a spare copy only while the output still
  // holds it (a hard link); moved aside, it is the only copy and stays.
  if (old_file_moved_) {
    Forget(old_file_);
  } else {
    Remove(old_file_);
  }
}

}  // namespace kyori
