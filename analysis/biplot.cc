#include "analysis/biplot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "analysis/picture_text.h"

namespace kyori::analysis {
namespace {

constexpr int kNamedVarieties = 500;  // above: dots without names
constexpr int kNamedTraits = 100;     // above: thin arrows without names
constexpr double kLongSide = 560;
constexpr double kLeastSide = 160;
constexpr double kMargin = 16;
constexpr double kLeft = kMargin + 56;  // room for the tick labels and the axis name
constexpr double kRight = 150;          // room for names beside the points
constexpr double kBelow = 70;           // ticks, the axis name, the arrows' factor
constexpr double kMaxNameEm = 16;
constexpr double kArrowReach = 0.8;
constexpr char kGrey[] = "#333333";
constexpr char kArrowColour[] = "#b2182b";

// One axis in score units: [low, high].
struct Span {
  double low = 0;
  double high = 0;
  double Length() const { return high - low; }
};

// The span of one component's scores, 0 included.
Span SpanOf(const Pca& pca, int component) {
  Span s;
  for (int i = 0; i < pca.varieties; ++i) {
    s.low = std::min(s.low, pca.Score(i, component));
    s.high = std::max(s.high, pca.Score(i, component));
  }
  return s;
}

// Widens `s` about its middle to `length`.
void Widen(Span* s, double length) {
  const double extra = (length - s->Length()) / 2;
  s->low -= extra;
  s->high += extra;
}

std::string Percent(double percent) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f%%", percent);
  return buffer;
}

std::string Factor(double factor) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g", factor);
  return buffer;
}

class BiplotWriter {
 public:
  BiplotWriter(const Pca& pca, const std::vector<std::string>& variety_names,
               const std::vector<std::string>& trait_names, const BiplotOptions& options, std::ostream& out)
      : pca_(pca), variety_names_(variety_names), trait_names_(trait_names), options_(options), out_(out) {}

  void Write() {
    Lay();
    out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PictureNumber(width_) << "\" height=\""
         << PictureNumber(height_) << "\" viewBox=\"0 0 " << PictureNumber(width_) << ' ' << PictureNumber(height_)
         << "\" font-family=\"" << kPictureFonts << "\" font-size=\"11\">\n"
         << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
         << "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"7\""
            " markerHeight=\"7\" orient=\"auto\"><path d=\"M0 0L10 5L0 10z\" fill=\""
         << kArrowColour << "\"/></marker></defs>\n";
    if (!options_.title.empty()) {
      out_ << "<text x=\"" << PictureNumber(kMargin) << "\" y=\"" << PictureNumber(kMargin + 14)
           << "\" font-size=\"18\" font-weight=\"bold\">" << XmlText(options_.title) << "</text>\n";
    }
    WriteFrame();
    WriteAxes();
    WriteVarieties();
    WriteTraits();
    out_ << "</svg>\n";
  }

 private:
  // Equal scales on both axes, the longer span kLongSide px, the shorter at
  // least kLeastSide; the arrows' factor.
  void Lay() {
    x_ = SpanOf(pca_, 0);
    y_ = SpanOf(pca_, 1);
    double longer = std::max(x_.Length(), y_.Length());
    if (!(longer > 0)) longer = 1;
    Widen(&x_, x_.Length() + 0.1 * longer);
    Widen(&y_, y_.Length() + 0.1 * longer);
    unit_ = kLongSide / std::max(x_.Length(), y_.Length());
    if (y_.Length() * unit_ < kLeastSide) Widen(&y_, kLeastSide / unit_);
    if (x_.Length() * unit_ < kLeastSide) Widen(&x_, kLeastSide / unit_);
    top_ = kMargin + (options_.title.empty() ? 0 : 30);
    width_ = kLeft + x_.Length() * unit_ + kRight;
    height_ = top_ + y_.Length() * unit_ + kBelow;
    const double room = std::min({-x_.low, x_.high, -y_.low, y_.high});
    double longest = 0;
    for (int j = 0; j < pca_.traits; ++j) longest = std::max(longest, std::hypot(pca_.Loading(j, 0), pca_.Loading(j, 1)));
    factor_ = longest > 0 ? kArrowReach * room / longest : 1;
  }

