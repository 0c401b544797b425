// The second reading of a table: its names and values into a Collection
// sized by the table's shape (batch/table_shape.h), with every fault of a
// single cell.
//
// Example: "v,a,b\nx,1,2\ny,3,4\n" of shape (1, 3, 2) fills trait names a
// and b, variety names x and y, and values by trait 1 3 | 2 4. With
// MissingTexts::Usual(), "v,a,b\nx,1,NA\ny,,4\n" fills 1 NaN | NaN 4.
#ifndef KYORI_BATCH_TABLE_FILLER_H_
#define KYORI_BATCH_TABLE_FILLER_H_

#include <string_view>

#include "batch/collection.h"
#include "batch/missing_texts.h"
#include "batch/table_error.h"
#include "batch/table_format.h"
#include "batch/table_shape.h"

namespace kyori {

// Fills `collection` (which must be empty) from `body` read with `format`,
// whose shape MeasureTable found as `shape` without fault. Returns kNone, or
// the first of kNameTooLong, kEmptyVarietyName, kVarietyNameLineBreak,
// kDuplicateVarietyName, kEmptyValue,
// kNotANumber, kNumberTooLarge that the file has, with its cell's line,
// column and texts; the collection is then partly filled. The values are
// stored in place as they are read; a value cell that holds one of the
// texts of `missing` is stored as a quiet NaN. A body that does not
// have `shape` gives kRaggedRow where it departs from it; nothing is
// stored out of bounds.
TableError FillTable(std::string_view body, const TableFormat& format, const TableShape& shape,
                     Collection& collection, const MissingTexts& missing = {});

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_FILLER_H_
