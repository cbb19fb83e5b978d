// Values the readers derive rather than read: the base layout's cartel
// fields, the current era and the single-player captain, the AI decision for
// characters, and a ship's weapon sums and drone hardpoint list.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "format/campaign.h"
#include "format/map.h"
#include "record_loader.h"

namespace campdb::testdb {
namespace {

void UseLayout(Layout layout) {
  ResetRunSettings();
  campdb::Run().variant = VariantOf(layout);
}

tMapHex ReadHex(const Hex& hex, Layout layout) {
  UseLayout(layout);
  const Bytes bytes = ToBytes(hex, layout);
  ByteReader in(Span(bytes));
  return tMapHex(in);
}

TEST(DerivedValues, BaseLayoutDerivesTheCartelFields) {
  struct Owner {
    int32_t owner;
    int32_t cartel;
  };
  for (Owner o : {Owner{3, 11}, Owner{0, 8}, Owner{7, 15}, Owner{8, 23}, Owner{9, 23}, Owner{32, 23},
                  Owner{-1, 7}, Owner{INT_MAX, 23}}) {
    Hex h;
    h.ownerRace = o.owner;
    h.dvMax = 31;
    h.dvCurrent = 17;
    const tMapHex read = ReadHex(h, Layout::Base);
    EXPECT_EQ(read.cartelRace, o.cartel) << o.owner;
    EXPECT_EQ(read.cartelDvMax, 31);
    EXPECT_EQ(read.cartelDvCurrent, 17);
  }
  // The Ostrel layout stores them.
  Hex h;
  h.ownerRace = 3;
  h.cartelRace = 14;
  h.cartelDvMax = 5;
  h.cartelDvCurrent = 2;
  const tMapHex read = ReadHex(h, Layout::Ostrel);
  EXPECT_EQ(read.cartelRace, 14);
  EXPECT_EQ(read.cartelDvMax, 5);
  EXPECT_EQ(read.cartelDvCurrent, 2);
  EXPECT_EQ(read.ostrelWords, h.ostrelWords);
}

TEST(DerivedValues, CurrentEraFromTurnAndEraStarts) {
  struct EraCase {
    Layout layout;
    int32_t turn, perYear, mid, late, era3;
    int32_t era;
  };
  const EraCase cases[] = {
      {Layout::Base, 250, 12, 20, 40, 0, 1},        // year 20
      {Layout::Base, 239, 12, 20, 40, 0, 0},        // year 19
      {Layout::Base, 2000000000, 1, 20, 40, 50, 2}, // no fourth era in the base layout
      {Layout::Ostrel, 45, 1, 20, 40, 50, 2},
      {Layout::Ostrel, 50, 1, 20, 40, 50, 3},
      {Layout::Base, -5, 12, 0, 40, 0, 1},          // truncates toward zero: year 0
      {Layout::Base, 500, 0, 1, 40, 0, 0},          // no turns per year: year 0
      {Layout::Base, 500, 0, 0, 1, 0, 1},
      // INT_MIN / -1 is year 2147483648, beyond every int32 era start.
      {Layout::Base, INT_MIN, -1, 0, INT_MAX, 0, 2},
      {Layout::Ostrel, INT_MIN, -1, 0, 0, INT_MAX, 3},
      {Layout::Ostrel, INT_MAX, 1, 0, 0, INT_MAX, 3},  // reaching era3Start is era 3
  };
  for (const EraCase& c : cases) {
    Campaign campaign;
    campaign.currentTurn = c.turn;
    campaign.turnsPerYear = c.perYear;
    campaign.midEraStart = c.mid;
    campaign.lateEraStart = c.late;
    campaign.era3Start = c.era3;
    campaign.earlyEraStart = INT_MAX;  // takes no part
    UseLayout(c.layout);
    const Bytes bytes = ToBytes(campaign, c.layout);
    ByteReader in(Span(bytes));
    tCampaignObject read(in);
    EXPECT_EQ(campdb::Run().currentEra, c.era) << c.turn << " / " << c.perYear;
  }
}

TEST(DerivedValues, CaptainNameMakesASinglePlayerCampaign) {
  for (const char* captain : {"", "V", "Vance"}) {
    Campaign campaign;
    campaign.captainName = captain;
    UseLayout(Layout::Base);
    const Bytes bytes = ToBytes(campaign, Layout::Base);
    ByteReader in(Span(bytes));
    tCampaignObject read(in);
    const bool single = *captain != '\0';
    EXPECT_EQ(campdb::Run().singlePlayerCampaign, single) << captain;
    EXPECT_EQ(campdb::Run().publishedCaptainName.has_value(), single) << captain;
    if (single) {
      EXPECT_EQ(*campdb::Run().publishedCaptainName, captain);
    }
  }
}

// Reads a character with the given campaign state and returns it.
std::unique_ptr<tServCharacter> ReadCharacter(const Bytes& bytes, std::optional<std::string> captain) {
  ResetRunSettings();
  if (captain) {
    campdb::Run().singlePlayerCampaign = true;
    campdb::Run().publishedCaptainName = *captain;
  }
  ByteReader in(Span(bytes));
  std::istringstream keys;
  std::ostringstream printed;
  Console console(keys, printed);
  sMiscObject slot;
  EXPECT_EQ(ReadMiscObject(in, slot, console), FrameResult::Read);
  EXPECT_EQ(slot.kind, ObjectKind::Character);
  return std::move(slot.character);
}

TEST(DerivedValues, WhichCharactersAreAIPlayers) {
  // Multiplayer: fewer than 24 bytes after the fixed fields is an AI player.
  Character ai;
  ai.human.reset();
  ai.frame.tail = Bytes(23, '\x01');
  auto read = ReadCharacter(ToBytes(ai), std::nullopt);
  EXPECT_TRUE(read->isAI);
  EXPECT_EQ(read->tail, ai.frame.tail);
  ai.frame.tail = Bytes(24, '\0');
  EXPECT_FALSE(ReadCharacter(ToBytes(ai), std::nullopt)->isAI);

  Character human;
  human.human->email = "";
  human.human->ipAddress = "";
  read = ReadCharacter(ToBytes(human), std::nullopt);
  EXPECT_FALSE(read->isAI);
  EXPECT_EQ(read->homeworldColumn, human.human->homeworldColumn);
  EXPECT_EQ(read->tail, "");

  // Single player: only a name matching the captain's (as C strings compare
  // the character name's length) is human, whatever the size says.
  struct Named {
    std::string name;
    std::string captain;
    bool isAI;
  };
  for (const Named& n : {Named{"Van", "Vance", false}, Named{"Vance", "Vance", false},
                         Named{"Vanessa", "Vance", true}, Named{"", "Vance", false},
                         Named{"vance", "Vance", true}, Named{std::string("Va\0z", 4), "Vance", true},
                         Named{std::string("Va\0q", 4), std::string("Va\0ce", 5), false}}) {
    Character c;
    c.characterName = n.name;
    if (n.isAI) c.human.reset();
    read = ReadCharacter(ToBytes(c), n.captain);
    EXPECT_EQ(read->isAI, n.isAI) << n.name;
    // Both kinds come back byte for byte.
    ByteWriter out;
    read->Write(out);
    EXPECT_EQ(out.Buffer(), ToBytes(c)) << n.name;
  }

  // An AI player's writer writes no human-player section, whatever the
  // in-memory fields of that section hold.
  Character quiet;
  quiet.human.reset();
  read = ReadCharacter(ToBytes(quiet), std::string("Someone else"));
  ASSERT_TRUE(read->isAI);
  read->email = CountedString("x@y");
  read->homeworldRow = 9;
  ByteWriter out;
  read->Write(out);
  EXPECT_EQ(out.Buffer(), ToBytes(quiet));
}

std::unique_ptr<tShip> ReadShip(const Ship& ship) {
  ResetRunSettings();
  const Bytes bytes = ToBytes(ship);
  ByteReader in(Span(bytes));
  std::istringstream keys;
  std::ostringstream printed;
  Console console(keys, printed);
  sMiscObject slot;
  EXPECT_EQ(ReadMiscObject(in, slot, console), FrameResult::Read);
  EXPECT_EQ(slot.kind, ObjectKind::Ship);
  return std::move(slot.ship);
}

TEST(DerivedValues, WeaponSumsAreEightBit) {
  Ship s;
  s.ClearWeapons();
  s.SetHardpoint(0, 200, 255);
  s.SetHardpoint(24, 100, 2);
  const auto read = ReadShip(s);
  EXPECT_EQ(read->weaponsTotal, 44);
  EXPECT_EQ(read->weaponsWorking, 1);
}

TEST(DerivedValues, DroneHardpointList) {
  struct Expect {
    int position;
    uint8_t storage, racks, rackSize;
  };
  const auto check = [](const tShip& ship, std::vector<Expect> expected) {
    ASSERT_EQ(ship.droneHardpoints.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(ship.droneHardpoints[i].position, expected[i].position) << i;
      EXPECT_EQ(ship.droneHardpoints[i].storage, expected[i].storage) << i;
      EXPECT_EQ(ship.droneHardpoints[i].racks, expected[i].racks) << i;
      EXPECT_EQ(ship.droneHardpoints[i].rackSize, expected[i].rackSize) << i;
    }
  };
  Ship s;
  s.ClearWeapons();
  s.SetSchematic(2, 16, 2, 4);
  s.SetSchematic(5, 36, 3, 6);
  check(*ReadShip(s), {});  // rack total 0

  s.block[shipblock::kDroneRackTotal] = 5;
  check(*ReadShip(s), {{151, 16, 2, 4}, {175, 36, 3, 6}});

  // The scan stops once the racks found reach the total.
  s.SetSchematic(7, 8, 1, 4);
  s.block[shipblock::kDroneRackTotal] = 2;
  check(*ReadShip(s), {{151, 16, 2, 4}});

  // Rack counts are signed bytes: 0x90 is no racks; a total of 0x80 is below
  // zero and finds nothing.
  s.SetSchematic(2, 16, 0x90, 4);
  s.block[shipblock::kDroneRackTotal] = 3;
  check(*ReadShip(s), {{175, 36, 3, 6}});
  s.block[shipblock::kDroneRackTotal] = 0x80;
  check(*ReadShip(s), {});

  // Only the first 24 schematic entries are looked at.
  s.ClearWeapons();
  s.SetSchematic(24, 8, 1, 4);
  s.block[shipblock::kDroneRackTotal] = 1;
  check(*ReadShip(s), {});

  // Never more than eight entries, however many racks are still missing.
  for (int i = 0; i < 24; ++i) s.SetSchematic(i, static_cast<uint8_t>(i), 1, 4);
  s.block[shipblock::kDroneRackTotal] = 100;
  const auto full = ReadShip(s);
  ASSERT_EQ(full->droneHardpoints.size(), 8u);
  EXPECT_EQ(full->droneHardpoints[7].position, 135 + 7 * 8);
}

TEST(DerivedValues, ModifiedShipStoresItsNamedValuesBack) {
  Ship s;  // its trans copy (41-42) differs from the trans pair (39-40)
  auto read = ReadShip(s);
  {
    ByteWriter out;
    read->Write(out);
    EXPECT_EQ(out.Buffer(), ToBytes(s));
  }
  read->systems[kTrans] = SystemPair{12, 11};
  read->droneSpeed = 3;
  read->droneHardpoints.at(0).racks = 7;
  read->modified = true;
  ByteWriter out;
  read->Write(out);
  EXPECT_FALSE(read->modified);
  Ship expected = s;
  expected.block[shipblock::kTransPair] = expected.block[shipblock::kTransCopy] = 12;
  expected.block[shipblock::kTransPair + 1] = expected.block[shipblock::kTransCopy + 1] = 11;
  expected.block[shipblock::kDroneSpeed] = 3;
  expected.block[shipblock::kSchematic + 4 * 8 + 2] = 7;
  EXPECT_EQ(out.Buffer(), ToBytes(expected));
}

}  // namespace
}  // namespace campdb::testdb
