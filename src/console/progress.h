// How far a long job has come, on one line of standard error that is
// rewritten in place:
//
//   campdb: dumping: 1,234,567 of 3,000,000 objects (41%)
//
// It shows only where a person watches (the owner hands it a stream only
// when standard error is a terminal), only once the job has run for more
// than a second, and it is erased when the job ends, so a log or a pipe
// never sees it. The interactive runs never use it: their transcript is on
// standard output and stays as it is.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace campdb {

class ProgressLine {
 public:
  // Shows nothing at all when `err` is null.
  explicit ProgressLine(std::ostream* err) : err_(err), start_(Clock::now()) {}
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // A stage of the job begins: what it does ("dumping") and to how many
  // objects (0 when that is not known; less when it is no count of objects:
  // the line then only says what is being done, "writing out.db").
  void Stage(std::string_view verb, int64_t total);
  // `done` objects of the stage are through. Cheap enough for every object:
  // the clock is looked at once every 4,096.
  void Step(int64_t done) {
    if (err_ != nullptr && (done & 4095) == 0) Tick(done);
  }
  // Erases the line, if one is shown (before any other line on the stream).
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  void Tick(int64_t done);

  std::ostream* err_;
  Clock::time_point start_;
  Clock::time_point shownAt_{};
  bool shown_ = false;
  std::string verb_;
  int64_t total_ = 0;
};

}  // namespace campdb
