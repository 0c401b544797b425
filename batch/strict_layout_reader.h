// Strict reading of a data file for batch mode: the fields, splitting and
// conversions of the dialogue's reading (batch/collection_reader.h), so that
// every file it reads as meant gives the same Collection bit for bit, with
// a check of what the dialogue lets pass:
//   - a count that is not a whole number of the number grammar
//     (batch/layout_number.h), and a number of varieties below 1;
//   - a value that is not a number of the grammar ("abc", "1e3"), or one
//     beyond what is read as written;
//   - an empty value ("5 \n" makes its line end an empty field; "5,,6");
//   - a file that ends before the last field the counts announce;
//   - a field after the last one (blanks and line ends there are fine).
// The first such finding ends the reading with a LayoutError
// (batch/layout_error.h); the Collection then holds what was read so far.
//
// Reading runs in the two steps of the dialogue's reading, so that the
// caller can refuse the counts before anything is stored:
//   StrictLayoutReader reader(channel);
//   LayoutError e = reader.ReadCounts(c);   // then check the capacity
//   if (e.ok()) e = reader.ReadBody(c);
// Example: "2 1\nA\nx,1\ny,abc\n" gives counts 2 and 1, then the error
// {kNotANumber, line 4, variety 2 "y", trait 1 "A", found "abc"}.
//
// Given a list of missing texts (batch/missing_texts.h), a value field that
// is one of them is a missing value, a quiet NaN, where the dialogue reads a
// number ("-" as -0, "." and "NA" as 0) and the reading without a list
// finds no number. An empty field stays the error above whatever the list.
// Without a list, as by default, every value is a number.
//   StrictLayoutReader reader(channel, MissingTexts::Usual());
//   "3 1\nA\nx,1\ny,NA\nz,-\n" -> values 1 NaN NaN
//
// It streams: one field at a time from the channel's read-ahead, no memory
// per field but the names' own.
#ifndef KYORI_BATCH_STRICT_LAYOUT_READER_H_
#define KYORI_BATCH_STRICT_LAYOUT_READER_H_

#include <cstdint>

#include "batch/collection.h"
#include "batch/layout_causes.h"
#include "batch/layout_error.h"
#include "batch/layout_fields.h"
#include "batch/missing_texts.h"

namespace kyori {

class StrictLayoutReader {
 public:
  // Reads from `channel`, open for reading, from where it stands; the texts
  // of `missing` are read as missing values.
  explicit StrictLayoutReader(std::int32_t channel, const MissingTexts& missing = {})
      : scanner_(channel), missing_(missing) {}
  StrictLayoutReader(const StrictLayoutReader&) = delete;
  StrictLayoutReader& operator=(const StrictLayoutReader&) = delete;

  // Reads the two counts into `c` and sets its loop counts. A number of
  // varieties below 1 is kNoVariety; one of traits below 1 is no error (the
  // varieties then have names only).
  LayoutError ReadCounts(Collection& c);

  // After ReadCounts: sizes the storage, reads every name and value, and
  // checks that nothing but blanks and line ends follows the last field.
  // Leaves the channel open.
  LayoutError ReadBody(Collection& c);

 private:
  struct Place {
    LayoutField field;
    int variety;  // 1-based, 0 for none
    int trait;    // 1-based, 0 for none
  };

  bool ReadCount(const Place& place, Collection& c, double* count);
  bool ReadName(const Place& place, const Collection& c, ByteString* name);
  bool ReadValue(const Place& place, const Collection& c, double* value);
  bool CheckNothingLeft(const Collection& c);
  void FollowEmptyRun(const Place& place);
  bool FailNoField(ScanResult result, const Place& place, const Collection& c);
  bool FailEmpty(LayoutErrorKind kind, const Place& place, const Collection& c);
  bool Fail(LayoutErrorKind kind, const Place& place, const Collection& c, std::int64_t line);
  void Blame(LayoutCause cause, std::int64_t line, std::string_view text = {});
  void Blame(const LayoutSuspect& suspect) { Blame(suspect.cause, suspect.line, suspect.text); }
  LayoutError Result();

  FieldScanner scanner_;
  MissingTexts missing_;
  CauseTracker causes_;
  // The first of the empty fields ended by line ends read last in a row: if
  // only blanks and line ends follow them, the file ends there.
  Place run_start_{LayoutField::kVarietyCount, 0, 0};
  bool in_run_ = false;
  bool suspect_before_run_ = false;  // a place was noted before the run began
  LayoutError error_;
};

// Both steps at once, for callers that check no count in between.
LayoutError ReadStrictCollection(std::int32_t channel, Collection& c, const MissingTexts& missing = {});

}  // namespace kyori

#endif  // KYORI_BATCH_STRICT_LAYOUT_READER_H_
