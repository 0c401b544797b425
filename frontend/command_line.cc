#include "frontend/command_line.h"

#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace kyori {
namespace {

bool OneOf(std::string_view value, std::initializer_list<std::string_view> allowed) {
  for (std::string_view a : allowed) {
    if (value == a) return true;
  }
  return false;
}

// The number of threads: a whole number from 1 to 1024.
bool ParseJobs(const std::string& value, int& jobs) {
  if (value.empty() || value.size() > 4) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  const int n = std::atoi(value.c_str());
  if (n < 1 || n > 1024) return false;
  jobs = n;
  return true;
}

// Stores the value of option `name`; false when the value is not allowed.
bool Assign(std::string_view name, const std::string& value, CommandLine& line) {
  if (name == "--console") {
    line.console = value;
    return OneOf(value, {"auto", "cp932", "utf-8"});
  }
  line.batch_options = true;
  if (name == "--encoding") {
    line.encoding = value;
    return OneOf(value, {"cp932", "utf-8"});
  }
  if (name == "--arithmetic") {
    line.arithmetic = value;
    return OneOf(value, {"compatible", "accurate"});
  }
  if (name == "--method") {
    line.method = value;
    return OneOf(value, {"average", "single", "complete", "ward", "nj"});
  }
  if (name == "--jobs") return ParseJobs(value, line.jobs);
  std::string& file = name == "--tree" ? line.tree : name == "--phylip" ? line.phylip : line.svg;
  file = value;
  return !value.empty();
}

bool TakesValue(std::string_view name) {
  return OneOf(name, {"--console", "--encoding", "--arithmetic", "--method", "--jobs", "--tree", "--phylip",
                      "--svg"});
}

}  // namespace

UsageError ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
  bool options_ended = false;
  std::vector<std::string> given;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      line.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      line.help = true;
      continue;
    }
    if (arg == "--version") {
      line.version = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (!TakesValue(name)) return {UsageError::kUnknownOption, arg, ""};
    for (const std::string& earlier : given) {
      if (earlier == name) return {UsageError::kRepeatedOption, name, ""};
    }
    given.push_back(name);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (k + 1 < args.size()) {
      value = args[++k];
    } else {
      return {UsageError::kMissingValue, name, ""};
    }
    if (!Assign(name, value, line)) return {UsageError::kBadValue, name, value};
  }
  return {};
}

}  // namespace kyori
