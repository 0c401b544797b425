#include "batch/layout_causes.h"

#include <cstddef>

#include "batch/layout_number.h"

namespace kyori {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "-"? digits: the part of a number a decimal comma ends.
bool IsWholeText(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  return AllDigits(text);
}

// The last blank-separated word of `text` before `end`; `end` moves to its
// start. Empty when only blanks are left.
std::string_view LastWord(std::string_view text, std::size_t& end) {
  while (end > 0 && IsBlank(text[end - 1])) --end;
  std::size_t start = end;
  while (start > 0 && !IsBlank(text[start - 1])) --start;
  const std::string_view word = text.substr(start, end - start);
  end = start;
  return word;
}

}  // namespace

LayoutCause EmptyFieldCause(FieldEnd before, FieldEnd end) {
  if (end == FieldEnd::kLineEnd || end == FieldEnd::kEndOfFile) {
    switch (before) {
      case FieldEnd::kBlank: return LayoutCause::kTrailingBlank;
      case FieldEnd::kComma: return LayoutCause::kTrailingComma;
      case FieldEnd::kLineEnd:
      case FieldEnd::kNone: return LayoutCause::kEmptyLine;
      default: return LayoutCause::kNone;
    }
  }
  if (end == FieldEnd::kComma) {
    if (before == FieldEnd::kComma || before == FieldEnd::kBlank) return LayoutCause::kDoubleComma;
    if (before == FieldEnd::kLineEnd || before == FieldEnd::kNone) return LayoutCause::kLeadingComma;
  }
  return LayoutCause::kNone;
}

void CauseTracker::Note(LayoutCause cause, std::int64_t line, std::string_view text, int variety) {
  LayoutSuspect suspect{cause, line, std::string(text.substr(0, kLayoutTextKeep)), variety};
  if (earliest_.cause == LayoutCause::kNone) earliest_ = suspect;
  latest_ = std::move(suspect);
}

void CauseTracker::NoteEmptyName(LayoutCause cause, std::int64_t line, int variety) {
  comma_after_whole_ = false;
  if (cause != LayoutCause::kNone) Note(cause, line, {}, variety);
}

void CauseTracker::NoteVarietyName(std::string_view name, std::int64_t line, int traits, int variety) {
  comma_after_whole_ = false;
  if (traits < 1 || name.find_first_of(" \t") == std::string_view::npos) return;
  std::size_t end = name.size();
  for (int k = 0; k < traits; ++k) {
    if (!FitsNumberGrammar(LastWord(name, end))) return;
  }
  if (!LastWord(name, end).empty()) Note(LayoutCause::kNameTookLine, line, name, variety);
}

void CauseTracker::NoteValue(const FieldScanner& field, int variety) {
  const std::string& text = field.Text();
  if (field.Line() != line_) {
    line_ = field.Line();
    comma_after_whole_ = split_by_blank_ = noted_on_line_ = false;
    joined_.clear();
  }
  if (comma_after_whole_ && joined_.empty() && field.Before() == FieldEnd::kComma && !field.BlanksBefore() &&
      AllDigits(text)) {
    joined_ = whole_ + "," + text;
  }
  comma_after_whole_ = field.End() == FieldEnd::kComma && IsWholeText(text);
  if (comma_after_whole_) whole_ = text;
  if (field.End() == FieldEnd::kBlank) split_by_blank_ = true;
  if (!noted_on_line_ && split_by_blank_ && !joined_.empty()) {
    noted_on_line_ = true;
    Note(LayoutCause::kDecimalComma, line_, joined_, variety);
  }
}

const LayoutSuspect& CauseTracker::Near(int variety) const {
  static const LayoutSuspect kNoSuspect;
  if (earliest_.cause != LayoutCause::kNone && earliest_.variety >= variety - 1) return earliest_;
  if (latest_.cause != LayoutCause::kNone && latest_.variety >= variety - 1) return latest_;
  return kNoSuspect;
}

}  // namespace kyori
