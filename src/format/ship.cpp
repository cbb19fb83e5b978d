#include "format/ship.h"

namespace campdb {

SystemPair WeaponTotals(const tShip& ship) {
  unsigned total = 0;
  unsigned working = 0;
  for (int i = 0; i < block::kHardpointCount; ++i) {
    total += ship.At(block::kHardpoints + 2 * i);
    working += ship.At(block::kHardpoints + 2 * i + 1);
  }
  return {static_cast<uint8_t>(total), static_cast<uint8_t>(working)};
}

DroneHardpoints FindDroneHardpoints(const tShip& ship) {
  DroneHardpoints found;
  int8_t running = 0;
  const auto rackTotal = static_cast<int8_t>(ship.At(block::kDroneRackTotal));
  for (int p = block::kSchematic;
       p < block::kSchematicScanEnd && running < rackTotal && found.count < DroneHardpoints::kMax;
       p += block::kSchematicStride) {
    const auto racks = static_cast<int8_t>(ship.At(p + 2));
    if (racks > 0) {
      found.entries[found.count++] = {ship.At(p), ship.At(p + 2), ship.At(p + 4)};
      running = static_cast<int8_t>(running + racks);
    }
  }
  return found;
}

}  // namespace campdb