  double X(double score) const { return kLeft + (score - x_.low) * unit_; }
  double Y(double score) const { return top_ + (y_.high - score) * unit_; }

  void WriteFrame() {
    out_ << "<rect x=\"" << PictureNumber(X(x_.low)) << "\" y=\"" << PictureNumber(Y(y_.high)) << "\" width=\""
         << PictureNumber(x_.Length() * unit_) << "\" height=\"" << PictureNumber(y_.Length() * unit_)
         << "\" fill=\"none\" stroke=\"" << kGrey << "\" stroke-width=\"0.8\"/>\n"
         << "<path stroke=\"#bbbbbb\" stroke-dasharray=\"4 3\" d=\"M" << PictureNumber(X(x_.low)) << ' '
         << PictureNumber(Y(0)) << 'H' << PictureNumber(X(x_.high)) << 'M' << PictureNumber(X(0)) << ' '
         << PictureNumber(Y(y_.high)) << 'V' << PictureNumber(Y(y_.low)) << "\"/>\n";
  }

  // Ticks and their labels below and left of the frame, the axes' names, and
  // the arrows' factor.
  void WriteAxes() {
    const double step = TickStep(std::max(x_.Length(), y_.Length()));
    const double bottom = Y(y_.low);
    const double left = X(x_.low);
    std::string ticks;
    std::string labels;
    for (double v = std::ceil(x_.low / step) * step; v <= x_.high; v += step) {
      ticks += "M" + PictureNumber(X(v)) + " " + PictureNumber(bottom) + "v5";
      labels += "<text x=\"" + PictureNumber(X(v)) + "\" y=\"" + PictureNumber(bottom + 17) +
                "\" text-anchor=\"middle\">" + TickLabel(v, step) + "</text>\n";
    }
    for (double v = std::ceil(y_.low / step) * step; v <= y_.high; v += step) {
      ticks += "M" + PictureNumber(left) + " " + PictureNumber(Y(v)) + "h-5";
      labels += "<text x=\"" + PictureNumber(left - 8) + "\" y=\"" + PictureNumber(Y(v)) +
                "\" dy=\"0.35em\" text-anchor=\"end\">" + TickLabel(v, step) + "</text>\n";
    }
    const double middle_x = (X(x_.low) + X(x_.high)) / 2;
    const double middle_y = (Y(y_.low) + Y(y_.high)) / 2;
    out_ << "<g fill=\"" << kGrey << "\">\n<path stroke=\"" << kGrey << "\" d=\"" << ticks << "\"/>\n"
         << labels << "<text x=\"" << PictureNumber(middle_x) << "\" y=\"" << PictureNumber(bottom + 36)
         << "\" text-anchor=\"middle\" font-size=\"13\">PC1 (" << Percent(pca_.percent[0]) << ")</text>\n"
         << "<text transform=\"translate(" << PictureNumber(kMargin + 4) << "," << PictureNumber(middle_y)
         << ") rotate(-90)\" dy=\"0.35em\" text-anchor=\"middle\" font-size=\"13\">PC2 ("
         << Percent(pca_.percent[1]) << ")</text>\n"
         << "<text x=\"" << PictureNumber(middle_x) << "\" y=\"" << PictureNumber(bottom + 56)
         << "\" text-anchor=\"middle\" fill=\"" << kArrowColour << "\">arrows: loadings \u00D7 " << Factor(factor_)
         << "</text>\n</g>\n";
  }

  const char* Colour(int i) const { return options_.groups.empty() ? kGrey : GroupColour(options_.groups[i]); }

