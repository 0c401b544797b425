#include "app/collection_reader.h"

#include "app/console_lines.h"
#include "app/standardize.h"
#include "io/input_statement.h"

namespace kyori {
namespace {

void ReadNumber(int32_t channel, double* target) {
  SetSingleTarget(target, KindFloat64);
  ReadFromChannel(channel);
}

void ReadName(int32_t channel, ByteString* target) {
  SetSingleTarget(target, KindText);
  ReadFromChannel(channel);
}

}  // namespace

void ReadCollectionCounts(int32_t channel, Collection& c) {
  ReadNumber(channel, &c.variety_count);
  ReadNumber(channel, &c.trait_count);
  c.varieties = LoopCount(c.variety_count);
  c.traits = LoopCount(c.trait_count);
}

void ReadCollectionBody(int32_t channel, Collection& c) {
  c.trait_names.clear();
  c.variety_names.clear();
  for (int j = 0; j < c.traits; ++j) c.trait_names.push_back(NewByteString(0));
  for (int i = 0; i < c.varieties; ++i) c.variety_names.push_back(NewByteString(0));
  c.values.assign(static_cast<std::size_t>(c.varieties) * static_cast<std::size_t>(c.traits), 0.0);
  for (int j = 0; j < c.traits; ++j) ReadName(channel, &c.trait_names[j]);
  for (int i = 0; i < c.varieties; ++i) {
    ReadName(channel, &c.variety_names[i]);
    for (int j = 0; j < c.traits; ++j) ReadNumber(channel, &c.Value(i, j));
  }
}

}  // namespace kyori
