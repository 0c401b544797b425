// A batch run's data file, open on the channel its reader takes the fields
// from: a named file, opened to be read beside other runs that read it, or
// standard input for "-". The channel is closed when the object goes, on
// every way out of a run, or earlier by Close.
//
// Example:
//   DataFile data;
//   data.Open("in.txt")   -> kOpen (a file with bytes), kCannotOpen (missing,
//                            unreadable, a folder), kEmpty (no byte at all)
//   data.FirstFieldBytes()  -> "12 5" of "12 5\r\n稈長,...", still to be read
//   StrictLayoutReader reader(data.Channel()); ...; data.Close();
// or, for a table, data.ReadAll(&bytes).
#ifndef KYORI_BATCH_DATA_FILE_H_
#define KYORI_BATCH_DATA_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace kyori {

class DataFile {
 public:
  enum class Opened { kOpen, kCannotOpen, kEmpty };

  DataFile() = default;
  ~DataFile() { Close(); }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;

  // Opens `name` ("-": standard input) and looks at its first byte, which
  // stays to be read. A file that cannot be opened or holds no byte is
  // closed again. One DataFile is open at a time: they share one channel.
  Opened Open(const std::string& name);
  // The file's first bytes, up to the end of its first field and the byte
  // that ends it (FirstFieldEnd), or up to kFirstFieldLookMost bytes, or the
  // whole file when it is shorter; nothing is consumed. Valid until the
  // channel is read.
  std::string_view FirstFieldBytes();
  // Appends the rest of the file to `bytes`. False when a read failed (what
  // was read is kept).
  bool ReadAll(std::string* bytes);
  // The channel to read the fields from while the file is open.
  int32_t Channel() const { return kChannel; }
  // Closes the channel (standard input itself stays open); closing again
  // does nothing.
  void Close();

 private:
  static constexpr int32_t kChannel = 1;
  bool used_ = false;  // the channel was opened, or its open failed
};

}  // namespace kyori

#endif  // KYORI_BATCH_DATA_FILE_H_
