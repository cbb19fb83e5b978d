#include "support/boundary_database.h"

#include <algorithm>

namespace campdb::testdb {

namespace {

struct Dice {
  uint64_t state;
  int32_t Any() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<int32_t>(z ^ (z >> 31));
  }
  int32_t Below(int32_t n) { return static_cast<int32_t>(static_cast<uint32_t>(Any()) % static_cast<uint32_t>(n)); }
  int32_t Between(int32_t low, int32_t high) { return low + Below(high - low + 1); }
  bool Percent(int32_t p) { return Below(100) < p; }
  int32_t Bit(int32_t bits) { return 1 << Below(bits); }
  Bytes Noise(int32_t count) {
    Bytes out;
    while (count-- > 0) PutByte(out, Below(256));
    return out;
  }
  // Uninterpreted words: zero, small or anything, as `style` 0, 1 or 2 says.
  int32_t Filler(int32_t style) { return style == 0 ? 0 : style == 1 ? Below(100) : Any(); }
};

void FillCampaign(Dice& dice, Campaign& c, bool ostrel) {
  c.campaignName = c.campaignNameCopy = dice.Percent(10) ? "" : "Frontier " + std::to_string(dice.Below(99));
  c.missions.resize(static_cast<size_t>(dice.Below(4)), "M_01.scr");
  c.races.assign(static_cast<size_t>(dice.Below(6)), dice.Below(ostrel ? 24 : 16));
  c.captainName = dice.Percent(20) ? "Vance" : "";
  c.currentTurn = dice.Below(3000);
  c.turnsPerYear = dice.Below(25);
  c.midEraStart = c.earlyEraStart + dice.Between(1, 30);
  c.lateEraStart = c.midEraStart + dice.Between(1, 30);
  c.era3Start = c.lateEraStart + dice.Between(1, 30);
  c.accountsCreated = dice.Below(3000);
  c.maxAccounts = c.accountsCreated + dice.Below(5000);
  c.maxOnline = dice.Between(1, std::max(1, std::min(800, c.maxAccounts)));
  c.currentlyOnline = dice.Below(c.maxOnline + 1);
  if (dice.Percent(15)) {
    int32_t* const words[] = {&c.accountsCreated, &c.maxAccounts, &c.currentlyOnline, &c.maxOnline, &c.era3Start};
    *words[dice.Below(5)] = dice.Below(5000);
  }
  c.version = c.versionCopy = std::to_string(dice.Below(4)) + "." + std::to_string(dice.Below(100));
}

void FillHex(Dice& dice, Hex& h, bool ostrel, int32_t words, int32_t trailing) {
  const int32_t kind = dice.Below(100);
  h.ownerRace = kind < 75 ? dice.Below(8) : kind < 87 ? dice.Between(8, ostrel ? 23 : 15) : kind < 96 ? -1 : 32;
  h.terrain = h.ownerRace == 32 ? -1 : dice.Bit(27);
  h.planet = dice.Percent(30) ? dice.Bit(12) : 0;
  h.base = dice.Percent(20) ? dice.Bit(5) : 0;
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
  for (int32_t& w : h.ostrelWords) w = dice.Filler(words);
  for (int32_t& w : h.trailingWords) w = dice.Filler(trailing);
}

}  // namespace

BoundaryFile BoundaryDatabase(uint64_t seed) {
  Dice dice{seed * 0x2545F4914F6CDD1DULL};
  BoundaryFile file;
  const bool ostrel = dice.Percent(50);
  file.madeIn = ostrel ? Layout::Ostrel : Layout::Base;
  Database db;
  Campaign& c = db.campaign;
  FillCampaign(dice, c, ostrel);
  if (!ostrel) {
    c.version = c.versionCopy = "";
    const int32_t counted = dice.Below(12);
    PutI32(c.frame.tail, counted);
    c.frame.tail += dice.Percent(30) ? Bytes(static_cast<size_t>(counted), 'v') : dice.Noise(counted);
    if (dice.Percent(40)) c.frame.tail += dice.Noise(dice.Between(1, 8));
  } else if (dice.Percent(60)) {
    c.maxOnline = 0;
    if (dice.Percent(70)) c.currentlyOnline = 0;
    if (dice.Percent(30)) c.version = c.versionCopy = "";
    if (dice.Percent(50)) c.frame.tail = dice.Noise(dice.Between(1, 8));
  } else {
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
    const int32_t words = dice.Below(3), trailing = dice.Below(3), tails = dice.Below(3);
    const int32_t baseTail = 48 + (dice.Percent(50) ? 0 : 4 * dice.Below(4));
    const bool ostrelTails = ostrel && dice.Percent(30);
    for (Hex& h : db.hexes) {
      FillHex(dice, h, ostrel, words, trailing);
      for (int32_t i = 0; !ostrel && i < baseTail; i += 4) PutI32(h.frame.tail, dice.Filler(tails));
      if (ostrelTails) h.frame.tail = dice.Noise(dice.Between(1, 12));
    }
  }
  db.political.Fill(dice.Below(ostrel ? 25 : 17));
  for (int32_t i = dice.Below(4); i > 0; --i) db.Add(News{});
  file.bytes = ToBytes(db, file.madeIn);
  return file;
}

}  // namespace campdb::testdb
