#include "report/name_tables.h"

#include "report/report_test_fixture.h"

namespace campdb {
namespace {

using NameTablesTest = ReportTest;

TEST_F(NameTablesTest, RaceNamesFollowTheLayout) {
  EXPECT_EQ(RaceName(0), "Federation");
  EXPECT_EQ(RaceName(8), "Orion");
  EXPECT_EQ(RaceName(15), "Neutral");
  EXPECT_EQ(RaceName(16), "Unknown");
  EXPECT_EQ(RaceName(-1), "Unknown");

  UseOstrel();
  EXPECT_EQ(RaceName(7), "Mirak");
  EXPECT_EQ(RaceName(8), "Orion cartel");
  EXPECT_EQ(RaceName(11), "TigerHeart cartel");
  EXPECT_EQ(RaceName(15), "Camboro cartel");
  EXPECT_EQ(RaceName(16), "Orion (npc)");
  EXPECT_EQ(RaceName(23), "Neutral");
  EXPECT_EQ(RaceName(24), "Unknown");
  EXPECT_EQ(RaceName(-1), "Unknown");
}

TEST_F(NameTablesTest, ContentsAndHullClasses) {
  EXPECT_EQ(PlanetName(4), "homeworld, ");
  EXPECT_EQ(PlanetName(3), "no planet, ");
  EXPECT_EQ(PlanetName(1024), "asteroid base,");
  EXPECT_EQ(PlanetName(0), "no planet, ");

  EXPECT_EQ(TerrainName(0), "unknown terrain, ");
  EXPECT_EQ(TerrainName(-1), "empty space, ");
  EXPECT_EQ(TerrainName(48), "empty space, ");
  EXPECT_EQ(TerrainName(64), "asteroid, ");
  EXPECT_EQ(TerrainName(4095), "asteroid, ");
  EXPECT_EQ(TerrainName(262143), "nebula, ");
  EXPECT_EQ(TerrainName(16777215), "black hole, ");
  EXPECT_EQ(TerrainName(16777216), "dust clouds, ");
  EXPECT_EQ(TerrainName(33554432), "shipping lane, ");
  EXPECT_EQ(TerrainName(67108864), "no terrain, ");
  EXPECT_EQ(TerrainName(16777217), "unknown terrain, ");
  EXPECT_EQ(TerrainName(134217728), "unknown terrain, ");

  EXPECT_EQ(BaseName(2), "battlestation, ");
  EXPECT_EQ(BaseName(16), "listening post, ");
  EXPECT_EQ(BaseName(3), "no base, ");

  EXPECT_EQ(HullClassName(0), "shuttle");
  EXPECT_EQ(HullClassName(9), "heavy battlecruiser");
  EXPECT_EQ(HullClassName(19), "special");
  EXPECT_EQ(HullClassName(20), "unknown");
  EXPECT_EQ(HullClassName(-1), "unknown");
}

}  // namespace
}  // namespace campdb
