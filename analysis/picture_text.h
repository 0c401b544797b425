// What kyori's SVG pictures (svg.h, biplot.h) share: their fonts, names made
// safe for XML, numbers for coordinates, and the colours of groups.
//
// Text is UTF-8 in the font-family list kPictureFonts ("Noto Sans CJK JP",
// "Hiragino Sans", "Yu Gothic", Meiryo, IPAexGothic, sans-serif), so
// Japanese names show where one of them is installed. Every name is cleaned:
// bytes not part of well-formed UTF-8, control characters (U+0000-U+001F,
// U+007F-U+009F) and U+FFFE/U+FFFF become U+FFFD; & < > " ' are written as
// entities.
#ifndef KYORI_ANALYSIS_PICTURE_TEXT_H_
#define KYORI_ANALYSIS_PICTURE_TEXT_H_

#include <string>
#include <string_view>

namespace kyori::analysis {

inline constexpr char kPictureFonts[] =
    "'Noto Sans CJK JP','Hiragino Sans','Yu Gothic',Meiryo,IPAexGothic,sans-serif";

// `text` cleaned and escaped as above, ready to stand in XML text or in a
// double- or single-quoted attribute: "a<b & 'c'" -> "a&lt;b &amp; &apos;c&apos;".
std::string XmlText(std::string_view text);

// `name` cleaned, cut to at most `max_em` em (wide East Asian characters 1
// em, others 0.6) and then ending in "…" where it was cut, and escaped;
// *em gets its width in em.
//   FittedName("つや姫", 24, &em) -> "つや姫", em 3
std::string FittedName(std::string_view name, double max_em, double* em);

// A coordinate: at most two decimals, no trailing zeros, never "-0":
//   12.345 -> "12.35"   3.10 -> "3.1"   -0.001 -> "0"
std::string PictureNumber(double v);

// A "nice" step between axis ticks (1, 2 or 5 times a power of ten) for
// about five ticks over `range` (> 0): 17 / 3 -> 1, 4.2 -> 1, 12 -> 2.
double TickStep(double range);

// A tick's label with the decimals `step` needs, never "-0":
//   (2.5, 0.5) -> "2.5"   (10, 5) -> "10"   (-1e-17, 0.2) -> "0.0"
std::string TickLabel(double v, double step);

// The colour of group g (1, 2, ...) as "#rrggbb": ten colours that stand
// apart on white and from the grey of what belongs to no group, in turn:
// blue, red, green, purple, orange, brown, pink, cyan, olive, navy; group 11
// has group 1's colour again.
const char* GroupColour(int g);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_PICTURE_TEXT_H_
