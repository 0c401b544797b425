#include "analysis/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include "analysis/picture_text.h"
#include "analysis/png.h"

namespace kyori::analysis {
namespace {

constexpr int kLabelledLimit = 500;  // above: no per-leaf names
constexpr int kRectLimit = 100;      // above: the heatmap is a PNG
constexpr int kRasterLimit = 500;    // PNG side at most
constexpr double kUnlabelledSide = 1000;
constexpr double kTreeWidth = 360;
constexpr double kMaxNameEm = 24;
constexpr double kMargin = 16;

std::string ValueLabel(double v) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.4g", v);
  return buffer;
}

// Viridis, interpolated between nine anchors, at t in [0, 1].
Rgb ScaleColour(double t) {
  static const Rgb kAnchors[] = {{68, 1, 84},    {71, 44, 122},  {59, 82, 139},
                                 {44, 114, 142}, {33, 145, 140}, {40, 174, 128},
                                 {94, 201, 98},  {173, 220, 48}, {253, 231, 37}};
  t = std::clamp(t, 0.0, 1.0) * 8;
  const int k = std::min(7, static_cast<int>(t));
  const double f = t - k;
  Rgb c;
  for (int i = 0; i < 3; ++i) {
    c[i] = static_cast<unsigned char>(std::lround(kAnchors[k][i] + f * (kAnchors[k + 1][i] - kAnchors[k][i])));
  }
  return c;
}

constexpr Rgb kGrey = {kNoDistanceGrey, kNoDistanceGrey, kNoDistanceGrey};

// The scale's levels 0 .. top, then the grey of a pair without a distance
// when `gaps`.
std::vector<Rgb> Palette(int top, bool gaps) {
  std::vector<Rgb> palette;
  for (int i = 0; i <= top; ++i) palette.push_back(ScaleColour(i / static_cast<double>(top)));
  if (gaps) palette.push_back(kGrey);
  return palette;
}

std::string Hex(const Rgb& c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c[0], c[1], c[2]);
  return buffer;
}

struct Picture {
  int n = 0;
  bool labelled = false;
  double pitch = 0;      // px per leaf row
  double font = 0;       // px
  double name_width = 0;  // px of the name column
  double top = 0;        // y of the first row
  double tree_x = 0;     // x of the root
  double heat_x = 0;     // x of the heatmap
  double side = 0;       // heatmap side in px
  double width = 0;
  double height = 0;
};

class SvgWriter {
 public:
  SvgWriter(const Tree& tree, const Distances& d, const std::vector<std::string>& names,
            const SvgOptions& options, std::ostream& out)
      : tree_(tree.ultrametric ? tree : RootedAtMidpoint(tree)),
        d_(d),
        options_(options),
        out_(out) {
    order_ = LeafOrder(tree_);
    names_.resize(d.n);
    name_em_.resize(d.n);
    for (int i = 0; i < d.n; ++i) {
      names_[i] = FittedName(static_cast<std::size_t>(i) < names.size() ? names[i] : "", kMaxNameEm, &name_em_[i]);
    }
    FindRange();
    top_level_ = gaps_ ? 254 : 255;
  }

  // The least and greatest distance, over the pairs that have one, and
  // whether any pair has none.
  void FindRange() {
    bool any = false;
    for (double v : d_.condensed) {
      if (std::isnan(v)) {
        gaps_ = true;
      } else {
        least_ = any ? std::min(least_, v) : v;
        greatest_ = any ? std::max(greatest_, v) : v;
        any = true;
      }
    }
    if (d_.n > 1) least_ = std::min(least_, 0.0);  // the diagonal
  }