  void WriteVarieties() {
    const int n = pca_.varieties;
    if (n > kNamedVarieties) {
      std::map<std::string, std::string> dots;  // colour -> its dots
      for (int i = 0; i < n; ++i) {
        dots[Colour(i)] += "M" + PictureNumber(X(pca_.Score(i, 0))) + " " + PictureNumber(Y(pca_.Score(i, 1))) + "h0";
      }
      for (const auto& [colour, path] : dots) {
        out_ << "<path stroke=\"" << colour << "\" stroke-width=\"3\" stroke-linecap=\"round\" d=\"" << path
             << "\"/>\n";
      }
      return;
    }
    out_ << "<g>\n";
    for (int i = 0; i < n; ++i) {
      const double x = X(pca_.Score(i, 0));
      const double y = Y(pca_.Score(i, 1));
      double em = 0;
      const std::string name =
          FittedName(static_cast<std::size_t>(i) < variety_names_.size() ? variety_names_[i] : "", kMaxNameEm, &em);
      out_ << "<circle cx=\"" << PictureNumber(x) << "\" cy=\"" << PictureNumber(y) << "\" r=\"3\" fill=\""
           << Colour(i) << "\"/><text x=\"" << PictureNumber(x + 5) << "\" y=\"" << PictureNumber(y - 4)
           << "\" fill=\"" << Colour(i) << "\">" << name << "</text>\n";
    }
    out_ << "</g>\n";
  }

  void WriteTraits() {
    const bool named = pca_.traits <= kNamedTraits;
    out_ << "<g stroke=\"" << kArrowColour << "\" stroke-width=\"" << (named ? "1.2" : "0.6") << "\">\n";
    for (int j = 0; j < pca_.traits; ++j) {
      const double dx = pca_.Loading(j, 0) * factor_ * unit_;
      const double dy = -pca_.Loading(j, 1) * factor_ * unit_;
      out_ << "<line x1=\"" << PictureNumber(X(0)) << "\" y1=\"" << PictureNumber(Y(0)) << "\" x2=\""
           << PictureNumber(X(0) + dx) << "\" y2=\"" << PictureNumber(Y(0) + dy) << "\" marker-end=\"url(#arrow)\"/>\n";
    }
    out_ << "</g>\n";
    if (!named) return;
    out_ << "<g fill=\"" << kArrowColour << "\">\n";
    for (int j = 0; j < pca_.traits; ++j) {
      const double dx = pca_.Loading(j, 0) * factor_ * unit_;
      const double dy = -pca_.Loading(j, 1) * factor_ * unit_;
      const double length = std::hypot(dx, dy);
      const double ux = length > 0 ? dx / length : 0;
      const double uy = length > 0 ? dy / length : 0;
      double em = 0;
      const std::string name =
          FittedName(static_cast<std::size_t>(j) < trait_names_.size() ? trait_names_[j] : "", kMaxNameEm, &em);
      out_ << "<text x=\"" << PictureNumber(X(0) + dx + 6 * ux) << "\" y=\"" << PictureNumber(Y(0) + dy + 6 * uy)
           << "\" dy=\"0.35em\" text-anchor=\"" << (ux < 0 ? "end" : "start") << "\">" << name << "</text>\n";
    }
    out_ << "</g>\n";
  }

  const Pca& pca_;
  const std::vector<std::string>& variety_names_;
  const std::vector<std::string>& trait_names_;
  const BiplotOptions& options_;
  std::ostream& out_;
  Span x_;
  Span y_;
  double unit_ = 1;  // px per score unit
  double top_ = 0;
  double width_ = 0;
  double height_ = 0;
  double factor_ = 1;
};

}  // namespace

bool WriteBiplot(const Pca& pca, const std::vector<std::string>& variety_names,
                 const std::vector<std::string>& trait_names, const BiplotOptions& options, std::ostream& out) {
  if (pca.components < 2) return false;
  if (!options.groups.empty()) {
    if (options.groups.size() != static_cast<std::size_t>(pca.varieties)) return false;
    for (int g : options.groups) {
      if (g < 1) return false;
    }
  }
  BiplotWriter(pca, variety_names, trait_names, options, out).Write();
  return true;
}

}  // namespace kyori::analysis
