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
struct ShiplistLine {
  std::vector<std::string> columns = std::vector<std::string>(150);
  std::string& operator[](int column) { return columns[static_cast<size_t>(column - 1)]; }
  // The columns up to `last`, TAB-separated, with nothing after the last one.
  std::string Join(int last = 150) const {
    std::string text;
    for (int c = 1; c <= last; ++c) {
      if (c > 1) text += '\t';
      text += columns[static_cast<size_t>(c - 1)];
    }
    return text;
  }
};

ShiplistLine TypeLine(const std::string& type) {
  ShiplistLine line;
  line[1] = "Fed";
  line[2] = "12";
  line[3] = type;
  return line;
}

const std::string kHeaders = "Race\tHull\tType\tClass\tBPV\nheader two\twith\ttabs\n";

class ShiplistImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRunSettings();
    dir_ = fs::temp_directory_path() /
           ("campdb_shiplist_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ResetRunSettings();
  }

  std::string WriteShiplist(const std::string& contents) {
    const fs::path path = dir_ / "shiplist.txt";
    std::ofstream(path, std::ios::binary) << contents;
    return path.string();
  }

  fs::path dir_;
};

TEST_F(ShiplistImportTest, MatchingLineFillsTheShip) {
  campdb::Run().currentEra = 1;
  ShipSpec spec;
  spec.shipType = "F-CA";
  spec.supplies = {1, 1, 1, 2, 2, 2, 7, 3, 0};
  spec.bays[1] = {5, 6, 0, 0, "Old", "Old"};
  auto ship = ReadShip(ShipBytes(spec));

  // Types that share a prefix with the wanted one, and the wanted type in the
  // wrong column, do not match.
  ShiplistLine longer = TypeLine("F-CAR");
  longer[4] = "CARRIER";
  ShiplistLine shorter = TypeLine("F-C");
  shorter[4] = "CARRIER";
  ShiplistLine wrongColumn = TypeLine("F-CX");
  wrongColumn[2] = "F-CA";
  wrongColumn[4] = "CARRIER";

  ShiplistLine line = TypeLine("F-CA"s + '\0' + "notes");  // the type ends at a zero byte
  line[4] = "HEAVY BATTLECRUISER";
  line[5] = " 321abc";
  line[17] = "6";
  line[26] = "15";
  const char* hardpoints[][2] = {{"2", "DroA"}, {"2", "Dro"}, {"1", "DroB"}, {"3", "drone"},
                                 {"1", "DroC"}, {"4", "Phaser-1"}};
  for (int i = 0; i < 6; ++i) {
    line[27 + 3 * i] = hardpoints[i][0];
    line[28 + 3 * i] = hardpoints[i][1];
    line[29 + 3 * i] = "unused";
  }
  line[102] = "3";
  line[104] = "5";
  line[113] = "4";
  line[114] = "12";
  line[115] = "Hornet.I";
  line[116] = "0";
  line[117] = "Stinger";
  line[118] = "300";  // stored as its low byte, 44
  line[119] = "F-18";
  line[120] = "-1";
  line[121] = "Wasp";
  for (int column = 122; column <= 146; ++column) line[column] = std::to_string(column - 100);
  line[147] = "tail column";

  const std::string path = WriteShiplist(kHeaders + longer.Join() + "\r\n" + shorter.Join() + "\n" +
                                         wrongColumn.Join() + "\n" + line.Join() + "\n" +
                                         TypeLine("F-CA").Join() + "\n");
  Script s(path + '\0' + "ignored\n");
  ship->ImportFromShiplist(s.console);
  EXPECT_EQ(s.Transcript(),
            "Enter the name of the shiplist file (this is needed needed to update the schematic info for the "
            "ship's new type)\n");

  EXPECT_EQ(ship->hullClass, 9);
  EXPECT_EQ(ship->bpv, 321);
  EXPECT_EQ(ship->bpv2, 321);
  EXPECT_EQ(ship->marines().third, 6);
  EXPECT_EQ(ship->bombs().working, 5);
  EXPECT_EQ(ship->parts().intact, 7);  // parts are never imported
  EXPECT_EQ(ship->parts().working, 3);
  EXPECT_EQ(ship->cloakCost, 15);
  EXPECT_EQ(ship->cloakSecond, 15);

  // Drones: 2 + 2 + 1 + 1 racks; racks of 4 store 8 each, racks of 6 store 12.
  EXPECT_EQ(ship->droneRackTotal, 6);
  EXPECT_EQ(ship->droneStorageIntact, 56);
  EXPECT_EQ(ship->droneStorageWorking, 56);
  EXPECT_EQ(ship->droneSpeed, 1);
  EXPECT_EQ(ship->droneThird, 2);
  EXPECT_EQ(ship->droneType, 0);
  EXPECT_EQ(ship->weaponsTotal, 13);
  EXPECT_EQ(ship->weaponsWorking, 13);
  ASSERT_EQ(ship->droneHardpoints.size(), 4u);
  EXPECT_EQ(ship->droneHardpoints[3].position, 135 + 8 * 4);

  EXPECT_EQ(ship->systems[kProbes].intact, 3);
  EXPECT_EQ(ship->systems[kShuttles].working, 4);
  EXPECT_EQ(ship->systems[kArmour].intact, 22);
  EXPECT_EQ(ship->systems[kRWarp].working, 29);
  EXPECT_EQ(ship->systems[kLWarp].intact, 29);
  EXPECT_EQ(ship->systems[kTrans].working, 37);
  EXPECT_EQ(ship->systems[kExDam].intact, 46);

  EXPECT_EQ(ship->bays[0].maximum, 12);
  EXPECT_EQ(ship->bays[0].third, 12);
  EXPECT_EQ(ship->bays[0].fighterType2.bytes, "Hornet.I");
  EXPECT_TRUE(ship->bays[1].fighterType.Empty());  // a count of 0 empties the bay
  EXPECT_TRUE(ship->bays[1].fighterType2.Empty());
  EXPECT_EQ(ship->bays[2].current, 44);
  EXPECT_EQ(ship->bays[2].fighterType.bytes, "F-18");
  EXPECT_EQ(ship->bays[3].maximum, 255);  // a negative count: no fighter type
  EXPECT_TRUE(ship->bays[3].fighterType.Empty());
  EXPECT_EQ(ship->declaredSize, ship->ContentSize());

  ship->modified = true;  // as the editor leaves it
  auto written = ReadShip(WrittenBytes(*ship));
  const auto& b = written->systemsBlock;
  EXPECT_EQ(b[59], 2);
  EXPECT_EQ(b[60], 2);
  EXPECT_EQ(b[41], 37);  // the trans copy
  // Schematic entries: +0 storage, +2 racks, +4 rack size.
  EXPECT_EQ(b[135], 16);
  EXPECT_EQ(b[137], 2);
  EXPECT_EQ(b[139], 4);
  EXPECT_EQ(b[151], 12);
  EXPECT_EQ(b[155], 6);
  EXPECT_EQ(b[159], 0);  // a lower-case "dro" is no drone hardpoint
  EXPECT_EQ(b[161], 0);
  EXPECT_EQ(b[167], 12);
  EXPECT_EQ(b[175], 0);  // the phaser entry and every later one is cleared
  EXPECT_EQ(b[137 + 8 * 20], 0);
  EXPECT_EQ(b[136], spec.block[136]);  // uninterpreted schematic bytes stay
  EXPECT_EQ(b[127], 56);
  EXPECT_EQ(b[0], spec.block[0]);
  EXPECT_EQ(written->shipName.bytes, "Fury");
  EXPECT_EQ(written->race, spec.race);
}

