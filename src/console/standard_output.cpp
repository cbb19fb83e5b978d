#include "console/standard_output.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace campdb {

namespace {

// A buffer over file descriptor 1. Its contents and fill are plain static
// storage, so that a signal handler can write out what it holds.
class GatheredOutput final : public std::streambuf {
 public:
  static constexpr size_t kSize = size_t{1} << 16;

  // Writes bytes [0, fill) and empties the buffer.
  static void Drain() {
    const size_t fill = fill_.load(std::memory_order_acquire);
    size_t done = 0;
    while (done < fill) {
      const ssize_t put = ::write(STDOUT_FILENO, buffer_ + done, fill - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) break;  // standard output is gone; nothing more can be said
      done += static_cast<size_t>(put);
    }
    fill_.store(0, std::memory_order_release);
  }

 protected:
  std::streamsize xsputn(const char* data, std::streamsize count) override {
    auto left = static_cast<size_t>(count);
    while (left > 0) {
      size_t fill = fill_.load(std::memory_order_relaxed);
      if (fill == kSize) {
        Drain();
        fill = 0;
      }
      const size_t take = std::min(left, kSize - fill);
      std::memcpy(buffer_ + fill, data, take);
      // The bytes are in place before the fill says so.
      fill_.store(fill + take, std::memory_order_release);
      data += take;
      left -= take;
    }
    return count;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }
  int sync() override {
    Drain();
    return 0;
  }

 private:
  static char buffer_[kSize];
  static std::atomic<size_t> fill_;
};

char GatheredOutput::buffer_[GatheredOutput::kSize];
std::atomic<size_t> GatheredOutput::fill_{0};

}  // namespace

bool GatherStandardOutput() {
  if (::isatty(STDOUT_FILENO) == 1) return false;
  // Never destroyed: standard output is flushed at exit, after the
  // program's own statics are gone.
  static auto* const gathered = new GatheredOutput;
  std::cout.rdbuf(gathered);
  return true;
}

void WriteGatheredStandardOutput() { GatheredOutput::Drain(); }

}  // namespace campdb
