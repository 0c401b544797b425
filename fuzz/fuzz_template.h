// One input of the picture-template fuzz target: any template with any slot
// values, through FormatWithTemplate.
//
// Layout of an input: a 2-byte length L (little-endian, cut to what is
// there) and L bytes of template (NUL bytes allowed); then, for as many slots
// as the input still gives, in order: 8 bytes of a number's bit pattern, a
// 2-byte length and that many bytes of text (NUL bytes allowed; lengths over
// 1023 let a field pass the result's limit). Missing bytes count as 0. Slots
// the input does not reach hold 0 and no text.
//
// Checks: the result has at most 1023 bytes and no NUL; a template (up to its
// first NUL) without "#", "@" or "&" comes back as it is, cut to 1023 bytes;
// once the slots are cleared, the count of live texts is what it was before.
#ifndef KYORI_FUZZ_FUZZ_TEMPLATE_H_
#define KYORI_FUZZ_FUZZ_TEMPLATE_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "convert/picture_template.h"
#include "fuzz/global_state.h"
#include "text/byte_string.h"

namespace kyori::fuzz {

inline constexpr std::size_t kTemplateResultMax = 1023;

// Takes the leading bytes of an input in turn.
struct InputBytes {
  std::string_view rest;

  std::string_view Take(std::size_t count) {
    const std::string_view taken = rest.substr(0, count);
    rest.remove_prefix(taken.size());
    return taken;
  }
  uint64_t TakeLittleEndian(std::size_t count) {
    uint64_t value = 0;
    const std::string_view bytes = Take(count);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return value;
  }
  std::string_view TakeCounted() { return Take(static_cast<std::size_t>(TakeLittleEndian(2))); }
};

// Returns nullptr when every check held, else what went wrong.
inline const char* FormatTemplate(std::string_view bytes) {
  InputBytes input{bytes};
  ResetGlobalState();
  const int32_t live_before = LiveByteStringCount();

  const std::string_view picture = input.TakeCounted();
  for (int k = 0; k < kTemplateSlots && !input.rest.empty(); ++k) {
    const uint64_t bits = input.TakeLittleEndian(8);
    std::memcpy(&TemplateArguments.numbers[k], &bits, sizeof bits);
    TemplateArguments.texts[k] = TextFromBytes(input.TakeCounted());
  }

  const ByteString result = FormatWithTemplate(TextFromBytes(picture));
  const std::string_view shown = result.View();
  const char* failure = nullptr;
  const std::string_view scanned = picture.substr(0, picture.find('\0'));
  if (shown.size() > kTemplateResultMax) {
    failure = "the result is longer than 1023 bytes";
  } else if (shown.find('\0') != std::string_view::npos) {
    failure = "the result holds a NUL";
  } else if (scanned.find_first_of("#@&") == std::string_view::npos &&
             shown != scanned.substr(0, kTemplateResultMax)) {
    failure = "a template without fields did not come back as it is";
  }
  for (ByteString& slot : TemplateArguments.texts) slot.Reset();
  if (failure == nullptr && LiveByteStringCount() != live_before + 1) {
    failure = "the template printer left live texts behind";  // the result is still live
  }
  return failure;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_TEMPLATE_H_
