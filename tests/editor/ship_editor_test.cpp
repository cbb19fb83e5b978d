#include <gtest/gtest.h>

#include "editor/ship_fixture.h"
#include "format/run_settings.h"

namespace campdb::testing {
namespace {

using namespace std::string_literals;

const std::string kMenuEnd = "   or Q to quit editing this ship\n";

class ShipEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunSettings(); }
  void TearDown() override { ResetRunSettings(); }
};

TEST_F(ShipEditorTest, QuitAtOnceWritesTheShipExactlyAsRead) {
  ShipFields fields;
  fields.tail = "tail bytes";
  fields.bays[1] = {3, 4, 5, 6, "Hornet.I", "Hornet.II"};
  const std::string bytes = ShipBytes(fields);  // its trans copy differs from the pair
  auto ship = ReadShip(bytes);
  Script s("q\n");
  EXPECT_FALSE(ship->Edit(s.console));
  EXPECT_FALSE(ship->modified);
  EXPECT_TRUE(s.Transcript().starts_with("\nEnter R to repair all ship systems\n") &&
              s.Transcript().ends_with(kMenuEnd));
  EXPECT_EQ(WrittenBytes(*ship), bytes);
}

TEST_F(ShipEditorTest, RepairThenSupplyAreStoredIntoTheBlockOnWrite) {
  campdb::Run().currentEra = 2;
  ShipFields fields;
  fields.block[9] = 5, fields.block[10] = 3;      // r. warp 5 of 3
  fields.block[39] = 4, fields.block[40] = 0;     // trans 4 of 0
  fields.block[59] = 4, fields.block[60] = 1;     // hardpoint 0: 4 weapons, 1 working
  fields.block[127] = 24, fields.block[131] = 30; // drone storage
  fields.block[334] = 2, fields.block[335] = 0;   // shuttles
  fields.supplies = {6, 1, 0, 3, 0, 0, 8, 2, 1};
  fields.bays[0] = {2, 10, 0, 0, "", ""};
  fields.bays[1] = {3, 200, 0, 0, "", ""};      // a negative maximum fills nothing
  auto ship = ReadShip(ShipBytes(fields));

  Script repair("R\nq\n");
  EXPECT_FALSE(ship->Edit(repair.console));
  EXPECT_TRUE(ship->modified);
  EXPECT_EQ(ship->systems[kRWarp].working, 5);
  EXPECT_EQ(ship->systems[kShuttles].working, 0);  // shuttles wait for S
  EXPECT_EQ(ship->marines().working, 1);

  Script supply("s\nQ\n");
  EXPECT_FALSE(ship->Edit(supply.console));
  EXPECT_EQ(ship->marines().third, 6);
  EXPECT_EQ(ship->bays[0].current, 10);
  EXPECT_EQ(ship->bays[1].current, 3);

  auto reread = ReadShip(WrittenBytes(*ship));
  const auto& b = reread->systemsBlock;
  EXPECT_EQ(b[10], 5);
  EXPECT_EQ(b[41], 4);  // the trans copy follows the trans pair
  EXPECT_EQ(b[42], 4);
  EXPECT_EQ(b[60], 4);
  EXPECT_EQ(b[122], 2);  // drone speed is the era
  EXPECT_EQ(b[127], 30);
  EXPECT_EQ(b[131], 30);
  EXPECT_EQ(b[335], 2);
  EXPECT_EQ(b[0], fields.block[0]);
  EXPECT_EQ(ship->declaredSize, ship->ContentSize());
}

