// A buffered writer over an open file handle, for output that streams: bytes
// gather in a buffer of fixed size and go to the file whenever it fills and
// on Flush. The first failed write is remembered; later writes are dropped,
// and Flush reports it.
//
// Example: FileWriter out(handle); out.Write("abc"); out.Write("\r\n");
// out.Flush() sends the 5 bytes "abc\r\n" in one write and returns true.
#ifndef KYORI_IO_FILE_WRITER_H_
#define KYORI_IO_FILE_WRITER_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace kyori {

class FileWriter {
 public:
  explicit FileWriter(platform::FileHandle file, std::size_t buffer_size = 1 << 20);
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void Write(std::string_view bytes);
  // Sends the buffered bytes on. False when any write so far has failed.
  bool Flush();
  bool Failed() const { return failed_; }

 private:
  platform::FileHandle file_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace kyori

#endif  // KYORI_IO_FILE_WRITER_H_
