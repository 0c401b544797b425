#include "app/run_sequence.h"
#include "io/console_encoding.h"

int main() {
  // The dialogue shows itself in UTF-8 on a UTF-8 terminal; piped or
  // redirected, its bytes are Shift-JIS as they are.
  kyori::SetConsoleEncoding(kyori::ChooseConsoleEncoding("auto"));
  return kyori::RunKyori();
}
