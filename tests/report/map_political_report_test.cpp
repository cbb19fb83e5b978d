#include <array>
#include <string>

#include "format/map.h"
#include "format/political.h"
#include "report/report_stream.h"
#include "report/report_test_fixture.h"

namespace campdb {
namespace {

using MapReportTest = ReportTest;
using PoliticalReportTest = ReportTest;

std::string HexText(const tMapHex& hex) {
  ReportStream out;
  hex.Report(out);
  return out.Text();
}

tMapHex FederationHex() {
  tMapHex hex;
  hex.ownerRace = 0;
  hex.hexX = 3;
  hex.hexY = 4;
  hex.dvCurrent = 10;
  hex.dvMax = 20;
  hex.econCurrent = 5;
  hex.econMax = 10;
  hex.base = 1;
  hex.planet = 8;
  hex.terrain = 4096;
  hex.cartelRace = 8;
  hex.cartelDvCurrent = 0;
  hex.cartelDvMax = 0;
  return hex;
}

TEST_F(MapReportTest, MapSection) {
  tMapObject map;
  map.columns = 7;
  map.rows = 0;
  map.unknown1 = -12;
  ReportStream out;
  map.Report(out, 0);
  EXPECT_EQ(out.Text(), "\nMap size 0 hexes: 7 columns by 0 rows\nMap variable(s) of unknown purpose (unknown1): -12\n\n");
}

TEST_F(MapReportTest, HexEntryInBothVariants) {
  const tMapHex hex = FederationHex();
  EXPECT_EQ(HexText(hex), "Federation hex (3,4) DV 10/20, Econ 5/10, contents: starbase, core world, nebula, \n");

  UseOstrel();
  EXPECT_EQ(HexText(hex),
            "Federation hex (3,4) DV 10/20,  cartel: Orion cartel, DV 0/0\n"
            "   Econ 5/10, contents: starbase, core world, nebula, \n");
}

TEST_F(MapReportTest, BarrierAndEmptyHexes) {
  tMapHex barrier;
  barrier.ownerRace = 32;
  barrier.cartelRace = 23;
  barrier.terrain = -1;
  barrier.hexX = -1;
  barrier.dvCurrent = -5;
  EXPECT_EQ(HexText(barrier), "Unknown hex (-1,0) DV -5/0, Econ 0/0, contents: no base, no planet, empty space, \n");

  UseOstrel();
  EXPECT_EQ(HexText(barrier),
            "Unknown hex (-1,0) DV -5/0,  cartel: Neutral, DV 0/0\n"
            "   Econ 0/0, contents: no base, no planet, empty space, \n");

  tMapHex empty;
  empty.ownerRace = 16;
  empty.cartelRace = 40;
  empty.planet = 1024;
  EXPECT_EQ(HexText(empty),
            "Orion (npc) hex (0,0) DV 0/0,  cartel: Unknown, DV 0/0\n"
            "   Econ 0/0, contents: no base, asteroid base,unknown terrain, \n");
}

// Race names listed here independently of the name tables.
constexpr std::array<const char*, 10> kBaseRaces = {"Federation", "Klingon", "Romulan", "Lyran",   "Hydran",
                                                    "Gorn",       "ISC",     "Mirak",   "Orion",   "Monster"};

std::string PoliticalText(const tPoliticalObject& political) {
  ReportStream out;
  political.Report(out);
  return out.Text();
}

tPoliticalObject Matrix(int32_t size, size_t cellsHeld) {
  tPoliticalObject political;
  political.matrixSize = size;
  for (size_t n = 0; n < cellsHeld; ++n) {
    political.cells.push_back(TensionCell{static_cast<int32_t>(n * 10), static_cast<uint8_t>(n)});
  }
  return political;
}

TEST_F(PoliticalReportTest, SmallMatrixPrintsUnknownOutsideIt) {
  // Three cells of a 2 x 2 matrix: the file ended before cell (1,1).
  tPoliticalObject political = Matrix(2, 3);
  political.cells[1].tension = 65535;

  std::string expected = "\nPolitical tension matrix:\n=========================\n";
  for (size_t i = 0; i < 10; ++i) {
    expected += std::string(kBaseRaces[i]) + " tensions\n";
    for (size_t j = 0; j < 10; ++j) {
      std::string tension = "unknown";
      if (i == 0 && j == 0) tension = "0";
      if (i == 0 && j == 1) tension = "65535";
      if (i == 1 && j == 0) tension = "20";
      expected += "   vs " + std::string(kBaseRaces[j]) + ": " + tension + "\n";
    }
    expected += "\n";
  }
  expected += "\n";
  EXPECT_EQ(PoliticalText(political), expected);

  // An empty matrix is all unknown.
  const std::string empty = PoliticalText(Matrix(0, 0));
  EXPECT_NE(empty.find("Federation tensions\n   vs Federation: unknown\n   vs Klingon: unknown\n"), std::string::npos);
  EXPECT_EQ(empty.find(": 0\n"), std::string::npos);
}

TEST_F(PoliticalReportTest, RowsAndColumnsFollowTheLayoutsRaceTable) {
  // 16 x 16 in the base layout: only the first ten races are shown, and
  // the cell of row i, column j is cell i * 16 + j.
  const tPoliticalObject political = Matrix(16, 256);
  const std::string base = PoliticalText(political);
  EXPECT_NE(base.find("Federation tensions\n   vs Federation: 0\n"), std::string::npos);
  EXPECT_NE(base.find("Klingon tensions\n   vs Federation: 160\n   vs Klingon: 170\n"), std::string::npos);
  EXPECT_NE(base.find("   vs Monster: 1530\n\n\n"), std::string::npos);  // cell (9,9), then the end
  EXPECT_EQ(base.find("Tholian"), std::string::npos);
  EXPECT_EQ(base.find("unknown"), std::string::npos);

  // The Ostrel layout walks 18 races: rows and columns 16 and 17 lie
  // outside a 16 x 16 matrix.
  UseOstrel();
  const std::string ostrel = PoliticalText(political);
  EXPECT_NE(ostrel.find("Camboro cartel tensions\n   vs Federation: 2400\n"), std::string::npos);
  EXPECT_NE(ostrel.find("   vs Camboro cartel: 2550\n   vs Orion (npc): unknown\n   vs Monster: unknown\n\n"),
            std::string::npos);
  EXPECT_NE(ostrel.find("Monster tensions\n   vs Federation: unknown\n"), std::string::npos);
  EXPECT_EQ(ostrel.find("Tholian"), std::string::npos);
  size_t lines = 0;
  for (const char ch : ostrel) lines += ch == '\n' ? 1 : 0;
  EXPECT_EQ(lines, 3u + 18u * 20u + 1u);
}

}  // namespace
}  // namespace campdb
