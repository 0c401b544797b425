// The likely causes of a data file's errors: the places, noted while the
// file is read, where a mistake adds or swallows a field, so that every
// later field lands one place off. Only an error shows such a place to the
// user; the notes cost nothing else.
//
// Examples of what is noted (2 traits):
//   "x,1 2 \n"       the blank after 2: its line end is one more, empty
//                    field, which the next variety takes as its name
//   "x,95,5 18,2\n"  95,5 beside values split by blanks: a decimal comma
//   "x 95.5 18.2\n"  a name followed by a blank and its 2 values: the name
//                    took the whole line
#ifndef KYORI_BATCH_LAYOUT_CAUSES_H_
#define KYORI_BATCH_LAYOUT_CAUSES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "batch/layout_error.h"
#include "batch/layout_fields.h"

namespace kyori {

// A place where a field was likely added or swallowed.
struct LayoutSuspect {
  LayoutCause cause = LayoutCause::kNone;
  std::int64_t line = 0;
  std::string text;
  int variety = 0;  // the variety being read (1-based), 0 before the first
};

// What made an empty field, from what ended the field before it and what
// ended the empty one:
//   blank, line end     -> kTrailingBlank  ("5 \n")
//   comma, line end     -> kTrailingComma  ("5,\n")
//   line end, line end  -> kEmptyLine      ("\n\n"; also at the file's start)
//   comma, comma        -> kDoubleComma    ("5,,6"; also "5 ,,6")
//   line end, comma     -> kLeadingComma   ("\n,6")
//   anything else       -> kNone           (a NUL ended it)
LayoutCause EmptyFieldCause(FieldEnd before, FieldEnd end);

class CauseTracker {
 public:
  // An empty trait or variety name, made by `cause` on `line`.
  void NoteEmptyName(LayoutCause cause, std::int64_t line, int variety);
  // A variety name, for a name that took its line: its last `traits`
  // blank-separated words are numbers, and a word comes before them.
  //   traits 2: "品種A 95.5 18.2" -> noted;  "IR 64" -> not
  void NoteVarietyName(std::string_view name, std::int64_t line, int traits, int variety);
  // A value as the scanner read it (for decimal commas: a whole number
  // ended by a comma and directly followed by digits, on a line where values
  // are also split by blanks).
  void NoteValue(const FieldScanner& field, int variety);

  // The first place noted, or kNone.
  const LayoutSuspect& Earliest() const { return earliest_; }
  // True once a place has been noted.
  bool AnyNoted() const { return earliest_.cause != LayoutCause::kNone; }
  // The first place noted while variety `variety` - 1 or a later one was
  // read (the trait names count as variety 0), or a place with kNone.
  const LayoutSuspect& Near(int variety) const;

 private:
  void Note(LayoutCause cause, std::int64_t line, std::string_view text, int variety);

  LayoutSuspect earliest_;
  LayoutSuspect latest_;
  // The decimal comma's watch over the current line.
  std::int64_t line_ = 0;
  bool comma_after_whole_ = false;  // the last value was a whole number ended by a comma
  bool split_by_blank_ = false;     // a value on the line was ended by a blank
  bool noted_on_line_ = false;
  std::string whole_;               // that whole number's text
  std::string joined_;              // "95,5": a candidate on the line
};

}  // namespace kyori

#endif  // KYORI_BATCH_LAYOUT_CAUSES_H_
