#include "batch/layout_error_text.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace kyori {
namespace {

class Pieces {
 public:
  Pieces& Say(const std::string& text) { return Add(text, false); }
  Pieces& File(const std::string& bytes) { return Add(bytes, true); }
  Pieces& Number(std::int64_t n) { return Say(std::to_string(n)); }
  // "abc" in quotes, with "..." when it was cut.
  Pieces& Quoted(const std::string& bytes, bool cut) {
    Say("\"").File(bytes);
    return Say(cut ? "...\"" : "\"");
  }
  std::vector<LayoutTextPiece> Take() { return std::move(pieces_); }

 private:
  Pieces& Add(const std::string& text, bool from_file) {
    if (text.empty()) return *this;
    if (!pieces_.empty() && pieces_.back().from_file == from_file) {
      pieces_.back().text += text;
    } else {
      pieces_.push_back({text, from_file});
    }
    return *this;
  }
  std::vector<LayoutTextPiece> pieces_;
};

// A count as read: "12", or "2.5".
std::string CountText(double count) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", count);
  return text;
}

// "穂長", or "trait 2" when the name is empty.
void SayName(Pieces& p, const char* what, int number, const std::string& name) {
  if (name.empty()) {
    p.Say(std::string(what) + " ").Number(number);
  } else {
    p.File(name);
  }
}

// "value of 穂長 for コシヒカリ"
void SayValue(Pieces& p, const LayoutError& e) {
  p.Say("value of ");
  SayName(p, "trait", e.trait, e.trait_name);
  p.Say(" for ");
  SayName(p, "variety", e.variety, e.variety_name);
}

// "the counts announce 12 varieties and 5 traits"
void SayAnnounced(Pieces& p, const LayoutError& e) {
  p.Say("the counts announce " + CountText(e.varieties_announced) + " varieties and " +
        CountText(e.traits_announced) + " traits");
}

// What the file ends before: "the value of 穂長 for コシヒカリ", "the name of variety 3".
void SayField(Pieces& p, const LayoutError& e) {
  switch (e.field) {
    case LayoutField::kVarietyCount: p.Say("the number of varieties"); break;
    case LayoutField::kTraitCount: p.Say("the number of traits"); break;
    case LayoutField::kTraitName: p.Say("the name of trait ").Number(e.trait); break;
    case LayoutField::kVarietyName: p.Say("the name of variety ").Number(e.variety); break;
    case LayoutField::kValue: p.Say("the ");
      SayValue(p, e);
      break;
    case LayoutField::kAfterLast: p.Say("the end"); break;
  }
}

void SayWhat(Pieces& p, const LayoutError& e) {
  const char* count = e.field == LayoutField::kVarietyCount ? "the number of varieties" : "the number of traits";
  switch (e.kind) {
    case LayoutErrorKind::kNone: p.Say("no error"); break;
    case LayoutErrorKind::kCountNotWhole:
      p.Say(std::string(count) + " is ").Quoted(e.found, e.found_cut).Say(", not a whole number");
      break;
    case LayoutErrorKind::kNoVariety:
      p.Say("holds no variety: its first field, the number of varieties, is not 1 or more");
      break;
    case LayoutErrorKind::kNotANumber:
      SayValue(p, e);
      p.Say(" is ").Quoted(e.found, e.found_cut).Say(", not a number");
      break;
    case LayoutErrorKind::kOutOfRange:
      SayValue(p, e);
      p.Say(" is ").Quoted(e.found, e.found_cut).Say(", a number with too many digits to read as written");
      break;
    case LayoutErrorKind::kEmptyValue:
      SayValue(p, e);
      p.Say(" is empty");
      break;
    case LayoutErrorKind::kEndsEarly:
      p.Say("the file ends before ");
      SayField(p, e);
      p.Say(" (");
      SayAnnounced(p, e);
      p.Say(")");
      break;
    case LayoutErrorKind::kFieldsLeft:
      p.Quoted(e.found, e.found_cut).Say(e.trait >= 1 ? " follows the last value (" : " follows the last name (");
      if (e.trait >= 1) {
        SayName(p, "trait", e.trait, e.trait_name);
        p.Say(" for ");
      }
      SayName(p, "variety", e.variety, e.variety_name);
      p.Say("; ");
      SayAnnounced(p, e);
      p.Say(")");
      break;
    case LayoutErrorKind::kReadFailed: p.Say("the data file could not be read"); break;
  }
}

// True when the error is the empty field its cause made, rather than a
// field that the empty one pushed out of place.
bool IsTheEmptyField(const LayoutError& e) {
  return e.kind == LayoutErrorKind::kEmptyValue || (e.kind == LayoutErrorKind::kCountNotWhole && e.found.empty());
}

void SayCause(Pieces& p, const LayoutError& e) {
  const std::string line = std::to_string(e.cause_line);
  const char* shifted = IsTheEmptyField(e) ? "" : ", and every later field is read one place late";
  switch (e.cause) {
    case LayoutCause::kNone: return;
    case LayoutCause::kTrailingBlank:
      p.Say("; a blank at the end of line " + line + " makes its line end one more, empty field" + shifted);
      break;
    case LayoutCause::kTrailingComma:
      p.Say("; a comma at the end of line " + line + " makes its line end one more, empty field" + shifted);
      break;
    case LayoutCause::kEmptyLine:
      p.Say("; the empty line " + line + " is read as one more, empty field" + shifted);
      break;
    case LayoutCause::kDoubleComma:
      p.Say("; two commas in a row on line " + line + " make an empty field between them" + shifted);
      break;
    case LayoutCause::kLeadingComma:
      p.Say("; a comma at the start of line " + line + " makes an empty field before it" + shifted);
      break;
    case LayoutCause::kDecimalComma:
      p.Say("; ").Quoted(e.cause_text, false).Say(" on line " + line +
          " looks like a decimal comma: the comma splits it into two values, and every later field is read "
          "one place late");
      break;
    case LayoutCause::kNameTookLine:
      p.Say("; the name ").Quoted(e.cause_text, false).Say(" on line " + line +
          " is followed by a blank and its values: the name took the whole line (end a name with a comma "
          "or a line end)");
      break;
    case LayoutCause::kShortLine:
      p.Say("; line " + line + " may hold too few values: the next line's first field was read as this value");
      break;
    case LayoutCause::kLoneCarriageReturn:
      p.Say("; the field holds a CR that ends no line (lines end in LF or CR LF)");
      break;
    case LayoutCause::kByteOrderMark:
      p.Say("; the file starts with a UTF-8 byte-order mark; save it without one");
      break;
    case LayoutCause::kUtf16: p.Say("; the file is in UTF-16; save it as Shift-JIS or UTF-8"); break;
  }
}

}  // namespace

std::vector<LayoutTextPiece> LayoutErrorPieces(const LayoutError& error) {
  Pieces p;
  if (error.kind != LayoutErrorKind::kNoVariety) p.Say("line ").Number(error.line).Say(": ");
  SayWhat(p, error);
  SayCause(p, error);
  return p.Take();
}

std::string LayoutErrorText(const LayoutError& error) {
  std::string text;
  for (const LayoutTextPiece& piece : LayoutErrorPieces(error)) text += piece.text;
  return text;
}

}  // namespace kyori
