#include "batch/collection_reader.h"

#include "kernels/data_fields.h"
#include "kernels/standardize_trait.h"

namespace kyori {

void ReadCollectionCounts(int32_t channel, Collection& c) {
  ReadNumberField(channel, &c.variety_count);
  ReadNumberField(channel, &c.trait_count);
  c.varieties = LoopCount(c.variety_count);
  c.traits = LoopCount(c.trait_count);
}

void SizeCollectionStorage(Collection& c) {
  c.trait_names.clear();
  c.variety_names.clear();
  for (int j = 0; j < c.traits; ++j) c.trait_names.push_back(NewByteString(0));
  for (int i = 0; i < c.varieties; ++i) c.variety_names.push_back(NewByteString(0));
  c.values.assign(static_cast<std::size_t>(c.varieties) * static_cast<std::size_t>(c.traits), 0.0);
}

void ReadCollectionBody(int32_t channel, Collection& c) {
  SizeCollectionStorage(c);
  for (int j = 0; j < c.traits; ++j) ReadNameField(channel, &c.trait_names[j]);
  for (int i = 0; i < c.varieties; ++i) {
    ReadNameField(channel, &c.variety_names[i]);
    for (int j = 0; j < c.traits; ++j) ReadNumberField(channel, &c.Value(i, j));
  }
}

}  // namespace kyori
