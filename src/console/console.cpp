#include "console/console.h"

#include <limits>

namespace campdb {

namespace {

bool IsWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDecimalDigit(int c) { return c >= '0' && c <= '9'; }
bool IsOctalDigit(int c) { return c >= '0' && c <= '7'; }
int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void Console::WriteLine(std::string_view text) {
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  out_.put('\n');
  if (flush_ == LineFlush::EachLine) out_.flush();
}

void Console::Write(std::string_view text) {
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (flush_ == LineFlush::EachLine) out_.flush();
}

void Console::Diagnostic(std::string_view text) {
  out_.flush();
  if (err_ == nullptr) return;
  if (progress_ != nullptr) progress_->Clear();
  *err_ << "campdb: " << text << '\n';
  err_->flush();
}

int Console::Peek(size_t ahead) {
  // Whatever was said before is out before the tool waits for an answer.
  if (lookahead_.size() <= ahead && flush_ == LineFlush::Gathered) out_.flush();
  while (lookahead_.size() <= ahead) {
    const auto c = in_.rdbuf() != nullptr ? in_.rdbuf()->sbumpc() : std::char_traits<char>::eof();
    if (c == std::char_traits<char>::eof()) return kEnd;
    lookahead_.push_back(static_cast<char>(c));
  }
  return static_cast<unsigned char>(lookahead_[ahead]);
}

int Console::Get() {
  const int c = Peek();
  if (c != kEnd) lookahead_.erase(0, 1);
  return c;
}

void Console::SkipWhiteSpace() {
  while (IsWhiteSpace(Peek())) Get();
}

void Console::MeetEnd() {
  ended_ = true;
  if (!endNotice_.empty() && !noticePrinted_) {
    noticePrinted_ = true;
    WriteLine(endNotice_);
  }
}

std::optional<char> Console::ReadAnswerChar() {
  SkipWhiteSpace();
  const int c = Get();
  if (c == kEnd) {
    MeetEnd();
    return std::nullopt;
  }
  return static_cast<char>(c);
}

void Console::WaitForKey() {
  SkipWhiteSpace();
  Get();
}

std::optional<std::string> Console::ReadFileName() {
  SkipWhiteSpace();
  if (Peek() == kEnd) {
    MeetEnd();
    return std::nullopt;
  }
  std::string name;
  while (Peek() != kEnd && !IsWhiteSpace(Peek())) name.push_back(static_cast<char>(Get()));
  for (int c = Get(); c != kEnd && c != '\n' && c != '\r'; c = Get()) {
  }
  return name;
}

std::optional<std::string> Console::ReadTextLine(size_t limit) {
  if (Peek() == kEnd) {
    MeetEnd();
    return std::nullopt;
  }
  std::string text;
  while (true) {
    const int c = Peek();
    if (c == kEnd) break;
    if (c == '\n') {
      Get();
      break;
    }
    if (text.size() >= limit) {
      DiscardRestOfLine();
      Diagnostic(Cat("note: answer cut to ", limit, " characters; the rest of its line was dropped"));
      break;
    }
    text.push_back(static_cast<char>(Get()));
  }
  return text;
}

void Console::DiscardRestOfLine() {
  for (int c = Get(); c != kEnd && c != '\n'; c = Get()) {
  }
}

std::optional<int32_t> Console::ReadNumber(NumberForm form) {
  while (true) {
    bool notANumber = false;
    auto value = TryParseNumber(form, notANumber);
    if (!notANumber) {
      if (!value) MeetEnd();
      return value;
    }
    WriteLine("That is not a number, please try again");
    DiscardRestOfLine();
  }
}

// Parses one number. Returns the value; or sets notANumber; or returns an
// empty optional when the input ended before a number began.
std::optional<int32_t> Console::TryParseNumber(NumberForm form, bool& notANumber) {
  SkipWhiteSpace();
  bool negative = false;
  if (Peek() == '+' || Peek() == '-') negative = Get() == '-';
  if (Peek() == kEnd) return std::nullopt;
  if (!IsDecimalDigit(Peek())) {
    notANumber = true;
    return std::nullopt;
  }

  // Accumulate with a ceiling so that any run of digits is consumed without
  // overflow; anything past the int32 range is rejected below.
  constexpr int64_t kCeiling = int64_t{1} << 40;
  int64_t magnitude = 0;
  auto accumulate = [&](int base, int digit) {
    magnitude = magnitude * base + digit;
    if (magnitude > kCeiling) magnitude = kCeiling;
  };

  if (form == NumberForm::Constant && Peek() == '0') {
    Get();
    if ((Peek() == 'x' || Peek() == 'X') && HexValue(Peek(1)) >= 0) {
      Get();
      while (HexValue(Peek()) >= 0) accumulate(16, HexValue(Get()));
    } else {
      while (IsOctalDigit(Peek())) accumulate(8, Get() - '0');
    }
  } else {
    while (IsDecimalDigit(Peek())) accumulate(10, Get() - '0');
  }

  const int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    notANumber = true;
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

}  // namespace campdb
