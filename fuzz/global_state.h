// Puts every piece of the program's process-wide state back as it is at
// start, so that one fuzz input cannot change what the next one does: the
// calculator's variables, the channels and console buffers, the template
// printer's slots and the input statement's target list.
#ifndef KYORI_FUZZ_GLOBAL_STATE_H_
#define KYORI_FUZZ_GLOBAL_STATE_H_

#include "dialogue/calculator_data.h"
#include "convert/picture_template.h"
#include "text/byte_string.h"
#include "io/channels.h"
#include "io/input_statement.h"

namespace kyori::fuzz {

inline void ResetGlobalState() {
  InitRuntime();
  ClearCalculatorData();
  ResetChannels();
  for (int k = 0; k < kTemplateSlots; ++k) {
    TemplateArguments.numbers[k] = 0;
    TemplateArguments.texts[k].Reset();
  }
  SetInputTargets(nullptr, 0);
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_GLOBAL_STATE_H_
