// A ship: a vessel captained by a player character or lying in the
// shipyard. Besides its identity it carries the server's 449-byte block of
// system values, its supplies and four fighter bays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"

namespace campdb {

// A system's strength: how much of it the ship has, and how much works.
struct SystemPair {
  uint8_t intact = 0;
  uint8_t working = 0;
};

// The named system pairs, in the order the report lists them.
enum SystemIndex : int {
  kRWarp, kLWarp, kCWarp, kImpulse, kApr, kBridge, kSensor, kScanner,
  kDamCtrl, kRepair, kFHull, kAHull, kCHull, kTrac, kExDam, kTrans,
  kBtty, kLabs, kCargo, kArmour, kProbes, kBarracks, kShuttles,
  kSystemCount
};

// Marines, bombs or parts.
struct SupplyLoad {
  uint8_t intact = 0;
  uint8_t working = 0;
  uint8_t third = 0;

  template <class Io>
  void Fields(Io& io) {
    io.Byte("intact", intact);
    io.Byte("working", working);
    io.Byte("third", third);
  }
};

struct FighterBay {
  uint8_t current = 0;
  uint8_t maximum = 0;
  uint8_t third = 0;
  uint8_t spare = 0;  // uninterpreted
  Text fighterType;
  Text fighterType2;

  template <class Io>
  void Fields(Io& io) {
    io.Byte("current", current);
    io.Byte("maximum", maximum);
    io.Byte("third", third);
    io.Byte("spare", spare);
    io.String("fighterType", fighterType);
    io.String("fighterType2", fighterType2);
  }
};

// Offsets in the systems block. A pair is two bytes: intact first, working
// second.
namespace block {
constexpr size_t kSize = 449;
constexpr int kSystemPairs = 9;  // sixteen pairs, r. warp .. trans
constexpr int kTransCopy = 41;   // a second copy of the trans pair
constexpr int kBttyLabsCargoArmour = 43;
constexpr int kCloak = 51;       // cloak cost and its second byte
constexpr int kProbesBarracks = 55;
constexpr int kHardpoints = 59;  // 25 pairs: weapons, working weapons
constexpr int kHardpointCount = 25;
constexpr int kDroneType = 121;
constexpr int kDroneSpeed = 122;
constexpr int kDroneThird = 123;
constexpr int kDroneRackTotal = 125;
constexpr int kDroneStorageIntact = 127;
constexpr int kDroneStorageWorking = 131;
constexpr int kSchematic = 135;  // 25 entries, 8 bytes apart
constexpr int kSchematicStride = 8;
constexpr int kSchematicScanEnd = 325;  // only the first 24 entries are scanned
constexpr int kShuttles = 334;

// The whole block cut into segments, in order, each byte in exactly one:
// the values the format names, and runs of uninterpreted bytes named after
// their offset. The text forms of a ship walk this table, so that they show
// the block by its names and still give back every byte.
enum class SegmentKind : uint8_t {
  Byte,     // one named value, 0..255
  Run,      // uninterpreted bytes
  Pair,     // a pair: intact value, then working value (weapons, then
            // working weapons for a hardpoint)
  Pairs,    // `count` pairs one after the other
  Entries,  // `count` entries of `stride` bytes, each laid out as `fields`;
            // an entry that runs past the segment's end is cut there
};

struct Segment {
  std::string_view name;
  int offset;  // from the start of the block, or of the entry it lies in
  int size;
  SegmentKind kind;
  int count = 0;                      // Pairs and Entries
  int stride = 0;                     // Entries
  std::span<const Segment> fields{};  // Entries
};

inline constexpr Segment kSchematicFields[] = {
    {"storage", 0, 1, SegmentKind::Byte}, {"run1", 1, 1, SegmentKind::Run},
    {"racks", 2, 1, SegmentKind::Byte},   {"run3", 3, 1, SegmentKind::Run},
    {"rackSize", 4, 1, SegmentKind::Byte}, {"run5", 5, 3, SegmentKind::Run},
};

constexpr Segment Pair(std::string_view name, int offset) { return {name, offset, 2, SegmentKind::Pair}; }

inline constexpr Segment kSegments[] = {
    {"run0", 0, 9, SegmentKind::Run},
    Pair("rWarp", kSystemPairs + 0), Pair("lWarp", kSystemPairs + 2), Pair("cWarp", kSystemPairs + 4),
    Pair("impulse", kSystemPairs + 6), Pair("apr", kSystemPairs + 8), Pair("bridge", kSystemPairs + 10),
    Pair("sensor", kSystemPairs + 12), Pair("scanner", kSystemPairs + 14), Pair("damCtrl", kSystemPairs + 16),
    Pair("repair", kSystemPairs + 18), Pair("fHull", kSystemPairs + 20), Pair("aHull", kSystemPairs + 22),
    Pair("cHull", kSystemPairs + 24), Pair("trac", kSystemPairs + 26), Pair("exDam", kSystemPairs + 28),
    Pair("trans", kSystemPairs + 30),
    Pair("transCopy", kTransCopy),
    Pair("btty", kBttyLabsCargoArmour + 0), Pair("labs", kBttyLabsCargoArmour + 2),
    Pair("cargo", kBttyLabsCargoArmour + 4), Pair("armour", kBttyLabsCargoArmour + 6),
    {"cloakCost", kCloak, 1, SegmentKind::Byte},
    {"cloakCost2", kCloak + 1, 1, SegmentKind::Byte},
    {"run53", 53, 2, SegmentKind::Run},
    Pair("probes", kProbesBarracks), Pair("barracks", kProbesBarracks + 2),
    {"hardpoints", kHardpoints, 2 * kHardpointCount, SegmentKind::Pairs, kHardpointCount},
    {"run109", 109, 12, SegmentKind::Run},
    {"droneType", kDroneType, 1, SegmentKind::Byte},
    {"droneSpeed", kDroneSpeed, 1, SegmentKind::Byte},
    {"droneThird", kDroneThird, 1, SegmentKind::Byte},
    {"run124", 124, 1, SegmentKind::Run},
    {"droneRackTotal", kDroneRackTotal, 1, SegmentKind::Byte},
    {"run126", 126, 1, SegmentKind::Run},
    {"droneStorageIntact", kDroneStorageIntact, 1, SegmentKind::Byte},
    {"run128", 128, 3, SegmentKind::Run},
    {"droneStorageWorking", kDroneStorageWorking, 1, SegmentKind::Byte},
    {"run132", 132, 3, SegmentKind::Run},
    // The last entry loses its last byte to the shuttles.
    {"schematic", kSchematic, kShuttles - kSchematic, SegmentKind::Entries, kHardpointCount, kSchematicStride,
     kSchematicFields},
    Pair("shuttles", kShuttles),
    {"run336", 336, static_cast<int>(kSize) - 336, SegmentKind::Run},
};

// Whether `segments` cover `size` bytes from `offset` on, in order, without
// a gap or an overlap.
constexpr bool SegmentsTile(std::span<const Segment> segments, int offset, int size) {
  int at = offset;
  for (const Segment& segment : segments) {
    if (segment.offset != at || segment.size <= 0) return false;
    at += segment.size;
  }
  return at == offset + size;
}
static_assert(SegmentsTile(kSegments, 0, static_cast<int>(kSize)));
static_assert(SegmentsTile(kSchematicFields, 0, kSchematicStride));
}  // namespace block

// Where the pair of a named system lies in the block.
constexpr int PairOffset(SystemIndex system) {
  if (system <= kTrans) return block::kSystemPairs + 2 * system;
  if (system <= kArmour) return block::kBttyLabsCargoArmour + 2 * (system - kBtty);
  if (system == kProbes) return block::kProbesBarracks;
  if (system == kBarracks) return block::kProbesBarracks + 2;
  return block::kShuttles;
}

// A hardpoint schematic entry that carries drone racks.
struct DroneHardpoint {
  uint8_t storage = 0;
  uint8_t racks = 0;
  uint8_t rackSize = 0;
};

// The entries that carry drone racks, at most eight.
struct DroneHardpoints {
  static constexpr size_t kMax = 8;
  std::array<DroneHardpoint, kMax> entries{};
  size_t count = 0;
};

struct tShip {
  static constexpr std::string_view kClassTag = ".?AVtShip@@";

