#include <gtest/gtest.h>

#include "editor/ship_fixture.h"
#include "format/run_settings.h"

namespace campdb::testing {
namespace {

using namespace std::string_literals;

const std::string kMenu =
    "\n"
    "Enter R to repair all ship systems\n"
    "   or P to change the player race for the ship\n"
    "      (needs to be changed both for the character and the ship)\n"
    "   or S to supply full load of parts, marines, t-bombs, drones, and fighters\n"
    "   or F to modify the ship fighters\n"
    "   or B to edit ship BPV\n"
    "   or H to modify ship hull class\n"
    "   or T to modify ship type\n"
    "   or N to modify ship name\n"
    "   or Q to quit editing this ship\n";

class ShipEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunSettings(); }
  void TearDown() override { ResetRunSettings(); }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ShipEditorTest, QuitAtOnceWritesTheShipExactlyAsRead) {
  ShipSpec spec;
  spec.tail = "tail bytes";
  spec.bays[1] = {3, 4, 5, 6, "Hornet.I", "Hornet.II"};
  ASSERT_NE(spec.block[41], spec.block[39]);  // the trans copy differs
  const std::string bytes = ShipBytes(spec);
  auto ship = ReadShip(bytes);

  Script s("q\n");
  EXPECT_FALSE(ship->Edit(s.console));
  EXPECT_FALSE(ship->modified);
  EXPECT_EQ(s.Transcript(), kMenu);
  EXPECT_EQ(WrittenBytes(*ship), bytes);
}

TEST_F(ShipEditorTest, RepairThenSupplyRestoresSystemsAndStoresThemOnWrite) {
  campdb::Run().currentEra = 2;
  ShipSpec spec;
  spec.block[9] = 5;     // r. warp 5 intact, 3 working
  spec.block[10] = 3;
  spec.block[39] = 4;    // trans 4 intact, 0 working
  spec.block[40] = 0;
  spec.block[51] = 9;    // cloak
  spec.block[52] = 0;
  spec.block[59] = 4;    // hardpoint 0: 4 weapons, 1 working
  spec.block[60] = 1;
  spec.block[127] = 24;  // drone storage 24 intact, 30 working
  spec.block[131] = 30;
  spec.block[334] = 2;   // shuttles 2 intact, none working
  spec.block[335] = 0;
  spec.supplies = {6, 1, 0, 3, 0, 0, 8, 2, 1};  // marines, bombs, parts
  spec.bays[0] = {2, 10, 0, 0, "", ""};
  spec.bays[1] = {3, 200, 0, 0, "", ""};        // a negative maximum fills nothing
  auto ship = ReadShip(ShipBytes(spec));

  Script repair("R\nq\n");
  EXPECT_FALSE(ship->Edit(repair.console));
  EXPECT_TRUE(ship->modified);
  EXPECT_EQ(ship->systems[kRWarp].working, 5);
  EXPECT_EQ(ship->systems[kTrans].working, 4);
  EXPECT_EQ(ship->cloakSecond, 9);
  EXPECT_EQ(ship->systemsBlock[60], 4);
  EXPECT_EQ(ship->systems[kShuttles].working, 0);  // shuttles wait for S
  EXPECT_EQ(ship->marines().working, 1);
  EXPECT_EQ(ship->droneStorageIntact, 24);

  Script supply("s\nQ\n");
  EXPECT_FALSE(ship->Edit(supply.console));
  EXPECT_EQ(ship->systems[kShuttles].working, 2);
  EXPECT_EQ(ship->marines().working, 6);
  EXPECT_EQ(ship->marines().third, 6);
  EXPECT_EQ(ship->parts().third, 8);
  EXPECT_EQ(ship->droneSpeed, 2);
  EXPECT_EQ(ship->droneStorageIntact, 30);
  EXPECT_EQ(ship->droneStorageWorking, 30);
  EXPECT_EQ(ship->bays[0].current, 10);
  EXPECT_EQ(ship->bays[1].current, 3);

  const std::string written = WrittenBytes(*ship);
  EXPECT_FALSE(ship->modified);
  auto reread = ReadShip(written);
  const auto& b = reread->systemsBlock;
  EXPECT_EQ(b[10], 5);
  EXPECT_EQ(b[41], 4);  // the trans copy follows the trans pair
  EXPECT_EQ(b[42], 4);
  EXPECT_EQ(b[52], 9);
  EXPECT_EQ(b[60], 4);
  EXPECT_EQ(b[122], 2);
  EXPECT_EQ(b[127], 30);
  EXPECT_EQ(b[131], 30);
  EXPECT_EQ(b[335], 2);
  EXPECT_EQ(b[0], spec.block[0]);  // uninterpreted bytes untouched
  EXPECT_EQ(b[448], spec.block[448]);
  EXPECT_EQ(ship->declaredSize, ship->ContentSize());
}