TEST_F(ShiplistImportTest, LineCutShortByTheEndOfTheFileKeepsWhatCameBefore) {
  ShipSpec spec;
  spec.block[125] = 4;  // two drone hardpoints of two racks each
  spec.block[135] = 16;
  spec.block[137] = 2;
  spec.block[139] = 4;
  spec.block[143] = 16;
  spec.block[145] = 2;
  spec.block[147] = 4;
  const std::string bytes = ShipBytes(spec);

  // The file ends inside hardpoint 1's type column: hardpoint 0 loses its
  // racks, and the drone list must not bring them back when written.
  auto ship = ReadShip(bytes);
  ASSERT_EQ(ship->droneHardpoints.size(), 2u);
  ShiplistLine cut = TypeLine("F-CA");
  cut[4] = "carrier";  // case matters: the hull class stays
  cut[5] = "90";
  cut[27] = "0";
  cut[28] = "Laser";
  cut[30] = "1";
  cut[31] = "Phaser";
  Script s(WriteShiplist(kHeaders + cut.Join(31)) + "\n");
  ship->ImportFromShiplist(s.console);
  EXPECT_EQ(ship->hullClass, spec.hullClass);
  EXPECT_EQ(ship->bpv, 90);
  EXPECT_EQ(ship->systemsBlock[61], 1);  // hardpoint 1's count came before the end
  EXPECT_EQ(ship->droneRackTotal, 0);
  EXPECT_TRUE(ship->droneHardpoints.empty());
  ship->modified = true;
  auto written = ReadShip(WrittenBytes(*ship));
  EXPECT_EQ(written->systemsBlock[137], 0);
  EXPECT_EQ(written->systemsBlock[145], 2);  // hardpoint 1's type never arrived

  // Column 146 followed directly by the end: ex dam is not applied.
  auto last = ReadShip(bytes);
  ShiplistLine full = TypeLine("F-CA");
  full[145] = "33";
  full[146] = "44";
  Script s2(WriteShiplist(kHeaders + full.Join(146)) + "\n");
  last->ImportFromShiplist(s2.console);
  EXPECT_EQ(last->systems[kDamCtrl].intact, 33);
  EXPECT_EQ(last->systems[kExDam].intact, spec.block[9 + 2 * kExDam]);

  // More than eight drone hardpoints: the list stops at eight.
  auto many = ReadShip(bytes);
  ShiplistLine drones = TypeLine("F-CA");
  for (int i = 0; i < 10; ++i) {
    drones[27 + 3 * i] = "1";
    drones[28 + 3 * i] = "DroA";
  }
  Script s3(WriteShiplist(kHeaders + drones.Join() + "\n") + "\n");
  many->ImportFromShiplist(s3.console);
  EXPECT_EQ(many->droneRackTotal, 10);
  EXPECT_EQ(many->droneStorageIntact, 80);
  EXPECT_EQ(many->droneHardpoints.size(), kMaxDroneHardpoints);
}

