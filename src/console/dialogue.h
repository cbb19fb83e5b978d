// The dialogue as data: typed questions and menus. A caller describes what
// it asks (the lines shown, the kind of answer, which answers count) and the
// Console asks it: it prints the lines, reads the answer, asks again where
// the question says so, and meets the end of input in one place for every
// dialogue of the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace campdb {

// How a number answer is written.
enum class NumberForm {
  Constant,  // decimal, 0 octal or 0x hexadecimal, as integer constants
  Decimal,   // plain decimal only
};

// A number. The lines are shown, then a number is read in its form. When
// `accept` is set and refuses the number, the rejection line is printed and
// the question is asked again, its lines included. Text that is not a number
// is refused by the console itself, which reads again without the lines.
struct NumberQuestion {
  std::vector<std::string> lines{};
  NumberForm form = NumberForm::Constant;
  std::function<bool(int32_t)> accept{};
  std::string rejection{};
};

// What a text answer may hold: at most `limit` characters (a longer line is
// cut there and the rest of it dropped), and, for texts handed on as
// zero-terminated text, nothing from the first zero byte on.
struct TextRule {
  size_t limit = 255;
  bool endsAtZero = false;
};

// A line of text. The lines are shown; when the question follows a command
// or a number on the same input line, the rest of that line is passed over
// first, so that the answer is the next whole line.
struct TextQuestion {
  std::vector<std::string> lines{};
  TextRule rule{};
  bool afterCommandLine = false;
};

// One letter among the accepted ones. Any other answer prints the rejection
// followed by the answer (nothing when the rejection is empty) and asks
// again, lines and all.
struct ChoiceQuestion {
  std::vector<std::string> lines{};
  std::string_view accepted{};
  std::string rejection{};
};

// What a menu does once an answer has been dealt with.
enum class MenuNext { ShowAgain, Leave };

// One row of a menu: the answer letters that choose it, the line that shows
// it, and what it does. A row without letters is a line that offers no
// command (a heading, an empty line, a warning); a row without a line is a
// command the menu does not list.
struct MenuRow {
  std::string_view keys{};
  std::optional<std::string> line{};
  std::function<void()> action{};
  MenuNext next = MenuNext::ShowAgain;
};

inline MenuRow Line(std::string text = {}) { return {{}, std::move(text), nullptr}; }
inline MenuRow Command(std::string_view keys, std::string line, std::function<void()> action,
                       MenuNext next = MenuNext::ShowAgain) {
  return {keys, std::move(line), std::move(action), next};
}
inline MenuRow Unlisted(std::string_view keys, std::function<void()> action, MenuNext next = MenuNext::ShowAgain) {
  return {keys, std::nullopt, std::move(action), next};
}

// A menu: its rows in the order they are shown, and what an answer that no
// row takes prints (the lines `unknown` gives for it; none when it is not
// set) and whether the menu then shows again or returns. `afterAnswer`, when
// set, runs after every answer that leaves the menu showing again, before it
// is shown.
struct Menu {
  std::vector<MenuRow> rows{};
  std::function<std::vector<std::string>(char answer)> unknown{};
  MenuNext afterUnknown = MenuNext::ShowAgain;
  std::function<void()> afterAnswer{};
};

}  // namespace campdb
