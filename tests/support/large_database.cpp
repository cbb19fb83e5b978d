#include "support/large_database.h"

#include <array>
#include <string>
#include <vector>

namespace campdb::testdb {

namespace {

// A small, fast generator with a fixed algorithm, so that a seed gives the
// same database on every platform and with every standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1.
  int32_t Below(int32_t n) { return static_cast<int32_t>(Next() % static_cast<uint64_t>(n)); }
  bool Percent(int32_t p) { return Below(100) < p; }
  template <typename T, size_t N>
  const T& Pick(const std::array<T, N>& list) {
    return list[static_cast<size_t>(Below(static_cast<int32_t>(N)))];
  }

 private:
  uint64_t state_;
};

// Hull class codes used below.
enum Hull : int32_t {
  kFrigate = 3, kDestroyer = 4, kWarDestroyer = 5, kLightCruiser = 6, kHeavyCruiser = 7,
  kNewHeavyCruiser = 8, kBattlecruiser = 9, kCarrier = 10, kDreadnought = 11, kBattleship = 12,
  kListeningPost = 13, kBaseStation = 14, kBattleStation = 15, kStarbase = 16, kPlanet = 18
};

bool IsBaseOrPlanet(int32_t hull) { return (hull >= kListeningPost && hull <= kStarbase) || hull == kPlanet; }

struct ShipType {
  const char* name;
  int32_t hull;
  int32_t bpv;
  int marines;
  int drones;     // drone racks on hardpoint 3 (0: none)
  int fighters;   // fighters in bay 0 (0: none)
  int structure;  // hull strength
};

// Warships first; the last five are bases and planets.
constexpr std::array<ShipType, 15> kTypes{{
    {"FF-Skiff", kFrigate, 62, 2, 0, 0, 4},
    {"FF-Needle", kFrigate, 66, 2, 1, 0, 4},
    {"DD-Lance", kDestroyer, 88, 4, 2, 0, 6},
    {"DW-Pike", kWarDestroyer, 96, 4, 0, 0, 7},
    {"CL-Talon", kLightCruiser, 110, 6, 2, 0, 9},
    {"CR-Vanguard", kHeavyCruiser, 125, 8, 4, 0, 12},
    {"CN-Warden", kNewHeavyCruiser, 134, 8, 0, 0, 13},
    {"BC-Hammer", kBattlecruiser, 150, 10, 2, 0, 15},
    {"CV-Harbor", kCarrier, 140, 6, 0, 12, 11},
    {"DN-Monolith", kDreadnought, 190, 12, 4, 0, 20},
    {"LP-Sentinel", kListeningPost, 80, 6, 0, 0, 10},
    {"BS-Rampart", kBaseStation, 180, 12, 2, 0, 25},
    {"BT-Citadel", kBattleStation, 260, 18, 4, 4, 32},
    {"SB-Bastion", kStarbase, 400, 24, 6, 6, 40},
    {"PL-Outpost", kPlanet, 300, 30, 2, 0, 50},
}};
constexpr int32_t kWarshipTypes = 10;

constexpr std::array<const char*, 16> kFirstNames{
    "Aria", "Brannoc", "Cassia", "Dorian", "Elske", "Farran", "Galen", "Hesper",
    "Isolde", "Jorun", "Kestrel", "Lucan", "Maren", "Nyx", "Orvath", "Perrin"};
constexpr std::array<const char*, 16> kLastNames{
    "Voss", "Tal", "Marr", "Quill", "Harrow", "Sable", "Drift", "Kel",
    "Ostrander", "Vey", "Calder", "Morrow", "Ash", "Renn", "Thorne", "Wick"};
constexpr std::array<const char*, 16> kShipWords{
    "Resolute", "Meridian", "Grasping", "Silent", "Iron", "Long", "Prime", "Bright",
    "Patient", "Ember", "Cold", "Far", "Swift", "Hollow", "Tithe", "Wing"};
constexpr std::array<const char*, 12> kPlaces{
    "the Kell Reach", "Harrow", "Bastion Prime", "the Tessaly Gap", "Korr", "the Rift",
    "Meridian Station", "the outer lanes", "Calder's Drift", "the Ember Belt", "Wick", "the Hollow"};
constexpr std::array<const char*, 8> kDeeds{
    " drove the raiders out of ", " fortifies ", " breaks the blockade at ", " claims ",
    " lost a squadron near ", " escorts a convoy through ", " surveys ", " holds the line at "};

// A ship of the given type, its systems and weapons set the way a shiplist
// describes it; built once per type and copied for every ship.
Ship Prototype(const ShipType& t) {
  Ship s;
  s.hullClass = t.hull;
  s.bpv = s.bpv2 = t.bpv;
  s.shipType = t.name;
  for (size_t i = 0; i < 16; ++i) {
    const int intact = (i >= 10 && i <= 12) ? t.structure : 2 + static_cast<int>(i % 4);
    s.block[shipblock::kSystemPairs + 2 * i] = static_cast<uint8_t>(intact);
    s.block[shipblock::kSystemPairs + 2 * i + 1] = static_cast<uint8_t>(intact);
  }
  s.block[shipblock::kTransCopy] = s.block[shipblock::kTransPair];
  s.block[shipblock::kTransCopy + 1] = s.block[shipblock::kTransPair + 1];
  s.ClearWeapons();
  s.SetHardpoint(0, 2, 2);
  s.SetHardpoint(1, 2, 2);
  s.SetHardpoint(2, 1, 1);
  if (t.drones > 0) {
    s.SetHardpoint(3, static_cast<uint8_t>(t.drones), static_cast<uint8_t>(t.drones));
    s.SetSchematic(3, static_cast<uint8_t>(8 * t.drones), static_cast<uint8_t>(t.drones), 4);
    s.block[shipblock::kDroneType] = 1;
    s.block[shipblock::kDroneSpeed] = 1;
    s.block[shipblock::kDroneRackTotal] = static_cast<uint8_t>(t.drones);
    s.block[shipblock::kDroneStorageIntact] = static_cast<uint8_t>(8 * t.drones);
    s.block[shipblock::kDroneStorageWorking] = static_cast<uint8_t>(8 * t.drones);
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

class Generator {
 public:
  Generator(const LargeDatabaseOptions& options, const std::function<void(std::string_view)>& put)
      : options_(options), put_(put), random_(options.seed) {
    for (const ShipType& t : kTypes) prototypes_.push_back(Prototype(t));
  }

  LargeDatabaseSummary Run() {
    if (options_.farShips) planned_.assign(static_cast<size_t>(options_.objects), PlannedShip{});
    WriteFixedRecords();
    remaining_ = options_.objects;
    while (remaining_ > 0) {
      if (options_.farShips && planned_[static_cast<size_t>(Position())].type >= 0) {
        PlacePlannedShip();
      } else {
        NextObjects();
      }
    }
    Flush();
    return summary_;
  }

 private:
  // Pieces are collected and handed out about a megabyte at a time.
  void Emit(const Bytes& bytes) {
    pending_ += bytes;
    summary_.bytes += static_cast<int64_t>(bytes.size());
    if (pending_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!pending_.empty()) put_(pending_);
    pending_.clear();
  }

  // Ids ascend, with an occasional gap: the id of an object the server has
  // since deleted. With far ships every object's id follows from its place
  // in the list (every other id is a gap), so that a ship placed ahead of
  // the list's end knows its id when its captain is written.
  int32_t NewId() {
    if (options_.farShips) {
      lastGap_ = IdAt(Position()) - 1;
      return IdAt(Position());
    }
    if (random_.Below(8) == 0) lastGap_ = nextId_++;
    return nextId_++;
  }
  int64_t Position() const { return options_.objects - remaining_; }
  static int32_t IdAt(int64_t position) { return static_cast<int32_t>(10001 + 2 * position); }

  void WriteFixedRecords() {
    const bool ostrel = options_.layout == Layout::Ostrel;
    Database fixed;
    fixed.SetGrid(options_.columns, options_.rows);
    for (Hex& h : fixed.hexes) {
      h.ownerRace = random_.Percent(85) ? random_.Below(8) : (ostrel ? 8 + random_.Below(8) : 15);
      h.cartelRace = h.ownerRace < 8 ? h.ownerRace + 8 : 23;
      h.terrain = 1 << random_.Below(27);
      h.planet = random_.Percent(12) ? 1 << random_.Below(12) : 0;
      h.base = random_.Percent(8) ? 1 << random_.Below(5) : 0;
      h.econMax = 2 + random_.Below(30);
      h.econCurrent = random_.Below(h.econMax + 1);
      h.dvMax = random_.Below(50);
      h.dvCurrent = random_.Below(h.dvMax + 1);
      h.cartelDvMax = random_.Below(20);
      h.cartelDvCurrent = random_.Below(h.cartelDvMax + 1);
    }
    fixed.political.Fill(ostrel ? 24 : 16);

    Campaign& c = fixed.campaign;
    c.campaignName = c.campaignNameCopy = "Generated Frontier";
    c.description = "A large campaign generated for measurements: every empire, its players and their fleets.";
    c.earlyEraMap = "frontier_early.map";
    c.middleEraMap = "frontier_middle.map";
    c.lateEraMap = "frontier_late.map";
    c.missions.clear();
    for (int i = 1; i <= 24; ++i) c.missions.push_back("Mission_" + std::to_string(i) + ".scr");
    c.races = {0, 1, 2, 3, 4, 5, 6, 7};
    c.specialFirstMission = "Special_Rift_01.scr";
    c.currentTurn = 250;
    c.midEraStart = 20;
    c.lateEraStart = 40;
    c.accountsCreated = 1200;
    c.maxAccounts = 5000;
    c.currentlyOnline = 140;
    c.maxOnline = 500;

    summary_.hexes = static_cast<int64_t>(fixed.hexes.size());
    Header header;
    header.objectCount = static_cast<int32_t>(3 + summary_.hexes + options_.objects);
    // Every object takes at most two ids, so this is the last one issued.
    header.lastObjectId = static_cast<int32_t>(nextId_ + 2 * options_.objects);
    Emit(ToBytes(header));
    Emit(ToBytes(fixed.campaign, options_.layout));
    Emit(ToBytes(fixed.map));
    for (const Hex& h : fixed.hexes) Emit(ToBytes(h, options_.layout));
    Emit(ToBytes(fixed.political));
  }

  // One news story, bid or shipyard vessel, or a character with its ships.
  void NextObjects() {
    const int32_t roll = random_.Below(100);
    if (roll < 30) {
      News();
    } else if (roll < 40 && lastYardVessel_ != 0) {
      AuctionBid();
    } else if (roll < 50) {
      ShipyardVessel();
    } else if (roll < 53) {
      OrphanShip();
    } else {
      CharacterWithShips();
    }
  }

  void News() {
    testdb::News n;
    n.objectId = NewId();
    n.word4 = random_.Below(1000);
    n.storyText = std::string(random_.Pick(kFirstNames)) + " " + random_.Pick(kLastNames) +
                  random_.Pick(kDeeds) + random_.Pick(kPlaces) + ".";
    Emit(ToBytes(n));
    ++summary_.newsStories;
    --remaining_;
  }

  void AuctionBid() {
    Bid b;
    b.objectId = NewId();
    b.shipName = lastYardName_;
    b.shipId = lastYardVessel_;
    b.bpv = lastYardBpv_;
    b.bidderId = lastHuman_;
    b.amount = 50 + random_.Below(500);
    b.bidTurn = 240 + random_.Below(10);
    b.closingTurn = b.bidTurn + 3;
    if (random_.Percent(10)) PutI32(b.frame.tail, random_.Below(1 << 30));
    Emit(ToBytes(b));
    ++summary_.bids;
    ++summary_.keptByClean;
    --remaining_;
  }

  // A ship of the given type with a name, a little damage and, now and
  // then, a few bytes the tool does not interpret.
  Ship MakeShip(int32_t captain, int32_t race, int32_t type) {
    const int32_t id = NewId();
    --remaining_;
    return MakeShip(id, captain, race, type, random_);
  }
  Ship MakeShip(int32_t id, int32_t captain, int32_t race, int32_t type, Random& random) {
    Ship s = prototypes_[static_cast<size_t>(type)];
    s.objectId = id;
    s.captainId = captain;
    s.race = race;
    s.shipName = std::string(random.Pick(kShipWords)) + " " + random.Pick(kShipWords);
    const int damage = random.Below(4);
    for (int i = 0; i < damage; ++i) {
      const size_t at = shipblock::kSystemPairs + 2 * static_cast<size_t>(random.Below(16)) + 1;
      if (s.block[at] > 0) --s.block[at];
    }
    if (damage > 1) s.SetHardpoint(1, 2, 1);
    if (random.Percent(10)) {
      for (int i = random.Below(16); i >= 0; --i) PutByte(s.frame.tail, random.Below(256));
    }
    return s;
  }

  // With far ships, a character's ships are given places anywhere after it
  // in the list, each remembered by what makes it again: its captain, race,
  // type and a seed of its own.
  struct PlannedShip {
    int32_t captain = 0;
    int32_t race = 0;
    int32_t type = -1;  // -1: no ship planned here
    uint32_t seed = 0;
  };
  Ship PlannedShipAt(int64_t position) {
    const PlannedShip& p = planned_[static_cast<size_t>(position)];
    Random random(p.seed);
    return MakeShip(IdAt(position), p.captain, p.race, p.type, random);
  }
  void PlacePlannedShip() {
    Emit(ToBytes(PlannedShipAt(Position())));
    ++placed_;
    --remaining_;
  }
  // A free place from the current one on, drawn uniformly and taking the
  // next free one after it (there is one: the caller counted them).
  int64_t FreePlaceAhead() {
    const int64_t first = Position();
    const int64_t span = options_.objects - first;
    int64_t at = first + static_cast<int64_t>(random_.Next() % static_cast<uint64_t>(span));
    while (planned_[static_cast<size_t>(at)].type >= 0) at = at + 1 < options_.objects ? at + 1 : first;
    return at;
  }

  void ShipyardVessel() {
    const Ship s = MakeShip(0, random_.Below(8), random_.Below(kWarshipTypes));
    Emit(ToBytes(s));
    lastYardVessel_ = s.objectId;
    lastYardName_ = s.shipName.bytes;
    lastYardBpv_ = s.bpv;
    ++summary_.shipyardVessels;
    ++summary_.keptByClean;
  }

  // A ship left behind by a character the server has since deleted.
  void OrphanShip() {
    const int32_t type = random_.Percent(10) ? kWarshipTypes + random_.Below(5) : random_.Below(kWarshipTypes);
    const Ship s = MakeShip(lastGap_, random_.Below(8), type);
    Emit(ToBytes(s));
    ++summary_.orphanShips;
    if (IsBaseOrPlanet(s.hullClass)) ++summary_.keptByClean;
  }

  void CharacterWithShips() {
    const bool human = random_.Percent(55);
    const bool holdsBase = !human && random_.Percent(35);
    const int64_t wanted = 1 + random_.Below(5);
    const int64_t freeAhead = remaining_ - 1 - (options_.farShips ? plannedCount_ - placed_ : 0);
    const int64_t shipCount = std::min<int64_t>(wanted, freeAhead);

    Character c;
    c.objectId = NewId();
    c.characterName = std::string(random_.Pick(kFirstNames)) + " " + random_.Pick(kLastNames);
    c.race = c.race2 = random_.Below(8);
    c.rank = random_.Below(8);
    c.glicko = 1200 + random_.Below(800);
    c.prestige = random_.Below(5000);
    c.lifetimePrestige = c.prestige + random_.Below(20000);
    c.missionsFlown = random_.Below(400);
    c.hexColumn = random_.Below(options_.columns > 0 ? options_.columns : 1);
    c.hexRow = random_.Below(options_.rows > 0 ? options_.rows : 1);
    if (human) {
      const int32_t entries = random_.Below(3);
      for (int32_t i = 0; i < entries; ++i) c.bids.push_back(Character::BidEntry{Pattern<5>(0xC1), lastYardVessel_});
      Character::Human h;
      h.email = "player" + std::to_string(c.objectId) + "@example.org";
      h.ipAddress = "198.51.100." + std::to_string(random_.Below(255));
      h.homeworldColumn = c.hexColumn;
      h.homeworldRow = c.hexRow;
      c.human = h;
    } else {
      c.human.reset();
      // Up to 23 bytes after the known fields still read as an AI player.
      if (random_.Percent(20)) {
        for (int i = random_.Below(23); i >= 0; --i) PutByte(c.frame.tail, random_.Below(256));
      }
    }

    // The ships follow their captain, so their ids are larger; the entries
    // are made from them before the character is written.
    ships_.clear();
    const int32_t captainId = c.objectId;
    --remaining_;
    for (int64_t i = 0; i < shipCount; ++i) {
      const int32_t type = holdsBase && i == 0 ? kWarshipTypes + random_.Below(5) : random_.Below(kWarshipTypes);
      if (options_.farShips) {
        const int64_t at = FreePlaceAhead();
        planned_[static_cast<size_t>(at)] = PlannedShip{captainId, c.race, type, static_cast<uint32_t>(random_.Next())};
        ++plannedCount_;
        ships_.push_back(PlannedShipAt(at));
      } else {
        ships_.push_back(MakeShip(captainId, c.race, type));
      }
    }
    bool keepsBase = false;
    for (const Ship& s : ships_) {
      Character::ShipEntry e;
      e.shipId = s.objectId;
      e.bpv = s.bpv;
      e.hullClass = s.hullClass;
      e.shipType = s.shipType;
      e.shipName = s.shipName;
      c.ships.push_back(e);
      keepsBase = keepsBase || IsBaseOrPlanet(s.hullClass);
    }
    Emit(ToBytes(c));
    if (!options_.farShips) {
      for (const Ship& s : ships_) Emit(ToBytes(s));
    }

    if (human) {
      ++summary_.humanCharacters;
      lastHuman_ = captainId;
      summary_.keptByClean += 1 + static_cast<int64_t>(ships_.size());
    } else {
      ++summary_.aiCharacters;
      if (keepsBase) {
        ++summary_.aiCharactersHoldingBases;
        ++summary_.keptByClean;
      }
      for (const Ship& s : ships_) {
        if (IsBaseOrPlanet(s.hullClass)) ++summary_.keptByClean;
      }
    }
    summary_.captainedShips += static_cast<int64_t>(ships_.size());
  }

  const LargeDatabaseOptions& options_;
  const std::function<void(std::string_view)>& put_;
  Random random_;
  LargeDatabaseSummary summary_;
  std::vector<Ship> prototypes_;
  std::vector<Ship> ships_;
  Bytes pending_;
  int64_t remaining_ = 0;
  int32_t nextId_ = 10000;
  int32_t lastGap_ = 9999;  // no object has this id
  int32_t lastYardVessel_ = 0;
  std::string lastYardName_;
  int32_t lastYardBpv_ = 0;
  int32_t lastHuman_ = 0;
  std::vector<PlannedShip> planned_;  // by place in the list, with far ships
  int64_t plannedCount_ = 0;
  int64_t placed_ = 0;
};

}  // namespace

LargeDatabaseSummary GenerateLargeDatabase(const LargeDatabaseOptions& options,
                                           const std::function<void(std::string_view)>& put) {
  return Generator(options, put).Run();
}

Bytes LargeDatabaseBytes(const LargeDatabaseOptions& options, LargeDatabaseSummary* summary) {
  Bytes out;
  const LargeDatabaseSummary made = GenerateLargeDatabase(options, [&](std::string_view piece) { out += piece; });
  if (summary != nullptr) *summary = made;
  return out;
}

}  // namespace campdb::testdb
