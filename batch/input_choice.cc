#include "batch/input_choice.h"

#include "batch/layout_number.h"
#include "batch/table_reader.h"

namespace kyori {
namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

// The first field: after a byte-order mark, blanks and line ends, up to the
// next blank, comma or line end.
std::string_view FirstField(std::string_view bytes) {
  if (bytes.starts_with(kMark)) bytes.remove_prefix(kMark.size());
  const std::size_t start = bytes.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return {};
  bytes.remove_prefix(start);
  return bytes.substr(0, bytes.find_first_of(" \t,\r\n"));
}

}  // namespace

InputReader ChooseInputReader(InputChoice choice, std::string_view first_bytes) {
  switch (choice) {
    case InputChoice::kLayout: return {false, TableDelimiter::kAuto};
    case InputChoice::kCsv: return {true, TableDelimiter::kCsv};
    case InputChoice::kTsv: return {true, TableDelimiter::kTsv};
    case InputChoice::kAuto: break;
  }
  const std::string_view first = FirstField(first_bytes);
  const bool number = FirstFieldIsNumber(first_bytes) || (!first.empty() && FitsNumberGrammar(first));
  return {!number, TableDelimiter::kAuto};
}

std::size_t FirstFieldEnd(std::string_view bytes) {
  const std::size_t after_mark = bytes.starts_with(kMark) ? kMark.size() : 0;
  const std::size_t start = bytes.find_first_not_of(" \t\r\n", after_mark);
  if (start == std::string_view::npos) return std::string_view::npos;
  const std::size_t end = bytes.find_first_of(" \t,\r\n", start);
  return end == std::string_view::npos ? end : end + 1;
}

}  // namespace kyori
