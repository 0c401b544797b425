#include "batch/data_file.h"

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

void DataFile::Close() {
  if (!used_) return;
  CloseChannel(kChannel);
  used_ = false;
}

}  // namespace kyori
