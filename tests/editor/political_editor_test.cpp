// The political editor on a tension matrix built in memory: which cell an
// answer changes, and which race codes it accepts.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "editor_fixture.h"
#include "format/political.h"

namespace campdb::testing {
namespace {

tPoliticalObject Matrix(int32_t size, size_t cellsHeld) {
  tPoliticalObject p;
  p.matrixSize = size;
  p.cells.resize(cellsHeld, TensionCell{500, 50});
  return p;
}

TEST(PoliticalEditorTest, ChangesOneDirectionOfOnePair) {
  auto p = Matrix(16, 256);
  Script s("1 2 800\n");
  EditPolitical(p, s.console);
  EXPECT_EQ(p.Cell(1, 2).tension, 800);
  EXPECT_EQ(p.Cell(1, 2).tensionTenth, 80);
  EXPECT_EQ(p.Cell(2, 1).tension, 500);
  const auto lines = s.Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], "EDITING POLITICAL TENSIONS");
  EXPECT_EQ(lines[3], "Enter the race whose attitude you wish to change");
  EXPECT_EQ(s.Count("   or 15 for Neutral"), 2u);
  EXPECT_EQ(lines.back(), "(0 means allies, 1000 means hated enemies)");

  // Constants in every form; the same race twice names the diagonal; a code
  // the list does not show but the matrix holds is fine.
  for (const auto& [script, row, column, tension, tenth] :
       std::vector<std::tuple<std::string, int, int, int32_t, int>>{
           {"3 3 0x3E8", 3, 3, 1000, 100},
           {"12 0 0100", 12, 0, 64, 6},
           {"0 1 1005", 0, 1, 1005, 100},
           {"0 1 7", 0, 1, 7, 0},
           {"2 2 70000", 2, 2, 70000, 7000 & 0xFF},
           {"2 3 -15", 2, 3, -15, 255}}) {
    Script e(script);
    EditPolitical(p, e.console);
    EXPECT_EQ(p.Cell(row, column).tension, tension) << script;
    EXPECT_EQ(p.Cell(row, column).tensionTenth, tenth) << script;
  }

  // The file keeps the low 16 bits of 70000 and the tenth as set.
  const std::string bytes = Written(p);
  const size_t cell22 = bytes.size() - p.tail.size() - 3 * (256 - (2 * 16 + 2));
  EXPECT_EQ(static_cast<uint8_t>(bytes[cell22]), 70000 & 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(bytes[cell22 + 1]), (70000 >> 8) & 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(bytes[cell22 + 2]), 7000 & 0xFF);
}

TEST(PoliticalEditorTest, RaceCodesMustNameAHeldCell) {
  // Three races, but the file ended after cell (1, 0): row 2 is not held,
  // and row 1 holds column 0 only.
  auto p = Matrix(3, 4);
  Script s("-1 3 2 1 1 5 0 250");
  EditPolitical(p, s.console);
  EXPECT_EQ(s.Count("Invalid race code, please try again"), 5u);
  EXPECT_EQ(s.Count("Enter the race whose tension you wish to modify:"), 7u);
  EXPECT_EQ(p.Cell(1, 0).tension, 250);
  EXPECT_EQ(p.Cell(1, 0).tensionTenth, 25);
}

TEST(PoliticalEditorTest, EmptyMatrixAndEndOfInput) {
  for (auto p : {Matrix(0, 0), Matrix(4, 0)}) {
    Script s("1 2 300\n");
    EditPolitical(p, s.console);
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"", "EDITING POLITICAL TENSIONS", "",
                                                   "The tension matrix is empty, nothing to edit"}));
    EXPECT_EQ(s.console.ReadNumber().value_or(-1), 1);  // nothing was read
  }
  for (const char* script : {"", "1", "1 2", "1 2 x\n", "7 7 7"}) {
    auto p = Matrix(3, 9);
    Script s(script);
    EditPolitical(p, s.console);
    EXPECT_EQ(s.Lines().back(), kEndNotice) << script;
    EXPECT_EQ(s.Count(kEndNotice), 1u) << script;
    for (const auto& cell : p.cells) EXPECT_EQ(cell.tension, 500) << script;
  }
}

}  // namespace
}  // namespace campdb::testing
