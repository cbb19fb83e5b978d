#include "maintenance/system_calls.h"

#include <stdio.h>
#include <unistd.h>

namespace campdb::system_calls {

ssize_t Write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
ssize_t WriteAt(int fd, const void* data, size_t size, off_t offset) { return ::pwrite(fd, data, size, offset); }
int Sync(int fd) { return ::fsync(fd); }
int Close(int fd) { return ::close(fd); }
int Rename(const char* from, const char* to) { return ::rename(from, to); }

}  // namespace campdb::system_calls