  ObjectHead head;
  int32_t word4 = 0;              // uninterpreted
  std::array<uint8_t, 5> run5{};  // uninterpreted
  int32_t captainId = 0;          // 0 for a shipyard vessel
  uint8_t byte7 = 0;              // uninterpreted
  int32_t race = 0;
  int32_t hullClass = 0;
  int32_t bpv = 0;
  int32_t bpv2 = 0;  // kept equal to bpv by the editor
  Text shipType;
  Text shipName;
  // The server's system values, always block::kSize bytes. Read through the
  // accessors below; the editors change a copy of their own.
  Text systemsBlock;
  SupplyLoad marines;
  SupplyLoad bombs;
  SupplyLoad parts;
  std::array<FighterBay, 4> bays{};
  Text tail;

  uint8_t At(int offset) const { return static_cast<uint8_t>(systemsBlock[static_cast<size_t>(offset)]); }
  SystemPair System(SystemIndex system) const {
    const int at = PairOffset(system);
    return {At(at), At(at + 1)};
  }

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Head(head);
    io.Int32("word4", word4);
    io.Run("run5", run5);
    io.Int32("captainId", captainId);
    io.Byte("byte7", byte7);
    io.Int32("race", race);
    io.Int32("hullClass", hullClass);
    io.Int32("bpv", bpv);
    io.Int32("bpv2", bpv2);
    io.String("shipType", shipType);
    io.String("shipName", shipName);
    io.Block("systemsBlock", systemsBlock);
    io.Group("marines", [this](auto& group) { marines.Fields(group); });
    io.Group("bombs", [this](auto& group) { bombs.Fields(group); });
    io.Group("parts", [this](auto& group) { parts.Fields(group); });
    io.FixedList("bays", bays, [](auto& item, FighterBay& bay) { bay.Fields(item); });
    io.Tail(tail);
  }
};

// The 8-bit sums of the 25 hardpoints' weapon counts, intact and working.
SystemPair WeaponTotals(const tShip& ship);

// The schematic entries that carry drone racks: entries 0 to 23 are walked
// in order, and every entry whose racks byte is above 0 (signed) is taken,
// until their racks add up to the ship's drone rack total (both signed
// bytes) or eight are held.
DroneHardpoints FindDroneHardpoints(const tShip& ship);

}  // namespace campdb