TEST_F(ShipEditorTest, FightersAndNameReplaceStringsAndKeepTheSizeTrue) {
  ShipFields fields;
  fields.bays[2] = {1, 200, 0, 0, "Old", "Older"};
  auto ship = ReadShip(ShipBytes(fields));
  const int32_t sizeBefore = ship->declaredSize;

  Script s("F\n1\nA\n2\nB.x\n12 trailing\nHornet.I\n0\n\nN\nNew"s + '\0' + "Name\nq\n");
  EXPECT_TRUE(ship->Edit(s.console));
  EXPECT_TRUE(s.Shows("\nUpdating ship fighter information\n\n"
                      "Enter the maximum number of fighters for bay 0 (currently 0):"
                      "Enter the type of fighters for the bay (e.g. Hornet.I):"));
  EXPECT_TRUE(s.Shows("for bay 2 (currently 4294967240):"));
  EXPECT_TRUE(s.Shows("Enter the new ship name (currently:Fury)\n"));
  EXPECT_EQ(ship->bays[2].current, 12);
  EXPECT_EQ(ship->bays[2].fighterType.bytes, "Hornet.I");
  EXPECT_EQ(ship->bays[2].fighterType2.bytes, "Hornet.I");
  EXPECT_EQ(ship->shipName.bytes, "New"s + '\0' + "Name");  // zero bytes are data

  // Bays 0, 1, 2 gain 2*1, 2*3 and 2*8 - 3 - 5 bytes; the name 4.
  EXPECT_EQ(ship->declaredSize, sizeBefore + 2 + 6 + 8 + 4);
  EXPECT_EQ(ship->declaredSize2, ship->declaredSize);
  EXPECT_EQ(ship->declaredSize, ship->ContentSize());
  auto reread = ReadShip(WrittenBytes(*ship));
  EXPECT_EQ(reread->shipName.bytes, ship->shipName.bytes);
  EXPECT_TRUE(reread->tail.empty());
}

TEST_F(ShipEditorTest, OnlyIdentityCommandsReportAChange) {
  auto ship = ReadShip(ShipBytes(ShipFields()));
  Script other("p 5\ne\nz\nq\n");
  EXPECT_FALSE(ship->Edit(other.console));
  EXPECT_EQ(ship->race, 5);
  EXPECT_TRUE(ship->modified);
  EXPECT_TRUE(other.Shows("Enter the new race (currently:1)\n0=Fed,"));
  EXPECT_TRUE(other.Shows("Sorry, command E, editing the individual ship systems, is not supported yet\n"));
  EXPECT_TRUE(other.Shows("Invalid command choice entered, please try again\n"));

  Script bpv("b\n300\nq\n");
  EXPECT_TRUE(ship->Edit(bpv.console));
  EXPECT_EQ(ship->bpv2, 300);

  Script hull("h\n0x0c\nq\n");
  EXPECT_TRUE(ship->Edit(hull.console));
  EXPECT_EQ(ship->hullClass, 12);
  EXPECT_TRUE(hull.Shows("(currently:7)\n(1=PF,2=Frtr,3=FF,4=DD,5=DW,6=CL,7=CA,8=NCA,9=BCH,10=CV,11=DN,(12=BB,"));

  // T counts as a change even when the shiplist cannot be opened.
  const int32_t sizeBefore = ship->declaredSize;
  Script type("t\nF-BCH\n/nonexistent/shiplist.txt\nq\n");
  EXPECT_TRUE(ship->Edit(type.console));
  EXPECT_EQ(ship->shipType.bytes, "F-BCH");
  EXPECT_EQ(ship->declaredSize, sizeBefore + 1);
  EXPECT_TRUE(type.Shows("Enter the new ship type (currently:F-CA)\nEnter the name of the shiplist file"));
  EXPECT_TRUE(type.Shows("WARNING: UNABLE TO OPEN SHIPLIST\n"));
}

TEST_F(ShipEditorTest, EndOfInputStopsEditingWithNoFurtherChange) {
  const std::string bytes = ShipBytes(ShipFields());
  auto ship = ReadShip(bytes);
  Script s("b\n");
  s.console.SetEndNotice("End of input, leaving the editor");
  EXPECT_FALSE(ship->Edit(s.console));
  EXPECT_EQ(ship->bpv, 125);
  EXPECT_FALSE(ship->modified);
  EXPECT_TRUE(s.Transcript().ends_with(kMenuEnd +
                                       "Enter the new BPV (currently:125)\nEnd of input, leaving the editor\n"));
  EXPECT_EQ(WrittenBytes(*ship), bytes);
}

}  // namespace
}  // namespace campdb::testing
