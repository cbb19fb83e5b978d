#include <iostream>

#include "driver/driver.h"
#include "maintenance/output_file.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  campdb::RemoveTemporaryFilesOnInterrupt();
  return campdb::RunProgram(argc, argv, std::cin, std::cout, std::cerr);
}
