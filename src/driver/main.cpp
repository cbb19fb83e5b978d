#include <iostream>

#include "driver/driver.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return campdb::RunProgram(argc, argv, std::cin, std::cout, std::cerr);
}
