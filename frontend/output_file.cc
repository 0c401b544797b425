#include "frontend/output_file.h"

namespace kyori {

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

bool OutputFile::Open(const std::string& name) {
  name_ = name;
  if (name == "-") {
    handle_ = platform::StandardOutput();
    owns_handle_ = false;
  } else if (platform::IsSpecialFile(name.c_str())) {
    handle_ = platform::OpenFile(name.c_str(), 2);
    owns_handle_ = true;
  } else {
    if (platform::IsDirectory(name.c_str())) return false;
    // A symbolic link is written through: its target is the file replaced.
    name_ = platform::FollowLinks(name);
    const std::string stem = name_ + ".kyori-" + std::to_string(platform::ProcessId());
    for (int attempt = 0; attempt < 100 && handle_ == platform::kInvalidHandle; ++attempt) {
      temporary_ = stem + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + ".tmp";
      handle_ = platform::CreateNewFile(temporary_.c_str());
      // Another name is tried only when this one is taken (a file left by an
      // earlier run); a folder that is missing or not writable ends it.
      const bool taken = platform::SameFile(temporary_.c_str(), temporary_.c_str());
      if (handle_ == platform::kInvalidHandle && !taken) break;
    }
    owns_handle_ = true;
    if (handle_ == platform::kInvalidHandle) temporary_.clear();
    // The replacement keeps the permissions of the file it replaces.
    if (handle_ != platform::kInvalidHandle) platform::CopyPermissions(name_.c_str(), handle_);
  }
  if (handle_ == platform::kInvalidHandle) return false;
  writer_ = std::make_unique<FileWriter>(handle_);
  buffer_ = std::make_unique<Buffer>(*writer_);
  stream_ = std::make_unique<std::ostream>(buffer_.get());
  return true;
}

bool OutputFile::Commit() {
  if (!writer_) return false;
  stream_->flush();
  bool written = writer_->Flush();
  if (owns_handle_) {
    if (!temporary_.empty() && written) written = platform::FlushToDisk(handle_);
    if (!platform::CloseFile(handle_)) written = false;
    handle_ = platform::kInvalidHandle;
  }
  if (!temporary_.empty()) {
    if (written) written = platform::RenameFile(temporary_.c_str(), name_.c_str());
    if (!written) platform::RemoveFile(temporary_.c_str());
    temporary_.clear();
  }
  writer_.reset();
  return written;
}

void OutputFile::Abandon() {
  if (owns_handle_ && handle_ != platform::kInvalidHandle) platform::CloseFile(handle_);
  handle_ = platform::kInvalidHandle;
  if (!temporary_.empty()) platform::RemoveFile(temporary_.c_str());
  temporary_.clear();
}

}  // namespace kyori
