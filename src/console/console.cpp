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

// An answer as a diagnostic shows it: printable ASCII as it is, the rest as
// \xNN.
std::string Shown(std::string_view answer) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char ch : answer) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      shown.push_back(ch);
    } else {
      shown += {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
    }
  }
  return shown;
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
  if (c == '\n') ++linesTaken_;
  return c;
}

int Console::Take() {
  const int c = Get();
  KeepAnswer(c);
  return c;
}

void Console::BeginAnswer() {
  answerLine_ = linesTaken_ + 1;
  answer_.clear();
}

void Console::KeepAnswer(int c) {
  if (c != kEnd && answer_.size() < kAnswerKept) answer_.push_back(static_cast<char>(c));
}

void Console::OffCourse(std::string_view what) {
  if (!scripted_) return;
  leftCourse_ = true;
  Diagnostic(Cat("input line ", answerLine_, ": answer \"", Shown(answer_), "\" ", what));
}

void Console::Refused(std::string_view reply) { OffCourse(Cat("refused (", reply, ")")); }

void Console::WriteUnusable(std::string_view line) {
  WriteLine(line);
  OffCourse(Cat("could not be used (", line, ")"));
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
  BeginAnswer();
  const int c = Get();
  KeepAnswer(c);
  if (c == kEnd) {
    MeetEnd();
    return std::nullopt;
  }
  return static_cast<char>(c);
}

void Console::WaitForKey() {
  SkipWhiteSpace();
  BeginAnswer();
  const int c = Get();
  KeepAnswer(c);
  if (c != kEnd) OffCourse("taken by \"Hit any key to continue\"");
}

std::optional<std::string> Console::ReadFileName() {
  SkipWhiteSpace();
  if (Peek() == kEnd) {
    MeetEnd();
    return std::nullopt;
  }
  BeginAnswer();
  std::string name;
  while (Peek() != kEnd && !IsWhiteSpace(Peek())) name.push_back(static_cast<char>(Get()));
  answer_ = name.substr(0, kAnswerKept);
  for (int c = Get(); c != kEnd && c != '\n' && c != '\r'; c = Get()) {
  }
  return name;
}

std::optional<std::string> Console::ReadTextLine(size_t limit) {
  if (Peek() == kEnd) {
    MeetEnd();
    return std::nullopt;
  }
  BeginAnswer();
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
    KeepAnswer(text.back());
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
    // The refused answer is what the rest of its line held.
    for (int c = Get(); c != kEnd && c != '\n'; c = Get()) KeepAnswer(c);
    Refused("That is not a number, please try again");
  }
}

// Parses one number. Returns the value; or sets notANumber; or returns an
// empty optional when the input ended before a number began.
std::optional<int32_t> Console::TryParseNumber(NumberForm form, bool& notANumber) {
  SkipWhiteSpace();
  BeginAnswer();
  bool negative = false;
  if (Peek() == '+' || Peek() == '-') negative = Take() == '-';
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
    Take();
    if ((Peek() == 'x' || Peek() == 'X') && HexValue(Peek(1)) >= 0) {
      Take();
      while (HexValue(Peek()) >= 0) accumulate(16, HexValue(Take()));
    } else {
      while (IsOctalDigit(Peek())) accumulate(8, Take() - '0');
    }
  } else {
    while (IsDecimalDigit(Peek())) accumulate(10, Take() - '0');
  }

  const int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    notANumber = true;
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

}  // namespace campdb