  void Write() {
    Lay();
    PlaceNodes();
    out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
         << " width=\"" << PictureNumber(p_.width) << "\" height=\"" << PictureNumber(p_.height) << "\" viewBox=\"0 0 "
         << PictureNumber(p_.width) << ' ' << PictureNumber(p_.height) << "\" font-family=\"" << kPictureFonts
         << "\" font-size=\"" << PictureNumber(p_.font) << "\">\n"
         << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    if (!options_.title.empty()) {
      out_ << "<text x=\"" << PictureNumber(kMargin) << "\" y=\"" << PictureNumber(kMargin + 14)
           << "\" font-size=\"18\" font-weight=\"bold\">" << XmlText(options_.title) << "</text>\n";
    }
    WriteDendrogram();
    WriteAxis();
    if (p_.labelled) WriteNames();
    WriteHeatmap();
    WriteLegend();
    out_ << "</svg>\n";
  }

 private:
  void Lay() {
    const int n = d_.n;
    p_.n = n;
    p_.labelled = n <= kLabelledLimit;
    if (p_.labelled) {
      p_.pitch = n <= 30 ? 20 : n <= 100 ? 14 : 11;
      p_.font = p_.pitch * 0.75;
      double widest = 0;
      for (double em : name_em_) widest = std::max(widest, em);
      p_.name_width = widest * p_.font + 12;
    } else {
      p_.pitch = kUnlabelledSide / n;
      p_.font = 12;
      p_.name_width = 12;
    }
    p_.side = p_.pitch * n;
    const double title = options_.title.empty() ? 0 : 30;
    const double column_names = p_.labelled ? p_.name_width : 0;
    p_.top = kMargin + title + column_names;
    p_.tree_x = kMargin;
    p_.heat_x = p_.tree_x + kTreeWidth + p_.name_width + 8;
    const double legend_height = std::max(160.0, std::min(p_.side, 320.0)) + (gaps_ ? 28 : 0);
    p_.width = p_.heat_x + p_.side + 24 + 16 + 80;
    p_.height = p_.top + std::max(p_.side + 60, legend_height + 20) + kMargin;
  }

  // x of every node (by its depth) and y (leaves by row, inner nodes midway
  // between their outer children).
  void PlaceNodes() {
    const std::size_t count = tree_.nodes.size();
    depth_.assign(count, 0.0);
    y_.assign(count, 0.0);
    std::vector<int> preorder;
    std::vector<int> stack{tree_.root};
    while (!stack.empty()) {
      const int id = stack.back();
      stack.pop_back();
      preorder.push_back(id);
      for (int child : tree_.nodes[id].children) {
        depth_[child] = depth_[id] + tree_.nodes[child].branch_length;
        stack.push_back(child);
      }
    }
    GroupNodes(preorder);
    for (std::size_t row = 0; row < order_.size(); ++row) y_[order_[row]] = RowY(row);
    for (auto it = preorder.rbegin(); it != preorder.rend(); ++it) {
      const TreeNode& node = tree_.nodes[*it];
      if (node.children.empty()) continue;
      double low = y_[node.children.front()];
      double high = low;
      for (int child : node.children) {
        low = std::min(low, y_[child]);
        high = std::max(high, y_[child]);
      }
      y_[*it] = (low + high) / 2;
    }
    // The axis: heights for a tree from a linkage, depth otherwise.
    if (tree_.ultrametric) {
      axis_low_ = 0;
      axis_high_ = tree_.nodes[tree_.root].height;
    } else {
      axis_low_ = std::min(0.0, *std::min_element(depth_.begin(), depth_.end()));
      axis_high_ = *std::max_element(depth_.begin(), depth_.end());
    }
    if (!(axis_high_ > axis_low_)) axis_high_ = axis_low_ + 1;
  }

  // Each node's group when all the leaves below it lie in one group, else 0
  // (0 throughout without groups); children before parents.
  void GroupNodes(const std::vector<int>& preorder) {
    node_group_.assign(tree_.nodes.size(), 0);
    if (options_.groups.empty()) return;
    for (auto it = preorder.rbegin(); it != preorder.rend(); ++it) {
      const TreeNode& node = tree_.nodes[*it];
      if (node.children.empty()) {
        node_group_[*it] = node.leaf >= 0 ? options_.groups[node.leaf] : 0;
        continue;
      }
      int group = node_group_[node.children.front()];
      for (int child : node.children) {
        if (node_group_[child] != group) group = 0;
      }
      node_group_[*it] = group;
    }
  }

