#include <unistd.h>

#include <iostream>

#include "console/standard_output.h"
#include "driver/driver.h"
#include "maintenance/output_file.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const bool gathered = campdb::GatherStandardOutput();
  campdb::RemoveTemporaryFilesOnInterrupt();
  return campdb::RunProgram(argc, argv, std::cin, std::cout, std::cerr, gathered,
                            ::isatty(STDIN_FILENO) == 0);
}
