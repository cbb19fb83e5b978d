#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "maintenance/output_file.h"

namespace campdb {

// A text file to read a line at a time (a dump, a change set), open for
// reading.
class TextInput {
 public:
  ~TextInput() {
    if (fd_ >= 0 && owned_) ::close(fd_);
  }
  // False with the system's reason when it cannot be opened or is a folder.
  bool Open(const std::string& name, std::string& reason) {
    owned_ = name != "-";  // "-": standard input
    fd_ = owned_ ? ::open(name.c_str(), O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
    struct stat st {};
    int error = 0;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
      error = errno;
    } else if (S_ISDIR(st.st_mode)) {
      error = EISDIR;
    }
    if (error != 0) {
      reason = std::strerror(error);
      return false;
    }
    regular_ = S_ISREG(st.st_mode);
    identity_ = FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
  }
  int Fd() const { return fd_; }
  bool Regular() const { return regular_; }
  const FileIdentity& Identity() const { return identity_; }

 private:
  int fd_ = -1;
  bool owned_ = true;
  bool regular_ = true;
  FileIdentity identity_;
};

}  // namespace campdb
