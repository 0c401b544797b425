#include "analysis/picture_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/utf8.h"

namespace kyori::analysis {
namespace {

std::u32string CleanCodePoints(std::string_view text) {
  std::u32string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = NextCodePoint(text, &pos);
    if (c == kNotUtf8 || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF) {
      c = 0xFFFD;
    }
    out.push_back(c);
  }
  return out;
}

std::string EscapeCodePoints(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: AppendUtf8(c, &out);
    }
  }
  return out;
}

// Width in em: wide (East Asian) characters 1, others 0.6.
double EmWidth(char32_t c) { return c >= 0x1100 ? 1.0 : 0.6; }

}  // namespace

std::string XmlText(std::string_view text) { return EscapeCodePoints(CleanCodePoints(text)); }

std::string FittedName(std::string_view name, double max_em, double* em) {
  std::u32string text = CleanCodePoints(name);
  double width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (width + EmWidth(text[i]) > max_em) {
      text.resize(i);
      text.push_back(0x2026);
      width += 1;
      break;
    }
    width += EmWidth(text[i]);
  }
  *em = width;
  return EscapeCodePoints(text);
}

std::string PictureNumber(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  std::string s(buffer);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

double TickStep(double range) {
  const double rough = range / 5;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double f = rough / power;
  return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * power;
}

std::string TickLabel(double v, double step) {
  if (std::fabs(v) < step * 1e-6) v = 0;  // no "-0.0" from a sum of steps
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 12), v);
  std::string s(buffer);
  return s == "-0" ? "0" : s;
}

const char* GroupColour(int g) {
  static const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                         "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#0b3d91"};
  constexpr int kCount = sizeof kColours / sizeof kColours[0];
  return kColours[((g - 1) % kCount + kCount) % kCount];
}

}  // namespace kyori::analysis
