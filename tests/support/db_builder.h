// Composes campaign database bytes field by field, for tests and for the
// sample databases. It follows the file layout directly with its own
// little-endian appenders and shares no code with the tool's readers and
// writers, so a test that feeds these bytes to the tool never checks the
// tool's writer against itself.
//
// Every record is a plain struct with sensible defaults (uninterpreted fields
// hold distinct non-zero patterns, so a reader that drops or swaps one shows
// up in a round trip). ToBytes produces the record's bytes: the two size
// words, the class tag, the body and the optional tail, with the declared
// size computed from what was composed unless the record's Frame overrides
// it. Hostile inputs are made through the overrides: a given declared size,
// a second size word that differs, count and length words written as given
// (negative ones included), a tag of any length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace campdb::testdb {

// Database bytes. A std::string so that it compares directly with the
// tool's output buffers; Span() views it as bytes.
using Bytes = std::string;

inline std::span<const uint8_t> Span(const Bytes& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

// The two layouts of the database. The Ostrel layout stores twelve more words
// per hex and one more era start in the campaign record.
enum class Layout { Base, Ostrel };

// Little-endian appenders; values are truncated to their width.
void PutByte(Bytes& out, int64_t value);
void PutI16(Bytes& out, int64_t value);
void PutI32(Bytes& out, int64_t value);
template <size_t N>
void PutRun(Bytes& out, const std::array<uint8_t, N>& run) {
  out.append(reinterpret_cast<const char*>(run.data()), N);
}
// A run of N bytes counting up from `first`: distinct, recognisable filler.
template <size_t N>
std::array<uint8_t, N> Pattern(uint8_t first) {
  std::array<uint8_t, N> run{};
  for (size_t i = 0; i < N; ++i) run[i] = static_cast<uint8_t>(first + i);
  return run;
}

// A counted string: an int32 length word, then the bytes. `lengthWord`, when
// set, is written instead of the byte count (a negative length, or one that
// promises more bytes than follow).
struct Str {
  std::string bytes;
  std::optional<int32_t> lengthWord;

  Str() = default;
  Str(const char* text) : bytes(text) {}
  Str(std::string text) : bytes(std::move(text)) {}
  static Str Stored(int32_t word, std::string text = {}) {
    Str s(std::move(text));
    s.lengthWord = word;
    return s;
  }
};
void PutStr(Bytes& out, const Str& text);

// Framing shared by every record but the header: declared size, declared
// size again, class tag, then the body and the tail.
struct Frame {
  Str tag;
  // Declared size; by default the bytes that follow the two size words.
  std::optional<int32_t> size;
  // Second size word; by default equal to the first.
  std::optional<int32_t> size2;
  // Opaque bytes after the known fields of the body.
  Bytes tail;
};
Bytes Framed(const Frame& frame, const Bytes& body);

// The three words every body begins with: an uninterpreted int32, an
// uninterpreted 6-byte run, and the object id (uninterpreted in map and hex
// records).
struct Record {
  Frame frame;
  int32_t leadWord = 0x11223344;
  std::array<uint8_t, 6> leadRun = Pattern<6>(0xA1);
  int32_t objectId = 1;

  explicit Record(const char* tag) { frame.tag = tag; }
  void PutLead(Bytes& body) const;
};

struct Header {
  std::array<uint8_t, 4> saveVersion{'S', 'V', '0', '7'};
  // By default 3 + hexes + misc objects of the database it belongs to.
  std::optional<int32_t> objectCount;
  int32_t lastObjectId = 5000;
};

struct Campaign : Record {
  Campaign() : Record(".?AVtCampaignObject@@") { objectId = 2; }
  int32_t idTrailWord = 0x0C0FFEE0;
  Str campaignName = "Test Campaign";
  Str description = "A campaign made for tests.";
  Str earlyEraMap = "early.map";
  Str middleEraMap = "middle.map";
  Str lateEraMap = "late.map";
  std::vector<Str> missions{"Patrol_01.scr", "Escort_02.scr"};
  std::optional<int32_t> missionCountWord;  // default: missions.size()
  std::vector<int32_t> races{0, 1, 3};
  std::optional<int32_t> raceCountWord;     // default: races.size()
  int32_t startEra = 0;
  int32_t difficulty = 1;
  int32_t specialTriggerPrestige = 2500;
  Str specialFirstMission;
  Str campaignNameCopy = "Test Campaign";
  Str captainName;  // empty: a multiplayer campaign
  int32_t captainRace = 0;
  int32_t captainPrestige = 0;
  uint8_t flagByte = 0x5A;
  int32_t preTurnWord = 0x01020304;
  int32_t currentTurn = 30;
  int32_t unknownCampaignVariable = 77;
  int32_t turnsPerYear = 12;
  int32_t turnLengthMs = 600000;
  int32_t baseYear = 160;
  int32_t earlyEraStart = 0;
  int32_t midEraStart = 10;
  int32_t lateEraStart = 20;
  int32_t era3Start = 30;  // written in the Ostrel layout only
  int32_t accountsCreated = 4;
  int32_t maxAccounts = 200;
  int32_t currentlyOnline = 1;
  int32_t maxOnline = 50;
  Str version = "2.5.1";
  Str versionCopy = "2.5.1";
};

struct MapRecord : Record {
  MapRecord() : Record(".?AVtMapObject@@") { objectId = 3; }
  int32_t unknown1 = 9;
  int32_t columns = 0;
  int32_t rows = 0;
};

struct Hex : Record {
  Hex() : Record(".?AVtMapHex@@") { objectId = 0; }
  std::array<uint8_t, 9> hexRun = Pattern<9>(0xB1);
  int32_t hexX = 0;
  int32_t hexY = 0;
  // The nine uninterpreted words of the Ostrel layout, in file order: two
  // after hexY, one before cartelRace, two after econCurrent, one before
  // cartelDvMax, two after it, one before cartelDvCurrent.
  std::array<int32_t, 9> ostrelWords{101, 102, 103, 104, 105, 106, 107, 108, 109};
  int32_t ownerRace = 0;
  int32_t cartelRace = 8;       // Ostrel layout only
  int32_t terrain = 1;
  int32_t planet = 0;
  int32_t base = 0;
  int32_t econMax = 10;
  int32_t econCurrent = 7;
  int32_t dvMax = 20;
  int32_t cartelDvMax = 6;      // Ostrel layout only
  int32_t dvCurrent = 15;
  int32_t cartelDvCurrent = 4;  // Ostrel layout only
  std::array<int32_t, 4> trailingWords{201, 202, 203, 204};
};

struct Political : Record {
  Political() : Record(".?AVtPoliticalObject@@") { objectId = 4; }
  struct Cell {
    uint16_t tension = 0;
    uint8_t tenth = 0;
  };
  int32_t idTrailWord = 0x7E7E7E7E;
  int32_t matrixSize = 0;
  // Written as they stand, whatever matrixSize says.
  std::vector<Cell> cells;
  // matrixSize = n and n * n cells with a varied, asymmetric pattern.
  void Fill(int32_t n);
};

struct Character : Record {
  Character() : Record(".?AVtServCharacter@@") {}
  struct BidEntry {
    std::array<uint8_t, 5> run = Pattern<5>(0xC1);
    int32_t word = 0;
  };
  struct ShipEntry {
    std::array<uint8_t, 10> run = Pattern<10>(0xD1);
    int32_t shipId = 0;
    int32_t bpv = 100;
    int32_t hullClass = 7;
    Str shipType = "Type";
    int32_t typeTrailWord = 0x51;
    Str shipName = "Name";
    int32_t nameTrailWord = 0x52;
  };
  // Present for a human player, absent for an AI character.
  struct Human {
    Str email = "player@example.org";
    int32_t emailTrailWord = 0x61;
    Str ipAddress = "192.0.2.10";
    int32_t ipTrailWord = 0x62;
    std::array<uint8_t, 9> run = Pattern<9>(0xE1);
    int32_t homeworldColumn = 1;
    int32_t homeworldRow = 2;
  };
  int32_t unknown1 = 0x71;
  int32_t word5 = 0x72;
  std::vector<BidEntry> bids;
  std::optional<int32_t> bidCountWord;   // default: bids.size()
  std::vector<ShipEntry> ships;
  std::optional<int32_t> shipCountWord;  // default: ships.size()
  Str characterName = "Commander";
  int32_t glicko = 1500;
  int32_t prestige = 300;
  int32_t lifetimePrestige = 900;
  int32_t missionsFlown = 12;
  int32_t word15 = 0x73;
  std::array<uint8_t, 5> run16 = Pattern<5>(0xF1);
  int32_t hexColumn = 1;
  int32_t hexRow = 1;
  int32_t unknown6 = 0x74;
  std::array<uint8_t, 17> run20 = Pattern<17>(0x21);
  int32_t unknown8 = 0x75;
  int32_t race = 0;
  int32_t rank = 2;
  int32_t race2 = 0;
  int32_t unknown11 = 0x76;
  std::optional<Human> human = Human{};
};

// Offsets in a ship's 449-byte systems block.
namespace shipblock {
constexpr size_t kSize = 449;
constexpr size_t kSystemPairs = 9;      // sixteen intact/working pairs
constexpr size_t kTransPair = 39;       // the last of those sixteen
constexpr size_t kTransCopy = 41;
constexpr size_t kHardpoints = 59;      // 25 pairs: weapons, working weapons
constexpr size_t kDroneType = 121;
constexpr size_t kDroneSpeed = 122;
constexpr size_t kDroneRackTotal = 125;
constexpr size_t kDroneStorageIntact = 127;
constexpr size_t kDroneStorageWorking = 131;
constexpr size_t kSchematic = 135;      // 25 entries, 8 bytes apart
constexpr size_t kShuttles = 334;
}  // namespace shipblock

struct Ship : Record {
  Ship();
  struct Bay {
    uint8_t current = 0;
    uint8_t maximum = 0;
    uint8_t third = 0;
    uint8_t spare = 0x33;
    Str fighterType;
    Str fighterType2;
  };
  int32_t word4 = 0x81;
  std::array<uint8_t, 5> run5 = Pattern<5>(0x41);
  int32_t captainId = 0;
  uint8_t byte7 = 0x82;
  int32_t race = 0;
  int32_t hullClass = 7;
  int32_t bpv = 125;
  int32_t bpv2 = 125;
  Str shipType = "Type";
  Str shipName = "Name";
  // Varied filler by default; set single bytes with the helpers below.
  std::array<uint8_t, shipblock::kSize> block{};
  std::array<uint8_t, 9> supplies{4, 3, 1, 2, 2, 0, 5, 5, 9};
  std::array<Bay, 4> bays{};

  // Clears the schematic and hardpoint area and the drone bytes, so that a
  // test states exactly which drone racks the ship has.
  void ClearWeapons();
  void SetHardpoint(int i, uint8_t weapons, uint8_t working);
  void SetSchematic(int i, uint8_t storage, uint8_t racks, uint8_t rackSize);
};

struct Bid : Record {
  Bid() : Record(".?AVtAuctionItem@@") {}
  std::array<uint8_t, 5> run4 = Pattern<5>(0x91);
  Str shipName = "Yard vessel";
  std::array<uint8_t, 5> run6 = Pattern<5>(0x96);
  int32_t shipId = 0;
  int32_t bpv = 110;
  std::array<int32_t, 3> words9to11{0x9A, 0x9B, 0x9C};
  int32_t bidTurn = 28;
  int32_t closingTurn = 33;
  int32_t amount = 450;
  std::array<uint8_t, 5> run15 = Pattern<5>(0x9D);
  int32_t bidderId = 0;
  std::array<int32_t, 2> words17to18{0xA7, 0xA8};
};

struct News : Record {
  News() : Record(".?AVtNewsStory@@") {}
  int32_t word4 = 0xB7;
  std::array<uint8_t, 3> run5 = Pattern<3>(0xB8);
  Str storyText = "Nothing happened.";
};

// An object of any class: frame and body as given.
struct RawObject {
  Frame frame;
  Bytes body;
};

Bytes ToBytes(const Header& header);
Bytes ToBytes(const Campaign& campaign, Layout layout);
Bytes ToBytes(const MapRecord& map);
Bytes ToBytes(const Hex& hex, Layout layout);
Bytes ToBytes(const Political& political);
Bytes ToBytes(const Character& character);
Bytes ToBytes(const Ship& ship);
Bytes ToBytes(const Bid& bid);
Bytes ToBytes(const News& news);
Bytes ToBytes(const RawObject& object);

// A whole database. The misc objects are held as bytes, so that a test can
// place any object there, well-formed or not.
struct Database {
  Header header;
  Campaign campaign;
  MapRecord map;
  std::vector<Hex> hexes;
  Political political;
  std::vector<Bytes> objects;

  template <typename R>
  void Add(const R& record) {
    objects.push_back(ToBytes(record));
  }
  // Sets the map to columns x rows and makes one hex per cell, row by row,
  // with coordinates, owners, terrain and values varying from hex to hex.
  void SetGrid(int32_t columns, int32_t rows);
};

// Header, campaign, map, hexes, political record, then the objects. The
// header's objectCount is 3 + hexes + objects unless it is set.
Bytes ToBytes(const Database& database, Layout layout);

// A small healthy campaign: a 2 x 2 map, a human player (10) with its ship
// (11) and a news story (12), for a case to add to.
Database SmallHealthy();

}  // namespace campdb::testdb
