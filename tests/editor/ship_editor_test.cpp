// The ship menu on a loaded ship: what each command does to the ship and its
// systems block, which commands count as a change of the ship's identity,
// and what is written afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor_fixture.h"

namespace campdb::testing {
namespace {

using namespace std::string_literals;
namespace sb = testdb::shipblock;

const std::string kMenuEnd = "   or Q to quit editing this ship\n";

testdb::Ship ComposedShip() {
  testdb::Ship ship;
  ship.objectId = 100;
  ship.race = 1;
  ship.shipType = "F-CA";
  ship.shipName = "Fury";
  ship.frame.tail = "tail bytes";
  return ship;
}

// The written ship's systems block.
std::string BlockOf(const tShip& ship) { return std::string(ship.systemsBlock); }

// Every command answered but Q, an unknown one included, makes the block's
// second copy of the trans pair (offsets 41-42) follow the pair (39-40);
// the composed ship has 6, 5 there and 9, 9 in the copy. A ship only quit,
// or left by the end of input before any command was answered, is written
// exactly as it was read.
TEST(ShipEditorTest, TransCopyFollowsThePairAfterEveryAnsweredCommand) {
  using Pair = std::pair<int, int>;
  struct Case {
    const char* script;
    bool changed;  // what EditShip reports
    // The trans pair after the session, which the copy must equal; none:
    // the ship is written exactly as read.
    std::optional<Pair> trans;
  };
  const Case cases[] = {
      {"q\n", false, std::nullopt},
      {"b\n", false, std::nullopt},  // the input ends inside the first command
      {"R\nq\n", false, Pair{6, 6}},  // repair makes trans 6 of 6
      {"s\nq\n", false, Pair{6, 5}},
      {"p 5\nq\n", false, Pair{6, 5}},
      {"e\nq\n", false, Pair{6, 5}},
      {"z\nq\n", false, Pair{6, 5}},
      {"b 300\nq\n", true, Pair{6, 5}},
      {"h 0x0c\nQ\n", true, Pair{6, 5}},
      {"n\nRenamed\nq\n", true, Pair{6, 5}},
      {"F\n0\n\n0\n\n0\n\n0\n\nq\n", false, Pair{6, 5}},
      {"t\nF-BCH\nno-such-dir/shiplist.txt\nq\n", true, Pair{6, 5}},
      {"R\nb\n", false, Pair{6, 6}},  // R was answered, B was not
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    LoadedShip loaded(ComposedShip());
    const tShip& ship = loaded.ship();
    const std::string before = Written(ship);
    ASSERT_EQ(before, loaded.bytes);
    Script s(c.script);
    EditContext context = loaded.loaded.Context(s.console);
    EXPECT_EQ(EditShip(loaded.ship(), context), c.changed);
    EXPECT_TRUE(s.Transcript().starts_with("\nEnter R to repair all ship systems\n"));
    if (!c.trans) {
      EXPECT_EQ(Written(ship), before);
      continue;
    }
    EXPECT_EQ(Pair(ship.At(PairOffset(kTrans)), ship.At(PairOffset(kTrans) + 1)), *c.trans);
    EXPECT_EQ(Pair(ship.At(block::kTransCopy), ship.At(block::kTransCopy + 1)), *c.trans);
    ExpectSizesTrue(loaded.ship());
  }
}

TEST(ShipEditorTest, RepairThenSupply) {
  testdb::Ship composed = ComposedShip();
  auto& b = composed.block;
  b[9] = 5, b[10] = 3;                              // r. warp 5 of 3
  b[51] = 7, b[52] = 1;                             // cloak
  b[sb::kHardpoints] = 4, b[sb::kHardpoints + 1] = 1;  // hardpoint 0: 4 weapons, 1 working
  b[sb::kDroneStorageIntact] = 24, b[sb::kDroneStorageWorking] = 30;
  b[sb::kShuttles] = 2, b[sb::kShuttles + 1] = 0;
  composed.supplies = {6, 1, 0, 3, 0, 0, 8, 2, 1};  // marines, bombs, parts
  composed.bays[0] = {2, 10, 0, 0, "", ""};
  composed.bays[1] = {3, 200, 0, 0, "", ""};  // a negative maximum fills nothing
  LoadedShip loaded(composed);
  tShip& ship = loaded.ship();
  const std::string original = BlockOf(ship);

  CampaignFacts lateEra;
  lateEra.currentEra = 2;
  Script repair("R\nq\n");
  EditContext context{repair.console, Layout::Base, lateEra, loaded.loaded.db->store};
  EXPECT_FALSE(EditShip(ship, context));
  EXPECT_EQ(ship.System(kRWarp).working, 5);
  EXPECT_EQ(ship.At(52), 7);
  EXPECT_EQ(ship.At(sb::kHardpoints + 1), 4);
  EXPECT_EQ(ship.System(kShuttles).working, 0);  // shuttles wait for S
  EXPECT_EQ(ship.marines.working, 1);

  Script supply("s\nQ\n");
  EditContext supplyContext{supply.console, Layout::Base, lateEra, loaded.loaded.db->store};
  EXPECT_FALSE(EditShip(ship, supplyContext));
  EXPECT_EQ(ship.marines.working, 6);
  EXPECT_EQ(ship.marines.third, 6);
  EXPECT_EQ(ship.bombs.third, 3);
  EXPECT_EQ(ship.parts.working, 8);
  EXPECT_EQ(ship.bays[0].current, 10);
  EXPECT_EQ(ship.bays[1].current, 3);
  EXPECT_EQ(ship.At(sb::kDroneSpeed), 2);  // the era
  EXPECT_EQ(ship.At(sb::kDroneStorageIntact), 30);
  EXPECT_EQ(ship.At(sb::kDroneStorageWorking), 30);
  EXPECT_EQ(ship.System(kShuttles).working, 2);
  EXPECT_EQ(ship.At(0), static_cast<uint8_t>(original[0]));
  ExpectSizesTrue(ship);

  // The editor changed its own copy of the block, never the loaded input.
  EXPECT_EQ(loaded.loaded.Source().find(BlockOf(ship)), std::string::npos);
  EXPECT_NE(loaded.loaded.Source().find(original), std::string::npos);
}

TEST(ShipEditorTest, FightersAndNameReplaceStringsAndKeepTheSizeTrue) {
  testdb::Ship composed = ComposedShip();
  composed.bays[0] = {};
  composed.bays[2] = {1, 200, 0, 0, "Old", "Older"};
  LoadedShip loaded(composed);
  tShip& ship = loaded.ship();
  const int32_t sizeBefore = ship.head.declaredSize;

  Script s("F\n1\nA\n2\nB.x\n12 trailing\nHornet.I\n0\n\nN\nNew"s + '\0' + "Name\nq\n");
  EditContext context = loaded.loaded.Context(s.console);
  EXPECT_TRUE(EditShip(ship, context));
  EXPECT_TRUE(s.Shows("\nUpdating ship fighter information\n\n"
                      "Enter the maximum number of fighters for bay 0 (currently 0):"
                      "Enter the type of fighters for the bay (e.g. Hornet.I):"));
  EXPECT_TRUE(s.Shows("for bay 2 (currently 4294967240):"));
  EXPECT_TRUE(s.Shows("Enter the new ship name (currently:Fury)\n"));
  EXPECT_EQ(ship.bays[2].current, 12);
  EXPECT_EQ(ship.bays[2].fighterType, "Hornet.I");
  EXPECT_EQ(ship.bays[2].fighterType2, "Hornet.I");
  EXPECT_EQ(ship.shipName, "New"s + '\0' + "Name");  // zero bytes are data

  // Bays 0, 1, 2 gain 2*1, 2*3 and 2*8 - 3 - 5 bytes; the name 4.
  EXPECT_EQ(ship.head.declaredSize, sizeBefore + 2 + 6 + 8 + 4);
  ExpectSizesTrue(ship);
  const std::string written = Written(ship);  // the read texts lie in it
  const MiscObject back = testdb::ReadOneObject(written);
  EXPECT_EQ(std::get<tShip>(back).shipName, ship.shipName);
  EXPECT_EQ(std::get<tShip>(back).tail, "tail bytes");
}

// P, E and unknown commands are no change of identity; B, H and T are, T
// even when the shiplist cannot be opened.
TEST(ShipEditorTest, OnlyIdentityCommandsReportAChange) {
  struct Case {
    const char* script;
    bool changed;
    std::function<void(const tShip&, const Script&)> check;
  };
  const Case cases[] = {
      {"p 5\ne\nz\nq\n", false,
       [](const tShip& ship, const Script& s) {
         EXPECT_EQ(ship.race, 5);
         EXPECT_TRUE(s.Shows("Enter the new race (currently:1)\n0=Fed,"));
         EXPECT_TRUE(s.Shows("Sorry, command E, editing the individual ship systems, is not supported yet\n"));
         EXPECT_TRUE(s.Shows("Invalid command choice entered, please try again\n"));
       }},
      {"b\n300\nq\n", true, [](const tShip& ship, const Script&) { EXPECT_EQ(ship.bpv2, 300); }},
      {"h\n0x0c\nq\n", true,
       [](const tShip& ship, const Script& s) {
         EXPECT_EQ(ship.hullClass, 12);
         EXPECT_TRUE(
             s.Shows("(currently:7)\n(1=PF,2=Frtr,3=FF,4=DD,5=DW,6=CL,7=CA,8=NCA,9=BCH,10=CV,11=DN,(12=BB,"));
       }},
      {"t\nF-BCH\n/nonexistent/shiplist.txt\nq\n", true,
       [](const tShip& ship, const Script& s) {
         EXPECT_EQ(ship.shipType, "F-BCH");
         EXPECT_TRUE(s.Shows("Enter the new ship type (currently:F-CA)\nEnter the name of the shiplist file"));
         EXPECT_TRUE(s.Shows("WARNING: UNABLE TO OPEN SHIPLIST\n"));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    LoadedShip loaded(ComposedShip());
    Script s(c.script);
    EditContext context = loaded.loaded.Context(s.console);
    EXPECT_EQ(EditShip(loaded.ship(), context), c.changed);
    c.check(loaded.ship(), s);
    EXPECT_TRUE(s.Transcript().ends_with(kMenuEnd));
    ExpectSizesTrue(loaded.ship());
  }
}

TEST(ShipEditorTest, EndOfInputStopsEditingWithNoFurtherChange) {
  const std::pair<const char*, const char*> cases[] = {
      {"b\n", "   or Q to quit editing this ship\nEnter the new BPV (currently:125)\n"},
      {"n\n", "Enter the new ship name (currently:Fury)\n"},
      {"F 3\nA\n", "Enter the maximum number of fighters for bay 1 (currently 0):"},
      {"t\nF-XX\n", "ship's new type)\n"},
      {"p", "Enter the new race (currently:1)\n0=Fed,1=Kli,2=Rom,3=Lyr,4=Hyd,5=Gor,6=ISC,7=Mir\n"},
  };
  for (const auto& [script, lastPrompt] : cases) {
    SCOPED_TRACE(script);
    LoadedShip loaded(ComposedShip());
    Script s(script);
    EditContext context = loaded.loaded.Context(s.console);
    EditShip(loaded.ship(), context);
    // Printed once, the notice ends the transcript (after a prompt that
    // ends no line, on the prompt's line).
    EXPECT_TRUE(s.Transcript().ends_with(lastPrompt + kEndNotice + "\n"));
    EXPECT_EQ(s.Transcript().find(kEndNotice), s.Transcript().size() - kEndNotice.size() - 1);
    EXPECT_EQ(loaded.ship().bpv, 125);
    EXPECT_EQ(loaded.ship().shipName, "Fury");
    // No command was answered: the trans copy is as read.
    EXPECT_EQ(loaded.ship().At(sb::kTransCopy), 9);
    ExpectSizesTrue(loaded.ship());
  }
}

}  // namespace
}  // namespace campdb::testing
