// The calls through which output files reach the file system: each write,
// each sync of a file or a folder, each close of a finished file and each
// rename into place. They stand apart from output_file.cpp, in a library of
// their own, so that a test program can link its own versions of them that
// count the calls and make a chosen one fail as a full or failing disk
// would. The tool links these, which only make the calls.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace campdb::system_calls {

// As write(2), pwrite(2), fsync(2), close(2) and rename(2): the result, and
// errno set on failure.
ssize_t Write(int fd, const void* data, size_t size);
ssize_t WriteAt(int fd, const void* data, size_t size, off_t offset);
int Sync(int fd);
int Close(int fd);
int Rename(const char* from, const char* to);

}  // namespace campdb::system_calls
