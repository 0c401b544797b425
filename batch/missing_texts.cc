#include "batch/missing_texts.h"

namespace kyori {

MissingTexts MissingTexts::Usual() { return {{"", "NA", "N/A", "#N/A", "NaN", ".", "-", "?"}}; }

bool MissingTexts::Holds(std::string_view text) const {
  for (const std::string& listed : texts) {
    if (text == listed) return true;
  }
  return false;
}

}  // namespace kyori