TEST_F(ShipEditorTest, FightersAndNameReplaceStringsAndKeepTheSizeTrue) {
  ShipSpec spec;
  spec.bays[2] = {1, 200, 0, 0, "Old", "Older"};
  const std::string bytes = ShipBytes(spec);
  auto ship = ReadShip(bytes);
  const int32_t sizeBefore = ship->declaredSize;

  Script s("F\n1\nA\n2\nB.x\n12 trailing\nHornet.I\n0\n\nN\nNew"s + '\0' + "Name\nq\n");
  EXPECT_TRUE(ship->Edit(s.console));

  EXPECT_TRUE(Contains(s.Transcript(),
                       "\nUpdating ship fighter information\n\n"
                       "Enter the maximum number of fighters for bay 0 (currently 0):"
                       "Enter the type of fighters for the bay (e.g. Hornet.I):"));
  EXPECT_TRUE(Contains(s.Transcript(), "for bay 2 (currently 4294967240):"));
  EXPECT_TRUE(Contains(s.Transcript(), "Enter the new ship name (currently:Fury)\n"));

  EXPECT_EQ(ship->bays[0].fighterType.bytes, "A");
  EXPECT_EQ(ship->bays[0].fighterType2.bytes, "A");
  EXPECT_EQ(ship->bays[2].maximum, 12);
  EXPECT_EQ(ship->bays[2].current, 12);
  EXPECT_EQ(ship->bays[2].fighterType.bytes, "Hornet.I");
  EXPECT_EQ(ship->bays[2].fighterType2.bytes, "Hornet.I");
  EXPECT_TRUE(ship->bays[3].fighterType.Empty());
  EXPECT_EQ(ship->shipName.bytes, std::string("New\0Name", 8));  // zero bytes are data

  // Bays 0, 1, 2: 2*1, 2*3, 2*8 - 3 - 5; the name grows from 4 to 8.
  EXPECT_EQ(ship->declaredSize, sizeBefore + 2 + 6 + 8 + 4);
  EXPECT_EQ(ship->declaredSize2, ship->declaredSize);
  EXPECT_EQ(ship->declaredSize, ship->ContentSize());
  const std::string written = WrittenBytes(*ship);
  EXPECT_EQ(written.size(), 8u + static_cast<size_t>(ship->declaredSize));
  auto reread = ReadShip(written);
  EXPECT_EQ(reread->shipName.bytes, ship->shipName.bytes);
  EXPECT_EQ(reread->bays[2].fighterType2.bytes, "Hornet.I");
  EXPECT_TRUE(reread->tail.empty());
}

