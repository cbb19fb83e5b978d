#include "report/ship_report.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "format/name_tables.h"
#include "format/ship.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

// Byte values that are counts rather than system values (rack totals,
// hardpoint figures, fighter numbers) are taken as signed.
int32_t Signed(uint8_t b) { return static_cast<int8_t>(b); }

constexpr std::array<std::string_view, 20> kSystemLabels = {
    "r. warp", "l. warp", "c. warp", "impulse", "apr",     "bridge", "sensor", "scanner", "dam ctrl", "repair",
    "f. hull", "a. hull", "c. hull", "trac",    "ex dam",  "trans",  "btty",   "labs",    "cargo",    "armour"};

// The drone label: type I to IV and speed, or "~" and "???" for values
// that name no type or speed.
std::string_view DroneLabel(uint8_t type, uint8_t speed) {
  static constexpr std::array<std::array<std::string_view, 4>, 5> kLabels = {{
      {"I-slow drones", "I-med drones", "I-fast drones", "I-??? drones"},
      {"II-slow drones", "II-med drones", "II-fast drones", "II-??? drones"},
      {"III-slow drones", "III-med drones", "III-fast drones", "III-??? drones"},
      {"IV-slow drones", "IV-med drones", "IV-fast drones", "IV-??? drones"},
      {"~slow drones", "~med drones", "~fast drones", "~??? drones"},
  }};
  const size_t t = type <= 3 ? type : 4;
  const size_t s = speed <= 2 ? speed : 3;
  return kLabels[t][s];
}

}  // namespace

void WriteSystemItem(ReportStream& out, uint8_t working, uint8_t intact, std::string_view label, int& lineCounter) {
  if (intact == 0) return;
  if (lineCounter < kSystemItemsPerLine) {
    ++lineCounter;
    out << ", ";
  } else {
    lineCounter = 1;
    out << ",";
    out.EndLine();
    out << "     ";
  }
  out << label << " " << static_cast<int32_t>(working) << "/" << static_cast<int32_t>(intact);
}

// One ship: its identity, then its systems, supplies, drones and fighter
// bays, continuing the identity line and wrapping ten items to a line.
void ReportShip(ReportStream& out, const tShip& ship, Layout layout) {
  out << (ship.captainId != 0 ? "Ship " : "Shipyard vessel ") << ship.head.objectId << ":" << ship.shipType << ", "
      << ship.shipName << ", bpv " << ship.bpv << ", class " << HullClassName(ship.hullClass) << ", race "
      << RaceName(ship.race, layout);
  if (ship.captainId != 0) out << ", captained by " << ship.captainId;

  int lineCounter = kSystemItemsPerLine;
  for (size_t i = 0; i < kSystemLabels.size(); ++i) {
    const SystemPair pair = ship.System(static_cast<SystemIndex>(kRWarp + static_cast<int>(i)));
    WriteSystemItem(out, pair.working, pair.intact, kSystemLabels[i], lineCounter);
  }

  const uint8_t cloakCost = ship.At(block::kCloak);
  if (Signed(cloakCost) > 0) {
    out << ", cloak cost " << Signed(cloakCost);
    ++lineCounter;
  }

  const SystemPair weapons = WeaponTotals(ship);
  WriteSystemItem(out, ship.System(kProbes).working, ship.System(kProbes).intact, "probes", lineCounter);
  WriteSystemItem(out, ship.System(kBarracks).working, ship.System(kBarracks).intact, "barracks", lineCounter);
  WriteSystemItem(out, weapons.working, weapons.intact, "weapons", lineCounter);
  WriteSystemItem(out, ship.System(kShuttles).working, ship.System(kShuttles).intact, "shuttles", lineCounter);
  WriteSystemItem(out, ship.marines.working, ship.marines.intact, "marines", lineCounter);
  WriteSystemItem(out, ship.bombs.working, ship.bombs.intact, "bombs", lineCounter);
  WriteSystemItem(out, ship.parts.working, ship.parts.intact, "parts", lineCounter);

  const uint8_t droneRackTotal = ship.At(block::kDroneRackTotal);
  if (Signed(droneRackTotal) > 0) {
    const DroneHardpoints hardpoints = FindDroneHardpoints(ship);
    // The drone item always opens a line of its own.
    lineCounter = kSystemItemsPerLine;
    WriteSystemItem(out, ship.At(block::kDroneStorageWorking), ship.At(block::kDroneStorageIntact),
                    DroneLabel(ship.At(block::kDroneType), ship.At(block::kDroneSpeed)), lineCounter);
    out << " in " << Signed(droneRackTotal) << " rack(s) on " << static_cast<int64_t>(hardpoints.count)
        << " hardpoint(s), hdpt stats (#racks, rack size, storage): ";
    for (size_t i = 0; i < hardpoints.count; ++i) {
      const DroneHardpoint& hardpoint = hardpoints.entries[i];
      out << "(" << Signed(hardpoint.racks) << "," << Signed(hardpoint.rackSize) << "," << Signed(hardpoint.storage)
          << ") ";
    }
  }

  int32_t fighterCapacity = 0;
  for (const FighterBay& bay : ship.bays) fighterCapacity += Signed(bay.maximum);
  if (fighterCapacity > 0) {
    out << ",";
    out.EndLine();
    out << "     ftr bays:";
    for (const FighterBay& bay : ship.bays) {
      if (Signed(bay.maximum) > 0) {
        out << " " << Signed(bay.current) << "/" << Signed(bay.maximum) << " " << bay.fighterType << ",";
      }
    }
  }

  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
