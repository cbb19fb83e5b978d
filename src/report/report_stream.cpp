#include "report/report_stream.h"

#include <charconv>

namespace campdb {

ReportStream& ReportStream::operator<<(int64_t value) {
  // Twenty characters hold any 64-bit number with its sign.
  constexpr size_t kLongest = 20;
  char* digits = out_.Reserve(kLongest);
  out_.Commit(static_cast<size_t>(std::to_chars(digits, digits + kLongest, value).ptr - digits));
  return *this;
}

}  // namespace campdb
