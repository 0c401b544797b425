// One input of the data-reader fuzz target: file input statements, with any
// mix of target kinds, run on any bytes until the file has no byte left.
//
// Layout of an input: byte 0 gives the number of kind selectors (bits 0 to 4,
// 0 to 31), the channel (bits 5 and 6 pick 1, 100, 200 or 256) and whether
// the file is padded (bit 7); the selectors follow; every byte after them is
// the file. A padded file starts with one long field of "a" bytes, so that
// the input's own bytes meet the end of the channel's 64 KiB read-ahead: the
// boundary falls among their first 16 bytes, where depends on their count. Statement s has
// 1 + (selector s >> 3) targets (at most 31), and its target t has the kind
// that the low three bits of selector s + t pick (cycling through the
// selectors): the six kinds and one unknown code, text counted twice. With no
// selectors every statement has one text target.
//
// Every target is its own heap block of exactly its kind's size, so a store
// of the wrong width is caught. Checks: each statement consumes at least one
// byte while the file has bytes left (so the reading ends); a stored text
// holds no NUL and no LF, which always end a field; and once the targets and
// the channel are released, the count of live texts is what it was before.
#ifndef KYORI_FUZZ_FUZZ_DATA_READER_H_
#define KYORI_FUZZ_FUZZ_DATA_READER_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_run.h"
#include "fuzz/global_state.h"
#include "text/byte_string.h"
#include "io/channels.h"
#include "io/input_statement.h"

namespace kyori::fuzz {

inline constexpr InputKind kUnknownKind = 2;
inline constexpr std::size_t kReadAheadPadding = 65537;
inline constexpr InputKind kSelectableKinds[8] = {KindInt8,    KindInt16,   KindInt32, KindFloat32,
                                                  KindFloat64, KindText,    KindText,  kUnknownKind};

// A target's storage: one heap block of the kind's exact size.
struct ReaderTarget {
  InputKind kind;
  void* address;
};

inline void* NewTargetStorage(InputKind kind) {
  switch (kind) {
    case KindInt16: return new int16_t(0);
    case KindInt32: return new int32_t(0);
    case KindFloat32: return new float(0);
    case KindFloat64: return new double(0);
    case KindText: return new ByteString();
    default: return new int8_t(0);  // KindInt8, and the unknown code
  }
}

inline void DeleteTargetStorage(const ReaderTarget& target) {
  switch (target.kind) {
    case KindInt16: delete static_cast<int16_t*>(target.address); break;
    case KindInt32: delete static_cast<int32_t*>(target.address); break;
    case KindFloat32: delete static_cast<float*>(target.address); break;
    case KindFloat64: delete static_cast<double*>(target.address); break;
    case KindText: delete static_cast<ByteString*>(target.address); break;
    default: delete static_cast<int8_t*>(target.address); break;
  }
}

inline bool TextEndsFieldsOnly(const ReaderTarget& target) {
  if (target.kind != KindText) return true;
  const std::string_view text = static_cast<const ByteString*>(target.address)->View();
  return text.find('\0') == std::string_view::npos && text.find('\n') == std::string_view::npos;
}

// True when the channel has a byte left to read; the byte stays unread.
inline bool ChannelHasByteLeft(int32_t channel) {
  if (ReadChannelByte(channel) < 0) return false;
  GiveBackChannelByte(channel);
  return true;
}

// Runs the statements of one input. Returns nullptr when every check held,
// else what went wrong.
inline const char* ReadStatements(std::string_view input) {
  if (input.empty()) return nullptr;
  const auto header = static_cast<unsigned char>(input[0]);
  const std::size_t selector_count = std::min<std::size_t>(header & 31u, input.size() - 1);
  constexpr int32_t kChannels[4] = {1, 100, 200, 256};
  const int32_t channel = kChannels[(header >> 5) & 3u];
  const std::string_view selectors = input.substr(1, selector_count);
  std::string file(input.substr(1 + selector_count));
  if (header & 128u) file.insert(0, kReadAheadPadding - file.size() % 17, 'a');

  const RunFolder& folder = TheRunFolder();
  if (!WriteFileBytes(folder.data_file, file)) return "the data file could not be written";
  ResetGlobalState();
  const int32_t live_before = LiveByteStringCount();
  OpenChannel(TextFromBytes(folder.data_file), kOpenRead, channel);
  if (!ChannelIsOpen(channel)) return "the data file did not open";

  const char* failure = nullptr;
  std::vector<ReaderTarget> targets;
  std::size_t statements = 0;
  while (failure == nullptr && ChannelHasByteLeft(channel)) {
    if (++statements > file.size()) {
      failure = "a statement consumed no byte";
      break;
    }
    const std::size_t s = statements - 1;
    auto selector = [&](std::size_t i) {
      return static_cast<unsigned char>(selectors[i % selectors.size()]);
    };
    const int count = selectors.empty() ? 1 : std::min(1 + (selector(s) >> 3), kInputTargetSlots - 1);
    for (const ReaderTarget& target : targets) DeleteTargetStorage(target);
    targets.clear();
    std::vector<InputTarget> list;
    for (int t = 0; t < count; ++t) {
      const InputKind kind = selectors.empty() ? KindText : kSelectableKinds[selector(s + t) & 7u];
      targets.push_back({kind, NewTargetStorage(kind)});
      list.push_back({targets.back().address, kind});
    }
    SetInputTargets(list.data(), count);
    ReadFromChannel(channel);
    for (const ReaderTarget& target : targets) {
      if (!TextEndsFieldsOnly(target)) failure = "a stored text holds a NUL or an LF";
    }
  }
  for (const ReaderTarget& target : targets) DeleteTargetStorage(target);
  SetInputTargets(nullptr, 0);
  CloseChannel(channel);
  if (failure == nullptr && LiveByteStringCount() != live_before) {
    failure = "the statements left live texts behind";
  }
  return failure;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_DATA_READER_H_
