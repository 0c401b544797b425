// One output file written so that nothing is lost: the bytes go to a new
// temporary file in the output's folder, which replaces the output only once
// it is complete and on the disk; until then an existing output stays as it
// was, and a run that fails removes the temporary file.
//
// The temporary file is ".kyori-<pid>-<n>.tmp" (n from 0, the first name
// not taken), short whatever the output's name, so that any legal name can
// be written. It is named to the platform's end-signal cleanup before it is
// created, so that a run ended by a signal leaves nothing behind.
//
// The replacement keeps the replaced file's permissions, and a symbolic link
// is written through (its target, link after link, is replaced; the link
// stays). "-" is standard output, and a file that is neither a regular file
// nor a folder (a device such as /dev/null, a pipe) is written in place:
// neither can be replaced.
//
// Life of one file: Open, write through Writer() or Stream(), Finish; then
// Replace puts it in place, keeping the old file under a second name until
// Settle drops it or Restore puts it back.
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
  // Removes the temporary file and the old file's second name if they are
  // still there.
  ~OutputFile() { Abandon(); }

  // Creates the temporary file (or opens the output in place). False when it
  // cannot be created: a missing or read-only folder, a folder as the name,
  // a loop of symbolic links. "-" writes `standard_output`; kInvalidHandle
  // there (standard output was closed) makes every write to "-" fail.
  bool Open(const std::string& name, platform::FileHandle standard_output = platform::StandardOutput());
  // Written in place (standard output, a device, a pipe): Replace has
  // nothing to do and nothing can be undone.
  bool InPlace() const { return in_place_; }
  FileWriter& Writer() { return *writer_; }
  // A stream onto Writer(), for writers of text formats.
  std::ostream& Stream() { return *stream_; }
  // Sends everything written to the file and, for a temporary file, to the
  // disk, and closes it. False when a write, the flush or the close failed.
  bool Finish();
  // Renames the finished temporary file over the output. An existing output
  // is kept under a second name first (a hard link, or where the file
  // system has none, moved aside). False when the rename failed: the output
  // is then as it was.
  bool Replace();
  // Undoes Replace: the old file back under its name, or the new one removed
  // where there was none. False when the old file could not be put back; it
  // then stays under its second name (a ".kyori-<pid>-<n>.tmp" beside it).
  bool Restore();
  // Drops the old file's second name: the replacement stands.
  void Settle();
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

  // A file this run made beside the output, removed by a signal that ends
  // the run until it is forgotten.
  struct Aside {
    std::string name;
    int slot = -1;
  };

  bool CreateTemporary();
  void KeepOldFile();
  void Forget(Aside& aside);
  void Remove(Aside& aside);

  std::string name_;
  bool in_place_ = false;
  Aside temporary_;
  Aside old_file_;            // the replaced output's second name
  bool old_file_moved_ = false;  // moved aside, not linked
  bool replaced_ = false;
  platform::FileHandle handle_ = platform::kInvalidHandle;
  bool owns_handle_ = false;
  std::unique_ptr<FileWriter> writer_;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
};

}  // namespace kyori

#endif  // KYORI_FRONTEND_OUTPUT_FILE_H_
