#include "dialogue/calculator_data.h"

#include <cstring>

namespace kyori {

double VarietyCount = 0;
double TraitCount = 0;
ByteString TraitNames[kSlots];
ByteString VarietyNames[kSlots];
double TraitValues[kSlots][kSlots];
float DistanceMatrix[kSlots][kSlots];
double TraitMean = 0;
float TraitSpread = 0;
double CellValue = 0;
ByteString CellText;
ByteString InputFileName;
ByteString OutputFileName;
double CounterI = 0;
double CounterJ = 0;
int16_t CounterK = 0;

int SlotOf(double counter) {
  // Counters are whole numbers from 1 up to the capacity; rounding half away
  // or to even cannot differ on them.
  return static_cast<int>(counter + 0.5);
}

void ClearCalculatorData() {
  VarietyCount = TraitCount = 0;
  for (int k = 0; k < kSlots; ++k) {
    TraitNames[k].Reset();
    VarietyNames[k].Reset();
  }
  std::memset(TraitValues, 0, sizeof TraitValues);
  std::memset(DistanceMatrix, 0, sizeof DistanceMatrix);
  TraitMean = 0;
  TraitSpread = 0;
  CellValue = 0;
  CellText.Reset();
  InputFileName.Reset();
  OutputFileName.Reset();
  CounterI = CounterJ = 0;
  CounterK = 0;
}

}  // namespace kyori
