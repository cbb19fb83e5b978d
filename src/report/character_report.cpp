#include <string_view>

#include "format/character.h"
#include "report/name_tables.h"
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
void tServCharacter::Report(ReportStream& out) const {
  out << (isAI ? "AI " : "Human ") << objectId << ": " << RankTitle(rank) << characterName;
  out << " (" << RaceName(race) << ")";
  out << " in hex (" << hexRow << "," << hexColumn << ")";
  out << ", glicko " << glicko << ", prestige " << prestige << ", lifetime " << lifetimePrestige;
  out << ", missions " << missionsFlown;
  out << ", bids in on " << bidCount() << " ships";
  if (isAI) {
    // An AI character stores no human-player section, so it has no
    // homeworld of its own.
    out << ", homeworld (0,0)";
  } else {
    out << ", email " << email << ", IP " << ipAddress;
    out << ", homeworld (" << homeworldColumn << "," << homeworldRow << ")";
  }
  out.EndLine();

  for (const CharacterShipEntry& ship : ships) {
    out << "   ship " << ship.shipId << " " << ship.shipType << " " << ship.shipName << ", class "
        << HullClassName(ship.hullClass) << ", bpv " << ship.bpv;
    out.EndLine();
  }

  out << "Character variables of unknown purpose (unknowns 1, 6, 8, 11):" << unknown1 << ",," << unknown6 << ","
      << unknown8 << "," << unknown11 << "?";
  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
