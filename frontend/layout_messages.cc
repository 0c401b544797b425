// SayLayoutError (frontend/read_messages.h): in English the pieces of
// batch/layout_error_text.h; in Japanese the same facts in Japanese order.
#include <cstdio>
#include <string>

#include "batch/layout_error_text.h"
#include "frontend/batch_texts.h"
#include "frontend/read_messages.h"
#include "frontend/read_texts.h"

namespace kyori {
namespace {

std::string CountText(double count) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", count);
  return text;
}

// Japanese from here on: the English side of each Say is never shown.
MessageLine& Ja(MessageLine& m, const texts::SjisText& text) { return m.Say("", text); }

MessageLine& Quoted(MessageLine& m, const std::string& bytes, bool cut) {
  return m.Plain("\"").Data(bytes).Plain(cut ? "...\"" : "\"");
}

// "コシヒカリ", or "品種3" when the name is empty.
void SayName(MessageLine& m, const texts::SjisText& numbered, int number, const std::string& name) {
  if (name.empty()) {
    Ja(m, numbered).Plain(std::to_string(number));
  } else {
    m.Data(name);
  }
}

// "コシヒカリの穂長の値"
void SayValue(MessageLine& m, const LayoutError& e) {
  SayName(m, texts::kJaVarietyNumbered, e.variety, e.variety_name);
  Ja(m, texts::kJaOf);
  SayName(m, texts::kJaTraitNumbered, e.trait, e.trait_name);
  Ja(m, texts::kJaValueOf);
}

// "（品種数 12，形質数 5 とあります）"
void SayAnnounced(MessageLine& m, const LayoutError& e) {
  Ja(m, texts::kJaAnnounced).Plain(CountText(e.varieties_announced));
  Ja(m, texts::kJaAnnouncedTraits).Plain(CountText(e.traits_announced));
  Ja(m, texts::kJaAnnouncedEnd);
}

void SayField(MessageLine& m, const LayoutError& e) {
  switch (e.field) {
    case LayoutField::kVarietyCount: Ja(m, texts::kJaVarietyCount); break;
    case LayoutField::kTraitCount: Ja(m, texts::kJaTraitCount); break;
    case LayoutField::kTraitName:
      Ja(m, texts::kJaTraitNumbered).Plain(std::to_string(e.trait));
      Ja(m, texts::kJaNameOf);
      break;
    case LayoutField::kVarietyName:
      Ja(m, texts::kJaVarietyNumbered).Plain(std::to_string(e.variety));
      Ja(m, texts::kJaNameOf);
      break;
    case LayoutField::kValue: SayValue(m, e); break;
    case LayoutField::kAfterLast: Ja(m, texts::kJaTheEnd); break;
  }
}

void SayFieldsLeft(MessageLine& m, const LayoutError& e) {
  Ja(m, e.trait >= 1 ? texts::kJaAfterLastValue : texts::kJaAfterLastName);
  SayName(m, texts::kJaVarietyNumbered, e.variety, e.variety_name);
  if (e.trait >= 1) {
    Ja(m, texts::kJaOf);
    SayName(m, texts::kJaTraitNumbered, e.trait, e.trait_name);
  }
  Ja(m, texts::kJaFollows);
  Quoted(m, e.found, e.found_cut);
  Ja(m, texts::kJaThereIs);
  SayAnnounced(m, e);
}

void SayWhat(MessageLine& m, const LayoutError& e) {
  switch (e.kind) {
    case LayoutErrorKind::kNone: break;
    case LayoutErrorKind::kCountNotWhole:
      Ja(m, e.field == LayoutField::kVarietyCount ? texts::kJaVarietyCount : texts::kJaTraitCount);
      Ja(m, texts::kJaIs);
      Quoted(m, e.found, e.found_cut);
      Ja(m, texts::kJaNotWhole);
      break;
    case LayoutErrorKind::kNoVariety: Ja(m, texts::kJaNoVarieties); break;
    case LayoutErrorKind::kNotANumber:
      SayValue(m, e);
      Ja(m, texts::kJaIs);
      Quoted(m, e.found, e.found_cut);
      Ja(m, texts::kJaNotANumber);
      break;
    case LayoutErrorKind::kOutOfRange:
      SayValue(m, e);
      Quoted(m, e.found, e.found_cut);
      Ja(m, texts::kJaTooManyDigits);
      break;
    case LayoutErrorKind::kEmptyValue:
      SayValue(m, e);
      Ja(m, texts::kJaIsEmpty);
      break;
    case LayoutErrorKind::kEndsEarly:
      SayField(m, e);
      Ja(m, texts::kJaEndsBefore);
      SayAnnounced(m, e);
      break;
    case LayoutErrorKind::kFieldsLeft: SayFieldsLeft(m, e); break;
    case LayoutErrorKind::kReadFailed: Ja(m, texts::kJaCannotRead); break;
  }
}

// As the English text has it: the empty field itself needs no word of the
// fields after it.
bool IsTheEmptyField(const LayoutError& e) {
  return e.kind == LayoutErrorKind::kEmptyValue || (e.kind == LayoutErrorKind::kCountNotWhole && e.found.empty());
}

// "．3行目の"95,5"" before a cause about a text on a line.
void SayLineText(MessageLine& m, const LayoutError& e) {
  Ja(m, texts::kJaCauseLineOf).Plain(std::to_string(e.cause_line));
  Ja(m, texts::kJaLineOf);
}

void SayCause(MessageLine& m, const LayoutError& e) {
  const std::string line = std::to_string(e.cause_line);
  const texts::SjisText* empty_field = nullptr;
  switch (e.cause) {
    case LayoutCause::kNone: return;
    case LayoutCause::kTrailingBlank: empty_field = &texts::kJaCauseTrailingBlank; break;
    case LayoutCause::kTrailingComma: empty_field = &texts::kJaCauseTrailingComma; break;
    case LayoutCause::kEmptyLine: empty_field = &texts::kJaCauseEmptyLine; break;
    case LayoutCause::kDoubleComma: empty_field = &texts::kJaCauseDoubleComma; break;
    case LayoutCause::kLeadingComma: empty_field = &texts::kJaCauseLeadingComma; break;
    case LayoutCause::kDecimalComma:
      SayLineText(m, e);
      Quoted(m, e.cause_text, false);
      Ja(m, texts::kJaCauseDecimalComma);
      return;
    case LayoutCause::kNameTookLine:
      SayLineText(m, e);
      Ja(m, texts::kJaName);
      Quoted(m, e.cause_text, false);
      Ja(m, texts::kJaCauseNameTookLine);
      return;
    case LayoutCause::kShortLine:
      Ja(m, texts::kJaCauseLineOf).Plain(line);
      Ja(m, texts::kJaCauseShortLine);
      return;
    case LayoutCause::kLoneCarriageReturn: Ja(m, texts::kJaCauseLoneCr); return;
    case LayoutCause::kByteOrderMark: Ja(m, texts::kJaCauseByteOrderMark); return;
    case LayoutCause::kUtf16: Ja(m, texts::kJaCauseUtf16); return;
  }
  Ja(m, texts::kJaCauseLineOf).Plain(line);
  Ja(m, *empty_field);
  if (!IsTheEmptyField(e)) Ja(m, texts::kJaShifted);
}

}  // namespace

void SayLayoutError(MessageLine& message, const LayoutError& error) {
  if (!message.Japanese()) {
    for (const LayoutTextPiece& piece : LayoutErrorPieces(error)) {
      if (piece.from_file) {
        message.Data(piece.text);
      } else {
        message.Plain(piece.text);
      }
    }
    return;
  }
  if (error.kind != LayoutErrorKind::kNoVariety) Ja(message.Plain(std::to_string(error.line)), texts::kJaLine);
  SayWhat(message, error);
  SayCause(message, error);
}

}  // namespace kyori
