#include "report/report_stream.h"

#include <charconv>

namespace campdb {

ReportStream& ReportStream::operator<<(int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out_.WriteRun(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
  return *this;
}

}  // namespace campdb
