// One input of the strict-layout fuzz target: the bytes become a data file,
// read once by the dialogue's reading (batch/collection_reader.h) and once
// by strict reading (batch/strict_layout_reader.h).
//
// Layout of an input: byte 0 is a header; every byte after it is the file.
// When bit 0 of the header is set, the file's first line end is followed by
// a long run of "a" bytes (the first trait name, as a rule), so that the end
// of the channel's 64 KiB read-ahead falls among the 32 bytes after it,
// where depends on their count.
//
// Counts whose storage would be large (above 4096 either, or 65536 values)
// are read but not their body, by either reader.
//
// Checks: wherever strict reading accepts, its Collection equals the
// channel reader's bit for bit (counts, values) and byte for byte (names);
// wherever it refuses, the error names a line of the file, a variety and a
// trait within the counts, a text found that the file holds, and renders to
// a text; and once both collections are gone no text is left live.
#ifndef KYORI_FUZZ_FUZZ_STRICT_LAYOUT_H_
#define KYORI_FUZZ_FUZZ_STRICT_LAYOUT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "batch/collection.h"
#include "batch/collection_reader.h"
#include "batch/layout_error.h"
#include "batch/layout_error_text.h"
#include "batch/strict_layout_reader.h"
#include "fuzz/fuzz_run.h"
#include "fuzz/global_state.h"
#include "io/channels.h"
#include "text/byte_string.h"

namespace kyori::fuzz {

inline constexpr int32_t kStrictChannel = 1;
inline constexpr std::size_t kStrictReadAhead = 64 * 1024;

inline bool SmallCounts(const Collection& c) {
  return c.varieties <= 4096 && c.traits <= 4096 &&
         static_cast<std::int64_t>(c.varieties) * c.traits <= 65536;
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool SameCollection(const Collection& a, const Collection& b) {
  if (!SameBits(a.variety_count, b.variety_count) || !SameBits(a.trait_count, b.trait_count)) return false;
  if (a.varieties != b.varieties || a.traits != b.traits || a.values.size() != b.values.size()) return false;
  if (a.trait_names.size() != b.trait_names.size() || a.variety_names.size() != b.variety_names.size()) return false;
  for (std::size_t k = 0; k < a.values.size(); ++k) {
    if (!SameBits(a.values[k], b.values[k])) return false;
  }
  for (std::size_t j = 0; j < a.trait_names.size(); ++j) {
    if (a.trait_names[j].View() != b.trait_names[j].View()) return false;
  }
  for (std::size_t i = 0; i < a.variety_names.size(); ++i) {
    if (a.variety_names[i].View() != b.variety_names[i].View()) return false;
  }
  return true;
}

// What is wrong with an error of strict reading on `file`, or nullptr.
inline const char* CheckLayoutError(const LayoutError& e, const Collection& c, std::string_view file) {
  const std::int64_t lines = 1 + static_cast<std::int64_t>(std::count(file.begin(), file.end(), '\n'));
  if (e.kind != LayoutErrorKind::kNoVariety && (e.line < 1 || e.line > lines)) return "the error's line is not in the file";
  if (e.cause != LayoutCause::kNone && (e.cause_line < 1 || e.cause_line > lines)) return "the cause's line is not in the file";
  if (e.variety < 0 || e.variety > c.varieties || e.trait < 0 || e.trait > c.traits) {
    return "the error's variety or trait is beyond the counts";
  }
  if (file.find(e.found) == std::string_view::npos) return "the text found is not in the file";
  if (e.found.size() > kLayoutTextKeep || e.cause_text.size() > kLayoutTextKeep) return "a text was not cut";
  if (LayoutErrorText(e).empty()) return "the error renders to nothing";
  return nullptr;
}

inline const char* ReadBothWays(const std::string& file) {
  const RunFolder& folder = TheRunFolder();
  if (!WriteFileBytes(folder.data_file, file)) return "the data file could not be written";
  const char* failure = nullptr;
  Collection channel;
  OpenChannel(TextFromBytes(folder.data_file), kOpenRead, kStrictChannel);
  if (!ChannelIsOpen(kStrictChannel)) return "the data file did not open";
  ReadCollectionCounts(kStrictChannel, channel);
  const bool small = SmallCounts(channel);
  if (small) ReadCollectionBody(kStrictChannel, channel);
  CloseChannel(kStrictChannel);

  Collection strict;
  OpenChannel(TextFromBytes(folder.data_file), kOpenRead, kStrictChannel);
  StrictLayoutReader reader(kStrictChannel);
  LayoutError error = reader.ReadCounts(strict);
  if (error.ok() && small) error = reader.ReadBody(strict);
  CloseChannel(kStrictChannel);
  if (!error.ok()) {
    failure = CheckLayoutError(error, strict, file);
  } else if (small && !SameCollection(strict, channel)) {
    failure = "strict reading accepted the file and differs from the channel reader";
  }
  return failure;
}

inline const char* ReadStrictLayout(std::string_view input) {
  if (input.empty()) return nullptr;
  std::string file(input.substr(1));
  if (static_cast<unsigned char>(input[0]) & 1u) {
    const std::size_t at = file.find('\n') == std::string::npos ? file.size() : file.find('\n') + 1;
    file.insert(at, kStrictReadAhead - at - (file.size() - at) % 32, 'a');
  }
  ResetGlobalState();
  const int32_t live_before = LiveByteStringCount();
  const char* failure = ReadBothWays(file);
  if (failure == nullptr && LiveByteStringCount() != live_before) failure = "the readers left live texts behind";
  ResetChannels();
  return failure;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_STRICT_LAYOUT_H_
