// The map editor on a map built in memory: which maps it refuses, what each
// command does to which hex, and where the end of input stops it.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "format/map.h"

namespace campdb::testing {
namespace {

using Hexes = std::vector<tMapHex>;

class MapEditorTest : public ::testing::Test {
 protected:
  // A 3-row, 5-column map; hex i sits at (i % 5, i / 5).
  void SetUp() override {
    map.rows = 3;
    map.columns = 5;
    hexes.clear();
    for (int i = 0; i < 15; ++i) {
      tMapHex& hex = hexes.emplace_back();
      hex.hexX = i % 5;
      hex.hexY = i / 5;
      hex.terrain = 1;
      hex.planet = 2;
      hex.trailingWords = {1, 2, 3, 4};
    }
  }

  tMapObject map;
  Hexes hexes;
};

// A map is refused when it lacks hexes, or when a dimension is 0 or less,
// even with hexes enough for rows x columns (-3 x -5 announces 15): no row
// or column could ever be picked. Nothing is asked and nothing changes.
TEST_F(MapEditorTest, RefusesAMapWithoutHexesOrWithoutRowsAndColumns) {
  struct Case {
    int32_t rows;
    int32_t columns;
    bool withHexes;
  };
  const Case cases[] = {
      {3, 5, false}, {0, 5, false}, {-1, -5, false},  // no hexes at all
      {4, 5, true},                                    // 20 hexes wanted, 15 held
      {0, 5, true},   {3, 0, true},   {0, 0, true},    // nothing to pick
      {-3, -5, true}, {3, -5, true},  {-3, 5, true},
  };
  Hexes none;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rows << " x " << c.columns << (c.withHexes ? " with" : " without"));
    map.rows = c.rows;
    map.columns = c.columns;
    Script s("A D 4 q I 0 0 D 5\n");
    EditHexMap(map, c.withHexes ? hexes : none, s.console, Layout::Base);
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"", "EDITING THE HEX MAP", "Bad map construction, unable to edit"}));
    EXPECT_EQ(hexes[0].dvMax, 0);
    EXPECT_EQ(hexes[14].dvMax, 0);
  }
}

TEST_F(MapEditorTest, IndividualHexCommands) {
  // Row 3 and column 5 are outside the map; row 2, column 4 is hex 14.
  const std::string script =
      "x I 3\n2 5\n4 P 8 e\n"  // hex 14: planet 8 gives 256
      "0 0 r T 25 E\n"         // hex 0: r is not a command; terrain 25
      "0 1 X E\n"              // hex 1: barrier
      "1 0 D 010 E\n"          // hex 5: plain decimal
      "1 1 P 9 E 1 2 T -1 E 1 3 B 5 E 1 4 R O E 2 0 R q E 2 1 C q\n";
  Script s(script);
  EditHexMap(map, hexes, s.console, Layout::Base);

  EXPECT_EQ(s.Count("Invalid choice"), 2u);
  EXPECT_TRUE(s.Has("Pick a row between 0 and 2"));
  EXPECT_TRUE(s.Has("Pick a column between 0 and 4"));
  EXPECT_EQ(hexes[14].planet, 256);
  EXPECT_EQ(hexes[0].terrain, 33554432);
  EXPECT_EQ(s.Count("An invalid command was entered: r"), 1u);
  EXPECT_EQ(hexes[1].ownerRace, 32);
  EXPECT_EQ(hexes[1].terrain, -1);
  EXPECT_EQ(hexes[1].trailingWords, (std::array<int32_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(hexes[5].dvMax, 10);
  EXPECT_EQ(hexes[6].planet, 0);
  EXPECT_EQ(hexes[7].terrain, 1);
  EXPECT_EQ(hexes[8].base, 1);
  EXPECT_EQ(hexes[9].ownerRace, 8);
  EXPECT_EQ(hexes[10].ownerRace, 0);  // q is no race letter
  EXPECT_TRUE(s.Has("Cancelling hex modification"));

  // Hex 0's menu was shown twice around the invalid command, with the
  // current values inside the parentheses.
  EXPECT_EQ(s.Count("Modifying map hex (0,0)"), 2u);
  EXPECT_TRUE(s.Has("   or T to set the type of terrain (current:empty space, )"));
  EXPECT_TRUE(s.Has("   or P to set the type of planet (current:homeworld, )"));
  EXPECT_TRUE(s.Has("   or B to set the type of base (current:no base, )"));
  EXPECT_TRUE(s.Has("Please try again"));
  EXPECT_EQ(s.Lines().back(), "   or anything else to quit");
}

TEST_F(MapEditorTest, AllHexAdjustmentsWrapAndHalve) {
  hexes[0].dvMax = 7;
  hexes[1].dvMax = -7;
  hexes[2].econMax = INT_MAX;
  hexes[3].econCurrent = INT_MIN;
  Script s("A R d -5 E 1 e -1 D 2 x");
  EditHexMap(map, hexes, s.console, Layout::Base);
  EXPECT_EQ(hexes[0].dvCurrent, -2);  // 3, then lowered by 5
  EXPECT_EQ(hexes[1].dvCurrent, -9);  // -4, then lowered by 5
  EXPECT_EQ(hexes[4].dvCurrent, -5);
  EXPECT_EQ(hexes[2].econMax, INT_MIN);
  EXPECT_EQ(hexes[3].econCurrent, INT_MAX);
  EXPECT_EQ(hexes[0].dvMax, 9);
  EXPECT_EQ(hexes[14].econMax, 1);
  EXPECT_EQ(hexes[14].cartelDvMax, 0);
  EXPECT_EQ(s.Count("Enter the desired adjustment value"), 4u);
  EXPECT_EQ(s.Count("   or enter anything else to quit"), 6u);
  EXPECT_FALSE(s.console.Ended());
}

TEST_F(MapEditorTest, EndOfInputStopsTheDialogue) {
  for (const char* script : {"", "x y", "I 1\n", "I 1 1", "I 1 1 P", "I 9 9 9", "A D", "A R", "I 0 0 C"}) {
    SetUp();
    Script s(script);
    EditHexMap(map, hexes, s.console, Layout::Base);
    EXPECT_EQ(s.Lines().back(), kEndNotice) << script;
    EXPECT_EQ(s.Count(kEndNotice), 1u) << script;
    EXPECT_EQ(hexes[6].planet, 2) << script;
  }
  // Entered once the input has ended, it prints nothing at all.
  Script s("I 0 0");
  for (int i = 0; i < 4; ++i) s.console.ReadAnswerChar();  // the fourth meets the end
  EditHexMap(map, hexes, s.console, Layout::Base);
  EXPECT_EQ(s.Lines(), (std::vector<std::string>{kEndNotice}));
}

TEST(PowerOfTwoTest, DoublesWithoutOverflow) {
  EXPECT_EQ(PowerOfTwo(-3), 1);
  EXPECT_EQ(PowerOfTwo(0), 1);
  EXPECT_EQ(PowerOfTwo(8), 256);
  EXPECT_EQ(PowerOfTwo(31), INT_MIN);
  EXPECT_EQ(PowerOfTwo(40), 0);
  EXPECT_EQ(PowerOfTwo(INT_MAX), 0);
}

}  // namespace
}  // namespace campdb::testing
