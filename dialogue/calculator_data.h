// The calculator's data: process-wide variables shared by the run sequence,
// the data file reader, the standardization and the report. Nothing is passed
// between those steps as arguments.
//
// Arrays run from index 0 to 300 and are used from index 1; index 0 is never
// read or written. Loops set a counter to 1, run while it is at most its limit
// (compared as doubles) and add 1 after each pass; a counter becomes an array
// index by rounding to the nearest integer. The run refuses counts of 301 or
// more right after reading them, so no index goes past 300.
#ifndef KYORI_DIALOGUE_CALCULATOR_DATA_H_
#define KYORI_DIALOGUE_CALCULATOR_DATA_H_

#include <cstdint>

#include "text/byte_string.h"

namespace kyori {

inline constexpr int kCapacity = 300;          // varieties, and traits
inline constexpr int kSlots = kCapacity + 1;   // index 0 unused

extern double VarietyCount;  // first field of the data file
extern double TraitCount;    // second field
extern ByteString TraitNames[kSlots];
extern ByteString VarietyNames[kSlots];
extern double TraitValues[kSlots][kSlots];     // [variety][trait]; standardized in place
extern float DistanceMatrix[kSlots][kSlots];   // [variety][variety]: squared distances
extern double TraitMean;    // the current trait's sum, then mean
extern float TraitSpread;   // sum of squares, ..., standard deviation; the stop's reply
extern double CellValue;    // the report's current cell
extern ByteString CellText;
extern ByteString InputFileName;   // later the reply to the final prompt
extern ByteString OutputFileName;
extern double CounterI;
extern double CounterJ;
extern int16_t CounterK;

// The array index of a loop counter: the counter rounded to the nearest integer.
int SlotOf(double counter);

// Sets every number to 0 and releases every text (texts become null).
void ClearCalculatorData();

}  // namespace kyori

#endif  // KYORI_DIALOGUE_CALCULATOR_DATA_H_
