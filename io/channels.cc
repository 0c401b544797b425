#include "io/channels.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "io/console_encoding.h"
#include "text/display_utf8.h"

namespace kyori {

platform::FileHandle ConsoleOut = platform::kInvalidHandle;
platform::FileHandle ConsoleIn = platform::kInvalidHandle;

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

enum class SlotState : uint8_t { kClosed, kOpen, kFailed };

struct ChannelSlot {
  SlotState state = SlotState::kClosed;
  platform::FileHandle handle = platform::kInvalidHandle;
  bool owns_handle = true;  // false for a standard handle lent by AttachChannel
  bool write_failed = false;
  std::vector<char> pending_out;  // written, not yet sent to the file
  // Read-ahead: bytes [read_pos, read_end) are not yet consumed; the byte at
  // read_pos - 1 (when read_pos > 0) is the last one consumed, kept so that it
  // can always be given back.
  std::vector<char> read_ahead;
  std::size_t read_pos = 0;
  std::size_t read_end = 0;
};

ChannelSlot ChannelTable[kChannelCount];

struct ConsoleState {
  std::vector<char> pending_out;
  std::vector<char> read_ahead;
  std::size_t read_pos = 0;
  std::size_t read_end = 0;
  bool input_ended = false;
};

ConsoleState Console;

ChannelSlot* SlotFor(int32_t channel) {
  if (channel < 1 || channel > kChannelCount) return nullptr;
  return &ChannelTable[channel - 1];
}

void SendPendingOutput(ChannelSlot& slot) {
  if (slot.pending_out.empty()) return;
  if (!platform::WriteFile(slot.handle, slot.pending_out.data(), slot.pending_out.size())) {
    slot.write_failed = true;
  }
  slot.pending_out.clear();
}

// Before writing after reading, the file position goes back to where the
// reader stands, and the read-ahead is dropped.
void DropReadAhead(ChannelSlot& slot) {
  const std::size_t unread = slot.read_end - slot.read_pos;
  if (unread > 0) platform::SeekFromCurrent(slot.handle, -static_cast<std::int64_t>(unread));
  slot.read_pos = slot.read_end = 0;
}

void AppendToChannel(ChannelSlot& slot, std::string_view bytes) {
  if (slot.state != SlotState::kOpen) return;  // lost: the channel is unusable
  if (slot.read_end != 0) DropReadAhead(slot);
  if (slot.pending_out.size() + bytes.size() > kBufferSize) SendPendingOutput(slot);
  if (bytes.size() >= kBufferSize) {
    if (!platform::WriteFile(slot.handle, bytes.data(), bytes.size())) slot.write_failed = true;
    return;
  }
  slot.pending_out.insert(slot.pending_out.end(), bytes.begin(), bytes.end());
}

void FlushAllChannels() {
  for (ChannelSlot& slot : ChannelTable) {
    if (slot.state == SlotState::kOpen) SendPendingOutput(slot);
  }
}

// Refills a read-ahead buffer, keeping the last consumed byte at its front.
// Returns the count read, 0 at the end, -1 on failure.
std::ptrdiff_t Refill(platform::FileHandle handle, std::vector<char>& buffer, std::size_t& pos,
                      std::size_t& end) {
  // A read-ahead grown by ReadAheadChannelBytes keeps its size.
  if (buffer.size() < kBufferSize + 1) buffer.assign(kBufferSize + 1, 0);
  std::size_t keep = 0;
  if (pos > 0) {
    buffer[0] = buffer[pos - 1];
    keep = 1;
  }
  pos = end = keep;
  const std::ptrdiff_t got = platform::ReadFile(handle, buffer.data() + keep, buffer.size() - keep);
  if (got > 0) end = keep + static_cast<std::size_t>(got);
  return got;
}

// Gives a closed slot its new handle: open, or failed when the handle is
// invalid; `owns` when closing the channel closes the handle too (a handle
// lent by AttachChannel stays open).
void Seat(ChannelSlot& slot, platform::FileHandle handle, bool owns) {
  slot.handle = handle;
  slot.state = handle == platform::kInvalidHandle ? SlotState::kFailed : SlotState::kOpen;
  slot.owns_handle = owns;
  slot.write_failed = false;
  slot.read_pos = slot.read_end = 0;
  slot.pending_out.clear();
}

// The platform's open mode for a channel's; false for a value that is no
// mode (such an open fails).
bool PlatformMode(OpenMode mode, platform::OpenMode* platform_mode) {
  switch (mode) {
    case kOpenReadWrite: *platform_mode = platform::OpenMode::kReadWrite; return true;
    case kOpenRead: *platform_mode = platform::OpenMode::kRead; return true;
    case kOpenCreate: *platform_mode = platform::OpenMode::kCreate; return true;
    case kOpenAppend: *platform_mode = platform::OpenMode::kAppend; return true;
    case kOpenReadShared: *platform_mode = platform::OpenMode::kReadShared; return true;
    default: return false;
  }
}

}  // namespace

void TakeConsoleHandles() {
  ConsoleOut = platform::StandardOutput();
  ConsoleIn = platform::StandardInput();
}

void OpenChannel(ByteString name, OpenMode mode, int32_t channel) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr) return;
  CloseChannel(channel);
  platform::OpenMode platform_mode = platform::OpenMode::kRead;
  const platform::FileHandle handle = PlatformMode(mode, &platform_mode)
                                          ? platform::OpenFile(name.IsNull() ? "" : name.Data(), platform_mode)
                                          : platform::kInvalidHandle;
  Seat(*slot, handle, true);
}

void AttachChannel(int32_t channel, platform::FileHandle handle) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr) return;
  CloseChannel(channel);
  Seat(*slot, handle, false);
}

