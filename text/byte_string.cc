#include "text/byte_string.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/platform.h"
#include "text/texts.h"

namespace kyori {
namespace {

// StringRegistry: the set of live texts, indexed by address so that a release
// costs the same however many texts are live. RuntimeLock guards it. Both are
// made once and never destroyed, so texts held by static variables can still
// be released while the process ends.
struct StringRegistry {
  std::mutex runtime_lock;
  std::unordered_set<char*> live;
};

StringRegistry& Registry() {
  static StringRegistry* registry = [] {
    auto* r = new StringRegistry;
    r->live.reserve(4096);
    return r;
  }();
  return *registry;
}

constexpr std::size_t kLengthFieldSize = sizeof(int32_t);

char* AllocateText(int32_t length) {
  if (length < 0) length = 0;
  void* block = std::calloc(static_cast<std::size_t>(length) + kLengthFieldSize + 1, 1);
  if (block == nullptr) std::abort();
  std::memcpy(block, &length, kLengthFieldSize);
  return static_cast<char*>(block) + kLengthFieldSize;
}

void Enter(char* text) {
  StringRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.runtime_lock);
  r.live.insert(text);
}

int32_t LengthOf(const char* text) {
  int32_t length;
  std::memcpy(&length, text - kLengthFieldSize, kLengthFieldSize);
  return length;
}

}  // namespace

ByteString& ByteString::operator=(ByteString&& other) noexcept {
  if (this != &other) {
    Reset();
    text_ = other.text_;
    other.text_ = nullptr;
  }
  return *this;
}

int32_t ByteString::Size() const noexcept { return text_ ? LengthOf(text_) : 0; }

std::string_view ByteString::View() const noexcept {
  return text_ ? std::string_view(text_, static_cast<std::size_t>(LengthOf(text_)))
               : std::string_view();
}

char* ByteString::Detach() noexcept {
  char* text = text_;
  text_ = nullptr;
  return text;
}

void ByteString::Reset() noexcept {
  if (text_ != nullptr) ReleaseByteString(Detach());
}

void InitRuntime() { Registry(); }

ByteString NewByteString(int32_t length) {
  char* text = AllocateText(length);
  Enter(text);
  return ByteString(text);
}

ByteString TextFromBytes(std::string_view bytes) {
  ByteString text = NewByteString(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(text.Data(), bytes.data(), bytes.size());
  return text;
}

ByteString CopyOfText(const ByteString& text) { return TextFromBytes(text.View()); }

void ReleaseByteString(char* text) {
  if (text == nullptr) return;
  StringRegistry& r = Registry();
  bool found;
  {
    std::lock_guard<std::mutex> hold(r.runtime_lock);
    found = r.live.erase(text) == 1;
  }
  if (found) {
    std::free(text - kLengthFieldSize);
    return;
  }
  static constexpr char kLineEnd[] = "\r\n";
  std::string_view message = texts::kUnknownRelease.bytes;
  platform::WriteDebugMessage(message.data(), message.size());
  platform::WriteDebugMessage(kLineEnd, 2);
}

ByteString ConcatByteStrings(ByteString first, ByteString second) {
  const std::string_view a = first.View();
  const std::string_view b = second.View();
  ByteString joined = NewByteString(static_cast<int32_t>(a.size() + b.size()));
  if (!a.empty()) std::memcpy(joined.Data(), a.data(), a.size());
  if (!b.empty()) std::memcpy(joined.Data() + a.size(), b.data(), b.size());
  return joined;  // both operands are released as they go out of scope
}

ByteString CharToByteString(unsigned char code) {
  ByteString text = NewByteString(1);
  text.Data()[0] = static_cast<char>(code);
  return text;
}

unsigned FirstByteOf(ByteString text) {
  return text.IsNull() ? 0u : static_cast<unsigned char>(text.Data()[0]);
}

int32_t LiveByteStringCount() {
  StringRegistry& r = Registry();
  std::lock_guard<std::mutex> hold(r.runtime_lock);
  return static_cast<int32_t>(r.live.size());
}

}  // namespace kyori
