#include "frontend/output_set.h"

#include <exception>
#include <utility>

#include "platform/platform.h"

namespace kyori {
namespace {

// The file a name stands for, as DATA (standard input for "-") or as an
// output (standard output for "-"; links followed as they are written
// through). False when it cannot be told.
bool IdentityOf(const std::string& name, platform::FileHandle standard, platform::FileIdentity* identity) {
  if (name == "-") return platform::IdentifyHandle(standard, identity);
  // An existing file is known through any link; a link to a file that does
  // not exist yet by the name its target will have.
  if (platform::SameFile(name.c_str(), name.c_str())) return platform::IdentifyFile(name.c_str(), identity);
  const std::string target = platform::FollowLinks(name);
  return !target.empty() && platform::IdentifyFile(target.c_str(), identity);
}

}  // namespace

SharedFile FindSharedFile(const std::string& data_name, const std::vector<OutputName>& outputs) {
  platform::FileIdentity data;
  // Standard input on a terminal is no file the report could overwrite
  // (`kyori - -` typed at the terminal it writes to).
  const bool data_known =
      data_name == "-" ? !platform::IsTerminal(platform::StandardInput()) &&
                             platform::IdentifyHandle(platform::StandardInput(), &data)
                       : platform::IdentifyFile(data_name.c_str(), &data);
  // Standard error matters only where it is a file the outputs could replace.
  platform::FileIdentity error;
  const bool error_known = platform::IdentifyHandle(platform::StandardError(), &error) && error.regular;
  std::vector<platform::FileIdentity> seen(outputs.size());
  std::vector<bool> known(outputs.size());
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    known[k] = IdentityOf(outputs[k].name, platform::StandardOutput(), &seen[k]);
    if (!known[k]) continue;
    if (data_known && seen[k] == data) return {static_cast<int>(k), SharedFile::kData};
    if (error_known && outputs[k].name != "-" && seen[k] == error) {
      return {static_cast<int>(k), SharedFile::kStandardError};
    }
    for (std::size_t j = 0; j < k; ++j) {
      if (known[j] && seen[j] == seen[k]) return {static_cast<int>(k), static_cast<int>(j)};
    }
  }
  return {};
}

OutputSet::OutputSet(std::vector<OutputName> outputs) : names_(std::move(outputs)) {}

int OutputSet::Open(platform::FileHandle standard_output) {
  files_.clear();
  for (std::size_t k = 0; k < names_.size(); ++k) {
    files_.push_back(std::make_unique<OutputFile>());
    if (!files_.back()->Open(names_[k].name, standard_output)) {
      files_.clear();
      return static_cast<int>(k);
    }
  }
  return -1;
}

std::vector<int> OutputSet::WriteOrder() const {
  std::vector<int> order;
  for (const bool in_place : {false, true}) {
    for (std::size_t k = 0; k < files_.size(); ++k) {
      if (files_[k]->InPlace() == in_place) order.push_back(static_cast<int>(k));
    }
  }
  return order;
}

int OutputSet::Commit() {
  platform::BlockEndSignals();
  int failed = -1;
  std::size_t replaced = 0;
  for (; replaced < files_.size(); ++replaced) {
    bool done = false;
    try {
      done = files_[replaced]->Replace();
    } catch (const std::exception&) {
      // Memory for a name ran out: this output is not replaced, and the
      // ones before it are put back below, as for a rename that failed.
    }
    if (!done) {
      failed = static_cast<int>(replaced);
      break;
    }
  }
  for (std::size_t k = 0; k < replaced; ++k) {
    if (failed >= 0) {
      files_[k]->Restore();
    } else {
      files_[k]->Settle();
    }
  }
  if (failed < 0) {
    platform::DefaultEndSignals();
  } else {
    for (const auto& file : files_) file->Abandon();
  }
  platform::UnblockEndSignals();
  return failed;
}

}  // namespace kyori
