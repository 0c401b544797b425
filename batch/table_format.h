// How the bytes of a table file were read: their encoding, the delimiter
// and the decimal mark.
//
// Example: a file that spreadsheets in a German locale save, "Sorte;Länge\r\n
// A;1,5\r\n" in UTF-8 with a byte-order mark, has encoding kUtf8,
// byte_order_mark true, delimiter ';' and decimal mark ','.
#ifndef KYORI_BATCH_TABLE_FORMAT_H_
#define KYORI_BATCH_TABLE_FORMAT_H_

#include "batch/table_encoding.h"

namespace kyori {

struct TableFormat {
  TableEncoding encoding = TableEncoding::kUtf8;
  bool byte_order_mark = false;
  char delimiter = ',';
  char decimal_mark = '.';
};

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_FORMAT_H_
