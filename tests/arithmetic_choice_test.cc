// The arithmetic a run takes (batch/arithmetic_choice.h): the compatible one
// by default only for the dialogue's own kind of run, a report of a file in
// the kyori layout of at most 300 by 300; the accurate one for tables in or
// out; either when asked, at any size.
#include "batch/arithmetic_choice.h"

#include <gtest/gtest.h>

namespace kyori {
namespace {

TEST(ArithmeticChoice, AutoIsCompatibleOnlyForTheDialoguesReports) {
  constexpr bool kTable = true;
  constexpr bool kReport = true;
  const struct {
    const char* label;
    ArithmeticChoice choice;
    bool table;
    bool report;
    double varieties;
    double traits;
    Arithmetic taken;
  } cases[] = {
      {"kyori layout, report, 12 x 5", ArithmeticChoice::kAuto, !kTable, kReport, 12, 5, Arithmetic::kCompatible},
      {"kyori layout, report, 300 x 300", ArithmeticChoice::kAuto, !kTable, kReport, 300, 300, Arithmetic::kCompatible},
      {"kyori layout, report, 301 x 3", ArithmeticChoice::kAuto, !kTable, kReport, 301, 3, Arithmetic::kAccurate},
      {"kyori layout, report, 3 x 301", ArithmeticChoice::kAuto, !kTable, kReport, 3, 301, Arithmetic::kAccurate},
      {"kyori layout, CSV or TSV table, 12 x 5", ArithmeticChoice::kAuto, !kTable, !kReport, 12, 5, Arithmetic::kAccurate},
      {"table, report, 12 x 5", ArithmeticChoice::kAuto, kTable, kReport, 12, 5, Arithmetic::kAccurate},
      {"table, table out, 12 x 5", ArithmeticChoice::kAuto, kTable, !kReport, 12, 5, Arithmetic::kAccurate},
      {"compatible asked, table out, 5000 x 50", ArithmeticChoice::kCompatible, kTable, !kReport, 5000, 50,
       Arithmetic::kCompatible},
      {"accurate asked, kyori layout, report, 12 x 5", ArithmeticChoice::kAccurate, !kTable, kReport, 12, 5,
       Arithmetic::kAccurate},
  };
  for (const auto& c : cases) {
    Collection counts;
    counts.variety_count = c.varieties;
    counts.trait_count = c.traits;
    EXPECT_EQ(ChooseArithmetic(c.choice, c.table, c.report, counts), c.taken) << c.label;
  }
}

}  // namespace
}  // namespace kyori