  double RowY(std::size_t row) const { return p_.top + (row + 0.5) * p_.pitch; }

  double NodeX(int id) const {
    return tree_.ultrametric ? HeightX(tree_.nodes[id].height) : AxisX(depth_[id]);
  }

  // For a tree from a linkage the axis runs from the root's height at the
  // left to 0 at the right; otherwise from the least depth to the greatest.
  double AxisX(double value) const {
    const double t = (value - axis_low_) / (axis_high_ - axis_low_);
    return p_.tree_x + kTreeWidth * t;
  }
  double HeightX(double height) const {
    return AxisX(axis_high_ - height + axis_low_);
  }

  // The branches, grey, then each group's own in its colour. Without groups
  // the grey path, streamed in chunks, holds every branch.
  void WriteDendrogram() {
    out_ << "<path fill=\"none\" stroke=\"#333333\" stroke-width=\"1\" d=\"";
    std::string d;
    std::map<std::string, std::string> coloured;  // colour -> its branches
    auto path_of = [&](int group) -> std::string& { return group == 0 ? d : coloured[GroupColour(group)]; };
    for (std::size_t id = 0; id < tree_.nodes.size(); ++id) {
      const TreeNode& node = tree_.nodes[id];
      if (node.children.empty()) continue;
      const double x = NodeX(static_cast<int>(id));
      double low = y_[node.children.front()];
      double high = low;
      for (int child : node.children) {
        low = std::min(low, y_[child]);
        high = std::max(high, y_[child]);
        path_of(node_group_[child]) +=
            "M" + PictureNumber(x) + " " + PictureNumber(y_[child]) + "H" + PictureNumber(NodeX(child));
      }
      path_of(node_group_[id]) += "M" + PictureNumber(x) + " " + PictureNumber(low) + "V" + PictureNumber(high);
      if (d.size() > 1 << 16) {
        out_ << d;
        d.clear();
      }
    }
    if (tree_.nodes.size() == 1) {
      d += "M" + PictureNumber(p_.tree_x) + " " + PictureNumber(RowY(0)) + "H" + PictureNumber(p_.tree_x + kTreeWidth);
    }
    out_ << d << "\"/>\n";
    for (const auto& [colour, path] : coloured) {
      out_ << "<path fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"1.5\" d=\"" << path
           << "\"/>\n";
    }
    if (!tree_.ultrametric && p_.labelled) {
      std::string leaders;
      for (int leaf : order_) {
        const double x = NodeX(leaf);
        if (x < p_.tree_x + kTreeWidth - 1) {
          leaders += "M" + PictureNumber(x + 2) + " " + PictureNumber(y_[leaf]) + "H" + PictureNumber(p_.tree_x + kTreeWidth);
        }
      }
      if (!leaders.empty()) {
        out_ << "<path fill=\"none\" stroke=\"#aaaaaa\" stroke-width=\"0.6\""
                " stroke-dasharray=\"2 2\" d=\""
             << leaders << "\"/>\n";
      }
    }
  }

  void WriteAxis() {
    const double y = p_.top + p_.side + 10;
    out_ << "<g font-size=\"11\" fill=\"#333333\">\n"
         << "<path stroke=\"#333333\" fill=\"none\" d=\"M" << PictureNumber(p_.tree_x) << " " << PictureNumber(y) << "H"
         << PictureNumber(p_.tree_x + kTreeWidth);
    const double step = TickStep(axis_high_ - axis_low_);
    std::vector<double> ticks;
    for (double v = std::ceil(axis_low_ / step - 1e-9) * step; v <= axis_high_ + step * 1e-9; v += step) {
      ticks.push_back(v);
    }
    for (double v : ticks) {
      const double x = tree_.ultrametric ? HeightX(v) : AxisX(v);
      out_ << "M" << PictureNumber(x) << " " << PictureNumber(y) << "v5";
    }
    out_ << "\"/>\n";
    for (double v : ticks) {
      const double x = tree_.ultrametric ? HeightX(v) : AxisX(v);
      out_ << "<text x=\"" << PictureNumber(x) << "\" y=\"" << PictureNumber(y + 17) << "\" text-anchor=\"middle\">"
           << TickLabel(v, step) << "</text>\n";
    }
    out_ << "<text x=\"" << PictureNumber(p_.tree_x + kTreeWidth / 2) << "\" y=\"" << PictureNumber(y + 33)
         << "\" text-anchor=\"middle\">"
         << (tree_.ultrametric ? "height (distance)" : "distance from the root") << "</text>\n"
         << "</g>\n";
  }

