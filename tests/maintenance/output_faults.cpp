// Stands in for src/maintenance/system_calls.cpp in the test program: being
// linked directly, these definitions are taken and the tool's own are not.
#include "maintenance/output_faults.h"

#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "maintenance/system_calls.h"

namespace campdb {

namespace {

// Output files may write ahead on a thread of their own.
std::atomic<int64_t> performed = 0;
std::atomic<int64_t> failing = 0;

// Counts one call; true when it is the one chosen to fail.
bool Fails() {
  const int64_t call = ++performed;
  if (failing == 0 || call != failing) return false;
  errno = EIO;
  return true;
}

}  // namespace

namespace output_faults {

void FailNth(int64_t n) {
  performed = 0;
  failing = n;
}

int64_t Performed() { return performed; }

}  // namespace output_faults

namespace system_calls {

ssize_t Write(int fd, const void* data, size_t size) { return Fails() ? -1 : ::write(fd, data, size); }
ssize_t WriteAt(int fd, const void* data, size_t size, off_t offset) {
  return Fails() ? -1 : ::pwrite(fd, data, size, offset);
}
int Sync(int fd) { return Fails() ? -1 : ::fsync(fd); }
int Rename(const char* from, const char* to) { return Fails() ? -1 : ::rename(from, to); }

// The descriptor is closed whatever happens, as a close that reports a
// delayed write error still closes it.
int Close(int fd) {
  const bool fails = Fails();
  const int closed = ::close(fd);
  if (!fails) return closed;
  errno = EIO;
  return -1;
}

}  // namespace system_calls

}  // namespace campdb
