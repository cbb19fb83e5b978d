#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/ship_fixture.h"
#include "format/run_settings.h"

namespace campdb::testing {
namespace {

namespace fs = std::filesystem;
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
    ResetRunSettings();
    dir_ = fs::temp_directory_path() /
           ("campdb_shiplist_"s + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ResetRunSettings();
  }
  // Writes the shiplist and returns the answer naming it.
  std::string Shiplist(const std::string& contents) {
    const fs::path path = dir_ / "shiplist.txt";
    std::ofstream(path, std::ios::binary) << contents;
    return path.string() + "\n";
  }
  fs::path dir_;
};

TEST_F(ShiplistImportTest, MatchingLineFillsTheShip) {
  campdb::Run().currentEra = 1;
  ShipFields fields;
  fields.supplies = {1, 1, 1, 2, 2, 2, 7, 3, 0};
  fields.bays[1] = {5, 6, 0, 0, "Old", "Old"};
  auto ship = ReadShip(ShipBytes(fields));

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
  ship->ImportFromShiplist(s.console);
  EXPECT_EQ(s.Transcript(),
            "Enter the name of the shiplist file (this is needed needed to update the schematic info for the "
            "ship's new type)\n");
  EXPECT_EQ(ship->hullClass, 9);
  EXPECT_EQ(ship->bpv2, 321);
  EXPECT_EQ(ship->marines().third, 6);
  EXPECT_EQ(ship->bombs().working, 5);
  EXPECT_EQ(ship->parts().working, 3);  // parts are never imported
  EXPECT_EQ(ship->cloakSecond, 15);
  EXPECT_EQ(ship->systems[kLWarp].intact, 29);  // column 129 fills both warps
  EXPECT_EQ(ship->systems[kExDam].working, 46);

  // Drones: 2 + 2 + 1 + 1 racks; racks of 4 store 8 each, racks of 6 store 12.
  EXPECT_EQ(ship->droneRackTotal, 6);
  EXPECT_EQ(ship->droneStorageWorking, 56);
  EXPECT_EQ(ship->droneSpeed, 1);
  EXPECT_EQ(ship->droneThird, 2);
  EXPECT_EQ(ship->weaponsWorking, 13);
  ASSERT_EQ(ship->droneHardpoints.size(), 4u);
  EXPECT_EQ(ship->droneHardpoints[3].position, 135 + 8 * 4);

  EXPECT_EQ(ship->bays[0].fighterType2.bytes, "Hornet.I");
  EXPECT_TRUE(ship->bays[1].fighterType.Empty());  // a count of 0 empties the bay
  EXPECT_EQ(ship->bays[2].current, 44);
  EXPECT_EQ(ship->declaredSize, ship->ContentSize());

  ship->modified = true;  // as the editor leaves it
  auto written = ReadShip(WrittenBytes(*ship));
  const auto& b = written->systemsBlock;
  EXPECT_EQ(b[60], 2);
  // Schematic entries: +0 storage, +2 racks, +4 rack size.
  EXPECT_EQ(b[135], 16);
  EXPECT_EQ(b[139], 4);
  EXPECT_EQ(b[151], 12);
  EXPECT_EQ(b[155], 6);
  EXPECT_EQ(b[161], 0);  // "drone" in lower case is no drone hardpoint
  EXPECT_EQ(b[177], 0);  // neither is the phaser
  EXPECT_EQ(b[136], fields.block[136]);
}

TEST_F(ShiplistImportTest, LineCutShortByTheEndOfTheFileKeepsWhatCameBefore) {
  ShipFields fields;
  fields.block[125] = 4;  // two drone hardpoints of two racks each
  fields.block[135] = 16, fields.block[137] = 2, fields.block[139] = 4;
  fields.block[143] = 16, fields.block[145] = 2, fields.block[147] = 4;
  const std::string bytes = ShipBytes(fields);

  // The file ends inside hardpoint 1's type: hardpoint 0 loses its racks,
  // and the drone list must not bring them back when the ship is written.
  auto ship = ReadShip(bytes);
  Line cut("F-CA");
  cut[4] = "carrier";  // case matters: the hull class stays
  cut[5] = "90";
  cut[27] = "0", cut[28] = "Laser";
  cut[30] = "1", cut[31] = "Phaser";
  Script s(Shiplist(kHeaders + cut.Join(31)));
  ship->ImportFromShiplist(s.console);
  EXPECT_EQ(ship->hullClass, 7);
  EXPECT_EQ(ship->bpv, 90);
  EXPECT_EQ(ship->systemsBlock[61], 1);
  EXPECT_TRUE(ship->droneHardpoints.empty());
  ship->modified = true;
  auto written = ReadShip(WrittenBytes(*ship));
  EXPECT_EQ(written->systemsBlock[137], 0);
  EXPECT_EQ(written->systemsBlock[145], 2);  // hardpoint 1's type never arrived

  // Column 146 followed directly by the end: ex dam is not applied.
  auto last = ReadShip(bytes);
  Line full("F-CA");
  full[145] = "33", full[146] = "44";
  Script s2(Shiplist(kHeaders + full.Join(146)));
  last->ImportFromShiplist(s2.console);
  EXPECT_EQ(last->systems[kDamCtrl].intact, 33);
  EXPECT_EQ(last->systems[kExDam].intact, fields.block[9 + 2 * kExDam]);
}

TEST_F(ShiplistImportTest, RestOfALineIsDiscardedUpTo2046Bytes) {
  // What the discard leaves of an overlong line is read as the next line.
  auto bpvAfter = [this](size_t filler) {
    auto ship = ReadShip(ShipBytes(ShipFields()));
    Script s(Shiplist(kHeaders + "Fed\t1\tF-XX\t" + std::string(filler, 'x') + "\t\tF-CA\tCARRIER\t77\t\n"));
    ship->ImportFromShiplist(s.console);
    return ship->bpv;
  };
  EXPECT_EQ(bpvAfter(2046), 77);   // 2046 bytes taken; the TABs after them remain
  EXPECT_EQ(bpvAfter(2045), 125);  // one TAB less remains: no match
}

TEST_F(ShiplistImportTest, MissingFileOrTypeLeavesTheShipAndWarns) {
  const std::string bytes = ShipBytes(ShipFields());
  const std::string advice = "You will need to enter the ship system information using the edit menu\n" +
                             std::string(70, '=') + "\n\n";
  auto ship = ReadShip(bytes);
  Script folder(dir_.string() + "\n");
  ship->ImportFromShiplist(folder.console);
  EXPECT_TRUE(folder.Transcript().ends_with("type)\n\n" + std::string(32, '=') +
                                            "\nWARNING: UNABLE TO OPEN SHIPLIST\n" + advice));

  // The type in a header line, and prefixes either way, are no match.
  Script absent(Shiplist(kHeaders + Line("F-CAR").Join() + "\n" + Line("F-C").Join()));
  ship->ImportFromShiplist(absent.console);
  EXPECT_TRUE(absent.Transcript().ends_with("type)\n\n" + std::string(55, '=') +
                                            "\nWARNING: UNABLE TO FIND SPECIFIED SHIP TYPE IN SHIPLIST\n" + advice));
  EXPECT_EQ(WrittenBytes(*ship), bytes);
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
    ShipFields fields;
    fields.shipType = c.type;
    const std::string bytes = ShipBytes(fields);
    auto ship = ReadShip(bytes);
    Script s(Shiplist(kHeaders + c.lines));
    ship->ImportFromShiplist(s.console);
    EXPECT_EQ(s.Shows("WARNING: UNABLE TO FIND SPECIFIED SHIP TYPE IN SHIPLIST"), !c.found);
    EXPECT_EQ(WrittenBytes(*ship), bytes);  // a match at the end applies nothing
  }
}

}  // namespace
}  // namespace campdb::testing
