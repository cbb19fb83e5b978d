// Watches the heap while a probe is alive: the largest single request made
// through operator new and the sum of all requests. Hostile-input tests use
// it to show that no allocation follows a count or length taken from the
// file rather than the bytes the file really holds.
//
// Linking this file replaces the global operator new and delete of the test
// program (plain malloc and free underneath); outside a probe they only
// forward.
#pragma once

#include <cstddef>

namespace campdb::testdb {

class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;

  size_t Largest() const;
  size_t Total() const;
};

}  // namespace campdb::testdb
