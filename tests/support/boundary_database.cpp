#include "support/boundary_database.h"

#include <algorithm>
#include <array>

namespace campdb::testdb {

namespace {

class Dice {
 public:
  explicit Dice(uint64_t seed) : state_(seed * 0x2545F4914F6CDD1DULL + 7) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int32_t Below(int32_t n) { return static_cast<int32_t>(Next() % static_cast<uint64_t>(n)); }
  int32_t Between(int32_t low, int32_t high) { return low + Below(high - low + 1); }
  bool Percent(int32_t p) { return Below(100) < p; }
  int32_t Any() { return static_cast<int32_t>(Next()); }
  Bytes Noise(int32_t count) {
    Bytes out;
    for (int32_t i = 0; i < count; ++i) PutByte(out, Below(256));
    return out;
  }
  std::string Word(int32_t length) {
    std::string out;
    for (int32_t i = 0; i < length; ++i) out.push_back(static_cast<char>('a' + Below(26)));
    return out;
  }

 private:
  uint64_t state_;
};

// How a file fills the words whose meaning nobody knows.
enum class Filler { Zero, Small, Any };

int32_t Fill(Dice& dice, Filler filler) {
  switch (filler) {
    case Filler::Zero: return 0;
    case Filler::Small: return dice.Below(100);
    case Filler::Any: return dice.Any();
  }
  return 0;
}

int32_t Bit(Dice& dice, int32_t bits) { return 1 << dice.Below(bits); }

void FillCampaign(Dice& dice, Campaign& c, Layout layout) {
  const std::array<const char*, 5> names = {"Frontier", "Rift War", "Long Night", "Outer Marches", "Q"};
  c.campaignName = c.campaignNameCopy = names[static_cast<size_t>(dice.Below(5))];
  if (dice.Percent(10)) c.campaignNameCopy = "";
  c.description = dice.Percent(20) ? "" : "Campaign " + dice.Word(dice.Between(1, 30));
  c.missions.clear();
  for (int32_t i = dice.Below(4); i > 0; --i) c.missions.push_back("M_" + dice.Word(4) + ".scr");
  c.races.clear();
  for (int32_t i = dice.Below(6); i > 0; --i) c.races.push_back(dice.Below(layout == Layout::Ostrel ? 24 : 16));
  c.startEra = dice.Below(3);
  c.difficulty = dice.Below(3);
  c.captainName = dice.Percent(20) ? "Vance" : "";
  c.currentTurn = dice.Below(3000);
  c.turnsPerYear = dice.Percent(5) ? 0 : dice.Between(1, 24);
  c.baseYear = dice.Between(100, 300);
  c.earlyEraStart = dice.Percent(80) ? 0 : dice.Below(5);
  c.midEraStart = c.earlyEraStart + dice.Between(1, 30);
  c.lateEraStart = c.midEraStart + dice.Between(1, 30);
  c.era3Start = c.lateEraStart + dice.Between(1, 30);
  c.accountsCreated = dice.Below(3000);
  c.maxAccounts = c.accountsCreated + dice.Below(5000);
  c.maxOnline = dice.Between(1, std::max(1, std::min(800, c.maxAccounts)));
  c.currentlyOnline = dice.Below(c.maxOnline + 1);
  // Now and then a value no healthy campaign holds.
  if (dice.Percent(15)) {
    int32_t* const words[] = {&c.accountsCreated, &c.maxAccounts, &c.currentlyOnline, &c.maxOnline, &c.era3Start};
    *words[dice.Below(5)] = dice.Below(5000);
  }
  const std::string version = std::to_string(dice.Below(4)) + "." + std::to_string(dice.Below(20)) + "." +
                              std::to_string(dice.Below(100));
  c.version = c.versionCopy = version;
}

void FillHex(Dice& dice, Hex& h, Layout layout, Filler ostrelWords, Filler trailing) {
  const int32_t kind = dice.Below(100);
  if (kind < 75) {
    h.ownerRace = dice.Below(8);
  } else if (kind < 87) {
    h.ownerRace = dice.Between(8, layout == Layout::Ostrel ? 23 : 15);
  } else if (kind < 96) {
    h.ownerRace = -1;
  } else {
    h.ownerRace = 32;
  }
  h.terrain = h.ownerRace == 32 ? -1 : Bit(dice, 27);
  h.planet = dice.Percent(30) ? Bit(dice, 12) : 0;
  h.base = dice.Percent(20) ? Bit(dice, 5) : 0;
  h.econMax = dice.Below(41);
  h.econCurrent = dice.Below(h.econMax + 1);
  h.dvMax = dice.Below(61);
  h.dvCurrent = dice.Below(h.dvMax + 1);
  const int32_t cartel = dice.Below(100);
  h.cartelRace = cartel < 60 ? (h.ownerRace >= 0 && h.ownerRace < 8 ? h.ownerRace + 8 : 23)
                 : cartel < 85 ? h.ownerRace
                               : dice.Below(24);
  h.cartelDvMax = dice.Below(31);
  h.cartelDvCurrent = dice.Below(h.cartelDvMax + 1);
  for (int32_t& w : h.ostrelWords) w = Fill(dice, ostrelWords);
  for (int32_t& w : h.trailingWords) w = Fill(dice, trailing);
  for (uint8_t& b : h.hexRun) b = static_cast<uint8_t>(dice.Below(256));
}

// Bytes for a hex tail: noise, zeros, or small words that could pass for
// fields.
Bytes TailBytes(Dice& dice, int32_t count, Filler filler) {
  Bytes out;
  while (static_cast<int32_t>(out.size()) + 4 <= count) PutI32(out, Fill(dice, filler));
  out += dice.Noise(count - static_cast<int32_t>(out.size()));
  return out;
}

}  // namespace

BoundaryFile BoundaryDatabase(uint64_t seed) {
  Dice dice(seed);
  BoundaryFile file;
  file.madeIn = dice.Percent(50) ? Layout::Base : Layout::Ostrel;
  const Layout layout = file.madeIn;
  const bool ostrel = layout == Layout::Ostrel;

  Database db;
  FillCampaign(dice, db.campaign, layout);
  Campaign& c = db.campaign;
  if (!ostrel) {
    // Empty versions; the tail's first word counts bytes the Ostrel reading
    // takes as the version's copy, often all that is left.
    c.version = c.versionCopy = "";
    const int32_t counted = dice.Below(12);
    PutI32(c.frame.tail, counted);
    c.frame.tail += dice.Percent(30) ? dice.Word(counted) : dice.Noise(counted);
    if (dice.Percent(40)) c.frame.tail += dice.Noise(dice.Between(1, 8));
  } else if (dice.Percent(60)) {
    c.maxOnline = 0;
    if (dice.Percent(70)) c.currentlyOnline = 0;
    if (dice.Percent(30)) c.version = c.versionCopy = "";
    if (dice.Percent(50)) c.frame.tail = dice.Noise(dice.Between(1, 8));
  } else {
    // maxOnline covers both version texts and `skipped` tail bytes; then a
    // length word and the bytes it counts end the base reading exactly.
    const int32_t skipped = dice.Below(4);
    const int32_t counted = dice.Below(7);
    c.maxOnline = 8 + static_cast<int32_t>(c.version.bytes.size() + c.versionCopy.bytes.size()) + skipped;
    c.currentlyOnline = dice.Below(c.maxOnline + 1);
    c.frame.tail = dice.Noise(skipped);
    PutI32(c.frame.tail, counted);
    c.frame.tail += dice.Noise(counted);
  }

  if (dice.Percent(70)) {
    db.SetGrid(dice.Between(1, 6), dice.Between(1, 5));
    const Filler fillers[] = {Filler::Zero, Filler::Small, Filler::Any};
    const Filler ostrelWords = fillers[dice.Below(3)];
    const Filler trailing = fillers[dice.Below(3)];
    const Filler tails = fillers[dice.Below(3)];
    const bool hexTails = ostrel && dice.Percent(30);
    const int32_t baseExtra = dice.Percent(50) ? 0 : 4 * dice.Below(4);
    for (Hex& h : db.hexes) {
      FillHex(dice, h, layout, ostrelWords, trailing);
      if (!ostrel) h.frame.tail = TailBytes(dice, 48 + baseExtra, tails);
      if (hexTails) h.frame.tail = dice.Noise(dice.Between(1, 12));
    }
  }
  db.political.Fill(dice.Below(ostrel ? 25 : 17));
  for (int32_t i = dice.Below(4); i > 0; --i) {
    News n;
    n.objectId = 100 + i;
    db.Add(n);
  }
  file.bytes = ToBytes(db, layout);
  return file;
}

}  // namespace campdb::testdb
