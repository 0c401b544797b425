// Re-encoding text for the tests' expectations with the C library's iconv:
// strict, so that an expectation never rests on a replacement character.
//
//   Reencode("\x95\x69\x8E\xED", "CP932", "UTF-8") -> "品種"
//   Reencode("品種", "UTF-8", "CP932")             -> "\x95\x69\x8E\xED"
//   Reencode("\xFF", "CP932", "UTF-8")             -> nullopt
#ifndef KYORI_TESTS_REENCODE_H_
#define KYORI_TESTS_REENCODE_H_

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace kyori::testing {

// `bytes` from encoding `from` to encoding `to`; nullopt when any byte does
// not convert (or the converter is missing).
inline std::optional<std::string> Reencode(std::string_view bytes, const char* from, const char* to) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(bytes);
  std::string out(in.size() * 4 + 16, '\0');
  char* in_at = in.data();
  std::size_t in_left = in.size();
  char* out_at = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(converter, &in_at, &in_left, &out_at, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace kyori::testing

#endif  // KYORI_TESTS_REENCODE_H_
