// The typed questions and the menus, each driven from a script: what is
// shown, what is read, what is asked again, and where the end of input
// stops the dialogue.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "console/console.h"

namespace campdb {
namespace {

const std::string kNotice = "End of input, leaving the editor\n";

struct Script {
  explicit Script(std::string input) : in(std::move(input)), console(in, out, &err) {
    console.SetEndNotice("End of input, leaving the editor");
  }
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

std::string Shown(const std::optional<int32_t>& answer) { return answer ? std::to_string(*answer) : "none"; }
std::string Shown(const std::optional<std::string>& answer) { return answer ? "[" + *answer + "]" : "none"; }
std::string Shown(const std::optional<char>& answer) { return answer ? std::string(1, *answer) : "none"; }

NumberQuestion PickBelowThree() {
  return {{"Pick"}, NumberForm::Constant, [](int32_t v) { return v >= 0 && v < 3; }, "Invalid choice"};
}

// Each question asked once; then the next line of input shows what the
// question left there.
TEST(DialogueTest, QuestionsShowReadAndAskAgain) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::function<std::string(Console&)> ask;
    std::string script;
    std::string transcript;
    std::string answer;
    std::string rest = "none";
  };
  const auto number = [](NumberQuestion q) { return [q](Console& c) { return Shown(c.Ask(q)); }; };
  const auto text = [](TextQuestion q) { return [q](Console& c) { return Shown(c.Ask(q)); }; };
  const auto choice = [](ChoiceQuestion q) { return [q](Console& c) { return Shown(c.Ask(q)); }; };
  const ChoiceQuestion yesNo{{"", "Y or N?"}, "yYnN", "Invalid choice entered: "};

  const Case cases[] = {
      {"number, constant form", number({{"Enter", "codes"}}), "0x1f tail\n", "Enter\ncodes\n", "31", "[ tail]"},
      {"number, decimal form", number({{}, NumberForm::Decimal}), "010\n", "", "10", "[]"},
      {"number refused until accepted", number(PickBelowThree()), "3 -1\n2\n",
       "Pick\nInvalid choice\nPick\nInvalid choice\nPick\n", "2", "[]"},
      {"not a number: read again, lines not shown", number(PickBelowThree()), "zz top\n1\n",
       "Pick\nThat is not a number, please try again\n", "1", "[]"},
      {"number at the end of input", number(PickBelowThree()), "  ", "Pick\n" + kNotice, "none"},
      {"text after a command line", text({{"Name?"}, {254, false}, true}), "N rest\nanswer\nnext",
       "Name?\n", "[answer]", "[next]"},
      {"text at once", text({{"File?"}}), "answer\nnext", "File?\n", "[answer]", "[next]"},
      {"text ending at its zero byte", text({{}, {255, true}}), "a\0b\nnext"s, "", "[a]", "[next]"},
      {"text keeping zero bytes", text({{}, {254, false}}), "a\0b\nnext"s, "", "[a\0b]"s, "[next]"},
      {"text cut at its limit", text({{}, {4, false}}), "abcdefg\nnext", "", "[abcd]", "[next]"},
      {"text at the end of input", text({{"Name?"}, {254, false}, true}), "N only", "Name?\n" + kNotice, "none"},
      {"choice refused with a line", choice(yesNo), "x Y\n", "\nY or N?\nInvalid choice entered: x\n\nY or N?\n",
       "Y", "[]"},
      {"choice refused silently", choice({{"Mode?"}, "CcEeRr"}), "q e\n", "Mode?\nMode?\n", "e", "[]"},
      {"choice at the end of input", choice({{"Mode?"}, "CcEeRr"}), "q", "Mode?\nMode?\n" + kNotice, "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Script s(c.script);
    EXPECT_EQ(c.ask(s.console), c.answer);
    EXPECT_EQ(s.out.str(), c.transcript);
    if (c.answer != "none") {
      EXPECT_EQ(Shown(s.console.ReadTextLine(254)), c.rest);
    }
    EXPECT_EQ(s.console.Ended(), c.answer == "none" || c.rest == "none");
  }
}

TEST(DialogueTest, NothingIsAskedOnceTheInputHasEnded) {
  Script s("");
  EXPECT_EQ(s.console.ReadAnswerChar(), std::nullopt);
  EXPECT_EQ(s.console.Ask(PickBelowThree()), std::nullopt);
  EXPECT_EQ(s.console.Ask(TextQuestion{{"Name?"}}), std::nullopt);
  EXPECT_EQ(s.console.Ask(ChoiceQuestion{{"Mode?"}, "CER"}), std::nullopt);
  EXPECT_EQ(s.console.RunMenu(Menu{{Line("Menu")}}), std::nullopt);
  EXPECT_EQ(s.out.str(), kNotice);
}

// A menu with a heading, two listed commands (B reads a number), a command
// that leaves, one the menu does not list, and an unknown answer that
// prints a line. The actions and the hook after each answer write a log.
struct LoggedMenu {
  std::string log;

  Menu Build(Console& console, MenuNext afterUnknown) {
    return Menu{
        .rows = {Line("Menu"), Command("Aa", "A: add", [this] { log += 'a'; }),
                 Command("Bb", "B: number",
                         [this, &console] {
                           log += 'b';
                           if (const auto n = console.Ask(NumberQuestion{{"Number?"}})) log += std::to_string(*n);
                         }),
                 Command("Qq", "Q: quit", [this] { log += 'q'; }, MenuNext::Leave),
                 Unlisted("o", [this] { log += 'o'; }), Line()},
        .unknown = [](char answer) { return std::vector<std::string>{Cat("No ", answer, " here")}; },
        .afterUnknown = afterUnknown,
        .afterAnswer = [this] { log += '+'; },
    };
  }
};

TEST(DialogueTest, MenusRunRowsUntilOneLeaves) {
  const std::string menu = "Menu\nA: add\nB: number\nQ: quit\n\n";
  struct Case {
    const char* what;
    std::string script;
    MenuNext afterUnknown;
    std::string transcript;
    std::optional<char> result;
    std::string log;
  };
  const Case cases[] = {
      {"commands in either case, then one that leaves", "a A\nq rest", MenuNext::ShowAgain, Repeat(menu, 3), 'q',
       "a+a+q"},
      {"an unlisted command", "o Q", MenuNext::ShowAgain, Repeat(menu, 2), 'Q', "o+q"},
      {"an unknown answer shows the menu again", "O q", MenuNext::ShowAgain, menu + "No O here\n" + menu, 'q',
       "+q"},
      {"an unknown answer leaves", "x q", MenuNext::Leave, menu + "No x here\n", 'x', ""},
      {"an action that reads its own answers", "b 7 b x\n8\nq", MenuNext::ShowAgain,
       menu + "Number?\n" + menu + "Number?\nThat is not a number, please try again\n" + menu, 'q', "b7+b8+q"},
      {"the end of input while the menu waits", "a", MenuNext::ShowAgain, Repeat(menu, 2) + kNotice, std::nullopt,
       "a+"},
      {"the end of input inside an action", "a b", MenuNext::ShowAgain, Repeat(menu, 2) + "Number?\n" + kNotice,
       std::nullopt, "a+b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Script s(c.script);
    LoggedMenu logged;
    EXPECT_EQ(s.console.RunMenu(logged.Build(s.console, c.afterUnknown)), c.result);
    EXPECT_EQ(s.out.str(), c.transcript);
    EXPECT_EQ(logged.log, c.log);
  }
}

}  // namespace
}  // namespace campdb
