#include "io/file_writer.h"

#include <cstring>

namespace kyori {

FileWriter::FileWriter(platform::FileHandle file, std::size_t buffer_size)
    : file_(file), buffer_(buffer_size == 0 ? 1 : buffer_size) {}

void FileWriter::Write(std::string_view bytes) {
  if (failed_) return;
  if (bytes.size() > buffer_.size() - used_) {
    if (!Flush()) return;
    if (bytes.size() >= buffer_.size()) {
      // Larger than the whole buffer: straight to the file.
      if (!platform::WriteFile(file_, bytes.data(), bytes.size())) failed_ = true;
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

bool FileWriter::Flush() {
  if (!failed_ && used_ > 0 && !platform::WriteFile(file_, buffer_.data(), used_)) failed_ = true;
  used_ = 0;
  return !failed_;
}

}  // namespace kyori
