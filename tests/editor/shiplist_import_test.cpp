// The shiplist import on a loaded ship: which line matches, what each
// column of it fills, and where the end of the file stops the import.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor_fixture.h"

namespace campdb::testing {
namespace {

namespace fs = std::filesystem;
namespace sb = testdb::shipblock;
using namespace std::string_literals;

// One shiplist line: columns are numbered from 1, every one empty until set.
struct Line {
  explicit Line(const std::string& type) { (*this)[1] = "Fed", (*this)[3] = type; }
  std::string& operator[](int column) { return columns[static_cast<size_t>(column - 1)]; }
  // Columns 1 to `last`, TAB-separated, with nothing after the last.
  std::string Join(int last = 150) const {
    std::string text = columns[0];
    for (int c = 2; c <= last; ++c) text += "\t" + columns[static_cast<size_t>(c - 1)];
    return text;
  }
  std::vector<std::string> columns = std::vector<std::string>(150);
};

const std::string kHeaders = "Race\tHull\tF-CA\tClass\tBPV\nheader two\n";

class ShiplistImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("campdb_shiplist_"s + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Writes the shiplist and returns the answer naming it.
  std::string Shiplist(const std::string& contents) {
    const fs::path path = dir_ / "shiplist.txt";
    std::ofstream(path, std::ios::binary) << contents;
    return path.string() + "\n";
  }
  // Imports into the ship, answering the file-name question from `script`,
  // with the drone speed of the given era.
  static void Import(LoadedShip& loaded, Script& script, int32_t era = 0) {
    CampaignFacts facts;
    facts.currentEra = era;
    TextStore& store = loaded.loaded.db->store;
    EditContext context{script.console, Layout::Base, facts, store};
    tShip& ship = loaded.ship();
    ImportFromShiplist(ship, EditableBlock(ship, store), context);
  }
  fs::path dir_;
};

// A ship of type F-CA named Fury, as the composer makes it otherwise.
testdb::Ship Composed() {
  testdb::Ship ship;
  ship.shipType = "F-CA";
  ship.shipName = "Fury";
  return ship;
}

uint8_t BlockAt(const tShip& ship, size_t offset) { return ship.At(static_cast<int>(offset)); }

TEST_F(ShiplistImportTest, MatchingLineFillsTheShip) {
  testdb::Ship composed = Composed();
  composed.supplies = {1, 1, 1, 2, 2, 2, 7, 3, 0};
  composed.bays[1] = {5, 6, 0, 0, "Old", "Old"};
  LoadedShip loaded(composed);
  const tShip& ship = loaded.ship();

  // Prefixes either way and the type in the wrong column do not match.
  Line longer("F-CAR"), shorter("F-C"), wrongColumn("F-CX");
  wrongColumn[2] = "F-CA";
  for (Line* other : {&longer, &shorter, &wrongColumn}) (*other)[5] = "999";
  Line line("F-CA"s + '\0' + "notes");  // the type ends at a zero byte
  line[4] = "HEAVY BATTLECRUISER";
  line[5] = " 321abc";
  line[17] = "6";
  line[26] = "15";
  const char* hardpoints[][2] = {{"2", "DroA"}, {"2", "Dro"}, {"1", "DroB"}, {"3", "drone"}, {"1", "DroC"},
                                 {"4", "Phaser-1"}};
  for (int i = 0; i < 6; ++i) line[27 + 3 * i] = hardpoints[i][0], line[28 + 3 * i] = hardpoints[i][1];
  line[104] = "5";
  line[114] = "12", line[115] = "Hornet.I";
  line[116] = "0", line[117] = "Stinger";
  line[118] = "300", line[119] = "F-18";  // the count's low byte: 44
  for (int column = 122; column <= 146; ++column) line[column] = std::to_string(column - 100);

  Script s(Shiplist(kHeaders + longer.Join() + "\r\n" + shorter.Join() + "\n" + wrongColumn.Join() + "\n" +
                    line.Join() + "\n"));
  Import(loaded, s, 1);
  EXPECT_EQ(s.Transcript(),
            "Enter the name of the shiplist file (this is needed needed to update the schematic info for the "
            "ship's new type)\n");
  EXPECT_EQ(ship.hullClass, 9);
  EXPECT_EQ(ship.bpv2, 321);
  EXPECT_EQ(ship.marines.third, 6);
  EXPECT_EQ(ship.bombs.working, 5);
  EXPECT_EQ(ship.parts.working, 3);  // parts are never imported
  EXPECT_EQ(BlockAt(ship, 52), 15);  // both cloak bytes
  EXPECT_EQ(ship.System(kLWarp).intact, 29);  // column 129 fills both warps
  EXPECT_EQ(ship.System(kExDam).working, 46);

  // Drones: 2 + 2 + 1 + 1 racks; racks of 4 store 8 each, racks of 6 store 12.
  EXPECT_EQ(BlockAt(ship, sb::kDroneRackTotal), 6);
  EXPECT_EQ(BlockAt(ship, sb::kDroneStorageWorking), 56);
  EXPECT_EQ(BlockAt(ship, sb::kDroneSpeed), 1);
  EXPECT_EQ(ship.At(block::kDroneThird), 2);
  EXPECT_EQ(WeaponTotals(ship).working, 13);
  const DroneHardpoints drones = FindDroneHardpoints(ship);
  ASSERT_EQ(drones.count, 4u);
  EXPECT_EQ(drones.entries[3].racks, 1);  // hardpoint 4
  EXPECT_EQ(drones.entries[3].rackSize, 6);

  EXPECT_EQ(ship.bays[0].fighterType2, "Hornet.I");
  EXPECT_TRUE(ship.bays[1].fighterType.empty());  // a count of 0 empties the bay
  EXPECT_EQ(ship.bays[2].current, 44);
  ExpectSizesTrue(ship);

  EXPECT_EQ(BlockAt(ship, 60), 2);
  // Schematic entries: +0 storage, +2 racks, +4 rack size.
  EXPECT_EQ(BlockAt(ship, 135), 16);
  EXPECT_EQ(BlockAt(ship, 139), 4);
  EXPECT_EQ(BlockAt(ship, 151), 12);
  EXPECT_EQ(BlockAt(ship, 155), 6);
  EXPECT_EQ(BlockAt(ship, 161), 0);  // "drone" in lower case is no drone hardpoint
  EXPECT_EQ(BlockAt(ship, 177), 0);  // neither is the phaser
  EXPECT_EQ(BlockAt(ship, 136), composed.block[136]);
}

TEST_F(ShiplistImportTest, LineCutShortByTheEndOfTheFileKeepsWhatCameBefore) {
  testdb::Ship composed = Composed();
  composed.ClearWeapons();
  composed.block[sb::kDroneRackTotal] = 4;  // two drone hardpoints of two racks each
  composed.SetSchematic(0, 16, 2, 4);
  composed.SetSchematic(1, 16, 2, 4);

  // The file ends inside hardpoint 1's type: hardpoint 0 loses its racks,
  // and no drone list brings them back.
  LoadedShip loaded(composed);
  const tShip& ship = loaded.ship();
  Line cut("F-CA");
  cut[4] = "carrier";  // case matters: the hull class stays
  cut[5] = "90";
  cut[27] = "0", cut[28] = "Laser";
  cut[30] = "1", cut[31] = "Phaser";
  Script s(Shiplist(kHeaders + cut.Join(31)));
  Import(loaded, s);
  EXPECT_EQ(ship.hullClass, 7);
  EXPECT_EQ(ship.bpv, 90);
  EXPECT_EQ(BlockAt(ship, 61), 1);
  EXPECT_EQ(FindDroneHardpoints(ship).count, 0u);
  EXPECT_EQ(BlockAt(ship, 137), 0);
  EXPECT_EQ(BlockAt(ship, 145), 2);  // hardpoint 1's type never arrived

  // Column 146 followed directly by the end: ex dam is not applied.
  LoadedShip last(composed);
  Line full("F-CA");
  full[145] = "33", full[146] = "44";
  Script s2(Shiplist(kHeaders + full.Join(146)));
  Import(last, s2);
  EXPECT_EQ(last.ship().System(kDamCtrl).intact, 33);
  EXPECT_EQ(last.ship().System(kExDam).intact, composed.block[PairOffset(kExDam)]);
}

TEST_F(ShiplistImportTest, RestOfALineIsDiscardedUpTo2046Bytes) {
  // What the discard leaves of an overlong line is read as the next line.
  auto bpvAfter = [this](size_t filler) {
    LoadedShip loaded(Composed());
    Script s(Shiplist(kHeaders + "Fed\t1\tF-XX\t" + std::string(filler, 'x') + "\t\tF-CA\tCARRIER\t77\t\n"));
    Import(loaded, s);
    return loaded.ship().bpv;
  };
  EXPECT_EQ(bpvAfter(2046), 77);   // 2046 bytes taken; the TABs after them remain
  EXPECT_EQ(bpvAfter(2045), 125);  // one TAB less remains: no match
}

TEST_F(ShiplistImportTest, MissingFileOrTypeLeavesTheShipAndWarns) {
  LoadedShip loaded(Composed());
  const std::string advice = "You will need to enter the ship system information using the edit menu\n" +
                             std::string(70, '=') + "\n\n";
  Script folder(dir_.string() + "\n");
  Import(loaded, folder);
  EXPECT_TRUE(folder.Transcript().ends_with("type)\n\n" + std::string(32, '=') +
                                            "\nWARNING: UNABLE TO OPEN SHIPLIST\n" + advice));

  // The type in a header line, and prefixes either way, are no match.
  Script absent(Shiplist(kHeaders + Line("F-CAR").Join() + "\n" + Line("F-C").Join()));
  Import(loaded, absent);
  EXPECT_TRUE(absent.Transcript().ends_with("type)\n\n" + std::string(55, '=') +
                                            "\nWARNING: UNABLE TO FIND SPECIFIED SHIP TYPE IN SHIPLIST\n" + advice));
  EXPECT_EQ(Written(loaded.ship()), loaded.bytes);
}

// A file that ends inside the first or second field of a line has no third
// field there to compare: the search ends without a match. So an empty type
// never matches the empty "line" after the last line feed. A third field
// that begins right at the end is empty and compared as usual.
TEST_F(ShiplistImportTest, SearchEndsWithoutAMatchWhenTheFileEndsBeforeTheThirdField) {
  struct Case {
    const char* what;
    std::string type;
    std::string lines;
    bool found;
  };
  const Case cases[] = {
      {"empty type, file ends with a line feed", "", Line("F-CA").Join() + "\n", false},
      {"empty type, file ends in the first field", "", Line("F-CA").Join() + "\nFed", false},
      {"empty type, file ends in the second field", "", "Fed\tCruiser", false},
      {"type in the second field at the end", "F-CA", "Fed\tF-CA", false},
      {"empty type, third field begins at the end", "", "Fed\tCruiser\t", true},
      {"type in a third field ended by the end", "F-CA", "Fed\tCruiser\tF-CA", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testdb::Ship composed = Composed();
    composed.shipType = c.type;
    LoadedShip loaded(composed);
    Script s(Shiplist(kHeaders + c.lines));
    Import(loaded, s);
    EXPECT_EQ(s.Shows("WARNING: UNABLE TO FIND SPECIFIED SHIP TYPE IN SHIPLIST"), !c.found);
    EXPECT_EQ(Written(loaded.ship()), loaded.bytes);  // a match at the end applies nothing
  }
}

}  // namespace
}  // namespace campdb::testing
