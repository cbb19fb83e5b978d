// Fault injection for the tests: the test program links its own versions of
// the calls in maintenance/system_calls.h (output_faults.cpp), which count
// every write, sync, close and rename that output files make and can make
// one of them fail as though the disk had refused it. Until FailNth is
// called they only count and pass the call on.
#pragma once

#include <cstdint>

namespace campdb::output_faults {

// From now on, the nth call (1 = the next) fails with EIO; 0 injects
// nothing. Resets the count.
void FailNth(int64_t n);
// Calls made since the last FailNth.
int64_t Performed();

}  // namespace campdb::output_faults
