// Values the readers derive rather than read: the base layout's cartel
// fields, the current era and the single-player captain, the AI decision for
// characters, and a ship's weapon sums and drone hardpoint list.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "format/campaign.h"
#include "format/map.h"
#include "record_loader.h"

namespace campdb::testdb {
namespace {

tMapHex ReadHex(const Hex& hex, Layout layout) {
  const Bytes bytes = ToBytes(hex, layout);
  ByteReader in(Span(bytes));
  tMapHex read;
  ReadRecord(in, read, ReadContext{ToolLayout(layout)});
  return read;
}

CampaignFacts FactsOf(const Campaign& campaign, Layout layout) {
  const Bytes bytes = ToBytes(campaign, layout);
  ByteReader in(Span(bytes));
  tCampaignObject read;
  ReadRecord(in, read, ReadContext{ToolLayout(layout)});
  CampaignFacts facts = DeriveCampaignFacts(read, ToolLayout(layout));
  // The published name is kept apart from the bytes read, which go away.
  static std::string published;
  published = std::string(facts.publishedCaptainName);
  facts.publishedCaptainName = published;
  return facts;
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
    EXPECT_EQ(CartelRaceOf(read, campdb::Layout::Base), o.cartel) << o.owner;
    EXPECT_EQ(CartelDvMaxOf(read, campdb::Layout::Base), 31);
    EXPECT_EQ(CartelDvCurrentOf(read, campdb::Layout::Base), 17);
  }
  // The Ostrel layout stores them.
  Hex h;
  h.ownerRace = 3;
  h.cartelRace = 14;
  h.cartelDvMax = 5;
  h.cartelDvCurrent = 2;
  const tMapHex read = ReadHex(h, Layout::Ostrel);
  EXPECT_EQ(CartelRaceOf(read, campdb::Layout::Ostrel), 14);
  EXPECT_EQ(CartelDvMaxOf(read, campdb::Layout::Ostrel), 5);
  EXPECT_EQ(CartelDvCurrentOf(read, campdb::Layout::Ostrel), 2);
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
    EXPECT_EQ(FactsOf(campaign, c.layout).currentEra, c.era) << c.turn << " / " << c.perYear;
  }
}

TEST(DerivedValues, CaptainNameMakesASinglePlayerCampaign) {
  for (const char* captain : {"", "V", "Vance"}) {
    Campaign campaign;
    campaign.captainName = captain;
    const CampaignFacts facts = FactsOf(campaign, Layout::Base);
    EXPECT_EQ(facts.singlePlayerCampaign, *captain != '\0') << captain;
    EXPECT_EQ(facts.publishedCaptainName, captain);
  }
}

// Reads a character with the given campaign state and returns it. Its texts
// point into `bytes`.
tServCharacter ReadCharacter(const Bytes& bytes, const std::optional<std::string>& captain, bool whole = true) {
  CampaignFacts facts;
  if (captain) {
    facts.singlePlayerCampaign = true;
    facts.publishedCaptainName = *captain;
  }
  MiscObject object = ReadOneObject(bytes, facts, whole);
  EXPECT_EQ(KindOf(object), ObjectKind::Character);
  return std::get<tServCharacter>(object);
}

Bytes Written(const tServCharacter& character) {
  ByteWriter out;
  WriteRecord(out, character, campdb::Layout::Base);
  return out.TakeBuffer();
}

