// The map picture read back with an XML parser, checked for what a person
// looking at it would see: one hexagon per hex in its owner's colour, the
// glyphs, the rings, the homeworlds, the legend's counts, the title, and a
// note in place of a grid that cannot be drawn.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "format/record_loader.h"
#include "svgmap/svg_map.h"
#include "svgmap/svg_text.h"
#include "support/large_database.h"

namespace campdb::testdb {
namespace {

using tinyxml2::XMLElement;

struct Picture {
  std::string svg;
  tinyxml2::XMLDocument doc;
  MapSummary summary;

  const XMLElement* Find(const XMLElement* from, const std::string& id) const {
    for (const XMLElement* e = from->FirstChildElement(); e != nullptr; e = e->NextSiblingElement()) {
      if (const char* own = e->Attribute("id"); own != nullptr && id == own) return e;
      if (const XMLElement* found = Find(e, id)) return found;
    }
    return nullptr;
  }
  const XMLElement* ById(const std::string& id) const { return Find(doc.RootElement(), id); }
  // The children of the element `id`.
  std::vector<const XMLElement*> In(const std::string& id) const {
    std::vector<const XMLElement*> out;
    const XMLElement* group = ById(id);
    for (const XMLElement* e = group ? group->FirstChildElement() : nullptr; e; e = e->NextSiblingElement()) {
      out.push_back(e);
    }
    return out;
  }
  std::string Text(const std::string& id) const {
    const XMLElement* e = ById(id);
    return e && e->GetText() ? e->GetText() : "";
  }
  // The colour a CSS class fills with, as the picture's style sheet says.
  std::string FillOf(const std::string& cls) const {
    const size_t at = svg.find("." + cls + "{fill:");
    return at == std::string::npos ? "" : svg.substr(at + cls.size() + 7, 7);
  }
  // The legend's count for each sample class.
  std::map<std::string, int> LegendCounts() const {
    std::map<std::string, int> counts;
    for (const XMLElement* entry : In("legend")) {
      if (entry->Attribute("class") == nullptr || std::string(entry->Attribute("class")) != "entry") continue;
      const XMLElement* sample = entry->FirstChildElement("use");
      const XMLElement* count = entry->LastChildElement("text");
      if (sample && sample->Attribute("class") && count) counts[sample->Attribute("class")] = count->IntText();
    }
    return counts;
  }
};

std::unique_ptr<Picture> Draw(const Bytes& bytes, Layout layout, MapShade shade = MapShade::None) {
  auto picture = std::make_unique<Picture>();
  const auto db = LoadBytes(bytes, layout);
  ByteWriter out;
  picture->summary = DrawMap(*db, MapOptions{shade, "camp<1>.db"}, out);
  picture->svg = out.TakeBuffer();
  EXPECT_EQ(picture->doc.Parse(picture->svg.data(), picture->svg.size()), tinyxml2::XML_SUCCESS)
      << picture->doc.ErrorStr();
  return picture;
}

// A 4 x 3 map whose first hexes have owners of every kind, with two human
// players at home in one hex of it and one whose homeworld is off it.
testdb::Database Campaign() {
  testdb::Database db;
  db.SetGrid(4, 3);
  const int32_t owners[] = {0, 32, -1, 40, 3};
  for (size_t i = 0; i < std::size(owners); ++i) db.hexes[i].ownerRace = owners[i];
  db.hexes[5].cartelRace = db.hexes[5].ownerRace;
  Character home;
  home.objectId = 10;
  home.characterName = "Ann & <Bo>";
  home.human->homeworldColumn = 1;
  home.human->homeworldRow = 2;
  Character away = home;
  away.objectId = 11;
  away.characterName = "Cy";
  away.human->homeworldColumn = 4;
  Character neighbour = home;
  neighbour.objectId = 12;
  neighbour.characterName = "Dee";
  db.Add(home);
  db.Add(away);
  db.Add(neighbour);
  return db;
}

TEST(SvgMap, EveryHexInItsOwnersColourWithGlyphsRingsAndLegend) {
  for (const Layout layout : {Layout::Base, Layout::Ostrel}) {
    SCOPED_TRACE(layout == Layout::Base ? "base" : "ostrel");
    const testdb::Database source = Campaign();
    const auto picture = Draw(ToBytes(source, layout), layout);
    ASSERT_TRUE(picture->summary.gridDrawn);
    const auto hexes = picture->In("hexes");
    ASSERT_EQ(hexes.size(), 12u);

    std::map<std::string, int> owned;
    int planets = 0, bases = 0, rings = 0;
    for (size_t i = 0; i < hexes.size(); ++i) {
      const Hex& hex = source.hexes[i];
      const std::string expected = hex.ownerRace == 32   ? "barrier"
                                   : hex.ownerRace < 0   ? "unowned"
                                   : hex.ownerRace >= 16 ? "unknown"
                                                         : "race" + std::to_string(hex.ownerRace);
      // The owner's class, and in the Ostrel layout the cartel's ring.
      const bool ringed = layout == Layout::Ostrel && hex.cartelRace != hex.ownerRace;
      EXPECT_EQ(hexes[i]->Attribute("href"), std::string(ringed ? "#cell-ring" : "#cell"));
      EXPECT_EQ(hexes[i]->Attribute("class"), expected + (ringed ? " cartel" + std::to_string(hex.cartelRace) : ""))
          << "hex " << i;
      ++owned[expected];
      rings += ringed;
      // Columns left to right; odd columns half a hex lower.
      const int column = static_cast<int>(i) % 4, row = static_cast<int>(i) / 4;
      EXPECT_EQ(hexes[i]->IntAttribute("x"), 10 + 15 * column);
      EXPECT_EQ(hexes[i]->IntAttribute("y"), 18 + 18 * row + (column % 2) * 9);
      planets += hex.planet == 1 || hex.planet == 16 || hex.planet == 256 || hex.planet == 2048;
      bases += hex.base == 1 || hex.base == 2 || hex.base == 4 || hex.base == 8 || hex.base == 16;
    }
    EXPECT_EQ(picture->FillOf("race0"), "#2563c9");  // Federation blue
    EXPECT_EQ(picture->FillOf("race3"), "#f2c318");  // Lyran gold
    EXPECT_EQ(picture->FillOf("barrier"), "#262626");
    EXPECT_EQ(picture->FillOf("unowned"), "#d2d2cc");
    EXPECT_EQ(picture->FillOf("unknown"), "#94948e");

    const std::string first = hexes[0]->FirstChildElement("title")->GetText();
    EXPECT_EQ(first.substr(0, first.find('\n')), "Federation hex (0,0)");
    EXPECT_TRUE(first.ends_with("\nstarbase, homeworld, empty space")) << first;
    const std::string second = hexes[1]->FirstChildElement("title")->GetText();
    EXPECT_TRUE(second.ends_with("\nempty space")) << second;  // nothing but space
    EXPECT_EQ(picture->In("planets").size(), static_cast<size_t>(planets));
    EXPECT_EQ(picture->In("bases").size(), static_cast<size_t>(bases));
    EXPECT_EQ(rings, layout == Layout::Ostrel ? 11 : 0);
    EXPECT_EQ(picture->In("planets")[0]->Attribute("href"), std::string("#planet0"));  // a homeworld

    std::map<std::string, int> legend = picture->LegendCounts();
    for (const auto& [cls, count] : owned) EXPECT_EQ(legend[cls], count) << cls;
    EXPECT_EQ(legend["home"], 2);

    const auto homes = picture->In("homeworlds");
    ASSERT_EQ(homes.size(), 1u);
    EXPECT_EQ(homes[0]->IntAttribute("x"), 25);
    EXPECT_EQ(homes[0]->IntAttribute("y"), 63);
    const auto labels = picture->In("labels");
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_STREQ(labels[0]->FirstChildElement("text")->GetText(), "Ann & <Bo>, Dee");
    const std::string home = hexes[9]->FirstChildElement("title")->GetText();
    EXPECT_TRUE(home.ends_with("\nHomeworld of Ann & <Bo>, Dee")) << home;
    EXPECT_NE(picture->svg.find("Cy (4,2)"), std::string::npos);
    EXPECT_EQ(picture->Text("title"), "Test Campaign");
    EXPECT_EQ(picture->Text("date"), "Current date is 162.6");
    EXPECT_NE(picture->Text("source").find("camp<1>.db"), std::string::npos);
  }
}

TEST(SvgMap, ShadingDarkensByTheCurrentValueAndPrintsIt) {
  testdb::Database source = Campaign();
  for (Hex& hex : source.hexes) hex.econCurrent = 0;
  source.hexes[2].econCurrent = 16;  // the largest maximum: 5 + 11
  source.hexes[3].econCurrent = 8;
  const auto picture = Draw(ToBytes(source, Layout::Base), Layout::Base, MapShade::Econ);
  const auto hexes = picture->In("hexes");
  EXPECT_STREQ(hexes[1]->Attribute("class"), "barrier");
  EXPECT_STREQ(hexes[2]->Attribute("class"), "unowned s8");
  EXPECT_STREQ(hexes[3]->Attribute("class"), "unknown s4");
  const auto values = picture->In("values");
  ASSERT_EQ(values.size(), 12u);
  EXPECT_STREQ(values[2]->GetText(), "16/7");
}

TEST(SvgMap, AGridThatCannotBeDrawnGivesANote) {
  testdb::Database empty;
  testdb::Database negative;
  negative.SetGrid(2, 3);
  negative.map.columns = -2;
  negative.map.rows = -3;
  testdb::Database whole;
  whole.SetGrid(4, 3);
  const Bytes full = ToBytes(whole, Layout::Base);
  // Each hex takes 104 bytes; the file ends where the sixth would begin.
  const Bytes cut = full.substr(0, full.find(".?AVtMapHex@@") - 12 + 5 * 104);
  const struct {
    Bytes bytes;
    const char* note;
  } cases[] = {
      {ToBytes(empty, Layout::Base), "The map has no hexes (0 columns by 0 rows)."},
      {ToBytes(negative, Layout::Base), "The map is not drawn: its 6 hexes cannot be placed on -2 columns by -3 rows."},
      {cut, "The map is not drawn: the file holds only 5 of its 12 hexes (4 columns by 3 rows)."},
      {full.substr(0, full.find(".?AVtMapHex@@") - 12),
       "The map is not drawn: the file holds none of its 12 hexes (4 columns by 3 rows)."},
  };
  for (const auto& c : cases) {
    const auto picture = Draw(c.bytes, Layout::Base);
    EXPECT_FALSE(picture->summary.gridDrawn);
    EXPECT_EQ(picture->summary.note, c.note);
    EXPECT_EQ(picture->Text("note"), c.note);
    EXPECT_EQ(picture->ById("hexes"), nullptr);
    EXPECT_EQ(picture->Text("title"), "Test Campaign");
  }
}

TEST(SvgMap, TextsFromTheFileAlwaysMakeWellFormedXml) {
  const struct {
    std::string bytes;
    std::string written;
  } cases[] = {
      {"Plain & <b>\"x\"</b>", "Plain &amp; &lt;b&gt;&quot;x&quot;&lt;/b&gt;"},
      {"tab\tcr\rlf\n", "tab\tcr\rlf\n"},
      {std::string("nul\0bel\x07", 8), "nul\xEF\xBF\xBD" "bel\xEF\xBF\xBD"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9A\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9A\x80"},
      {"latin \xE9!", "latin \xEF\xBF\xBD!"},
      {"overlong \xC0\xAF", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"not a character \xEF\xBF\xBF", "not a character \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xFF\xFE", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    ByteWriter out;
    WriteXmlText(out, c.bytes, 100);
    EXPECT_EQ(out.TakeBuffer(), c.written) << c.bytes;
  }
  ByteWriter cutShort;
  WriteXmlText(cutShort, "\xC3\xA9t\xC3\xA9 long", 3);
  EXPECT_EQ(cutShort.TakeBuffer(), "\xC3\xA9t\xC3\xA9\xE2\x80\xA6");

  // A hostile campaign name, as a parser reads it back.
  testdb::Database source = Campaign();
  const char hostile[] = "]]> <!-- &amp;\0\x1B\xFF x";
  source.campaign.campaignName = std::string(hostile, sizeof hostile - 1);
  const auto picture = Draw(ToBytes(source, Layout::Ostrel), Layout::Ostrel);
  EXPECT_EQ(picture->Text("title"), "]]> <!-- &amp;\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD x");
}

// Whatever the loader makes of a damaged file, the picture parses.
TEST(SvgMap, DamagedDatabasesStillGiveWellFormedPictures) {
  const std::filesystem::path folder = std::filesystem::path(CAMPDB_SOURCE_DIR) / "tests/regressions/load_database";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ++files;
    for (const Layout layout : {Layout::Base, Layout::Ostrel}) {
      for (const MapShade shade : {MapShade::None, MapShade::Dv}) {
        SCOPED_TRACE(entry.path().filename().string());
        Draw(bytes.empty() ? bytes : bytes.substr(1), layout, shade);
      }
    }
  }
  EXPECT_GT(files, 0);
}

// A crowded campaign, every hex someone's homeworld, on maps from a strip
// to a square: the labels' plates never meet, never cross the edge of the
// picture or the legend, and every homeworld hex names its players in its
// tooltip.
TEST(SvgMap, HomeworldLabelsOfACrowdedMapNeverMeet) {
  for (const auto& [columns, rows] : {std::pair{12, 8}, {40, 30}, {3, 40}, {60, 2}}) {
    SCOPED_TRACE(std::to_string(columns) + "x" + std::to_string(rows));
    LargeDatabaseOptions options;
    options.objects = 4000;
    options.columns = columns;
    options.rows = rows;
    const auto picture = Draw(LargeDatabaseBytes(options), Layout::Base);
    const XMLElement* root = picture->doc.RootElement();
    const double width = root->DoubleAttribute("width"), height = root->DoubleAttribute("height");
    double mapX = 0, mapY = 0, scale = 0, legendX = 0, legendY = 0;
    ASSERT_EQ(std::sscanf(picture->ById("map")->Attribute("transform"), "translate(%lf %lf) scale(%lf)", &mapX, &mapY,
                          &scale), 3);
    ASSERT_EQ(std::sscanf(picture->ById("legend")->Attribute("transform"), "translate(%lf %lf)", &legendX, &legendY), 2);
    struct Plate {
      double left, top, right, bottom;
    };
    std::vector<Plate> plates;
    for (const XMLElement* label : picture->In("labels")) {
      const XMLElement* rect = label->FirstChildElement("rect");
      const double x = mapX + scale * rect->DoubleAttribute("x"), y = mapY + scale * rect->DoubleAttribute("y");
      const Plate plate{x, y, x + scale * rect->DoubleAttribute("width"), y + scale * rect->DoubleAttribute("height")};
      EXPECT_TRUE(plate.left >= 0 && plate.top >= mapY && plate.right < legendX && plate.bottom <= height);
      for (const Plate& other : plates) {
        EXPECT_TRUE(plate.right <= other.left || other.right <= plate.left || plate.bottom <= other.top ||
                    other.bottom <= plate.top);
      }
      plates.push_back(plate);
    }
    EXPECT_GT(plates.size(), 0u);
    EXPECT_LT(legendX, width);
    size_t named = 0;
    for (const XMLElement* hex : picture->In("hexes")) {
      named += std::string(hex->FirstChildElement("title")->GetText()).find("\nHomeworld of ") != std::string::npos;
    }
    EXPECT_EQ(named, picture->In("homeworlds").size());
    EXPECT_NE(picture->svg.find("Named on the map: " + std::to_string(plates.size()) + " of " + std::to_string(named)),
              std::string::npos);
  }
}

}  // namespace
}  // namespace campdb::testdb
