#include "textform/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace campdb {

namespace {

constexpr size_t kFirstBuffer = size_t{1} << 20;

}  // namespace

LineReader::LineReader(int fd, bool regular) : fd_(fd), longest_(regular ? kLongestLine : kLongestStreamedLine) {}

LineReader::LineReader(std::span<const uint8_t> bytes) : memory_(bytes) {}

int64_t LineReader::Fill() {
  const size_t room = capacity_ - end_;
  if (fd_ < 0) {
    const size_t take = std::min(room, memory_.size() - memoryUsed_);
    if (take > 0) std::memcpy(buffer_.get() + end_, memory_.data() + memoryUsed_, take);
    memoryUsed_ += take;
    end_ += take;
    return static_cast<int64_t>(take);
  }
  while (true) {
    const ssize_t got = ::read(fd_, buffer_.get() + end_, room);
    if (got >= 0) {
      end_ += static_cast<size_t>(got);
      return got;
    }
    if (errno != EINTR) {
      reason_ = std::strerror(errno);
      return -1;
    }
  }
}

LineReader::Result LineReader::Next(std::string_view& line) {
  if (!buffer_) {
    capacity_ = std::min(kFirstBuffer, longest_ + 1);
    // Zeroed, so that the padding after a line is never uninitialised.
    buffer_ = std::make_unique<char[]>(capacity_ + kLinePadding);
  }
  size_t scanned = begin_;
  while (true) {
    if (const void* feed = std::memchr(buffer_.get() + scanned, '\n', end_ - scanned)) {
      const size_t at = static_cast<size_t>(static_cast<const char*>(feed) - buffer_.get());
      line = std::string_view(buffer_.get() + begin_, at - begin_);
      begin_ = at + 1;
      ++lineNumber_;
      return Result::Line;
    }
    scanned = end_;
    if (ended_) {
      if (begin_ == end_) return Result::End;
      line = std::string_view(buffer_.get() + begin_, end_ - begin_);
      std::memset(buffer_.get() + end_, 0, kLinePadding);
      begin_ = end_;
      ++lineNumber_;
      return Result::Line;
    }
    // Room for more: first by moving the line begun to the front, then by
    // a larger buffer.
    if (begin_ > 0) {
      std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
      end_ -= begin_;
      scanned -= begin_;
      begin_ = 0;
    }
    if (end_ == capacity_) {
      if (capacity_ > longest_) return Result::TooLong;
      const size_t larger = std::min(capacity_ * 2, longest_ + 1);
      auto grown = std::make_unique<char[]>(larger + kLinePadding);
      std::memcpy(grown.get(), buffer_.get(), end_);
      buffer_ = std::move(grown);
      capacity_ = larger;
    }
    const int64_t got = Fill();
    if (got < 0) return Result::Error;
    if (got == 0) ended_ = true;
  }
}

}  // namespace campdb