TEST(DerivedValues, WhichCharactersAreAIPlayers) {
  // Multiplayer: fewer than 24 bytes after the fixed fields is an AI player.
  Character ai;
  ai.human.reset();
  ai.frame.tail = Bytes(23, '\x01');
  Bytes bytes = ToBytes(ai);
  tServCharacter read = ReadCharacter(bytes, std::nullopt);
  EXPECT_TRUE(read.isAI());
  EXPECT_EQ(read.tail, ai.frame.tail);
  ai.frame.tail = Bytes(24, '\0');
  bytes = ToBytes(ai);
  // 24 bytes make a human, whose section then runs past the end.
  EXPECT_FALSE(ReadCharacter(bytes, std::nullopt, false).isAI());

  Character human;
  human.human->email = "";
  human.human->ipAddress = "";
  bytes = ToBytes(human);
  read = ReadCharacter(bytes, std::nullopt);
  EXPECT_FALSE(read.isAI());
  EXPECT_EQ(read.human.homeworldColumn, human.human->homeworldColumn);
  EXPECT_EQ(read.tail, "");

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
    bytes = ToBytes(c);
    read = ReadCharacter(bytes, n.captain);
    EXPECT_EQ(read.isAI(), n.isAI) << n.name;
    // Both kinds come back byte for byte.
    EXPECT_EQ(Written(read), bytes) << n.name;
  }

  // An AI player's writer writes no human-player section, whatever the
  // in-memory fields of that section hold.
  Character quiet;
  quiet.human.reset();
  bytes = ToBytes(quiet);
  read = ReadCharacter(bytes, std::string("Someone else"));
  ASSERT_TRUE(read.isAI());
  read.human.email = "x@y";
  read.human.homeworldRow = 9;
  EXPECT_EQ(Written(read), bytes);
}

// A ship read back; its texts point into `bytes`, which it is handed with.
struct ReadBack {
  Bytes bytes;
  tShip ship;
};

ReadBack ReadShip(const Ship& ship) {
  ReadBack read{ToBytes(ship), {}};
  MiscObject object = ReadOneObject(read.bytes);
  EXPECT_EQ(KindOf(object), ObjectKind::Ship);
  read.ship = std::get<tShip>(object);
  return read;
}

TEST(DerivedValues, WeaponSumsAreEightBit) {
  Ship s;
  s.ClearWeapons();
  s.SetHardpoint(0, 200, 255);
  s.SetHardpoint(24, 100, 2);
  const ReadBack read = ReadShip(s);
  const SystemPair totals = WeaponTotals(read.ship);
  EXPECT_EQ(totals.intact, 44);
  EXPECT_EQ(totals.working, 1);
}

TEST(DerivedValues, DroneHardpointList) {
  struct Expect {
    uint8_t storage, racks, rackSize;
  };
  const auto check = [](const ReadBack& read, std::vector<Expect> expected) {
    const DroneHardpoints found = FindDroneHardpoints(read.ship);
    ASSERT_EQ(found.count, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(found.entries[i].storage, expected[i].storage) << i;
      EXPECT_EQ(found.entries[i].racks, expected[i].racks) << i;
      EXPECT_EQ(found.entries[i].rackSize, expected[i].rackSize) << i;
    }
  };
  Ship s;
  s.ClearWeapons();
  s.SetSchematic(2, 16, 2, 4);
  s.SetSchematic(5, 36, 3, 6);
  check(ReadShip(s), {});  // rack total 0

  s.block[shipblock::kDroneRackTotal] = 5;
  check(ReadShip(s), {{16, 2, 4}, {36, 3, 6}});

  // The scan stops once the racks found reach the total.
  s.SetSchematic(7, 8, 1, 4);
  s.block[shipblock::kDroneRackTotal] = 2;
  check(ReadShip(s), {{16, 2, 4}});

  // Rack counts are signed bytes: 0x90 is no racks; a total of 0x80 is below
  // zero and finds nothing.
  s.SetSchematic(2, 16, 0x90, 4);
  s.block[shipblock::kDroneRackTotal] = 3;
  check(ReadShip(s), {{36, 3, 6}});
  s.block[shipblock::kDroneRackTotal] = 0x80;
  check(ReadShip(s), {});

  // Only the first 24 schematic entries are looked at.
  s.ClearWeapons();
  s.SetSchematic(24, 8, 1, 4);
  s.block[shipblock::kDroneRackTotal] = 1;
  check(ReadShip(s), {});

  // Never more than eight entries, however many racks are still missing.
  for (int i = 0; i < 24; ++i) s.SetSchematic(i, static_cast<uint8_t>(i), 1, 4);
  s.block[shipblock::kDroneRackTotal] = 100;
  const DroneHardpoints full = FindDroneHardpoints(ReadShip(s).ship);
  ASSERT_EQ(full.count, 8u);
  EXPECT_EQ(full.entries[7].storage, 7);
}

}  // namespace
}  // namespace campdb::testdb
