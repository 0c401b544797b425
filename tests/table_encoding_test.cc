// Finding a table file's encoding: UTF-8 before code page 932, what is no
// text at all, and where each encoding stops being well-formed.
#include "batch/table_encoding.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace kyori {
namespace {

TEST(FindTableEncodingTest, TheHeadersExamples) {
  struct Case {
    std::string bytes;
    TableErrorKind kind;
    TableEncoding encoding;
    bool byte_order_mark;
    std::size_t body_size;
  };
  constexpr TableErrorKind kNone = TableErrorKind::kNone;
  const Case cases[] = {
      {"variety,height\n", kNone, TableEncoding::kUtf8, false, 15},
      {"\xEF\xBB\xBF品種,稈長\n", kNone, TableEncoding::kUtf8, true, 14},
      {"\x95\x69\x8E\xED,x\n", kNone, TableEncoding::kCp932, false, 7},
      {"a,b\n\x01", TableErrorKind::kControlByte, TableEncoding::kUtf8, false, 5},
      {"a\x7F", TableErrorKind::kControlByte, TableEncoding::kUtf8, false, 2},
      {"a\xFF,b\n", TableErrorKind::kBadEncoding, TableEncoding::kUtf8, false, 5},
      {"a\x95", TableErrorKind::kBadEncoding, TableEncoding::kUtf8, false, 2},  // a lead byte at the end
      {"\xA0", TableErrorKind::kBadEncoding, TableEncoding::kUtf8, false, 1},
      {std::string("\xFE\xFF\0a", 4), TableErrorKind::kUtf16, TableEncoding::kUtf8, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    TableText text;
    EXPECT_EQ(FindTableEncoding(c.bytes, &text).kind, c.kind);
    if (c.kind == kNone) {
      EXPECT_EQ(text.encoding, c.encoding);
      EXPECT_EQ(text.byte_order_mark, c.byte_order_mark);
      EXPECT_EQ(text.body.size(), c.body_size);
    }
  }
}

TEST(ValidCp932LengthTest, StopsBeforeTheFirstByteThatStartsNoCharacter) {
  struct Case {
    std::string bytes;
    std::size_t length;
  };
  const Case cases[] = {
      {"\x95\x69" "a", 3}, {"a\x95", 1}, {"a\x80", 1}, {"\xB1\xA0", 1},
      {"\x81\x3F", 0},  // a trail byte below 0x40
      {"\xFC\xFC\xFD", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValidCp932Length(c.bytes), c.length) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace kyori
