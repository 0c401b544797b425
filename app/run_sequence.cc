#include "app/run_sequence.h"

namespace kyori {

int RunKyori() { return 0; }

}  // namespace kyori
