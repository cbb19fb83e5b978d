// A ship: a vessel captained by a player character or lying in the
// shipyard. Besides its identity it carries the server's 449-byte block of
// system values, its supplies and four fighter bays.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream;
class Console;

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
};

struct FighterBay {
  uint8_t current = 0;
  uint8_t maximum = 0;
  uint8_t third = 0;
  uint8_t spare = 0;  // uninterpreted
  CountedString fighterType;
  CountedString fighterType2;
};

// A hardpoint schematic entry that carries drone racks.
struct DroneHardpoint {
  uint8_t storage = 0;
  uint8_t racks = 0;
  uint8_t rackSize = 0;
  int position = 0;  // offset of the schematic entry in the systems block
};

// Offsets in the systems block.
namespace block {
constexpr int kSize = 449;
constexpr int kSystemPairs = 9;       // sixteen pairs, r. warp .. trans
constexpr int kTransCopy = 41;        // a second copy of the trans pair
constexpr int kBttyLabsCargoArmour = 43;
constexpr int kCloak = 51;            // cloak cost and its second byte
constexpr int kProbesBarracks = 55;
constexpr int kHardpoints = 59;       // 25 pairs: weapons, working weapons
constexpr int kHardpointCount = 25;
constexpr int kDroneType = 121;
constexpr int kDroneSpeed = 122;
constexpr int kDroneThird = 123;
constexpr int kDroneRackTotal = 125;
constexpr int kDroneStorageIntact = 127;
constexpr int kDroneStorageWorking = 131;
constexpr int kSchematic = 135;       // 25 entries, 8 bytes apart
constexpr int kSchematicStride = 8;
constexpr int kSchematicScanEnd = 325;  // only the first 24 entries are scanned
constexpr int kShuttles = 334;
}  // namespace block

constexpr size_t kMaxDroneHardpoints = 8;

class tShip {
 public:
  static constexpr std::string_view kClassTag = ".?AVtShip@@";

  tShip() = default;
  tShip(ByteReader& in, int32_t declaredSize);
  // Folds edited named values back into the systems block first when the
  // ship was modified, so an untouched ship is written exactly as read.
  void Write(ByteWriter& out);
  void Report(ReportStream& out) const;
  // Runs the ship menu until the operator quits; true when the battle point
  // value, hull class, type or name was changed.
  bool Edit(Console& console);
  // Fills hull class, bpv, systems, hardpoints, drones, supplies and fighter
  // bays from the shiplist line of the ship's type.
  void ImportFromShiplist(Console& console);

  // Copies the named values out of the systems block and computes the
  // weapon sums; used by the reader.
  void LoadNamedValues();
  // Rebuilds the drone hardpoint list from the schematic entries.
  void BuildDroneHardpoints();
  // Stores the named values back into the systems block.
  void StoreNamedValues();

  int64_t ContentSize() const;
  void AdjustDeclaredSize(int64_t delta);

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  // Every record of the kind is written with the kind's own tag, whatever
  // its closing bytes were in the file, so one copy serves them all.
  static inline const CountedString classTag{std::string(kClassTag)};
  bool modified = false;
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t objectId = 0;
  int32_t word4 = 0;                 // uninterpreted
  std::array<uint8_t, 5> run5{};     // uninterpreted
  int32_t captainId = 0;             // 0 for a shipyard vessel
  uint8_t byte7 = 0;                 // uninterpreted
  int32_t race = 0;
  int32_t hullClass = 0;
  int32_t bpv = 0;
  int32_t bpv2 = 0;                  // kept equal to bpv by the editor
  CountedString shipType;
  CountedString shipName;
  std::array<uint8_t, block::kSize> systemsBlock{};
  std::array<SupplyLoad, 3> supplies{};  // marines, bombs, parts
  std::array<FighterBay, 4> bays{};
  std::string tail;

  // Named values, copied out of the systems block.
  std::array<SystemPair, kSystemCount> systems{};
  uint8_t cloakCost = 0;
  uint8_t cloakSecond = 0;
  uint8_t droneType = 0;    // 0..3 for types I..IV
  uint8_t droneSpeed = 0;   // 0 slow, 1 medium, 2 fast
  uint8_t droneThird = 0;
  uint8_t droneRackTotal = 0;
  uint8_t droneStorageIntact = 0;
  uint8_t droneStorageWorking = 0;
  // 8-bit sums of the 25 hardpoints' weapon counts.
  uint8_t weaponsTotal = 0;
  uint8_t weaponsWorking = 0;
  std::vector<DroneHardpoint> droneHardpoints;  // at most 8

  SupplyLoad& marines() { return supplies[0]; }
  SupplyLoad& bombs() { return supplies[1]; }
  SupplyLoad& parts() { return supplies[2]; }
  const SupplyLoad& marines() const { return supplies[0]; }
  const SupplyLoad& bombs() const { return supplies[1]; }
  const SupplyLoad& parts() const { return supplies[2]; }
};

}  // namespace campdb
