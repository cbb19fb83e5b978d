#include "driver/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace campdb {

namespace {

constexpr size_t kLargestStreamedInput = size_t{256} << 20;

}  // namespace

std::optional<InputImage> ReadInputImage(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  InputImage image;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  const bool regular = S_ISREG(st.st_mode);
  if (ok) {
    image.identity = FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    std::vector<uint8_t> chunk(size_t{1} << 16);
    // A regular file's image is reserved once, so it is never copied while
    // it grows.
    if (regular) image.bytes.reserve(static_cast<size_t>(st.st_size));
    while (ok) {
      const ssize_t got = ::read(fd, chunk.data(), chunk.size());
      if (got == 0) break;
      if (got < 0) {
        ok = errno == EINTR;
        continue;
      }
      image.bytes.insert(image.bytes.end(), chunk.begin(), chunk.begin() + got);
      ok = regular || image.bytes.size() <= kLargestStreamedInput;
    }
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return image;
}

}  // namespace campdb