TEST_F(ShipEditorTest, OnlyIdentityCommandsReportAChange) {
  ShipSpec spec;
  auto ship = ReadShip(ShipBytes(spec));

  Script race("p 5\ne\nz\nq\n");
  EXPECT_FALSE(ship->Edit(race.console));
  EXPECT_EQ(ship->race, 5);
  EXPECT_TRUE(ship->modified);  // set by every command but Q, E and unknown ones too
  EXPECT_TRUE(Contains(race.Transcript(),
                       "Enter the new race (currently:1)\n0=Fed,1=Kli,2=Rom,3=Lyr,4=Hyd,5=Gor,6=ISC,7=Mir\n\n"));
  EXPECT_TRUE(Contains(race.Transcript(),
                       "Sorry, command E, editing the individual ship systems, is not supported yet\n"));
  EXPECT_TRUE(Contains(race.Transcript(), "Invalid command choice entered, please try again\n"));

  campdb::Run().variant = Variant::Ostrel;
  Script ostrel("P\n-2\nq\n");
  EXPECT_FALSE(ship->Edit(ostrel.console));
  EXPECT_EQ(ship->race, -2);
  EXPECT_TRUE(Contains(ostrel.Transcript(), "7=Mir\n8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam\n"));

  Script bpv("b\n300\nq\n");
  EXPECT_TRUE(ship->Edit(bpv.console));
  EXPECT_EQ(ship->bpv, 300);
  EXPECT_EQ(ship->bpv2, 300);
  EXPECT_TRUE(Contains(bpv.Transcript(), "Enter the new BPV (currently:125)\n"));

  Script hull("h\n0x0c\nq\n");
  EXPECT_TRUE(ship->Edit(hull.console));
  EXPECT_EQ(ship->hullClass, 12);
  EXPECT_TRUE(Contains(hull.Transcript(),
                       "Enter the new ship hull class (currently:7)\n"
                       "(1=PF,2=Frtr,3=FF,4=DD,5=DW,6=CL,7=CA,8=NCA,9=BCH,10=CV,11=DN,"
                       "(12=BB,13=LP,14=BS,15=BATS,16=SB,17=Monster,18=Planet,19=Special\n"));

  // T counts as a change even when the shiplist cannot be opened.
  const int32_t sizeBefore = ship->declaredSize;
  Script type("t\nF-BCH\n/nonexistent/shiplist.txt\nq\n");
  EXPECT_TRUE(ship->Edit(type.console));
  EXPECT_EQ(ship->shipType.bytes, "F-BCH");
  EXPECT_EQ(ship->declaredSize, sizeBefore + 1);
  EXPECT_TRUE(Contains(type.Transcript(),
                       "Enter the new ship type (currently:F-CA)\n"
                       "Enter the name of the shiplist file (this is needed needed to update the schematic "
                       "info for the ship's new type)\n\n" +
                           std::string(32, '=') + "\nWARNING: UNABLE TO OPEN SHIPLIST\n"));
  EXPECT_EQ(ship->hullClass, 12);
}

TEST_F(ShipEditorTest, EndOfInputStopsEditingWithNoFurtherChange) {
  ShipSpec spec;
  const std::string bytes = ShipBytes(spec);

  auto ship = ReadShip(bytes);
  Script bpv("b\n");
  bpv.console.SetEndNotice("End of input, leaving the editor");
  EXPECT_FALSE(ship->Edit(bpv.console));
  EXPECT_TRUE(bpv.console.Ended());
  EXPECT_EQ(ship->bpv, 125);
  EXPECT_FALSE(ship->modified);
  EXPECT_EQ(bpv.Transcript(), kMenu + "Enter the new BPV (currently:125)\nEnd of input, leaving the editor\n");
  EXPECT_EQ(WrittenBytes(*ship), bytes);

  // A name read that meets the end leaves the name; the repair before it stays.
  auto named = ReadShip(bytes);
  Script name("r n");
  name.console.SetEndNotice("End of input, leaving the editor");
  EXPECT_FALSE(named->Edit(name.console));
  EXPECT_EQ(named->shipName.bytes, "Fury");
  EXPECT_TRUE(named->modified);
  const std::string out = name.Transcript();
  EXPECT_TRUE(out.ends_with("Enter the new ship name (currently:Fury)\nEnd of input, leaving the editor\n"));
}

}  // namespace
}  // namespace campdb::testing