  void WriteNames() {
    out_ << "<g fill=\"#000000\">\n";
    const double x = p_.tree_x + kTreeWidth + 6;
    for (std::size_t row = 0; row < order_.size(); ++row) {
      out_ << "<text x=\"" << PictureNumber(x) << "\" y=\"" << PictureNumber(RowY(row)) << "\" dy=\"0.35em\""
           << Fill(order_[row]) << ">" << names_[order_[row]] << "</text>\n";
    }
    const double y = p_.top - 6;
    for (std::size_t col = 0; col < order_.size(); ++col) {
      out_ << "<text transform=\"translate(" << PictureNumber(p_.heat_x + (col + 0.5) * p_.pitch) << ","
           << PictureNumber(y) << ") rotate(-90)\" dy=\"0.35em\"" << Fill(order_[col]) << ">" << names_[order_[col]]
           << "</text>\n";
    }
    out_ << "</g>\n";
  }

  // The fill of variety i's name: its group's colour; none without groups.
  std::string Fill(int i) const {
    if (options_.groups.empty()) return "";
    return std::string(" fill=\"") + GroupColour(options_.groups[i]) + "\"";
  }

  unsigned char Level(double v) const {
    if (!(greatest_ > least_)) return 128;
    return static_cast<unsigned char>(std::lround(top_level_ * (v - least_) / (greatest_ - least_)));
  }

  // The palette index of a distance, or of a pair without one.
  unsigned char Index(double v) const { return std::isnan(v) ? static_cast<unsigned char>(top_level_ + 1) : Level(v); }

