// The result report: the standardized data and the distance table, written to
// the console and to the output file on channel 1.
//
// Each cell is the first 8 bytes of its number's general text, followed by one
// blank in both copies; a standardized value of exactly 0 and a distance below
// DistanceZeroThreshold (or a NaN) print "0.000000". The file copy is plain,
// blank-separated for a spreadsheet: every data line ends in two blanks and
// CR LF. The console copy of the distance table adds a header row of column
// numbers, and a row number and padded name in front of each row.
#ifndef KYORI_DIALOGUE_REPORT_H_
#define KYORI_DIALOGUE_REPORT_H_

#include "kernels/report_cells.h"

namespace kyori {

// Headings and the standardized rows; then the heading of the results.
void WriteStandardizedSection();
// The distance table: each cell the root of its squared distance.
void WriteDistanceSection();

}  // namespace kyori

#endif  // KYORI_DIALOGUE_REPORT_H_
