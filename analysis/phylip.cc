#include "analysis/phylip.h"

#include <map>
#include <set>

#include "analysis/newick.h"
#include "analysis/utf8.h"

namespace kyori::analysis {
namespace {

bool BreaksName(char32_t c) {
  if (c == kNotUtf8 || c <= 0x20 || (c >= 0x7F && c <= 0xA0)) return true;
  switch (c) {
    case '(': case ')': case '[': case ']': case ',': case ':': case ';': case '\'':
    case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

}  // namespace

std::string PhylipName(std::string_view name) {
  if (name.empty()) return "unnamed";
  std::string safe;
  std::size_t pos = 0;
  while (pos < name.size()) {
    const std::size_t start = pos;
    const char32_t c = NextCodePoint(name, &pos);
    if (BreaksName(c)) {
      safe += '_';
    } else {
      safe.append(name.substr(start, pos - start));
    }
  }
  return safe;
}

std::vector<std::string> PhylipNames(const std::vector<std::string>& names, int n) {
  std::vector<std::string> safe;
  for (int i = 0; i < n; ++i) {
    safe.push_back(PhylipName(static_cast<std::size_t>(i) < names.size() ? names[i] : ""));
  }
  std::set<std::string> given(safe.begin(), safe.end());
  std::set<std::string> taken;
  std::map<std::string, int> next_suffix;  // where the search for a name resumes
  for (std::string& name : safe) {
    if (taken.count(name) != 0) {
      int& suffix = next_suffix.try_emplace(name, 2).first->second;
      for (;; ++suffix) {
        std::string candidate = name + "_" + std::to_string(suffix);
        if (given.count(candidate) == 0 && taken.count(candidate) == 0) {
          name = std::move(candidate);
          break;
        }
      }
    }
    taken.insert(name);
  }
  return safe;
}

bool WritePhylip(const Distances& d, const std::vector<std::string>& names, std::ostream& out) {
  if (CheckDistances(d) != DistancesProblem::kNone) return false;
  const std::vector<std::string> safe = PhylipNames(names, d.n);
  std::string line = std::to_string(d.n) + "\n";
  out << line;
  for (int i = 0; i < d.n; ++i) {
    line = safe[i];
    for (int j = 0; j < d.n; ++j) {
      line += ' ';
      line += RoundTripNumber(DistanceAt(d, i, j));
    }
    line += '\n';
    out << line;
  }
  return true;
}

}  // namespace kyori::analysis