  void WriteHeatmap() {
    const int n = d_.n;
    if (n <= kRectLimit) {
      const std::vector<Rgb> palette = Palette(top_level_, gaps_);
      out_ << "<g shape-rendering=\"crispEdges\">\n";
      for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
          out_ << "<rect x=\"" << PictureNumber(p_.heat_x + c * p_.pitch) << "\" y=\"" << PictureNumber(RowY(r) - p_.pitch / 2)
               << "\" width=\"" << PictureNumber(p_.pitch) << "\" height=\"" << PictureNumber(p_.pitch) << "\" fill=\""
               << Hex(palette[Index(DistanceAt(d_, order_[r], order_[c]))]) << "\"/>\n";
        }
      }
      out_ << "</g>\n";
      return;
    }
    // One pixel per block of `block` x `block` cells (1 up to kRasterLimit).
    const int block = (n + kRasterLimit - 1) / kRasterLimit;
    const int side = (n + block - 1) / block;
    std::vector<double> sums(static_cast<std::size_t>(side) * side, 0.0);
    std::vector<double> counts(sums.size(), 0.0);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        const double v = DistanceAt(d_, order_[r], order_[c]);
        if (std::isnan(v)) continue;
        const std::size_t k = static_cast<std::size_t>(r / block) * side + c / block;
        sums[k] += v;
        counts[k] += 1;
      }
    }
    std::vector<unsigned char> pixels(sums.size());
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t k = 0; k < sums.size(); ++k) pixels[k] = Index(counts[k] == 0 ? kNone : sums[k] / counts[k]);
    const double drawn = p_.pitch * n;
    out_ << "<image x=\"" << PictureNumber(p_.heat_x) << "\" y=\"" << PictureNumber(p_.top) << "\" width=\"" << PictureNumber(drawn)
         << "\" height=\"" << PictureNumber(drawn) << "\" preserveAspectRatio=\"none\""
         << " image-rendering=\"optimizeSpeed\" style=\"image-rendering:pixelated\" xlink:href=\""
         << PngDataUri(PalettePng(side, side, pixels, Palette(top_level_, gaps_))) << "\"/>\n";
  }

  void WriteLegend() {
    const double x = p_.heat_x + p_.side + 24;
    const double height = std::max(160.0, std::min(p_.side, 320.0));
    const double y = p_.top;
    out_ << "<defs><linearGradient id=\"scale\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
    for (int k = 0; k <= 8; ++k) {
      out_ << "<stop offset=\"" << PictureNumber(k / 8.0) << "\" stop-color=\"" << Hex(ScaleColour(k / 8.0))
           << "\"/>";
    }
    out_ << "</linearGradient></defs>\n"
         << "<rect x=\"" << PictureNumber(x) << "\" y=\"" << PictureNumber(y) << "\" width=\"16\" height=\"" << PictureNumber(height)
         << "\" fill=\"url(#scale)\" stroke=\"#333333\" stroke-width=\"0.5\"/>\n"
         << "<g font-size=\"11\" fill=\"#333333\">\n";
    const bool flat = !(greatest_ > least_);
    for (int k = 0; k <= 4; ++k) {
      const double value = flat ? least_ : least_ + (greatest_ - least_) * k / 4;
      const double ty = flat ? y + height / 2 : y + height - height * k / 4;
      out_ << "<path stroke=\"#333333\" d=\"M" << PictureNumber(x + 16) << " " << PictureNumber(ty) << "h4\"/>"
           << "<text x=\"" << PictureNumber(x + 23) << "\" y=\"" << PictureNumber(ty) << "\" dy=\"0.35em\">"
           << ValueLabel(value) << "</text>\n";
      if (flat) break;
    }
    out_ << "<text x=\"" << PictureNumber(x) << "\" y=\"" << PictureNumber(y + height + 18) << "\">distance</text>\n";
    if (gaps_) {
      out_ << "<rect x=\"" << PictureNumber(x) << "\" y=\"" << PictureNumber(y + height + 28) << "\" width=\"16\" height=\"12\""
           << " fill=\"" << Hex(kGrey) << "\" stroke=\"#333333\" stroke-width=\"0.5\"/>"
           << "<text x=\"" << PictureNumber(x + 23) << "\" y=\"" << PictureNumber(y + height + 34) << "\" dy=\"0.35em\">"
           << "no distance</text>\n";
    }
    out_ << "</g>\n";
  }

  const Tree tree_;
  const Distances& d_;
  const SvgOptions& options_;
  std::ostream& out_;
  std::vector<int> order_;
  std::vector<std::string> names_;
  std::vector<double> name_em_;
  double least_ = 0;
  double greatest_ = 0;
  bool gaps_ = false;    // a pair has no distance
  int top_level_ = 255;  // the scale's highest palette index
  Picture p_;
  std::vector<double> depth_;
  std::vector<double> y_;
  std::vector<int> node_group_;
  double axis_low_ = 0;
  double axis_high_ = 1;
};

}  // namespace

bool WriteSvg(const Tree& tree, const Distances& d, const std::vector<std::string>& names,
              const SvgOptions& options, std::ostream& out) {
  const DistancesProblem problem = options.pairs_without_distance ? CheckDistancesWithGaps(d) : CheckDistances(d);
  if (problem != DistancesProblem::kNone || tree.leaves != d.n || tree.root < 0) return false;
  if (!options.groups.empty()) {
    if (options.groups.size() != static_cast<std::size_t>(d.n)) return false;
    for (int g : options.groups) {
      if (g < 1) return false;
    }
  }
  SvgWriter(tree, d, names, options, out).Write();
  return true;
}

}  // namespace kyori::analysis
