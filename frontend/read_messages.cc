// SayTableError and SayOneVariety (frontend/read_messages.h): a table's
// faults, where the table reader found them, named by the file's own words.
#include "frontend/read_messages.h"

#include <cstdio>
#include <string>

#include "frontend/read_texts.h"

namespace kyori {
namespace {

MessageLine& Ja(MessageLine& m, const texts::SjisText& text) { return m.Say("", text); }
MessageLine& Number(MessageLine& m, std::int64_t n) { return m.Plain(std::to_string(n)); }

// "line 7: " / "7行目："
MessageLine& Line(MessageLine& m, std::int64_t line) {
  m.Say("line ", "");
  return Number(m, line).Say(": ", texts::kJaLine);
}

// A table's faults, in the words of either language.
class TableFault {
 public:
  TableFault(MessageLine& m, const TableRead& read)
      : m_(m),
        e_(read.error),
        encoding_(read.format.encoding == TableEncoding::kCp932 ? NameEncoding::kCp932 : NameEncoding::kUtf8),
        decimal_comma_(read.format.decimal_mark == ',') {}

  void Say(bool chosen) {
    Line(m_, e_.line);
    if (SayForm(chosen)) return;
    if (SayName()) return;
    SayValue();
  }

 private:
  bool Japanese() const { return m_.Japanese(); }
  MessageLine& File(const std::string& bytes) { return m_.Data(bytes, encoding_); }
  MessageLine& Quoted(const std::string& bytes) {
    m_.Plain("\"");
    return File(bytes).Plain("\"");
  }

  // Each byte as \xNN: bytes that are no character.
  void Hex(const std::string& bytes) {
    for (const char c : bytes) {
      char text[8];
      std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned char>(c));
      m_.Plain(text);
    }
  }

  // "40000 traits; at most 32767" / "40000の形質があります．形質は32767までです"
  void Counted(const char* english, const texts::SjisText& japanese) {
    Number(m_, e_.count).Say(english, japanese);
    Number(m_, e_.limit);
    Ja(m_, texts::kJaAtMost);
  }

  bool SayForm(bool chosen);
  bool SayName();
  void SayValue();
  void SayRagged();

