// The typed questions and the menus, asked through the console's reads.
#include <algorithm>

#include "console/console.h"

namespace campdb {

namespace {

void WriteLines(Console& console, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) console.WriteLine(line);
}

}  // namespace

std::optional<int32_t> Console::Ask(const NumberQuestion& question) {
  while (!ended_) {
    WriteLines(*this, question.lines);
    const auto value = ReadNumber(question.form);
    if (!value) return std::nullopt;
    if (!question.accept || question.accept(*value)) return value;
    if (!question.rejection.empty()) WriteLine(question.rejection);
    Refused(question.rejection.empty() ? "asked again" : question.rejection);
  }
  return std::nullopt;
}

std::optional<std::string> Console::Ask(const TextQuestion& question) {
  if (ended_) return std::nullopt;
  WriteLines(*this, question.lines);
  if (question.afterCommandLine) DiscardRestOfLine();
  auto text = ReadTextLine(question.rule.limit);
  if (text && question.rule.endsAtZero) {
    const auto zero = text->find('\0');
    if (zero != std::string::npos) text->resize(zero);
  }
  return text;
}

std::optional<char> Console::Ask(const ChoiceQuestion& question) {
  while (!ended_) {
    WriteLines(*this, question.lines);
    const auto answer = ReadAnswerChar();
    if (!answer) return std::nullopt;
    if (question.accepted.find(*answer) != std::string_view::npos) return answer;
    if (!question.rejection.empty()) WriteLine(Cat(question.rejection, *answer));
    Refused(question.rejection.empty() ? "asked again" : Cat(question.rejection, *answer));
  }
  return std::nullopt;
}

std::optional<char> Console::RunMenu(const Menu& menu) {
  while (!ended_) {
    for (const MenuRow& row : menu.rows) {
      if (row.line) WriteLine(*row.line);
    }
    const auto answer = ReadAnswerChar();
    if (!answer) return std::nullopt;

    const auto chosen = std::find_if(menu.rows.begin(), menu.rows.end(), [&](const MenuRow& row) {
      return row.keys.find(*answer) != std::string_view::npos;
    });
    MenuNext next = menu.afterUnknown;
    if (chosen != menu.rows.end()) {
      if (chosen->action) chosen->action();
      next = chosen->next;
    } else if (menu.unknown) {
      const std::vector<std::string> lines = menu.unknown(*answer);
      WriteLines(*this, lines);
      Refused(lines.empty() ? "not a command" : lines.front());
    }
    // An answer cut short by the end of the input ends the dialogue here.
    if (ended_) return std::nullopt;
    if (next == MenuNext::Leave) return answer;
    if (menu.afterAnswer) menu.afterAnswer();
  }
  return std::nullopt;
}

}  // namespace campdb
