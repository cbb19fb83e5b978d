#include "console/progress.h"

namespace campdb {

namespace {

std::string Grouped(int64_t number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return number < 0 ? "-" + digits : digits;
}

}  // namespace

void ProgressLine::Stage(std::string_view verb, int64_t total) {
  verb_ = verb;
  total_ = total;
  if (err_ != nullptr) Tick(0);
}

void ProgressLine::Tick(int64_t done) {
  const Clock::time_point now = Clock::now();
  // Nothing for a job that ends within a second, and no more than ten
  // updates a second, which a terminal shows without flicker.
  if (now - start_ < std::chrono::seconds(1)) return;
  if (shown_ && now - shownAt_ < std::chrono::milliseconds(100)) return;
  std::string line = "\rcampdb: " + verb_;
  if (total_ >= 0) line += ": " + Grouped(done);
  if (total_ > 0) {
    line += " of " + Grouped(total_) + " objects (" + std::to_string(done * 100 / total_) + "%)";
  } else if (total_ == 0) {
    line += " objects";
  }
  line += "\033[K";  // what a longer line before left on the right
  *err_ << line << std::flush;
  shown_ = true;
  shownAt_ = now;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  *err_ << "\r\033[K" << std::flush;
  shown_ = false;
}

}  // namespace campdb
