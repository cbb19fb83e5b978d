// Writes the sample databases and the sample shiplist into the folder given
// as the only argument (default: the current folder):
//
//   sample-base.db      a multiplayer campaign in the base layout
//   sample-ostrel.db    a single-player campaign in the Ostrel layout
//   sample-damaged.db   the base sample damaged, for campdb --check
//   sample-shiplist.txt a shiplist with the ship types the samples use
//
// The databases are composed field by field with the test database builder.

#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "support/db_builder.h"

namespace {

using namespace campdb::testdb;

// Hull class codes used below.
enum Hull {
  kFrigate = 3, kDestroyer = 4, kWarDestroyer = 5, kLightCruiser = 6, kHeavyCruiser = 7,
  kNewHeavyCruiser = 8, kBattlecruiser = 9, kCarrier = 10, kDreadnought = 11, kBattleship = 12,
  kStarbase = 16, kPlanet = 18
};

// One ship type: what the samples' ships and the shiplist agree on.
struct ShipType {
  const char* name;
  const char* hullWord;
  int hull;
  int bpv;
  int marines;
  int drones;      // drone racks on hardpoint 3 (0: none)
  int fighters;    // fighters in bay 0 (0: none)
  int structure;   // hull and armour strength
};

const std::array<ShipType, 11> kTypes{{
    {"FF-Skiff", "FRIGATE", kFrigate, 62, 2, 0, 0, 4},
    {"DD-Lance", "DESTROYER", kDestroyer, 88, 4, 2, 0, 6},
    {"DW-Pike", "WAR_DESTROYER", kWarDestroyer, 96, 4, 0, 0, 7},
    {"CL-Talon", "LIGHT_CRUISER", kLightCruiser, 110, 6, 2, 0, 9},
    {"CR-Vanguard", "HEAVY_CRUISER", kHeavyCruiser, 125, 8, 4, 0, 12},
    {"CN-Warden", "NEW_HEAVY_CRUISER", kNewHeavyCruiser, 134, 8, 0, 0, 13},
    {"BC-Hammer", "HEAVY BATTLECRUISER", kBattlecruiser, 150, 10, 2, 0, 15},
    {"CV-Harbor", "CARRIER", kCarrier, 140, 6, 0, 12, 11},
    {"DN-Monolith", "DREADNOUGHT", kDreadnought, 190, 12, 4, 0, 20},
    {"SB-Bastion", "STARBASE", kStarbase, 400, 24, 6, 6, 40},
    {"PL-Outpost", "PLANET", kPlanet, 300, 30, 2, 0, 50},
}};

const ShipType& Type(const std::string& name) {
  for (const ShipType& t : kTypes)
    if (name == t.name) return t;
  return kTypes[0];
}

// A ship of the given type, its systems set from the type the way the
// shiplist describes it.
Ship MakeShip(int32_t id, int32_t captain, int32_t race, const std::string& typeName,
              const std::string& name, int damage) {
  const ShipType& t = Type(typeName);
  Ship s;
  s.objectId = id;
  s.captainId = captain;
  s.race = race;
  s.hullClass = t.hull;
  s.bpv = s.bpv2 = t.bpv;
  s.shipType = typeName;
  s.shipName = name;
  // Sixteen system pairs: intact, then working (a little damage on some).
  for (size_t i = 0; i < 16; ++i) {
    const int intact = (i == 10 || i == 11 || i == 12) ? t.structure : 2 + static_cast<int>(i % 4);
    s.block[shipblock::kSystemPairs + 2 * i] = static_cast<uint8_t>(intact);
    s.block[shipblock::kSystemPairs + 2 * i + 1] =
        static_cast<uint8_t>(intact > damage && i % 3 == 0 ? intact - damage : intact);
  }
  s.block[shipblock::kTransCopy] = s.block[shipblock::kTransPair];
  s.block[shipblock::kTransCopy + 1] = s.block[shipblock::kTransPair + 1];
  s.ClearWeapons();
  s.SetHardpoint(0, 2, 2);
  s.SetHardpoint(1, 2, static_cast<uint8_t>(damage > 0 ? 1 : 2));
  s.SetHardpoint(2, 1, 1);
  if (t.drones > 0) {
    s.SetHardpoint(3, static_cast<uint8_t>(t.drones), static_cast<uint8_t>(t.drones));
    s.SetSchematic(3, static_cast<uint8_t>(8 * t.drones), static_cast<uint8_t>(t.drones), 4);
    s.block[shipblock::kDroneType] = 1;
    s.block[shipblock::kDroneSpeed] = 1;
    s.block[shipblock::kDroneRackTotal] = static_cast<uint8_t>(t.drones);
    s.block[shipblock::kDroneStorageIntact] = static_cast<uint8_t>(8 * t.drones);
    s.block[shipblock::kDroneStorageWorking] = static_cast<uint8_t>(8 * t.drones - damage);
  }
  s.block[shipblock::kShuttles] = 2;
  s.block[shipblock::kShuttles + 1] = 2;
  s.supplies = {static_cast<uint8_t>(t.marines), static_cast<uint8_t>(t.marines), 0, 2, 2, 0, 4, 4, 0};
  s.bays = {};
  if (t.fighters > 0) {
    s.bays[0] = Ship::Bay{static_cast<uint8_t>(t.fighters), static_cast<uint8_t>(t.fighters),
                          static_cast<uint8_t>(t.fighters), 0, "Gnat-II", "Gnat-II"};
    s.bays[1] = Ship::Bay{4, 6, 6, 0, "Dart-I", "Dart-I"};
  }
  return s;
}

Character::ShipEntry EntryFor(const Ship& s) {
  Character::ShipEntry e;
  e.shipId = s.objectId;
  e.bpv = s.bpv;
  e.hullClass = s.hullClass;
  e.shipType = s.shipType;
  e.shipName = s.shipName;
  return e;
}

Character MakeCharacter(int32_t id, const std::string& name, int32_t race, int32_t rank,
                        const std::vector<const Ship*>& ships, int bidEntries) {
  Character c;
  c.objectId = id;
  c.characterName = name;
  c.race = c.race2 = race;
  c.rank = rank;
  c.glicko = 1400 + 37 * rank;
  c.prestige = 150 * (rank + 1);
  c.lifetimePrestige = 420 * (rank + 1);
  c.missionsFlown = 9 * (rank + 1);
  c.hexColumn = id % 4;
  c.hexRow = id % 3;
  for (const Ship* s : ships) c.ships.push_back(EntryFor(*s));
  for (int i = 0; i < bidEntries; ++i) c.bids.push_back(Character::BidEntry{Pattern<5>(0xC1), 7 + i});
  c.human.reset();
  return c;
}

Character::Human Player(const std::string& email, const std::string& ip, int column, int row) {
  Character::Human h;
  h.email = email;
  h.ipAddress = ip;
  h.homeworldColumn = column;
  h.homeworldRow = row;
  return h;
}

Bid MakeBid(int32_t id, const Ship& vessel, int32_t bidder, int32_t amount, int32_t turn) {
  Bid b;
  b.objectId = id;
  b.shipName = vessel.shipName;
  b.shipId = vessel.objectId;
  b.bpv = vessel.bpv;
  b.bidderId = bidder;
  b.amount = amount;
  b.bidTurn = turn;
  b.closingTurn = turn + 3;
  return b;
}

News MakeNews(int32_t id, const std::string& text) {
  News n;
  n.objectId = id;
  n.storyText = text;
  return n;
}

// Multiplayer campaign, base layout: two human players, an AI player holding
// a starbase, an AI raider with nothing but warships, shipyard vessels with
// bids on them, and news.
//
// Damaged, the same campaign as a server might leave it after a bad day: a
// ship entry that missed a refit, a ship whose captain's account is gone, an
// object of a class the tool does not know, stored out of id order, and the
// file cut short inside the last news story.
Bytes BaseSample(bool damaged = false) {
  Database db;
  db.header.saveVersion = {'S', 'V', '0', '7'};
  db.header.lastObjectId = 1310;
  Campaign& c = db.campaign;
  c.campaignName = c.campaignNameCopy = "Rimward Expanse";
  c.description = "Eight empires contest the rimward sectors. Hold the line, claim the lanes.";
  c.earlyEraMap = "rimward_early.map";
  c.middleEraMap = "rimward_middle.map";
  c.lateEraMap = "rimward_late.map";
  c.missions = {"Patrol_01.scr", "Convoy_02.scr", "Blockade_03.scr", "Survey_04.scr", "Raid_05.scr"};
  c.races = {0, 1, 2, 3, 4, 5, 6, 7};
  c.startEra = 0;
  c.difficulty = 1;
  c.specialTriggerPrestige = 5000;
  c.specialFirstMission = "Special_Rift_01.scr";
  c.captainName = "";
  c.currentTurn = 250;
  c.turnsPerYear = 12;
  c.baseYear = 163;
  c.midEraStart = 20;
  c.lateEraStart = 40;
  c.accountsCreated = 2;
  c.maxAccounts = 64;
  c.currentlyOnline = 1;
  c.maxOnline = 32;
  c.version = c.versionCopy = "2.5.1";

  db.SetGrid(4, 3);
  db.political.Fill(16);

  const Ship vanguard = MakeShip(1101, 1001, 0, "CR-Vanguard", "Resolute", 1);
  const Ship harbor = MakeShip(1102, 1001, 0, "CV-Harbor", "Meridian", 0);
  const Ship lance = MakeShip(1103, 1002, 1, "DD-Lance", "Grasping Claw", 2);
  const Ship bastion = MakeShip(1104, 1003, 2, "SB-Bastion", "Bastion Prime", 0);
  const Ship talon = MakeShip(1105, 1003, 2, "CL-Talon", "Silent Wing", 0);
  const Ship pike = MakeShip(1106, 1004, 8, "DW-Pike", "Cutpurse", 3);
  const Ship yard1 = MakeShip(1107, 0, 0, "BC-Hammer", "Unnamed Hull 7", 0);
  const Ship yard2 = MakeShip(1108, 0, 1, "FF-Skiff", "Unnamed Hull 8", 0);

  Character aria = MakeCharacter(1001, "Aria Voss", 0, 4, {&vanguard, &harbor}, 1);
  aria.human = Player("aria.voss@example.org", "198.51.100.23", 1, 0);
  Character brannoc = MakeCharacter(1002, "Brannoc", 1, 2, {&lance}, 1);
  brannoc.human = Player("brannoc@example.net", "203.0.113.77", 3, 2);
  const Character warden = MakeCharacter(1003, "Warden of Tessaly", 2, 6, {&bastion, &talon}, 0);
  const Character raider = MakeCharacter(1004, "Drift Raider", 8, 1, {&pike}, 0);

  if (damaged) aria.ships[1].bpv = 130;

  db.Add(aria);
  db.Add(brannoc);
  db.Add(warden);
  db.Add(raider);
  for (const Ship* s : {&vanguard, &harbor, &lance, &bastion, &talon, &pike, &yard1, &yard2}) db.Add(*s);
  if (damaged) db.Add(MakeShip(1109, 1005, 3, "FF-Skiff", "Orphan", 1));
  db.Add(MakeBid(1201, yard1, 1001, 480, 248));
  db.Add(MakeBid(1202, yard2, 1002, 150, 249));
  db.Add(MakeNews(1301, "Aria Voss drove the raiders out of the Kell Reach."));
  if (damaged) {
    RawObject log;
    log.frame.tag = ".?AVtMissionLog@@";
    Record head(".?AVtMissionLog@@");
    head.objectId = 1250;
    head.PutLead(log.body);
    log.body += "mission 17: convoy reached Harrow";
    db.Add(log);
  }
  db.Add(MakeNews(1302, "The Warden of Tessaly fortifies Bastion Prime."));
  Bytes bytes = ToBytes(db, Layout::Base);
  if (damaged) bytes.resize(bytes.size() - 20);
  return bytes;
}

// Single-player campaign, Ostrel layout, in its fourth era: the captain is
// the only human; one AI player holds a planet, another carries extra bytes
// after its known fields (which in a multiplayer campaign would be read as a
// human-player section).
Bytes OstrelSample() {
  Database db;
  db.header.saveVersion = {'S', 'V', '0', '8'};
  db.header.lastObjectId = 2310;
  Campaign& c = db.campaign;
  c.objectId = 12;
  c.campaignName = c.campaignNameCopy = "Cartel Wars";
  c.description = "The cartels have grown bold. Keep the trade lanes open.";
  c.earlyEraMap = "cartel_early.map";
  c.middleEraMap = "cartel_middle.map";
  c.lateEraMap = "cartel_late.map";
  c.missions = {"Escort_01.scr", "Smuggler_02.scr", "Ambush_03.scr"};
  c.races = {0, 3, 5, 8, 9, 10};
  c.startEra = 1;
  c.difficulty = 2;
  c.specialTriggerPrestige = 3000;
  c.captainName = "Kestrel Marr";
  c.captainRace = 3;
  c.captainPrestige = 1250;
  c.currentTurn = 400;
  c.turnsPerYear = 10;
  c.baseYear = 170;
  c.midEraStart = 10;
  c.lateEraStart = 25;
  c.era3Start = 35;
  c.accountsCreated = 1;
  c.maxAccounts = 1;
  c.currentlyOnline = 0;
  c.maxOnline = 1;
  c.version = c.versionCopy = "3.0.2";

  db.SetGrid(5, 3);
  db.political.Fill(24);

  const Ship warden = MakeShip(2101, 2001, 3, "CN-Warden", "Long Patience", 1);
  const Ship held = MakeShip(2102, 2002, 9, "PL-Outpost", "Korr", 0);
  const Ship hammer = MakeShip(2103, 2002, 9, "BC-Hammer", "Iron Tithe", 2);
  const Ship monolith = MakeShip(2104, 2003, 10, "DN-Monolith", "Prime Mover", 0);
  const Ship yard = MakeShip(2105, 0, 3, "DD-Lance", "Unnamed Hull 5", 0);

  Character marr = MakeCharacter(2001, "Kestrel Marr", 3, 5, {&warden}, 1);
  marr.human = Player("kestrel@example.com", "127.0.0.1", 2, 1);
  const Character orvath = MakeCharacter(2002, "Orvath Kel", 9, 4, {&held, &hammer}, 0);
  Character sable = MakeCharacter(2003, "Sable Drift", 10, 3, {&monolith}, 0);
  PutI32(sable.frame.tail, 1);
  PutI32(sable.frame.tail, 2);
  sable.frame.tail += "the cartel remembers.....";

  db.Add(marr);
  db.Add(orvath);
  db.Add(sable);
  for (const Ship* s : {&warden, &held, &hammer, &monolith, &yard}) db.Add(*s);
  db.Add(MakeBid(2201, yard, 2001, 95, 398));
  db.Add(MakeNews(2301, "Kestrel Marr breaks the blockade at Harrow."));
  db.Add(MakeNews(2302, "Orvath Kel claims Korr for the Korgath cartel."));
  db.Add(MakeNews(2303, "Shipyards report record orders."));
  return ToBytes(db, Layout::Ostrel);
}

// The shiplist: two header lines, then one TAB-separated line of 148
// columns per ship type. Column 3 is the type name, 4 the hull class word,
// 5 the battle point value; hardpoints, bays and systems follow at the
// columns the import reads.
std::string Shiplist() {
  constexpr int kColumns = 148;
  std::string out = "Sample shiplist\tgenerated for tests\n";
  for (int col = 1; col <= kColumns; ++col) {
    if (col == 3) {
      out += "Type";
    } else if (col == 4) {
      out += "Class";
    } else if (col == 5) {
      out += "BPV";
    } else {
      out += 'C';
      out += std::to_string(col);
    }
    out += col == kColumns ? "\n" : "\t";
  }
  for (const ShipType& t : kTypes) {
    std::vector<std::string> cols(kColumns + 1, "0");
    cols[1] = "R" + std::to_string(t.hull);
    cols[2] = "1";
    cols[3] = t.name;
    cols[4] = t.hullWord;
    cols[5] = std::to_string(t.bpv);
    cols[17] = std::to_string(t.marines);
    cols[26] = t.hull >= kCarrier ? "0" : "3";
    for (int i = 0; i < 25; ++i) {
      int count = 0;
      std::string type = "-";
      if (i == 0 || i == 1) count = 2, type = "Lsr-1";
      if (i == 2) count = 1, type = "Ion-2";
      if (i == 3 && t.drones > 0) count = t.drones, type = t.hull == kStarbase ? "DroB" : "DroA";
      cols[27 + 3 * i] = std::to_string(count);
      cols[28 + 3 * i] = type;
      cols[29 + 3 * i] = count > 0 ? "FA" : "-";
    }
    cols[102] = "1";
    cols[104] = "2";
    cols[113] = "2";
    for (int b = 0; b < 4; ++b) {
      const int count = b == 0 ? t.fighters : (b == 1 && t.fighters > 0 ? 6 : 0);
      cols[114 + 2 * b] = std::to_string(count);
      cols[115 + 2 * b] = count > 0 ? (b == 0 ? "Gnat-II" : "Dart-I") : "-";
    }
    for (int col = 122; col <= 146; ++col) cols[col] = std::to_string(col == 122 || col == 123 ? t.structure : 2 + col % 4);
    cols[147] = "end";
    cols[148] = "x";
    for (int col = 1; col <= kColumns; ++col) {
      out += cols[col];
      out += col == kColumns ? "\n" : "\t";
    }
  }
  return out;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::cerr << "cannot write " << path << '\n';
    return false;
  }
  std::cout << path << ": " << bytes.size() << " bytes\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : ".";
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const bool ok = WriteFile(folder + "sample-base.db", BaseSample()) &&
                  WriteFile(folder + "sample-ostrel.db", OstrelSample()) &&
                  WriteFile(folder + "sample-damaged.db", BaseSample(true)) &&
                  WriteFile(folder + "sample-shiplist.txt", Shiplist());
  return ok ? 0 : 1;
}
