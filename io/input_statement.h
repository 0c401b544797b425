// The input statement: reads the next fields of text and stores them,
// converted, into the targets listed in InputTargetList.
//
// ReadFromChannel reads a file opened on a channel, continuing where the
// previous statement on that channel stopped. Blanks before a field are
// skipped; a field ends at a comma, CR LF, LF, NUL or the end of the file, and
// for a numeric target also at a space or tab (after which further blanks and
// at most one comma are skipped). Double quotes stay in the field and protect
// commas and blanks. A CR not followed by LF belongs to the field; a CR that is
// the file's last byte ends the field and is not part of it.
//
// ReadFromConsole writes a prompt, reads one console line and splits it at
// commas only; the count of fields must equal the count of targets, else
// "入力データの個数が多すぎます" or "入力データの個数が足りません" (each with
// one LF) and the prompt again. A read that finds standard input ended gives
// an empty line; a question that would then have to be asked again is not:
// the message is written and ReadFromConsole returns false.
#ifndef KYORI_IO_INPUT_STATEMENT_H_
#define KYORI_IO_INPUT_STATEMENT_H_

#include <cstdint>

#include "text/byte_string.h"

namespace kyori {

// What an input target is; any other code stores nothing (the field is
// still consumed).
using InputKind = int32_t;
inline constexpr InputKind KindInt8 = 1;     // int8_t: low 8 bits of the rounded value
inline constexpr InputKind KindInt16 = 3;    // int16_t: low 16 bits
inline constexpr InputKind KindInt32 = 5;    // int32_t: out of range gives -2147483648
inline constexpr InputKind KindFloat32 = 8;  // float
inline constexpr InputKind KindFloat64 = 9;  // double
inline constexpr InputKind KindText = 10;    // ByteString: old text released, new one stored

inline constexpr int kInputTargetSlots = 32;

struct InputTarget {
  void* address;
  InputKind kind;
};

// The one target list: entries 0 to n - 1 are the targets, entry n has a null
// address. At most 31 targets.
struct InputTargetListData {
  void* addresses[kInputTargetSlots];
  InputKind kinds[kInputTargetSlots];
};
extern InputTargetListData InputTargetList;

// Fills InputTargetList with `count` targets and the end mark.
void SetInputTargets(const InputTarget* targets, int count);

// Fills the targets from the channel's file. On a channel that is not open, or
// at the end of the file before a field starts, the remaining targets keep
// their values.
void ReadFromChannel(int32_t channel);

// Writes `prompt` (released) and fills the targets from one console line,
// asking again until a line fits. Returns false when standard input ended and
// the question would have had to be asked again.
bool ReadFromConsole(ByteString prompt);

}  // namespace kyori

#endif  // KYORI_IO_INPUT_STATEMENT_H_
