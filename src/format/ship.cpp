#include "format/ship.h"

#include "format/declared_size.h"

namespace campdb {

namespace {

// The class tag (length word and 11 bytes) and the 510 fixed bytes of the
// body up to and including the supplies.
constexpr int64_t kFixedBytes = 525;
// A fighter bay's four count bytes and the length words of its two strings.
constexpr int64_t kBayFixedBytes = 12;

int64_t BaysSize(const std::array<FighterBay, 4>& bays) {
  int64_t size = 0;
  for (const FighterBay& bay : bays) size += kBayFixedBytes + bay.fighterType.Length() + bay.fighterType2.Length();
  return size;
}

}  // namespace

tShip::tShip(ByteReader& in, int32_t size) : declaredSize(size), declaredSize2(size) {
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  objectId = ReadInt32(in);
  word4 = ReadInt32(in);
  in.ReadBytes(run5);
  captainId = ReadInt32(in);
  byte7 = in.ReadByte();
  race = ReadInt32(in);
  hullClass = ReadInt32(in);
  bpv = ReadInt32(in);
  bpv2 = ReadInt32(in);
  shipType = ReadCountedString(in);
  shipName = ReadCountedString(in);
  in.ReadBytes(systemsBlock);
  LoadNamedValues();
  BuildDroneHardpoints();
  for (SupplyLoad& load : supplies) {
    load.intact = in.ReadByte();
    load.working = in.ReadByte();
    load.third = in.ReadByte();
  }
  for (FighterBay& bay : bays) {
    bay.current = in.ReadByte();
    bay.maximum = in.ReadByte();
    bay.third = in.ReadByte();
    bay.spare = in.ReadByte();
    bay.fighterType = ReadCountedString(in);
    bay.fighterType2 = ReadCountedString(in);
  }
  tail = in.ReadRun(int64_t{declaredSize} - kFixedBytes - shipType.Length() - shipName.Length() - BaysSize(bays));
}

void tShip::LoadNamedValues() {
  const auto pairAt = [this](int offset) { return SystemPair{systemsBlock[offset], systemsBlock[offset + 1]}; };
  for (int k = 0; k <= kTrans; ++k) systems[k] = pairAt(block::kSystemPairs + 2 * k);
  for (int k = 0; k < 4; ++k) systems[kBtty + k] = pairAt(block::kBttyLabsCargoArmour + 2 * k);
  cloakCost = systemsBlock[block::kCloak];
  cloakSecond = systemsBlock[block::kCloak + 1];
  systems[kProbes] = pairAt(block::kProbesBarracks);
  systems[kBarracks] = pairAt(block::kProbesBarracks + 2);
  systems[kShuttles] = pairAt(block::kShuttles);
  droneType = systemsBlock[block::kDroneType];
  droneSpeed = systemsBlock[block::kDroneSpeed];
  droneThird = systemsBlock[block::kDroneThird];
  droneRackTotal = systemsBlock[block::kDroneRackTotal];
  droneStorageIntact = systemsBlock[block::kDroneStorageIntact];
  droneStorageWorking = systemsBlock[block::kDroneStorageWorking];
  unsigned total = 0;
  unsigned working = 0;
  for (int i = 0; i < block::kHardpointCount; ++i) {
    total += systemsBlock[block::kHardpoints + 2 * i];
    working += systemsBlock[block::kHardpoints + 2 * i + 1];
  }
  weaponsTotal = static_cast<uint8_t>(total);
  weaponsWorking = static_cast<uint8_t>(working);
}

// Walks the schematic entries that carry drone racks until their racks add
// up to the ship's drone rack total (counted as signed bytes), keeping at
// most eight entries.
void tShip::BuildDroneHardpoints() {
  droneHardpoints.clear();
  int8_t running = 0;
  const auto rackTotal = static_cast<int8_t>(droneRackTotal);
  for (int p = block::kSchematic; p < block::kSchematicScanEnd && running < rackTotal &&
                                  droneHardpoints.size() < kMaxDroneHardpoints;
       p += block::kSchematicStride) {
    const auto racks = static_cast<int8_t>(systemsBlock[p + 2]);
    if (racks > 0) {
      droneHardpoints.push_back({systemsBlock[p], systemsBlock[p + 2], systemsBlock[p + 4], p});
      running = static_cast<int8_t>(running + racks);
    }
  }
}

void tShip::StoreNamedValues() {
  const auto storePair = [this](int offset, SystemPair pair) {
    systemsBlock[offset] = pair.intact;
    systemsBlock[offset + 1] = pair.working;
  };
  for (int k = 0; k <= kTrans; ++k) storePair(block::kSystemPairs + 2 * k, systems[k]);
  storePair(block::kTransCopy, systems[kTrans]);
  for (int k = 0; k < 4; ++k) storePair(block::kBttyLabsCargoArmour + 2 * k, systems[kBtty + k]);
  systemsBlock[block::kCloak] = cloakCost;
  systemsBlock[block::kCloak + 1] = cloakSecond;
  storePair(block::kProbesBarracks, systems[kProbes]);
  storePair(block::kProbesBarracks + 2, systems[kBarracks]);
  storePair(block::kShuttles, systems[kShuttles]);
  systemsBlock[block::kDroneType] = droneType;
  systemsBlock[block::kDroneSpeed] = droneSpeed;
  systemsBlock[block::kDroneThird] = droneThird;
  systemsBlock[block::kDroneRackTotal] = droneRackTotal;
  systemsBlock[block::kDroneStorageIntact] = droneStorageIntact;
  systemsBlock[block::kDroneStorageWorking] = droneStorageWorking;
  for (const DroneHardpoint& entry : droneHardpoints) {
    systemsBlock[entry.position] = entry.storage;
    systemsBlock[entry.position + 2] = entry.racks;
    systemsBlock[entry.position + 4] = entry.rackSize;
  }
}

int64_t tShip::ContentSize() const {
  return kFixedBytes + shipType.Length() + shipName.Length() + BaysSize(bays) + static_cast<int64_t>(tail.size());
}

void tShip::AdjustDeclaredSize(int64_t delta) {
  declaredSize = AddToSize(declaredSize, delta);
  declaredSize2 = AddToSize(declaredSize2, delta);
}

void tShip::Write(ByteWriter& out) {
  if (modified) {
    StoreNamedValues();
    modified = false;
  }
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, objectId);
  WriteInt32(out, word4);
  out.WriteBytes(run5);
  WriteInt32(out, captainId);
  out.WriteByte(byte7);
  WriteInt32(out, race);
  WriteInt32(out, hullClass);
  WriteInt32(out, bpv);
  WriteInt32(out, bpv2);
  WriteCountedString(out, shipType);
  WriteCountedString(out, shipName);
  out.WriteBytes(systemsBlock);
  for (const SupplyLoad& load : supplies) {
    out.WriteByte(load.intact);
    out.WriteByte(load.working);
    out.WriteByte(load.third);
  }
  for (const FighterBay& bay : bays) {
    out.WriteByte(bay.current);
    out.WriteByte(bay.maximum);
    out.WriteByte(bay.third);
    out.WriteByte(bay.spare);
    WriteCountedString(out, bay.fighterType);
    WriteCountedString(out, bay.fighterType2);
  }
  out.WriteRun(tail);
}

}  // namespace campdb