TEST_F(ShiplistImportTest, MissingFileOrTypeLeavesTheShipAndWarns) {
  ShipSpec spec;
  const std::string bytes = ShipBytes(spec);
  const std::string prompt =
      "Enter the name of the shiplist file (this is needed needed to update the schematic info for the "
      "ship's new type)\n";
  const std::string advice = "You will need to enter the ship system information using the edit menu\n";

  auto ship = ReadShip(bytes);
  Script folder(dir_.string() + "\n");
  ship->ImportFromShiplist(folder.console);
  EXPECT_EQ(folder.Transcript(), prompt + "\n" + std::string(32, '=') + "\nWARNING: UNABLE TO OPEN SHIPLIST\n" +
                                     advice + std::string(70, '=') + "\n\n");

  ShiplistLine longer = TypeLine("F-CAR");
  longer[5] = "999";
  ShiplistLine shorter = TypeLine("F-C");
  shorter[5] = "999";
  Script absent(WriteShiplist(kHeaders + longer.Join() + "\n" + shorter.Join()) + "\n");
  ship->ImportFromShiplist(absent.console);
  EXPECT_EQ(absent.Transcript(), prompt + "\n" + std::string(55, '=') +
                                     "\nWARNING: UNABLE TO FIND SPECIFIED SHIP TYPE IN SHIPLIST\n" + advice +
                                     std::string(70, '=') + "\n\n");
  EXPECT_EQ(WrittenBytes(*ship), bytes);

  // The headers are skipped even when one of them holds the type.
  Script headerOnly(WriteShiplist("Fed\t1\tF-CA\tCARRIER\t5\n" + TypeLine("F-CA").Join(3) + "\n") + "\n");
  ship->ImportFromShiplist(headerOnly.console);
  EXPECT_NE(headerOnly.Transcript().find("UNABLE TO FIND SPECIFIED SHIP TYPE"), std::string::npos);
  EXPECT_EQ(WrittenBytes(*ship), bytes);
}

}  // namespace
}  // namespace campdb::testing
