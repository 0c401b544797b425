// Splitting a data file into fields exactly as reading it with the input
// statement does (io/input_statement.h), one field per call, on the same
// channel primitives, while counting lines and noting how each field ended.
//
// Blanks (space, tab) before a field are skipped. A field ends at a comma,
// LF, CR LF, NUL or the end of the file, and a number field also at a blank,
// after which further blanks and at most one comma are skipped. Double
// quotes stay in the field and protect commas and blanks; a CR before any
// byte but LF is part of the field; a CR that is the file's last byte ends
// the field. Only LF starts a new line.
//
// Example: "3 2\nA,B\n" gives the number fields "3" (ended by a blank, line 1)
// and "2" (ended by the line end, line 1), then the name fields "A" (comma,
// line 2) and "B" (line end, line 2), then the end of the file.
#ifndef KYORI_BATCH_LAYOUT_FIELDS_H_
#define KYORI_BATCH_LAYOUT_FIELDS_H_

#include <cstdint>
#include <string>

namespace kyori {

// What ended a field.
enum class FieldEnd : std::uint8_t {
  kNone,       // nothing yet: the file's first field has not been read
  kComma,
  kBlank,      // a number field ended by a blank (and what was skipped after it)
  kLineEnd,    // LF, CR LF, or a CR that is the file's last byte
  kNul,
  kEndOfFile,
};

enum class FieldSplit { kNumber, kName };

enum class ScanResult {
  kField,      // a field was read
  kEndOfFile,  // the file ended before a field started
  kReadFailed, // a read failed; reading cannot go on
};

class FieldScanner {
 public:
  explicit FieldScanner(std::int32_t channel) : channel_(channel) {}
  FieldScanner(const FieldScanner&) = delete;
  FieldScanner& operator=(const FieldScanner&) = delete;

  // Reads the next field, split as a number or a name.
  ScanResult Next(FieldSplit split);

  // The last field read: its bytes (NUL-terminated through c_str()), the line
  // it is on, what ended it, what ended the field before it, and whether
  // blanks were skipped before it.
  const std::string& Text() const { return text_; }
  std::int64_t Line() const { return field_line_; }
  FieldEnd End() const { return end_; }
  FieldEnd Before() const { return before_; }
  bool BlanksBefore() const { return blanks_before_; }

  // The line of the last field that held a byte or ended at a comma or NUL:
  // where the file's content ends. 0 before any.
  std::int64_t LastContentLine() const { return last_content_line_; }

  // Skips blanks, CRs and LFs. kEndOfFile when nothing else is left; kField
  // when another byte is, which is left unread for Next.
  //   "  \r\n\n" -> kEndOfFile;  "\n x" -> kField, Next gives "x" on line 2
  ScanResult SkipToEnd();

 private:
  bool TakeWholeField(bool name);
  ScanResult SkipLeadingBlanks();
  ScanResult Gather(bool name);
  void TakeOrdinaryRun(bool name);
  void SkipBlanksAfterField();

  std::int32_t channel_;
  std::string text_;
  std::int64_t line_ = 1;  // the line the next unread byte is on
  std::int64_t field_line_ = 1;
  std::int64_t last_content_line_ = 0;
  FieldEnd end_ = FieldEnd::kNone;
  FieldEnd before_ = FieldEnd::kNone;
  bool blanks_before_ = false;
};

}  // namespace kyori

#endif  // KYORI_BATCH_LAYOUT_FIELDS_H_
