#include "batch/layout_fields.h"

#include <array>
#include <string_view>

#include "io/channels.h"

namespace kyori {
namespace {

bool IsBlank(int byte) { return byte == ' ' || byte == '\t'; }

// The bytes a field takes as they are, in or out of quotes: all but the
// quote, NUL, LF, CR and comma, and for a number the blanks.
struct OrdinaryBytes {
  std::array<bool, 256> name{};
  std::array<bool, 256> number{};
  constexpr OrdinaryBytes() {
    for (int b = 0; b < 256; ++b) {
      const bool special = b == '"' || b == '\0' || b == '\n' || b == '\r' || b == ',';
      name[b] = !special;
      number[b] = !special && b != ' ' && b != '\t';
    }
  }
};
constexpr OrdinaryBytes kOrdinary;

}  // namespace

ScanResult FieldScanner::Next(FieldSplit split) {
  before_ = end_;
  text_.clear();
  const bool name = split == FieldSplit::kName;
  ScanResult result = ScanResult::kField;
  if (!TakeWholeField(name)) {
    result = SkipLeadingBlanks();
    if (result != ScanResult::kField) return result;
    field_line_ = line_;
    result = Gather(name);
  }
  if (result == ScanResult::kField && (!text_.empty() || end_ == FieldEnd::kComma || end_ == FieldEnd::kNul)) {
    last_content_line_ = field_line_;
  }
  return result;
}

// The common case in one piece: the field, what ends it and (after a blank)
// what is skipped after it all wait in the channel's read-ahead, with no
// quote, NUL or lone CR. Takes the field and returns true; otherwise
// consumes nothing and returns false, and the byte-by-byte reading below
// takes it, as the input statement would.
bool FieldScanner::TakeWholeField(bool name) {
  const std::string_view ahead = PeekChannelBytes(channel_);
  const std::size_t size = ahead.size();
  std::size_t start = 0;
  while (start < size && IsBlank(ahead[start])) ++start;
  const std::array<bool, 256>& ordinary = name ? kOrdinary.name : kOrdinary.number;
  std::size_t end = start;
  while (end < size && ordinary[static_cast<unsigned char>(ahead[end])]) ++end;
  if (end == size) return false;
  std::size_t next = end + 1;
  FieldEnd how;
  switch (ahead[end]) {
    case ',': how = FieldEnd::kComma; break;
    case '\n': how = FieldEnd::kLineEnd; break;
    case '\r':
      if (next == size || ahead[next] != '\n') return false;
      ++next;
      how = FieldEnd::kLineEnd;
      break;
    case ' ':
    case '\t':
      while (next < size && IsBlank(ahead[next])) ++next;
      if (next == size) return false;
      if (ahead[next] == ',') ++next;
      how = FieldEnd::kBlank;
      break;
    default: return false;  // a quote or a NUL
  }
  blanks_before_ = start > 0;
  field_line_ = line_;
  if (how == FieldEnd::kLineEnd) ++line_;
  end_ = how;
  text_.assign(ahead.data() + start, end - start);
  ConsumeChannelBytes(channel_, next);
  return true;
}

ScanResult FieldScanner::SkipLeadingBlanks() {
  int byte;
  blanks_before_ = false;
  while (IsBlank(byte = ReadChannelByte(channel_))) blanks_before_ = true;
  if (byte == kEndOfChannel) return ScanResult::kEndOfFile;
  if (byte < 0) return ScanResult::kReadFailed;
  GiveBackChannelByte(channel_);
  return ScanResult::kField;
}

// Appends the run of ordinary bytes waiting in the channel's read-ahead in
// one piece; what each byte would have done is the same.
void FieldScanner::TakeOrdinaryRun(bool name) {
  const std::string_view ahead = PeekChannelBytes(channel_);
  const std::array<bool, 256>& ordinary = name ? kOrdinary.name : kOrdinary.number;
  std::size_t run = 0;
  while (run < ahead.size() && ordinary[static_cast<unsigned char>(ahead[run])]) ++run;
  if (run == 0) return;
  text_.append(ahead.data(), run);
  ConsumeChannelBytes(channel_, run);
}

ScanResult FieldScanner::Gather(bool name) {
  bool inside_quotes = false;
  for (;;) {
    TakeOrdinaryRun(name);
    const int byte = ReadChannelByte(channel_);
    if (byte == kChannelReadFailed) return ScanResult::kReadFailed;
    if (byte == kEndOfChannel) {
      end_ = FieldEnd::kEndOfFile;
      return ScanResult::kField;
    }
    if (byte == '"') inside_quotes = !inside_quotes;
    if (byte == '\0') {
      end_ = FieldEnd::kNul;
      return ScanResult::kField;
    }
    if (byte == '\n') {
      end_ = FieldEnd::kLineEnd;
      ++line_;
      return ScanResult::kField;
    }
    if (byte == '\r') {
      // CR LF ends the field, and so does a CR that ends the file; a CR
      // before any other byte is part of the field.
      const int next = ReadChannelByte(channel_);
      if (next == '\n') ++line_;
      if (next == '\n' || next == kEndOfChannel) {
        end_ = FieldEnd::kLineEnd;
        return ScanResult::kField;
      }
      if (next == kChannelReadFailed) return ScanResult::kReadFailed;
      GiveBackChannelByte(channel_);
      text_.push_back('\r');
      continue;
    }
    if (!inside_quotes && byte == ',') {
      end_ = FieldEnd::kComma;
      return ScanResult::kField;
    }
    if (!inside_quotes && !name && IsBlank(byte)) {
      SkipBlanksAfterField();
      end_ = FieldEnd::kBlank;
      return ScanResult::kField;
    }
    text_.push_back(static_cast<char>(byte));
  }
}

// After a blank ended a number: further blanks and at most one comma go
// with it.
void FieldScanner::SkipBlanksAfterField() {
  int byte;
  do {
    byte = ReadChannelByte(channel_);
  } while (IsBlank(byte));
  if (byte >= 0 && byte != ',') GiveBackChannelByte(channel_);
}

ScanResult FieldScanner::SkipToEnd() {
  for (;;) {
    const int byte = ReadChannelByte(channel_);
    if (byte == kEndOfChannel) return ScanResult::kEndOfFile;
    if (byte == kChannelReadFailed) return ScanResult::kReadFailed;
    if (byte == '\n') {
      ++line_;
    } else if (!IsBlank(byte) && byte != '\r') {
      GiveBackChannelByte(channel_);
      return ScanResult::kField;
    }
  }
}

}  // namespace kyori
