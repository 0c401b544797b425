// A distance's packed report cell (kernels/report_cells.h) straight from
// its value, without the 15-digit text the cell is cut from, for the values
// whose cell cannot depend on how that text is made.
//
// A cell of 8 characters shows the first S significant digits of the value:
// "D.DDDDDD" to "DDDDDDD." (S = 7, values 1 to 10^7), "0.DDDDDD" (S = 6) to
// "0.000DDD" (S = 3, values 10^-4 to 10^-3). The 15-digit text comes from
// repeated multiplication by ten (convert/number_to_text.h), whose steps
// each round; together they move the value by less than 1e-15 of itself,
// at most 1e-8 of the unit of the S-th digit. When the value lies at least
// kQuickMargin of that unit away from every multiple of it, the text's
// first S digits are the value's own, the digits after them are neither
// all zeros (no trailing zeros to drop) nor all nines (no carry into the
// shown digits), and the cell is those S digits with the point. Every
// other value (closer to a multiple, below 10^-4, from 10^7 on, zero,
// negative, NaN, infinite) is refused, and its cell is made from its text.
//
// The margin leaves room for more: the cell given is also the cell of
// every value within kQuickTolerance * value of `value` (moved by at most
// 1e-12 * 10^7 = 1e-5 of the unit), so a value known only that closely has
// its cell all the same.
//
// Examples:
//   2.2360679774997898 -> true, "2.236067" packed (0x760632A2)
//   1234567.891        -> true, "1234567."
//   0.000123456        -> true, "0.000123"
//   2.5                -> false (its text is "2.5": the digits after S are zeros)
//   3.99999999999999   -> false (its text "3.99999999999999" stays, but so
//                         close to 4 the digits are left to the text)
//   0.00005            -> false (below 10^-4)
#ifndef KYORI_KERNELS_QUICK_CELL_H_
#define KYORI_KERNELS_QUICK_CELL_H_

#include <cstdint>

#include "kernels/report_cells.h"

namespace kyori {

// How far from a multiple of the last shown digit's unit a value must lie,
// in that unit, for its cell to be made without its text.
inline constexpr double kQuickMargin = 1e-4;
// How far off (relative) a value may be and keep the cell QuickDistanceCell
// gives for it.
inline constexpr double kQuickTolerance = 1e-12;

// The packed cell of `value` into *packed when the value is one whose cell
// the rule above decides; false (and *packed untouched) otherwise.
bool QuickDistanceCell(double value, uint32_t* packed);

// The packed cell of a distance: QuickDistanceCell's where it gives one,
// else the cell cut from its text (CellFor with ZeroRule::kDistance and
// `nan`, kernels/report_cells.h). Safe to call from several threads.
//   2.2360679774997898 -> "2.236067" (quick); 2.5 -> "2.5" (from "2.5");
//   0.000001 -> "0.000000"; NaN, NanCell::kMissing -> kPackedMissingCell
uint32_t PackedDistanceCell(double value, NanCell nan = NanCell::kZero);

}  // namespace kyori

#endif  // KYORI_KERNELS_QUICK_CELL_H_
