#include "format/name_tables.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

// The map's size. `hexCount` is the number of hexes the database holds,
// which the file's columns and rows announce.
void ReportMap(ReportStream& out, const tMapObject& map, int64_t hexCount) {
  out.EndLine();
  out << "Map size " << hexCount << " hexes: " << map.columns << " columns by " << map.rows << " rows";
  out.EndLine();
  out << "Map variable(s) of unknown purpose (unknown1): " << map.unknown1;
  out.EndLine();
  out.EndLine();
}

// One entry per hex. The base, planet and terrain texts carry their own
// separators and are printed back to back. The Ostrel layout adds the
// cartel of the hex, which splits the entry over two lines.
void ReportHex(ReportStream& out, const tMapHex& hex, Layout layout) {
  out << RaceName(hex.ownerRace, layout) << " hex (" << hex.hexX << "," << hex.hexY << ") ";
  out << "DV " << hex.dvCurrent << "/" << hex.dvMax << ", ";
  if (IsOstrel(layout)) {
    out << " cartel: " << RaceName(hex.cartelRace, layout) << ", DV " << hex.cartelDvCurrent << "/" << hex.cartelDvMax;
    out.EndLine();
    out << "   ";
  }
  out << "Econ " << hex.econCurrent << "/" << hex.econMax << ", contents: ";
  out << BaseName(hex.base) << PlanetName(hex.planet) << TerrainName(hex.terrain);
  out.EndLine();
}

}  // namespace campdb
