// Every Shift-JIS text of the program must be the code page 932 encoding of
// the readable text written beside it.
#include "frontend/batch_texts.h"
#include "frontend/read_texts.h"
#include "frontend/pair_texts.h"
#include "text/texts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace kyori {
namespace {

std::string EncodeWithIconv(std::string_view utf8) {
  char path[] = "/tmp/kyori_texts_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return "<mkstemp failed>";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  }
  const std::string command = std::string("iconv -f UTF-8 -t CP932 ") + path;
  std::string encoded;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) encoded.append(buffer, got);
    if (pclose(pipe) != 0) encoded = "<iconv failed>";
  }
  std::remove(path);
  return encoded;
}

TEST(TextsTest, EveryTextIsTheCodePage932EncodingOfItsReadableForm) {
  for (const texts::SjisText* text : texts::kAllTexts) {
    EXPECT_EQ(EncodeWithIconv(text->readable), std::string(text->bytes)) << text->readable;
  }
  for (const texts::SjisText* text : texts::kAllBatchTexts) {
    EXPECT_EQ(EncodeWithIconv(text->readable), std::string(text->bytes)) << text->readable;
  }
  for (const texts::SjisText* text : texts::kAllReadTexts) {
    EXPECT_EQ(EncodeWithIconv(text->readable), std::string(text->bytes)) << text->readable;
  }
  for (const texts::SjisText* text : texts::kAllPairTexts) {
    EXPECT_EQ(EncodeWithIconv(text->readable), std::string(text->bytes)) << text->readable;
  }
}

}  // namespace
}  // namespace kyori
