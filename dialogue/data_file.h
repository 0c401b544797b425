// The data file: read field by field from channel 1 and echoed to the console
// item by item as it is read.
//
// Fields, in order: the variety count, the trait count, the trait names, then
// for each variety its name and one value per trait. Each field is read by its
// own input statement with one target. Counts of 301 or more are refused right
// after both are read, before anything is echoed.
#ifndef KYORI_DIALOGUE_DATA_FILE_H_
#define KYORI_DIALOGUE_DATA_FILE_H_

namespace kyori {

enum class DataFileOutcome { kRead, kOverCapacity };

// Expects channel 1 open on the data file, all names empty, all numbers 0.
// Leaves channel 1 closed.
DataFileOutcome ReadDataFile();

}  // namespace kyori

#endif  // KYORI_DIALOGUE_DATA_FILE_H_
