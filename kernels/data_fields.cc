#include "kernels/data_fields.h"

#include "io/input_statement.h"

namespace kyori {

void SetSingleTarget(void* address, int32_t kind) {
  const InputTarget target = {address, kind};
  SetInputTargets(&target, 1);
}

void ReadNumberField(int32_t channel, double* target) {
  SetSingleTarget(target, KindFloat64);
  ReadFromChannel(channel);
}

void ReadNameField(int32_t channel, ByteString* target) {
  SetSingleTarget(target, KindText);
  ReadFromChannel(channel);
}

}  // namespace kyori
