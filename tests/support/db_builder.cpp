#include "support/db_builder.h"

namespace campdb::testdb {

void PutByte(Bytes& out, int64_t value) { out.push_back(static_cast<char>(value & 0xFF)); }

void PutI16(Bytes& out, int64_t value) {
  PutByte(out, value);
  PutByte(out, value >> 8);
}

void PutI32(Bytes& out, int64_t value) {
  for (int shift = 0; shift < 32; shift += 8) PutByte(out, value >> shift);
}

void PutStr(Bytes& out, const Str& text) {
  PutI32(out, text.lengthWord ? *text.lengthWord : static_cast<int64_t>(text.bytes.size()));
  out += text.bytes;
}

Bytes Framed(const Frame& frame, const Bytes& body) {
  Bytes content;
  PutStr(content, frame.tag);
  content += body;
  content += frame.tail;
  const int64_t size = frame.size ? *frame.size : static_cast<int64_t>(content.size());
  Bytes out;
  PutI32(out, size);
  PutI32(out, frame.size2 ? *frame.size2 : size);
  return out + content;
}

void Record::PutLead(Bytes& body) const {
  PutI32(body, leadWord);
  PutRun(body, leadRun);
  PutI32(body, objectId);
}

namespace {

// Writes a list's count word (the override, if any) and its entries.
template <typename T, typename PutEntry>
void PutList(Bytes& out, const std::vector<T>& list, const std::optional<int32_t>& countWord,
             PutEntry put) {
  PutI32(out, countWord ? *countWord : static_cast<int64_t>(list.size()));
  for (const T& entry : list) put(entry);
}

void PutWords(Bytes& out, std::initializer_list<int32_t> words) {
  for (int32_t w : words) PutI32(out, w);
}

}  // namespace

Bytes ToBytes(const Header& header) {
  Bytes out;
  PutRun(out, header.saveVersion);
  PutI32(out, header.objectCount.value_or(3));
  PutI32(out, header.lastObjectId);
  return out;
}

Bytes ToBytes(const Campaign& c, Layout layout) {
  Bytes b;
  c.PutLead(b);
  PutI32(b, c.idTrailWord);
  for (const Str* s : {&c.campaignName, &c.description, &c.earlyEraMap, &c.middleEraMap, &c.lateEraMap})
    PutStr(b, *s);
  PutList(b, c.missions, c.missionCountWord, [&](const Str& m) { PutStr(b, m); });
  PutList(b, c.races, c.raceCountWord, [&](int32_t r) { PutI32(b, r); });
  PutWords(b, {c.startEra, c.difficulty, c.specialTriggerPrestige});
  for (const Str* s : {&c.specialFirstMission, &c.campaignNameCopy, &c.captainName}) PutStr(b, *s);
  PutWords(b, {c.captainRace, c.captainPrestige});
  PutByte(b, c.flagByte);
  PutWords(b, {c.preTurnWord, c.currentTurn, c.unknownCampaignVariable, c.turnsPerYear, c.turnLengthMs,
               c.baseYear, c.earlyEraStart, c.midEraStart, c.lateEraStart});
  if (layout == Layout::Ostrel) PutI32(b, c.era3Start);
  PutWords(b, {c.accountsCreated, c.maxAccounts, c.currentlyOnline, c.maxOnline});
  PutStr(b, c.version);
  PutStr(b, c.versionCopy);
  return Framed(c.frame, b);
}

Bytes ToBytes(const MapRecord& m) {
  Bytes b;
  m.PutLead(b);
  PutWords(b, {m.unknown1, m.columns, m.rows});
  return Framed(m.frame, b);
}

Bytes ToBytes(const Hex& h, Layout layout) {
  const bool ostrel = layout == Layout::Ostrel;
  const auto& w = h.ostrelWords;
  Bytes b;
  h.PutLead(b);
  PutRun(b, h.hexRun);
  PutWords(b, {h.hexX, h.hexY});
  if (ostrel) PutWords(b, {w[0], w[1]});
  PutI32(b, h.ownerRace);
  if (ostrel) PutWords(b, {w[2], h.cartelRace});
  PutWords(b, {h.terrain, h.planet, h.base, h.econMax, h.econCurrent});
  if (ostrel) PutWords(b, {w[3], w[4]});
  PutI32(b, h.dvMax);
  if (ostrel) PutWords(b, {w[5], h.cartelDvMax, w[6], w[7]});
  PutI32(b, h.dvCurrent);
  if (ostrel) PutWords(b, {w[8], h.cartelDvCurrent});
  for (int32_t t : h.trailingWords) PutI32(b, t);
  return Framed(h.frame, b);
}

void Political::Fill(int32_t n) {
  matrixSize = n;
  cells.assign(static_cast<size_t>(n) * static_cast<size_t>(n), Cell{});
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < n; ++j) {
      const int t = i == j ? 0 : (i * 137 + j * 61) % 1001;
      cells[static_cast<size_t>(i * n + j)] = Cell{static_cast<uint16_t>(t), static_cast<uint8_t>(t / 10)};
    }
  }
}

