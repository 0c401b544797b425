#include "io/input_statement.h"

#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "convert/text_to_number.h"
#include "io/channels.h"
#include "text/texts.h"

namespace kyori {

InputTargetListData InputTargetList;

namespace {

// FieldBuffer: the field being gathered. It grows with the longest field seen
// and is reused by every statement, so reading a file costs time in
// proportion to its size; a buffer grown by one huge field is given back to
// the heap when the statement ends.
std::vector<char> FieldBuffer;
constexpr std::size_t kFieldBufferKeep = 1 << 20;

void ReleaseFieldBuffer() {
  FieldBuffer.clear();
  if (FieldBuffer.capacity() > kFieldBufferKeep) FieldBuffer.shrink_to_fit();
}

// The number of targets: the entries before the first null address.
int TargetCount() {
  int count = 0;
  while (count < kInputTargetSlots && InputTargetList.addresses[count] != nullptr) ++count;
  return count;
}

// A double as a 32-bit integer: rounded to the nearest, ties to even;
// -2147483648 when the rounded value is out of range or not a number.
int32_t RoundedToInt32(double value) {
  const double rounded = std::nearbyint(value);  // default mode: to nearest, ties to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return INT32_MIN;
  return static_cast<int32_t>(rounded);
}

// Stores the gathered field (FieldBuffer) into target `index` by its kind.
void StoreField(int index) {
  FieldBuffer.push_back('\0');
  const char* field = FieldBuffer.data();
  void* address = InputTargetList.addresses[index];
  switch (InputTargetList.kinds[index]) {
    case KindInt8:
      *static_cast<int8_t*>(address) =
          static_cast<int8_t>(static_cast<uint8_t>(RoundedToInt32(TextToNumber(field))));
      break;
    case KindInt16:
      *static_cast<int16_t*>(address) =
          static_cast<int16_t>(static_cast<uint16_t>(RoundedToInt32(TextToNumber(field))));
      break;
    case KindInt32:
      *static_cast<int32_t*>(address) = RoundedToInt32(TextToNumber(field));
      break;
    case KindFloat32:
      *static_cast<float*>(address) = static_cast<float>(TextToNumber(field));
      break;
    case KindFloat64:
      *static_cast<double*>(address) = TextToNumber(field);
      break;
    case KindText:
      *static_cast<ByteString*>(address) = TextFromBytes(std::string_view(field, std::strlen(field)));
      break;
    default:
      break;  // an unknown kind stores nothing
  }
  FieldBuffer.pop_back();
}

bool IsBlank(int byte) { return byte == ' ' || byte == '\t'; }

// Skips blanks before a field. False when the channel has no byte left or
// cannot be read; otherwise the first byte of the field is left unread.
bool SkipLeadingBlanks(int32_t channel) {
  int byte;
  do {
    byte = ReadChannelByte(channel);
  } while (IsBlank(byte));
  if (byte < 0) return false;
  GiveBackChannelByte(channel);
  return true;
}

// After a blank ended a field: skips further blanks and at most one comma.
void SkipBlanksAfterField(int32_t channel) {
  int byte;
  do {
    byte = ReadChannelByte(channel);
  } while (IsBlank(byte));
  if (byte >= 0 && byte != ',') GiveBackChannelByte(channel);
}

// A byte that a field takes as it is, in or out of quotes: none of the quote,
// the bytes that end a field (NUL, LF, CR, comma) and, for a number, the
// blanks.
bool IsOrdinaryByte(char byte, bool text_target) {
  switch (byte) {
    case '"': case '\0': case '\n': case '\r': case ',': return false;
    case ' ': case '\t': return text_target;
    default: return true;
  }
}

// Appends the run of ordinary bytes waiting in the channel's read-ahead to
// FieldBuffer in one piece, rather than byte by byte; what each byte would
// have done is the same.
void TakeOrdinaryBytes(int32_t channel, bool text_target) {
  const std::string_view ahead = PeekChannelBytes(channel);
  std::size_t run = 0;
  while (run < ahead.size() && IsOrdinaryByte(ahead[run], text_target)) ++run;
  if (run == 0) return;
  FieldBuffer.insert(FieldBuffer.end(), ahead.data(), ahead.data() + run);
  ConsumeChannelBytes(channel, run);
}

// Gathers one field into FieldBuffer. False when a read failed, so that the
// statement ends with nothing stored for this target.
bool GatherChannelField(int32_t channel, bool text_target) {
  FieldBuffer.clear();
  bool inside_quotes = false;
  for (;;) {
    TakeOrdinaryBytes(channel, text_target);
    const int byte = ReadChannelByte(channel);
    if (byte == kChannelReadFailed) return false;
    if (byte == kEndOfChannel) return true;
    if (byte == '"') inside_quotes = !inside_quotes;
    if (byte == '\0' || byte == '\n') return true;
    if (byte == '\r') {
      // CR LF ends the field; a CR that ends the file ends it too and is
      // dropped; a CR before any other byte is part of the field.
      const int next = ReadChannelByte(channel);
      if (next == '\n' || next == kEndOfChannel) return true;
      if (next == kChannelReadFailed) return false;
      GiveBackChannelByte(channel);
      FieldBuffer.push_back('\r');
      continue;
    }
    if (!inside_quotes && byte == ',') return true;
    if (!inside_quotes && !text_target && IsBlank(byte)) {
      SkipBlanksAfterField(channel);
      return true;
    }
    FieldBuffer.push_back(static_cast<char>(byte));
  }
}

void WriteCountMessage(std::string_view message) {
  WriteToConsole(ConcatByteStrings(TextFromBytes(message), CharToByteString('\n')));
}

enum class LineFit { kFits, kTooMany, kTooFew };

// Splits `line` at commas and stores its fields into the targets in order.
// Stops at the first field that has no target left.
LineFit StoreConsoleLine(std::string_view line) {
  const int count = TargetCount();
  std::size_t pos = 0;
  for (int index = 0;; ++index) {
    std::size_t comma = line.find(',', pos);
    const bool on_comma = comma != std::string_view::npos;
    if (!on_comma) comma = line.size();
    FieldBuffer.assign(line.begin() + pos, line.begin() + comma);
    if (index < count) StoreField(index);
    if (index + 1 >= count && on_comma) return LineFit::kTooMany;
    if (!on_comma) return index + 1 < count ? LineFit::kTooFew : LineFit::kFits;
    pos = comma + 1;
  }
}

}  // namespace

void SetInputTargets(const InputTarget* targets, int count) {
  if (count < 0) count = 0;
  if (count > kInputTargetSlots - 1) count = kInputTargetSlots - 1;
  for (int i = 0; i < count; ++i) {
    InputTargetList.addresses[i] = targets[i].address;
    InputTargetList.kinds[i] = targets[i].kind;
  }
  InputTargetList.addresses[count] = nullptr;
  InputTargetList.kinds[count] = 0;
}

void ReadFromChannel(int32_t channel) {
  const int count = TargetCount();
  for (int index = 0; index < count; ++index) {
    if (!SkipLeadingBlanks(channel)) break;
    if (!GatherChannelField(channel, InputTargetList.kinds[index] == KindText)) break;
    StoreField(index);
  }
  ReleaseFieldBuffer();
}

bool ReadFromConsole(ByteString prompt) {
  for (;;) {
    WriteToConsole(CopyOfText(prompt));
    const ByteString line = ReadConsoleLine();
    // A null line (standard input ended) is an empty reply; a line's bytes
    // count up to their first NUL.
    const std::string_view bytes = line.IsNull() ? std::string_view() : std::string_view(line.Data());
    const LineFit fit = StoreConsoleLine(bytes);
    ReleaseFieldBuffer();
    if (fit == LineFit::kFits) return true;
    WriteCountMessage(fit == LineFit::kTooMany ? texts::kTooManyFields.bytes : texts::kTooFewFields.bytes);
    if (ConsoleInputEnded()) return false;
  }
}

}  // namespace kyori
