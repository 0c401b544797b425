// The files one batch run writes (OUTPUT and each tree, matrix and picture
// file), written as one transaction: each goes to its temporary file first,
// and all are put in place only when every one is complete; on any failure
// none is replaced.
//
// Every file a run writes must be distinct from DATA and from each other, by
// any name, link or standard handle ("-" is standard output, or as DATA
// standard input): FindSharedFile says which two are one file, before
// anything is read or written.
//
// Example: outputs {OUTPUT "out.txt", --tree "t.nwk"}: Open creates both
// temporary files; the run writes both and finishes each; Commit renames
// both over their outputs, or, when the second rename fails, puts the first
// output back as it was.
#ifndef KYORI_FRONTEND_OUTPUT_SET_H_
#define KYORI_FRONTEND_OUTPUT_SET_H_

#include <memory>
#include <string>
#include <vector>

#include "frontend/output_file.h"

namespace kyori {

// One output: the option that names it ("OUTPUT" for the report) and its
// name as given.
struct OutputName {
  std::string option;
  std::string name;
};

// Two files of a run that are one file: output `output` is the data file
// (`other` is kData), the file standard error writes to (kStandardError), or
// output `other`, which comes before it.
struct SharedFile {
  static constexpr int kNone = -2;
  static constexpr int kData = -1;
  static constexpr int kStandardError = -3;
  int output = kNone;
  int other = kNone;
};

// The first output (in order) that is the data file or an earlier output,
// or a named output that is where standard error goes (the messages would
// be written into the old file, which the output replaces; `-` may share
// standard error, as `2>&1` asks; standard error that is not a regular file,
// a terminal or /dev/null, is no file an output could replace). Standard
// input on a terminal is no file a run could overwrite either. A name that cannot be
// identified (its folder is missing) shares nothing: it cannot be created
// either.
//   data "in.txt", outputs {OUTPUT "out.txt", --svg "in.txt"} -> {1, kData}
//   data "in.txt", outputs {OUTPUT "a", --tree "./a"}         -> {1, 0}
//   outputs {OUTPUT "out.txt"} with `2> out.txt`               -> {0, kStandardError}
SharedFile FindSharedFile(const std::string& data_name, const std::vector<OutputName>& outputs);

class OutputSet {
 public:
  explicit OutputSet(std::vector<OutputName> outputs);

  // Creates every output's temporary file (or opens it in place). Returns
  // -1, or the index of the first output that cannot be created (the others
  // are then closed and removed). "-" is `standard_output`.
  int Open(platform::FileHandle standard_output = platform::StandardOutput());
  const std::vector<OutputName>& Names() const { return names_; }
  OutputFile& File(int k) { return *files_[static_cast<std::size_t>(k)]; }
  // The order to write the outputs in: those with a temporary file first,
  // then those written in place (standard output, devices), whose bytes
  // cannot be taken back, so that they are written only when every other
  // output is complete.
  std::vector<int> WriteOrder() const;
  // Puts every finished output in place. Returns -1, or the index of the
  // output whose rename failed; the outputs renamed before it are then put
  // back as they were and every temporary file is removed. The signals that end a run are held back meanwhile.
  // When every output is in place, those signals get their default action
  // back: there is nothing left to remove.
  int Commit();

 private:
  std::vector<OutputName> names_;
  std::vector<std::unique_ptr<OutputFile>> files_;
};

}  // namespace kyori

#endif  // KYORI_FRONTEND_OUTPUT_SET_H_