Bytes ToBytes(const Political& p) {
  Bytes b;
  p.PutLead(b);
  PutWords(b, {p.idTrailWord, p.matrixSize});
  for (const Political::Cell& cell : p.cells) {
    PutI16(b, cell.tension);
    PutByte(b, cell.tenth);
  }
  return Framed(p.frame, b);
}

Bytes ToBytes(const Character& c) {
  Bytes b;
  c.PutLead(b);
  PutWords(b, {c.unknown1, c.word5});
  PutList(b, c.bids, c.bidCountWord, [&](const Character::BidEntry& e) {
    PutRun(b, e.run);
    PutI32(b, e.word);
  });
  PutList(b, c.ships, c.shipCountWord, [&](const Character::ShipEntry& e) {
    PutRun(b, e.run);
    PutWords(b, {e.shipId, e.bpv, e.hullClass});
    PutStr(b, e.shipType);
    PutI32(b, e.typeTrailWord);
    PutStr(b, e.shipName);
    PutI32(b, e.nameTrailWord);
  });
  PutStr(b, c.characterName);
  PutWords(b, {c.glicko, c.prestige, c.lifetimePrestige, c.missionsFlown, c.word15});
  PutRun(b, c.run16);
  PutWords(b, {c.hexColumn, c.hexRow, c.unknown6});
  PutRun(b, c.run20);
  PutWords(b, {c.unknown8, c.race, c.rank, c.race2, c.unknown11});
  if (c.human) {
    const Character::Human& h = *c.human;
    PutStr(b, h.email);
    PutI32(b, h.emailTrailWord);
    PutStr(b, h.ipAddress);
    PutI32(b, h.ipTrailWord);
    PutRun(b, h.run);
    PutWords(b, {h.homeworldColumn, h.homeworldRow});
  }
  return Framed(c.frame, b);
}

Ship::Ship() : Record(".?AVtShip@@") {
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
  // The copy of the trans pair differs from the pair itself: an untouched
  // ship keeps both as they are.
  block[shipblock::kTransPair] = 6;
  block[shipblock::kTransPair + 1] = 5;
  block[shipblock::kTransCopy] = 9;
  block[shipblock::kTransCopy + 1] = 9;
  ClearWeapons();
  SetHardpoint(0, 2, 2);
  SetHardpoint(1, 1, 0);
  SetHardpoint(4, 4, 3);
  SetSchematic(4, 16, 4, 4);
  block[shipblock::kDroneType] = 1;
  block[shipblock::kDroneSpeed] = 2;
  block[shipblock::kDroneRackTotal] = 4;
  block[shipblock::kDroneStorageIntact] = 16;
  block[shipblock::kDroneStorageWorking] = 12;
  bays[0] = Bay{6, 8, 6, 0x33, "Gnat-II", "Gnat-II"};
}

void Ship::ClearWeapons() {
  for (size_t i = shipblock::kHardpoints; i < shipblock::kShuttles; ++i) block[i] = 0;
}

void Ship::SetHardpoint(int i, uint8_t weapons, uint8_t working) {
  block[shipblock::kHardpoints + 2 * static_cast<size_t>(i)] = weapons;
  block[shipblock::kHardpoints + 2 * static_cast<size_t>(i) + 1] = working;
}

