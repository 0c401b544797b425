#include "batch/data_file.h"

#include <algorithm>

#include "batch/input_choice.h"
#include "io/channels.h"
#include "platform/platform.h"
#include "text/byte_string.h"

namespace kyori {

DataFile::Opened DataFile::Open(const std::string& name) {
  Close();
  if (name == "-") {
    AttachChannel(kChannel, platform::StandardInput());
  } else {
    if (platform::IsDirectory(name.c_str())) return Opened::kCannotOpen;
    OpenChannel(TextFromBytes(name), kOpenReadShared, kChannel);
  }
  used_ = true;
  if (!ChannelIsOpen(kChannel)) {
    Close();
    return Opened::kCannotOpen;
  }
  if (ReadChannelByte(kChannel) < 0) {
    Close();
    return Opened::kEmpty;
  }
  GiveBackChannelByte(kChannel);
  return Opened::kOpen;
}

std::string_view DataFile::FirstFieldBytes() {
  std::size_t asked = 4096;
  while (true) {
    const std::string_view ahead = ReadAheadChannelBytes(kChannel, asked);
    const bool whole_file = ahead.size() < asked;
    if (whole_file || FirstFieldEnd(ahead) != std::string_view::npos || asked >= kFirstFieldLookMost) return ahead;
    asked = std::min(asked * 4, kFirstFieldLookMost);
  }
}

bool DataFile::ReadAll(std::string* bytes) {
  while (true) {
    const std::string_view waiting = PeekChannelBytes(kChannel);
    bytes->append(waiting);
    ConsumeChannelBytes(kChannel, waiting.size());
    const int next = ReadChannelByte(kChannel);
    if (next == kEndOfChannel) return true;
    if (next < 0) return false;
    bytes->push_back(static_cast<char>(next));
  }
}

void DataFile::Close() {
  if (!used_) return;
  CloseChannel(kChannel);
  used_ = false;
}

}  // namespace kyori
