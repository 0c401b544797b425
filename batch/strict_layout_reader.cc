#include "batch/strict_layout_reader.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "batch/collection_reader.h"
#include "batch/layout_number.h"
#include "kernels/standardize_trait.h"

namespace kyori {
namespace {

bool IsLineEnd(FieldEnd end) { return end == FieldEnd::kLineEnd || end == FieldEnd::kEndOfFile; }

std::string_view Cut(std::string_view text) { return text.substr(0, kLayoutTextKeep); }

// What the bytes of the file's first field tell of its encoding.
LayoutCause EncodingCause(std::string_view first) {
  if (first.substr(0, 3) == "\xEF\xBB\xBF") return LayoutCause::kByteOrderMark;
  if (first.substr(0, 2) == "\xFF\xFE" || first.substr(0, 2) == "\xFE\xFF") return LayoutCause::kUtf16;
  return LayoutCause::kNone;
}

}  // namespace

LayoutError StrictLayoutReader::ReadCounts(Collection& c) {
  if (!ReadCount({LayoutField::kVarietyCount, 0, 0}, c, &c.variety_count)) return Result();
  c.varieties = LoopCount(c.variety_count);
  if (c.variety_count < 1) {
    Fail(LayoutErrorKind::kNoVariety, {LayoutField::kVarietyCount, 0, 0}, c, scanner_.Line());
    return Result();
  }
  if (!ReadCount({LayoutField::kTraitCount, 0, 0}, c, &c.trait_count)) return Result();
  c.traits = LoopCount(c.trait_count);
  return Result();
}

LayoutError StrictLayoutReader::ReadBody(Collection& c) {
  SizeCollectionStorage(c);
  for (int j = 0; j < c.traits; ++j) {
    if (!ReadName({LayoutField::kTraitName, 0, j + 1}, c, &c.trait_names[j])) return Result();
  }
  for (int i = 0; i < c.varieties; ++i) {
    if (!ReadName({LayoutField::kVarietyName, i + 1, 0}, c, &c.variety_names[i])) return Result();
    for (int j = 0; j < c.traits; ++j) {
      if (!ReadValue({LayoutField::kValue, i + 1, j + 1}, c, &c.Value(i, j))) return Result();
    }
  }
  CheckNothingLeft(c);
  return Result();
}

LayoutError StrictLayoutReader::Result() {
  LayoutError result = std::move(error_);
  error_ = LayoutError();
  return result;
}

bool StrictLayoutReader::ReadCount(const Place& place, Collection& c, double* count) {
  const ScanResult result = scanner_.Next(FieldSplit::kNumber);
  if (result != ScanResult::kField) return FailNoField(result, place, c);
  const std::string& text = scanner_.Text();
  FollowEmptyRun(place);
  if (text.empty()) return FailEmpty(LayoutErrorKind::kCountNotWhole, place, c);
  const LayoutNumber number = ReadLayoutNumber(text);
  *count = number.value;
  if (IsWholeNumber(number)) return true;
  Fail(LayoutErrorKind::kCountNotWhole, place, c, scanner_.Line());
  const LayoutCause encoding = place.field == LayoutField::kVarietyCount ? EncodingCause(text) : LayoutCause::kNone;
  if (encoding != LayoutCause::kNone) {
    Blame(encoding, 1);
  } else if (text.find('\r') != std::string::npos) {
    Blame(LayoutCause::kLoneCarriageReturn, scanner_.Line());
  } else {
    Blame(causes_.Earliest());
  }
  return false;
}

bool StrictLayoutReader::ReadName(const Place& place, const Collection& c, ByteString* name) {
  const ScanResult result = scanner_.Next(FieldSplit::kName);
  if (result != ScanResult::kField) return FailNoField(result, place, c);
  const std::string& text = scanner_.Text();
  *name = TextFromBytes(text);
  FollowEmptyRun(place);
  if (text.empty()) {
    causes_.NoteEmptyName(EmptyFieldCause(scanner_.Before(), scanner_.End()), scanner_.Line(), place.variety);
  } else if (place.field == LayoutField::kVarietyName) {
    causes_.NoteVarietyName(text, scanner_.Line(), c.traits, place.variety);
  }
  return true;
}

bool StrictLayoutReader::ReadValue(const Place& place, const Collection& c, double* value) {
  const ScanResult result = scanner_.Next(FieldSplit::kNumber);
  if (result != ScanResult::kField) return FailNoField(result, place, c);
  const std::string& text = scanner_.Text();
  if (text.empty()) {
    FollowEmptyRun(place);
    return FailEmpty(LayoutErrorKind::kEmptyValue, place, c);
  }
  in_run_ = false;
  if (missing_.Holds(text)) {
    *value = std::numeric_limits<double>::quiet_NaN();
    causes_.NoteValue(scanner_, place.variety);
    return true;
  }
  const LayoutNumber number = ReadLayoutNumber(text);
  *value = number.value;
  if (number.kind == NumberText::kNumber) {
    causes_.NoteValue(scanner_, place.variety);
    return true;
  }
  if (number.kind == NumberText::kOutOfRange) {
    return Fail(LayoutErrorKind::kOutOfRange, place, c, scanner_.Line());
  }
  Fail(LayoutErrorKind::kNotANumber, place, c, scanner_.Line());
  const LayoutSuspect& near = causes_.Near(place.variety);
  if (text.find('\r') != std::string::npos) {
    Blame(LayoutCause::kLoneCarriageReturn, scanner_.Line());
  } else if (near.cause != LayoutCause::kNone) {
    Blame(near);
  } else if (place.trait >= 2 && scanner_.Before() == FieldEnd::kLineEnd) {
    Blame(LayoutCause::kShortLine, scanner_.Line() - 1);
  }
  return false;
}

// Blanks and line ends may follow the last field; anything else is a field
// too many.
bool StrictLayoutReader::CheckNothingLeft(const Collection& c) {
  const Place last{LayoutField::kAfterLast, c.varieties, c.traits};
  const ScanResult rest = scanner_.SkipToEnd();
  if (rest == ScanResult::kEndOfFile) return true;
  if (rest == ScanResult::kReadFailed) return FailNoField(rest, last, c);
  scanner_.Next(FieldSplit::kName);
  Fail(LayoutErrorKind::kFieldsLeft, last, c, scanner_.Line());
  Blame(causes_.Earliest());
  return false;
}

void StrictLayoutReader::FollowEmptyRun(const Place& place) {
  if (!scanner_.Text().empty() || !IsLineEnd(scanner_.End())) {
    in_run_ = false;
  } else if (!in_run_) {
    in_run_ = true;
    run_start_ = place;
    suspect_before_run_ = causes_.AnyNoted();
  }
}

// The file ended (or could not be read) where `place` was due; a run of
// empty fields from line ends just before is the end of the file too.
bool StrictLayoutReader::FailNoField(ScanResult result, const Place& place, const Collection& c) {
  const std::int64_t line = std::max<std::int64_t>(1, scanner_.LastContentLine());
  if (result == ScanResult::kReadFailed) return Fail(LayoutErrorKind::kReadFailed, place, c, line);
  Fail(LayoutErrorKind::kEndsEarly, in_run_ ? run_start_ : place, c, line);
  error_.found.clear();
  error_.found_cut = false;
  // The empty fields of the run are the blank lines at the file's end, not a
  // mistake.
  if (!in_run_ || suspect_before_run_) Blame(causes_.Earliest());
  return false;
}

// An empty field where `kind` says no field may be empty: the end of the
// file when only blanks and line ends follow it.
bool StrictLayoutReader::FailEmpty(LayoutErrorKind kind, const Place& place, const Collection& c) {
  const std::int64_t line = scanner_.Line();
  const LayoutCause cause = EmptyFieldCause(scanner_.Before(), scanner_.End());
  if (IsLineEnd(scanner_.End())) {
    const ScanResult rest = scanner_.SkipToEnd();
    if (rest != ScanResult::kField) return FailNoField(rest, place, c);
  }
  Fail(kind, place, c, line);
  Blame(cause, line);
  return false;
}

bool StrictLayoutReader::Fail(LayoutErrorKind kind, const Place& place, const Collection& c, std::int64_t line) {
  error_ = LayoutError();
  error_.kind = kind;
  error_.field = place.field;
  error_.line = line;
  error_.variety = place.variety;
  error_.trait = place.trait;
  if (place.variety >= 1 && static_cast<std::size_t>(place.variety) <= c.variety_names.size()) {
    error_.variety_name = Cut(c.variety_names[place.variety - 1].View());
  }
  if (place.trait >= 1 && static_cast<std::size_t>(place.trait) <= c.trait_names.size()) {
    error_.trait_name = Cut(c.trait_names[place.trait - 1].View());
  }
  error_.found = Cut(scanner_.Text());
  error_.found_cut = scanner_.Text().size() > kLayoutTextKeep;
  error_.varieties_announced = c.variety_count;
  error_.traits_announced = c.trait_count;
  return false;
}

void StrictLayoutReader::Blame(LayoutCause cause, std::int64_t line, std::string_view text) {
  error_.cause = cause;
  error_.cause_line = cause == LayoutCause::kNone ? 0 : line;
  error_.cause_text = Cut(text);
}

LayoutError ReadStrictCollection(std::int32_t channel, Collection& c, const MissingTexts& missing) {
  StrictLayoutReader reader(channel, missing);
  LayoutError error = reader.ReadCounts(c);
  if (error.ok()) error = reader.ReadBody(c);
  return error;
}

}  // namespace kyori
