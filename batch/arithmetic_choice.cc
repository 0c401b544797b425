#include "batch/arithmetic_choice.h"

namespace kyori {

Arithmetic ChooseArithmetic(ArithmeticChoice choice, bool table, bool report, const Collection& counts) {
  switch (choice) {
    case ArithmeticChoice::kCompatible: return Arithmetic::kCompatible;
    case ArithmeticChoice::kAccurate: return Arithmetic::kAccurate;
    case ArithmeticChoice::kAuto: break;
  }
  const bool dialogue_sized =
      counts.variety_count <= kCompatibleAutoCount && counts.trait_count <= kCompatibleAutoCount;
  return report && !table && dialogue_sized ? Arithmetic::kCompatible : Arithmetic::kAccurate;
}

}  // namespace kyori
