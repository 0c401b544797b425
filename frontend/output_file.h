// An output file written so that nothing is lost: the bytes go to a new
// temporary file in the output's folder ("<name>.kyori-<pid>.tmp"), which
// replaces the output only once it is complete and on the disk. A run that
// fails leaves an existing file as it was and removes the temporary file.
//
// The replacement keeps the replaced file's permissions, and a symbolic link
// is written through (its target is replaced, the link stays).
//
// "-" is standard output, and a file that is neither a regular file nor a
// folder (a device such as /dev/null, a pipe) is written in place: neither
// can be replaced.
#ifndef KYORI_FRONTEND_OUTPUT_FILE_H_
#define KYORI_FRONTEND_OUTPUT_FILE_H_

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "io/file_writer.h"
#include "platform/platform.h"

namespace kyori {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Abandon(); }

  // Creates the temporary file (or opens the output in place). False when it
  // cannot be created.
  bool Open(const std::string& name);
  FileWriter& Writer() { return *writer_; }
  // A stream onto Writer(), for writers of text formats.
  std::ostream& Stream() { return *stream_; }
  // Sends everything to the disk and puts the file in place. False when a
  // write, the flush or the rename failed; the temporary file is then removed.
  bool Commit();
  // Closes and removes the temporary file; the output stays as it was.
  void Abandon();

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(FileWriter& writer) : writer_(writer) {}

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

   private:
    FileWriter& writer_;
  };

  std::string name_;
  std::string temporary_;  // empty when written in place
  platform::FileHandle handle_ = platform::kInvalidHandle;
  bool owns_handle_ = false;
  std::unique_ptr<FileWriter> writer_;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
};

}  // namespace kyori

#endif  // KYORI_FRONTEND_OUTPUT_FILE_H_
