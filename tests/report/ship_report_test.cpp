#include <string>

#include "format/ship.h"
#include "report/report_stream.h"
#include "report/report_test_fixture.h"
#include "report/ship_report.h"

namespace campdb {
namespace {

using ShipReportTest = ReportTest;

std::string TextOf(const tShip& ship) {
  ReportStream out;
  ship.Report(out);
  return out.Text();
}

void Set(tShip& ship, SystemIndex system, uint8_t working, uint8_t intact) {
  ship.systems[system].working = working;
  ship.systems[system].intact = intact;
}

tShip HeavyCruiser() {
  tShip ship;
  ship.objectId = 4711;
  ship.captainId = 77;
  ship.shipType = CountedString("F-CA");
  ship.shipName = CountedString("Enterprise");
  ship.bpv = 125;
  ship.hullClass = 7;
  ship.race = 0;
  Set(ship, kRWarp, 12, 12);
  Set(ship, kLWarp, 12, 12);
  Set(ship, kCWarp, 9, 0);  // not fitted: left out
  Set(ship, kImpulse, 4, 5);
  Set(ship, kApr, 2, 2);
  Set(ship, kBridge, 1, 2);
  Set(ship, kSensor, 3, 3);
  Set(ship, kScanner, 3, 3);
  Set(ship, kDamCtrl, 4, 4);
  Set(ship, kRepair, 2, 2);
  Set(ship, kFHull, 150, 200);
  Set(ship, kAHull, 8, 8);
  Set(ship, kTrac, 2, 2);
  Set(ship, kTrans, 4, 4);
  Set(ship, kBtty, 5, 5);
  ship.cloakCost = 12;
  Set(ship, kProbes, 1, 2);
  Set(ship, kBarracks, 2, 2);
  ship.weaponsWorking = 6;
  ship.weaponsTotal = 8;
  Set(ship, kShuttles, 2, 2);
  ship.marines() = {10, 10, 0};
  ship.bombs() = {4, 3, 0};
  ship.droneRackTotal = 3;
  ship.droneType = 1;
  ship.droneSpeed = 2;
  ship.droneStorageIntact = 12;
  ship.droneStorageWorking = 10;
  ship.droneHardpoints = {{8, 2, 4, 135}, {4, 1, 4, 151}};
  ship.bays[0].current = 4;
  ship.bays[0].maximum = 6;
  ship.bays[0].fighterType = CountedString("F-18");
  ship.bays[2].current = 2;
  ship.bays[2].maximum = 2;
  ship.bays[2].fighterType = CountedString("A-10");
  return ship;
}

TEST_F(ShipReportTest, FullShipWrapsAtTheEleventhItem) {
  const std::string expected =
      "Ship 4711:F-CA, Enterprise, bpv 125, class heavy cruiser, race Federation, captained by 77,\n"
      "     r. warp 12/12, l. warp 12/12, impulse 4/5, apr 2/2, bridge 1/2, sensor 3/3, scanner 3/3, "
      "dam ctrl 4/4, repair 2/2, f. hull 150/200,\n"
      "     a. hull 8/8, trac 2/2, trans 4/4, btty 5/5, cloak cost 12, probes 1/2, barracks 2/2, weapons 6/8, "
      "shuttles 2/2, marines 10/10,\n"
      "     bombs 3/4,\n"
      "     II-fast drones 10/12 in 3 rack(s) on 2 hardpoint(s), hdpt stats (#racks, rack size, storage): "
      "(2,4,8) (1,4,4) ,\n"
      "     ftr bays: 4/6 F-18, 2/2 A-10,\n"
      "\n";
  EXPECT_EQ(TextOf(HeavyCruiser()), expected);

  UseOstrel();
  tShip cartel = HeavyCruiser();
  cartel.race = 8;
  std::string ostrel = expected;
  ostrel.replace(ostrel.find("race Federation"), 15, "race Orion cartel");
  EXPECT_EQ(TextOf(cartel), ostrel);
}

TEST_F(ShipReportTest, BareShipyardVessel) {
  tShip ship;
  ship.objectId = 12;
  ship.hullClass = -1;
  ship.race = 16;
  ship.cloakCost = 200;  // negative as a signed byte: no cloak
  EXPECT_EQ(TextOf(ship), "Shipyard vessel 12:, , bpv 0, class unknown, race Unknown\n\n");
  UseOstrel();
  EXPECT_EQ(TextOf(ship), "Shipyard vessel 12:, , bpv 0, class unknown, race Orion (npc)\n\n");
}

TEST_F(ShipReportTest, DronesAndFighterBays) {
  tShip ship;
  ship.objectId = 5;
  ship.captainId = -3;
  Set(ship, kImpulse, 1, 1);
  // Storage not fitted: no drone item, " in " follows the last item.
  ship.droneRackTotal = 1;
  ship.droneType = 7;
  ship.droneSpeed = 9;
  ship.droneHardpoints = {{200, 1, 255, 135}};
  // Maxima 200 and 100 are -56 and 100 as signed bytes: sum 44, and only
  // the second bay is shown.
  ship.bays[1].current = 250;
  ship.bays[1].maximum = 200;
  ship.bays[3].current = 0;
  ship.bays[3].maximum = 100;
  ship.bays[3].fighterType = CountedString("Z-Y");
  EXPECT_EQ(TextOf(ship),
            "Ship 5:, , bpv 0, class shuttle, race Federation, captained by -3,\n"
            "     impulse 1/1 in 1 rack(s) on 1 hardpoint(s), hdpt stats (#racks, rack size, storage): (1,-1,-56) ,\n"
            "     ftr bays: 0/100 Z-Y,\n"
            "\n");

  // With storage the item has a label of its own for unknown type and speed.
  ship.droneStorageIntact = 5;
  ship.droneStorageWorking = 0;
  ship.bays[3].maximum = 0;
  EXPECT_EQ(TextOf(ship),
            "Ship 5:, , bpv 0, class shuttle, race Federation, captained by -3,\n"
            "     impulse 1/1,\n"
            "     ~??? drones 0/5 in 1 rack(s) on 1 hardpoint(s), hdpt stats (#racks, rack size, storage): "
            "(1,-1,-56) \n"
            "\n");

  // A rack total above 127 is negative as a signed byte: no drones at all.
  ship.droneRackTotal = 128;
  EXPECT_EQ(TextOf(ship), "Ship 5:, , bpv 0, class shuttle, race Federation, captained by -3,\n     impulse 1/1\n\n");

  // Every type/speed label.
  ship.droneRackTotal = 2;
  ship.droneHardpoints.clear();
  const char* types[] = {"I-", "II-", "III-", "IV-", "~"};
  const char* speeds[] = {"slow", "med", "fast", "???"};
  for (uint8_t t = 0; t < 5; ++t) {
    for (uint8_t s = 0; s < 4; ++s) {
      ship.droneType = t;
      ship.droneSpeed = s;
      const std::string label = std::string(types[t]) + speeds[s] + " drones 0/5 in 2";
      EXPECT_NE(TextOf(ship).find(label), std::string::npos) << label;
    }
  }
}

TEST_F(ShipReportTest, SystemItemCounter) {
  ReportStream out;
  int counter = 10;
  WriteSystemItem(out, 150, 200, "x", counter);
  EXPECT_EQ(counter, 1);
  WriteSystemItem(out, 5, 0, "skipped", counter);
  EXPECT_EQ(counter, 1);
  for (int i = 0; i < 9; ++i) WriteSystemItem(out, 255, 255, "y", counter);
  EXPECT_EQ(counter, 10);
  WriteSystemItem(out, 0, 1, "z", counter);
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(out.Text(),
            ",\n     x 150/200, y 255/255, y 255/255, y 255/255, y 255/255, y 255/255, y 255/255, y 255/255, "
            "y 255/255, y 255/255,\n     z 0/1");
}

}  // namespace
}  // namespace campdb
