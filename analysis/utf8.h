// Reading UTF-8 one character at a time, for the writers that must clean
// names: well-formed sequences give their code point; anything else (a stray
// continuation byte, a truncated or overlong sequence, a surrogate, a value
// above U+10FFFF) gives kNotUtf8 and consumes a single byte.
//   "a\xE3\x81\x82" -> 'a', U+3042;   "\xE3\x81" -> kNotUtf8, kNotUtf8
#ifndef KYORI_ANALYSIS_UTF8_H_
#define KYORI_ANALYSIS_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kyori::analysis {

inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The character at text[*pos], advancing *pos past it (*pos < text.size()).
char32_t NextCodePoint(std::string_view text, std::size_t* pos);

// Appends the UTF-8 form of a code point (<= U+10FFFF, not a surrogate).
void AppendUtf8(char32_t code_point, std::string* out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_UTF8_H_
