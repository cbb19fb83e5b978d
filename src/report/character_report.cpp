#include <string_view>

#include "format/name_tables.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

// Rank titles carry their own trailing space; a rank outside 0..7 has none.
std::string_view RankTitle(int32_t rank) {
  switch (rank) {
    case 0: return "Ensign ";
    case 1: return "Lieutenant ";
    case 2: return "Lieutenant Commander ";
    case 3: return "Captain ";
    case 4: return "Commodore ";
    case 5: return "RearAdmiral ";
    case 6: return "Admiral ";
    case 7: return "FleetAdmiral ";
    default: return "";
  }
}

}  // namespace

// One character: its line (current hex row first, homeworld column first),
// one line per owned ship, and the values of unknown purpose.
void ReportCharacter(ReportStream& out, const tServCharacter& c, Layout layout) {
  out << (c.isAI() ? "AI " : "Human ") << c.head.objectId << ": " << RankTitle(c.rank) << c.characterName;
  out << " (" << RaceName(c.race, layout) << ")";
  out << " in hex (" << c.hexRow << "," << c.hexColumn << ")";
  out << ", glicko " << c.glicko << ", prestige " << c.prestige << ", lifetime " << c.lifetimePrestige;
  out << ", missions " << c.missionsFlown;
  out << ", bids in on " << c.bidCount() << " ships";
  if (c.isAI()) {
    // An AI character stores no human-player section, so it has no
    // homeworld of its own.
    out << ", homeworld (0,0)";
  } else {
    out << ", email " << c.human.email << ", IP " << c.human.ipAddress;
    out << ", homeworld (" << c.human.homeworldColumn << "," << c.human.homeworldRow << ")";
  }
  out.EndLine();

  for (const CharacterShipEntry& ship : c.ships) {
    out << "   ship " << ship.shipId << " " << ship.shipType << " " << ship.shipName << ", class "
        << HullClassName(ship.hullClass) << ", bpv " << ship.bpv;
    out.EndLine();
  }

  out << "Character variables of unknown purpose (unknowns 1, 6, 8, 11):" << c.unknown1 << ",," << c.unknown6 << ","
      << c.unknown8 << "," << c.unknown11 << "?";
  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
