#include "format/map.h"
#include "format/run_settings.h"
#include "report/name_tables.h"
#include "report/report_stream.h"

namespace campdb {

// The map's size. `hexCount` is the number of hexes the database holds,
// which the file's columns and rows announce.
void tMapObject::Report(ReportStream& out, int64_t hexCount) const {
  out.EndLine();
  out << "Map size " << hexCount << " hexes: " << columns << " columns by " << rows << " rows";
  out.EndLine();
  out << "Map variable(s) of unknown purpose (unknown1): " << unknown1;
  out.EndLine();
  out.EndLine();
}

// One entry per hex. The base, planet and terrain texts carry their own
// separators and are printed back to back. The Ostrel layout adds the
// cartel of the hex, which splits the entry over two lines.
void tMapHex::Report(ReportStream& out) const {
  out << RaceName(ownerRace) << " hex (" << hexX << "," << hexY << ") ";
  out << "DV " << dvCurrent << "/" << dvMax << ", ";
  if (Run().Ostrel()) {
    out << " cartel: " << RaceName(cartelRace) << ", DV " << cartelDvCurrent << "/" << cartelDvMax;
    out.EndLine();
    out << "   ";
  }
  out << "Econ " << econCurrent << "/" << econMax << ", contents: ";
  out << BaseName(base) << PlanetName(planet) << TerrainName(terrain);
  out.EndLine();
}

}  // namespace campdb
