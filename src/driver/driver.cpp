#include "driver/driver.h"

namespace campdb {

// Placeholder until the program driver lands.
int RunProgram(int, char**, std::istream&, std::ostream&) { return 0; }

}  // namespace campdb
