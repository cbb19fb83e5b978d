// The operator's console: every prompt and every answer of the tool goes
// through one Console object, so the same dialogue runs from a terminal, a
// script or a test. It reads the four kinds of answer (a character, a file
// name, a text line, a number), asks the typed questions and runs the menus
// of dialogue.h, and handles the end of input once, here.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>

#include "console/dialogue.h"

namespace campdb {

// Concatenates text pieces and numbers (plain decimal) into one string.
namespace detail {
inline void AppendPiece(std::string& s, std::string_view v) { s.append(v); }
inline void AppendPiece(std::string& s, const char* v) { s.append(v); }
inline void AppendPiece(std::string& s, const std::string& v) { s.append(v); }
inline void AppendPiece(std::string& s, char c) { s.push_back(c); }
template <typename T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, char> && !std::is_same_v<T, bool>)
void AppendPiece(std::string& s, T v) {
  s.append(std::to_string(v));
}
}  // namespace detail

template <typename... Pieces>
std::string Cat(const Pieces&... pieces) {
  std::string s;
  (detail::AppendPiece(s, pieces), ...);
  return s;
}

class Console {
 public:
  // Whether each line is flushed as it is written, or lines are gathered
  // (and flushed before every read of the input, every diagnostic, and at
  // the end).
  enum class LineFlush { EachLine, Gathered };

  // `err`, when given, receives the diagnostics: warnings, reasons and
  // notes that are no part of the transcript.
  Console(std::istream& in, std::ostream& out, std::ostream* err = nullptr, LineFlush flush = LineFlush::EachLine)
      : in_(in), out_(out), err_(err), flush_(flush) {}
  ~Console() { out_.flush(); }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes the text and a line end (flushing it, unless lines are gathered).
  void WriteLine(std::string_view text = {});
  // Writes the text without a line end (flushing it, likewise).
  void Write(std::string_view text);
  // One diagnostic line on the error stream, "campdb: " and the text. The
  // transcript is flushed first, so that a log of both reads in order.
  void Diagnostic(std::string_view text);

  // The next character that is not white space; the rest of the line stays.
  std::optional<char> ReadAnswerChar();
  // Like ReadAnswerChar, but the end of input is not an event: used where
  // the tool merely waits for a key.
  void WaitForKey();
  // The next white-space-delimited word, taken whole; the rest of its line is
  // then discarded up to and including the first line feed or carriage
  // return.
  std::optional<std::string> ReadFileName();
  // A line without its line feed, at most `limit` characters. A longer line
  // is cut at the limit and the rest of it, through its line feed, is
  // dropped with a note on the error stream, so that it is never taken for
  // the answers that follow. A carriage return before the line feed is part
  // of the answer. Empty optional only when the input has ended before the
  // answer began.
  std::optional<std::string> ReadTextLine(size_t limit);
  // Takes everything up to and including the next line feed, however much
  // that is, keeping none of it. It never meets the end of input: what it
  // finds there is simply the end of the line.
  void DiscardRestOfLine();
  // A number. Text that is not a number, or a value outside the signed
  // 32-bit range, prints "That is not a number, please try again", discards
  // the rest of the line and reads again.
  std::optional<int32_t> ReadNumber(NumberForm form = NumberForm::Constant);

  // The typed questions: empty once the input has ended (also when it had
  // ended before the question, which then prints nothing).
  std::optional<int32_t> Ask(const NumberQuestion& question);
  std::optional<std::string> Ask(const TextQuestion& question);
  std::optional<char> Ask(const ChoiceQuestion& question);
  // Shows the menu and reads an answer, runs the row it chooses, and shows
  // the menu again until a row or the unknown answer leaves it. Returns the
  // answer that left it; empty when the input ended, while the menu waited
  // or while a row's action read its own answers (the menu then returns at
  // once and nothing more is printed or run).
  std::optional<char> RunMenu(const Menu& menu);

  // A scripted run (standard input is not a terminal) may find its answers
  // taken by other questions than the ones they were written for. Then each
  // answer that is refused and asked for again, each answer with which an
  // edit cannot be done, and each character taken by a wait for a key is
  // said on the error stream with the input line it stood on (counted from
  // 1), and the run has left its course. At a terminal nothing is said.
  void SetScripted(bool scripted) { scripted_ = scripted; }
  // The last answer read was refused; `reply` is the line that said so.
  void Refused(std::string_view reply);
  // Writes `line`, which says that an edit cannot be done with the last
  // answer read.
  void WriteUnusable(std::string_view line);
  // True once a scripted run has left its course.
  bool LeftCourse() const { return leftCourse_; }

  // True once an answer read has met the end of input.
  bool Ended() const { return ended_; }
  // A line printed once, the first time an answer read meets the end of
  // input while it is set; empty to print nothing.
  void SetEndNotice(std::string line) { endNotice_ = std::move(line); }

 private:
  static constexpr int kEnd = -1;
  int Peek(size_t ahead = 0);
  int Get();
  void SkipWhiteSpace();
  std::optional<int32_t> TryParseNumber(NumberForm form, bool& notANumber);
  void MeetEnd();
  // Where an answer begins: the line it stands on, its first characters.
  void BeginAnswer();
  // Get, keeping the character as part of the answer.
  int Take();
  void KeepAnswer(int c);
  void OffCourse(std::string_view what);

  std::istream& in_;
  std::ostream& out_;
  std::ostream* err_;
  LineFlush flush_;
  std::string lookahead_;
  bool ended_ = false;
  bool noticePrinted_ = false;
  std::string endNotice_;
  bool scripted_ = false;
  bool leftCourse_ = false;
  // Line feeds taken so far, and the last answer read: its line and (at
  // most kAnswerKept of) its characters.
  uint64_t linesTaken_ = 0;
  uint64_t answerLine_ = 0;
  std::string answer_;
  static constexpr size_t kAnswerKept = 64;
};

}  // namespace campdb