void Ship::SetSchematic(int i, uint8_t storage, uint8_t racks, uint8_t rackSize) {
  const size_t at = shipblock::kSchematic + 8 * static_cast<size_t>(i);
  block[at] = storage;
  block[at + 2] = racks;
  block[at + 4] = rackSize;
}

Bytes ToBytes(const Ship& s) {
  Bytes b;
  s.PutLead(b);
  PutI32(b, s.word4);
  PutRun(b, s.run5);
  PutI32(b, s.captainId);
  PutByte(b, s.byte7);
  PutWords(b, {s.race, s.hullClass, s.bpv, s.bpv2});
  PutStr(b, s.shipType);
  PutStr(b, s.shipName);
  PutRun(b, s.block);
  PutRun(b, s.supplies);
  for (const Ship::Bay& bay : s.bays) {
    for (uint8_t v : {bay.current, bay.maximum, bay.third, bay.spare}) PutByte(b, v);
    PutStr(b, bay.fighterType);
    PutStr(b, bay.fighterType2);
  }
  return Framed(s.frame, b);
}

Bytes ToBytes(const Bid& d) {
  Bytes b;
  d.PutLead(b);
  PutRun(b, d.run4);
  PutStr(b, d.shipName);
  PutRun(b, d.run6);
  PutWords(b, {d.shipId, d.bpv, d.words9to11[0], d.words9to11[1], d.words9to11[2], d.bidTurn,
               d.closingTurn, d.amount});
  PutRun(b, d.run15);
  PutWords(b, {d.bidderId, d.words17to18[0], d.words17to18[1]});
  return Framed(d.frame, b);
}

Bytes ToBytes(const News& n) {
  Bytes b;
  n.PutLead(b);
  PutI32(b, n.word4);
  PutRun(b, n.run5);
  PutStr(b, n.storyText);
  return Framed(n.frame, b);
}

Bytes ToBytes(const RawObject& object) { return Framed(object.frame, object.body); }

void Database::SetGrid(int32_t columns, int32_t rows) {
  map.columns = columns;
  map.rows = rows;
  hexes.clear();
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) {
      const int32_t n = r * columns + c;
      Hex h;
      h.objectId = 100 + n;
      h.hexX = c;
      h.hexY = r;
      h.ownerRace = n % 5;
      h.cartelRace = 8 + n % 5;
      h.terrain = 1 << (n % 27);
      h.planet = n % 4 == 0 ? 1 << (n % 12) : 0;
      h.base = n % 3 == 0 ? 1 << (n % 5) : 0;
      h.econMax = 5 + n;
      h.econCurrent = 3 + n;
      h.dvMax = 10 + 2 * n;
      h.dvCurrent = 8 + n;
      h.cartelDvMax = n;
      h.cartelDvCurrent = n / 2;
      for (size_t k = 0; k < h.ostrelWords.size(); ++k) h.ostrelWords[k] = 1000 * n + static_cast<int32_t>(k);
      hexes.push_back(h);
    }
  }
}

Bytes ToBytes(const Database& d, Layout layout) {
  Header header = d.header;
  if (!header.objectCount)
    header.objectCount = static_cast<int32_t>(3 + d.hexes.size() + d.objects.size());
  Bytes out = ToBytes(header);
  out += ToBytes(d.campaign, layout);
  out += ToBytes(d.map);
  for (const Hex& h : d.hexes) out += ToBytes(h, layout);
  out += ToBytes(d.political);
  for (const Bytes& object : d.objects) out += object;
  return out;
}

Database SmallHealthy() {
  Database db;
  db.SetGrid(2, 2);
  db.political.Fill(3);
  Ship ship;
  ship.objectId = 11;
  ship.captainId = 10;
  Character player;
  player.objectId = 10;
  player.ships.resize(1);
  player.ships[0].shipId = 11;
  player.ships[0].bpv = ship.bpv;
  db.Add(player);
  db.Add(ship);
  News news;
  news.objectId = 12;
  db.Add(news);
  return db;
}

}  // namespace campdb::testdb