  MessageLine& m_;
  const TableError& e_;
  NameEncoding encoding_;
  bool decimal_comma_;
};

// The faults of the file's form; false for a fault of one cell.
bool TableFault::SayForm(bool chosen) {
  switch (e_.kind) {
    case TableErrorKind::kUtf16:
      m_.Say("UTF-16 is not read; save the table as UTF-8 or Shift-JIS", texts::kJaUtf16Table);
      return true;
    case TableErrorKind::kControlByte:
      m_.Say("a control byte ", texts::kJaControlByte);
      Hex(e_.found);
      m_.Say(": not a text table", texts::kJaNotATextTable);
      return true;
    case TableErrorKind::kBadEncoding:
      m_.Say("the bytes ", texts::kJaBadBytes);
      Hex(e_.found);
      m_.Say(" are neither UTF-8 nor Shift-JIS", texts::kJaNeitherEncoding);
      return true;
    case TableErrorKind::kUnterminatedQuote:
      m_.Say("the quote opened here is never closed", texts::kJaQuoteNotClosed);
      return true;
    case TableErrorKind::kTextAfterQuote:
      if (Japanese()) Ja(m_, texts::kJaAfterClosingQuote);
      Quoted(e_.found).Say(" follows a closing quote", texts::kJaThereIs);
      return true;
    case TableErrorKind::kNoTraitColumn:
      m_.Say("the header has no trait column", texts::kJaNoTraitColumn);
      if (chosen) m_.Say(" (is the delimiter right?)", texts::kJaDelimiterRight);
      return true;
    case TableErrorKind::kTooManyTraits: Counted(" traits; at most ", texts::kJaTraitsCounted); return true;
    case TableErrorKind::kNoVariety: m_.Say("the header is the only row", texts::kJaHeaderOnly); return true;
    case TableErrorKind::kTooManyVarieties:
      Counted(" varieties; at most ", texts::kJaVarietiesCounted);
      return true;
    case TableErrorKind::kRaggedRow: SayRagged(); return true;
    default: return false;
  }
}

// "the row x has 3 cells, the header 4" / "品種 x の行のセルは3個，見出し行は4個です"
void TableFault::SayRagged() {
  if (Japanese()) {
    Ja(m_, texts::kJaRowOf);
    File(e_.variety);
    Ja(m_, texts::kJaRowHas);
  } else {
    m_.Plain("the row ");
    if (!e_.variety.empty()) File(e_.variety).Plain(" ");
    m_.Plain("has ");
  }
  Number(m_, e_.count).Say(" cells, the header ", texts::kJaHeaderHas);
  Number(m_, e_.limit).Say("", texts::kJaCells);
}

// The faults of a variety's name; false for a fault of a value.
bool TableFault::SayName() {
  switch (e_.kind) {
    case TableErrorKind::kNameTooLong:
      m_.Say("a name of ", "");
      Number(m_, e_.count).Say(" bytes; at most ", texts::kJaNameBytes);
      Number(m_, e_.limit).Say(" bytes", texts::kJaBytesAtMost);
      return true;
    case TableErrorKind::kEmptyVarietyName:
      m_.Say("a row without a variety name", texts::kJaNoVarietyName);
      return true;
    case TableErrorKind::kVarietyNameLineBreak:
      m_.Say("the variety name ", texts::kJaVarietyName);
      Quoted(e_.found).Say(" holds a line break", texts::kJaHoldsLineBreak);
      return true;
    case TableErrorKind::kDuplicateVarietyName:
      m_.Say("the variety ", texts::kJaVariety);
      File(e_.found).Say(" is already on line ", texts::kJaAlreadyOn);
      Number(m_, e_.first_line).Say("", texts::kJaAlreadyOnEnd);
      return true;
    default: return false;
  }
}

// "value of 穂長 for コシヒカリ is "abc", not a number" /
// "コシヒカリの穂長の値が"abc"で，数ではありません"
void TableFault::SayValue() {
  auto trait = [this] {
    if (!e_.trait.empty()) {
      File(e_.trait);
    } else {
      m_.Say("trait ", texts::kJaTraitNumbered);
      Number(m_, e_.column - 1);
    }
  };
  if (Japanese()) {
    File(e_.variety);
    Ja(m_, texts::kJaOf);
    trait();
    Ja(m_, texts::kJaValueOf);
  } else {
    m_.Plain("value of ");
    trait();
    m_.Plain(" for ");
    File(e_.variety);
  }
  switch (e_.kind) {
    case TableErrorKind::kEmptyValue: m_.Say(" is empty", texts::kJaIsEmpty); break;
    case TableErrorKind::kNumberTooLarge:
      m_.Say(" is ", "");
      Quoted(e_.found).Say(", too large", texts::kJaTooLarge);
      break;
    default:
      m_.Say(" is ", texts::kJaIs);
      Quoted(e_.found).Say(", not a number", texts::kJaNotANumber);
      if (decimal_comma_ && e_.found.find('.') != std::string::npos) {
        m_.Say("; the decimal mark is a comma", texts::kJaDecimalIsComma);
      }
      break;
  }
}

}  // namespace

void SayTableError(MessageLine& message, const TableRead& read, bool chosen) { TableFault(message, read).Say(chosen); }

void SayOneVariety(MessageLine& message, std::int64_t line, std::string_view name, NameEncoding encoding) {
  Line(message, line);
  message.Say("the table holds one variety (", texts::kJaOneVariety).Data(name, encoding);
  message.Say("); standardizing needs at least two", texts::kJaOneVarietyEnd);
}

}  // namespace kyori
