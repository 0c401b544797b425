// A palette image as PNG bytes, stored without compression, and those bytes
// as a data: URI, for pictures embedded in an SVG. Needs no library: the
// deflate stream is made of stored blocks, so the file holds about one byte
// per pixel (plus one per row and a few hundred bytes of headers).
//   PalettePng(2, 1, {0, 1}, {{0,0,0}, {255,255,255}}) -> a 2 x 1 PNG, black
//   then white, colour type 3, bit depth 8.
#ifndef KYORI_ANALYSIS_PNG_H_
#define KYORI_ANALYSIS_PNG_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kyori::analysis {

using Rgb = std::array<unsigned char, 3>;

// `indices` holds width * height palette indices, row by row from the top;
// `palette` holds 1 to 256 colours.
std::string PalettePng(int width, int height, const std::vector<unsigned char>& indices,
                       const std::vector<Rgb>& palette);

// "data:image/png;base64,..." for the given PNG bytes.
std::string PngDataUri(std::string_view png);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_PNG_H_
