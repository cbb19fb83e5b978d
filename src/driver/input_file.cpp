#include "driver/input_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace campdb {

namespace {

constexpr size_t kLargestStreamedInput = size_t{256} << 20;
constexpr size_t kFirstStreamedBuffer = size_t{1} << 16;

// Reads until `buffer` is full or the input ends; the number of bytes read,
// or nothing on a read error.
std::optional<size_t> ReadUpTo(int fd, uint8_t* buffer, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    const ssize_t got = ::read(fd, buffer + filled, size - filled);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    filled += static_cast<size_t>(got);
  }
  return filled;
}

// A buffer of `size` bytes, not cleared, since every byte that counts is
// read over. A large one asks for the system's large pages, which it then
// hands out in a few hundred faults rather than hundreds of thousands;
// where they cannot be had it is an ordinary buffer.
std::unique_ptr<uint8_t[]> ReadBuffer(size_t size) {
  auto buffer = std::make_unique_for_overwrite<uint8_t[]>(size);
  constexpr size_t kLargePage = size_t{2} << 20;
  if (size >= 8 * kLargePage) {
    const auto at = reinterpret_cast<uintptr_t>(buffer.get());
    const uintptr_t from = (at + kLargePage - 1) / kLargePage * kLargePage;
    const uintptr_t to = (at + size) / kLargePage * kLargePage;
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
  }
  return buffer;
}

// Reads everything `fd` delivers into `image`, whose buffer starts with room
// for `expected` bytes.
bool ReadAll(int fd, size_t expected, bool bounded, ByteImage& image) {
  size_t capacity = expected;
  image.data = ReadBuffer(capacity);
  while (true) {
    const auto got = ReadUpTo(fd, image.data.get() + image.size, capacity - image.size);
    if (!got) return false;
    image.size += *got;
    if (image.size < capacity) return true;
    // The buffer is full, but the input may hold more: a pipe, or a file
    // that grew since it was measured. Look before making room, so that a
    // file read to its end is never copied.
    uint8_t probe[4096];
    const auto more = ReadUpTo(fd, probe, sizeof probe);
    if (!more) return false;
    if (*more == 0) return true;
    if (bounded && image.size + *more > kLargestStreamedInput) {
      errno = EFBIG;
      return false;
    }
    capacity = std::max(capacity * 2, image.size + *more);
    if (bounded) capacity = std::min(capacity, kLargestStreamedInput);
    auto larger = ReadBuffer(capacity);
    std::memcpy(larger.get(), image.data.get(), image.size);
    std::memcpy(larger.get() + image.size, probe, *more);
    image.data = std::move(larger);
    image.size += *more;
  }
}

}  // namespace

namespace {

// Reads the open file `fd` whole; the caller closes it.
std::optional<InputImage> ReadOpenInput(int fd, int& reason) {
  InputImage image;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  if (!ok) {
    reason = errno;
  } else if (S_ISDIR(st.st_mode)) {
    ok = false;
    reason = EISDIR;
  } else {
    image.identity = FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    const bool regular = S_ISREG(st.st_mode);
    ok = ReadAll(fd, regular ? static_cast<size_t>(st.st_size) : kFirstStreamedBuffer, !regular, image.bytes);
    if (!ok) reason = errno;
  }
  if (!ok) return std::nullopt;
  return image;
}

}  // namespace

std::optional<InputImage> ReadInputImage(const std::string& name, int* error) {
  int ignored = 0;
  int& reason = error != nullptr ? *error : ignored;
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = errno;
    return std::nullopt;
  }
  auto image = ReadOpenInput(fd, reason);
  ::close(fd);
  return image;
}

std::optional<InputImage> ReadActionInput(const std::string& name, int* error) {
  if (name != "-") return ReadInputImage(name, error);
  int ignored = 0;
  return ReadOpenInput(STDIN_FILENO, error != nullptr ? *error : ignored);
}

InputReadAhead::InputReadAhead(const std::string& name) : name_(name) {
  struct stat st {};
  if (name == "-" || ::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  reading_.emplace(true, [this] { image_ = ReadInputImage(name_, &error_); });
}

std::optional<InputImage> InputReadAhead::Take(int* error) {
  if (!reading_) return ReadActionInput(name_, error);
  reading_->Join();
  if (error != nullptr) *error = error_;
  return std::move(image_);
}

}  // namespace campdb