bool ChannelIsOpen(int32_t channel) {
  const ChannelSlot* slot = SlotFor(channel);
  return slot != nullptr && slot->state == SlotState::kOpen;
}

bool CloseChannel(int32_t channel) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr || slot->state == SlotState::kClosed) return true;
  if (slot->state == SlotState::kOpen) {
    SendPendingOutput(*slot);
    if (slot->owns_handle && !platform::CloseFile(slot->handle)) slot->write_failed = true;
  }
  const bool all_written = !slot->write_failed;
  slot->state = SlotState::kClosed;
  slot->handle = platform::kInvalidHandle;
  slot->read_pos = slot->read_end = 0;
  slot->pending_out.clear();
  slot->pending_out.shrink_to_fit();
  slot->read_ahead.clear();
  slot->read_ahead.shrink_to_fit();
  return all_written;
}

void WriteToChannel(int32_t channel, ByteString text) {
  WriteBytesToChannel(channel, text.View());
}

void WriteBytesToChannel(int32_t channel, std::string_view bytes) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot != nullptr) AppendToChannel(*slot, bytes);
}

bool FlushChannel(int32_t channel) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr) return true;
  if (slot->state == SlotState::kOpen) SendPendingOutput(*slot);
  return !slot->write_failed;
}

int ReadChannelByte(int32_t channel) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr || slot->state != SlotState::kOpen) return kChannelReadFailed;
  if (slot->read_pos == slot->read_end) {
    SendPendingOutput(*slot);
    const std::ptrdiff_t got = Refill(slot->handle, slot->read_ahead, slot->read_pos, slot->read_end);
    if (got < 0) return kChannelReadFailed;
    if (got == 0) return kEndOfChannel;
  }
  return static_cast<unsigned char>(slot->read_ahead[slot->read_pos++]);
}

std::string_view PeekChannelBytes(int32_t channel) {
  const ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr || slot->state != SlotState::kOpen) return {};
  return std::string_view(slot->read_ahead.data() + slot->read_pos, slot->read_end - slot->read_pos);
}

std::string_view ReadAheadChannelBytes(int32_t channel, std::size_t count) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr || slot->state != SlotState::kOpen) return {};
  SendPendingOutput(*slot);
  std::vector<char>& buffer = slot->read_ahead;
  while (slot->read_end - slot->read_pos < count) {
    // The unread bytes, and the last one consumed, move to the front; the
    // buffer grows to hold `count` of them.
    const std::size_t from = slot->read_pos > 0 ? slot->read_pos - 1 : 0;
    std::memmove(buffer.data(), buffer.data() + from, slot->read_end - from);
    slot->read_pos -= from;
    slot->read_end -= from;
    const std::size_t wanted = std::max(slot->read_pos + count, kBufferSize + 1);
    if (buffer.size() < wanted) buffer.resize(wanted);
    const std::ptrdiff_t got =
        platform::ReadFile(slot->handle, buffer.data() + slot->read_end, buffer.size() - slot->read_end);
    if (got <= 0) break;
    slot->read_end += static_cast<std::size_t>(got);
  }
  return std::string_view(buffer.data() + slot->read_pos, slot->read_end - slot->read_pos);
}

void ConsumeChannelBytes(int32_t channel, std::size_t count) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot == nullptr) return;
  const std::size_t unread = slot->read_end - slot->read_pos;
  slot->read_pos += count < unread ? count : unread;
}

void GiveBackChannelByte(int32_t channel) {
  ChannelSlot* slot = SlotFor(channel);
  if (slot != nullptr && slot->read_pos > 0) --slot->read_pos;
}

void WriteToConsole(ByteString text) { WriteBytesToConsole(text.View()); }

void WriteBytesToConsole(std::string_view bytes) {
  // Shown in UTF-8, each call's bytes are converted as a whole before they
  // join the buffer: a text or a name is never split between two calls.
  std::string shown;
  if (CurrentConsoleEncoding() == ConsoleEncoding::kUtf8) {
    shown = DisplayUtf8(bytes);
    bytes = shown;
  }
  std::vector<char>& out = Console.pending_out;
  if (out.size() + bytes.size() > kBufferSize) FlushConsoleOutput();
  if (bytes.size() >= kBufferSize) {
    platform::WriteFile(ConsoleOut, bytes.data(), bytes.size());
    return;
  }
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void FlushConsoleOutput() {
  std::vector<char>& out = Console.pending_out;
  if (!out.empty()) {
    platform::WriteFile(ConsoleOut, out.data(), out.size());  // a lost console is not reported
    out.clear();
  }
}

ByteString ReadConsoleLine() {
  FlushConsoleOutput();
  FlushAllChannels();
  std::string line;
  bool got_any = false;
  for (;;) {
    if (Console.read_pos == Console.read_end) {
      if (Refill(ConsoleIn, Console.read_ahead, Console.read_pos, Console.read_end) <= 0) break;
    }
    const char* start = Console.read_ahead.data() + Console.read_pos;
    const std::size_t available = Console.read_end - Console.read_pos;
    got_any = true;
    const void* lf = std::memchr(start, '\n', available);
    if (lf == nullptr) {
      line.append(start, available);
      Console.read_pos = Console.read_end;
      continue;
    }
    const std::size_t taken = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
    line.append(start, taken);
    Console.read_pos += taken + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return TextFromBytes(line);
  }
  if (!got_any) {
    Console.input_ended = true;
    return ByteString();
  }
  return TextFromBytes(line);  // a last line without its LF, as it is
}

bool ConsoleInputEnded() { return Console.input_ended; }

void ResetChannels() {
  for (int32_t channel = 1; channel <= kChannelCount; ++channel) CloseChannel(channel);
  Console = ConsoleState();
}

}  // namespace kyori
