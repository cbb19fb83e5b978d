#include "console/console.h"

#include <gtest/gtest.h>

#include <sstream>

namespace campdb {
namespace {

struct Script {
  explicit Script(std::string input) : in(std::move(input)), console(in, out, &err) {}
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

TEST(ConsoleTest, AnswerCharactersSkipWhiteSpaceAndLeaveTheRestOfTheLine) {
  Script s("  \n yes\n");
  EXPECT_EQ(s.console.ReadAnswerChar(), 'y');
  EXPECT_EQ(s.console.ReadAnswerChar(), 'e');
  EXPECT_EQ(s.console.ReadFileName(), "s");
  EXPECT_EQ(s.console.ReadAnswerChar(), std::nullopt);
  EXPECT_TRUE(s.console.Ended());
}

TEST(ConsoleTest, FileNamesAreTakenWholeAndDiscardTheirLine) {
  const std::string longName(400, 'n');
  Script s("\n\t" + longName + " extra words\r\nnext.db\n");
  EXPECT_EQ(s.console.ReadFileName(), longName);
  EXPECT_EQ(s.console.ReadFileName(), "next.db");
  EXPECT_EQ(s.console.ReadFileName(), std::nullopt);
}

TEST(ConsoleTest, NumbersFollowTheIntegerConstantForms) {
  Script s("010 0x10 09 -0X1f +7 0x 2147483647 -2147483648");
  EXPECT_EQ(s.console.ReadNumber(), 8);
  EXPECT_EQ(s.console.ReadNumber(), 16);
  EXPECT_EQ(s.console.ReadNumber(), 0);  // octal ends before the 9
  EXPECT_EQ(s.console.ReadNumber(), 9);
  EXPECT_EQ(s.console.ReadNumber(), -31);
  EXPECT_EQ(s.console.ReadNumber(), 7);
  EXPECT_EQ(s.console.ReadNumber(), 0);  // "0x" without a digit is 0 ...
  EXPECT_EQ(s.console.ReadAnswerChar(), 'x');  // ... and the x stays
  EXPECT_EQ(s.console.ReadNumber(), 2147483647);
  EXPECT_EQ(s.console.ReadNumber(), -2147483648);
  EXPECT_EQ(s.out.str(), "");
}

TEST(ConsoleTest, DecimalFormIgnoresLeadingZeros) {
  Script s("010 0x10");
  EXPECT_EQ(s.console.ReadNumber(NumberForm::Decimal), 10);
  EXPECT_EQ(s.console.ReadNumber(NumberForm::Decimal), 0);
  EXPECT_EQ(s.console.ReadAnswerChar(), 'x');
}

TEST(ConsoleTest, TextThatIsNotANumberIsRejectedAndReadAgain) {
  Script s("abc def\n2147483648 tail\n-x\n 42");
  EXPECT_EQ(s.console.ReadNumber(), 42);
  const std::string rejection = "That is not a number, please try again\n";
  EXPECT_EQ(s.out.str(), rejection + rejection + rejection);
  EXPECT_FALSE(s.console.Ended());
}

TEST(ConsoleTest, EndOfInputEndsNumbersTextAndAnswers) {
  Script s("12");
  EXPECT_EQ(s.console.ReadNumber(), 12);  // digits up to the end are an answer
  EXPECT_EQ(s.console.ReadNumber(), std::nullopt);
  Script sign("  -");
  EXPECT_EQ(sign.console.ReadNumber(), std::nullopt);
  Script garbage("zz");
  EXPECT_EQ(garbage.console.ReadNumber(), std::nullopt);
  EXPECT_EQ(garbage.out.str(), "That is not a number, please try again\n");
}

// A line longer than the limit is cut there and the rest of it, through its
// line feed, is dropped with one note; a line of exactly the limit is whole.
// Dropping meets no end of input, even on a last line without a line feed.
TEST(ConsoleTest, TextLinesAreCutAtTheirLimitAndLoseTheRestOfTheLine) {
  Script s("abcdef\nxyz\r\nlong\rer\nlast\nabcdefgh");
  s.console.SetEndNotice("End of input, leaving the editor");
  EXPECT_EQ(s.console.ReadTextLine(4), "abcd");
  EXPECT_EQ(s.console.ReadTextLine(4), "xyz\r");  // exactly the limit: line end taken
  EXPECT_EQ(s.console.ReadTextLine(4), "long");    // the carriage return is no line end
  EXPECT_EQ(s.console.ReadTextLine(10), "last");
  EXPECT_EQ(s.console.ReadTextLine(3), "abc");
  EXPECT_FALSE(s.console.Ended());
  EXPECT_EQ(s.console.ReadTextLine(10), std::nullopt);
  EXPECT_EQ(s.out.str(), "End of input, leaving the editor\n");
  const std::string note = "campdb: note: answer cut to 4 characters; the rest of its line was dropped\n";
  EXPECT_EQ(s.err.str(), note + note + "campdb: note: answer cut to 3 characters; the rest of its line was dropped\n");
}

TEST(ConsoleTest, RestOfLineReadsNeverMeetTheEnd) {
  Script s("N" + std::string(5000, 'r') + "\nnext\nlast");
  s.console.SetEndNotice("End of input, leaving the editor");
  EXPECT_EQ(s.console.ReadAnswerChar(), 'N');
  s.console.DiscardRestOfLine();  // however long the rest of the line
  EXPECT_EQ(s.console.ReadTextLine(254), "next");
  s.console.DiscardRestOfLine();
  s.console.DiscardRestOfLine();
  EXPECT_FALSE(s.console.Ended());
  EXPECT_EQ(s.console.ReadTextLine(254), std::nullopt);
  EXPECT_EQ(s.console.ReadAnswerChar(), std::nullopt);
  EXPECT_EQ(s.out.str(), "End of input, leaving the editor\n");  // printed once
  EXPECT_EQ(s.err.str(), "");
}

TEST(ConsoleTest, CatJoinsTextNumbersAndCharacters) {
  EXPECT_EQ(Cat("a", -5, std::string("b"), std::string_view("c"), 'd', uint8_t{200}), "a-5bcd200");
}

}  // namespace
}  // namespace campdb
