#include "svgmap/svg_map.h"

#include <algorithm>
#include <variant>

#include "format/campaign.h"
#include "format/character.h"
#include "format/map.h"
#include "format/name_tables.h"
#include "svgmap/map_picture.h"
#include "svgmap/palette.h"
#include "svgmap/svg_text.h"

namespace campdb {

namespace svgmap {

int PlanetKind(int32_t code) {
  switch (code) {
    case 1: case 2: case 4: return 0;
    case 8: case 16: case 32: return 1;
    case 64: case 128: case 256: return 2;
    case 512: case 1024: case 2048: return 3;
    default: return -1;
  }
}

int BaseKind(int32_t code) {
  switch (code) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    case 16: return 4;
    default: return -1;
  }
}

std::string_view Bare(std::string_view tableText) {
  while (!tableText.empty() && (tableText.back() == ' ' || tableText.back() == ',')) tableText.remove_suffix(1);
  return tableText;
}

}  // namespace svgmap

namespace {

using namespace svgmap;

// The picture around the grid, in pixels: a margin, the title and date
// lines, then the map with the legend to its right, then the small print.
constexpr int64_t kMargin = 16;
constexpr int64_t kTitleBaseline = 42;
constexpr int64_t kDateBaseline = 64;
constexpr int64_t kMapTop = 82;
constexpr int64_t kLegendGap = 28;
constexpr int64_t kTitleSize = 24;
constexpr size_t kTitleLimit = 80;
constexpr size_t kSourceLimit = 160;

// The map is scaled so that it fills about 1400 pixels across or down, but
// never below its own size nor above four times it. The current and maximum
// values are printed in the hexes once a hex is 40 pixels wide.
constexpr int64_t kMapPixels = 1400;
constexpr int64_t kLeastScale = 100;  // hundredths
constexpr int64_t kMostScale = 400;
constexpr int64_t kScaleForValues = 200;

// A rough width of a text, to leave room for it: an average glyph is a bit
// over half as wide as the font is high.
int64_t TextWidth(size_t characters, int64_t fontSize) {
  return static_cast<int64_t>(characters) * fontSize * 6 / 10;
}

// How the owner code of a hex is drawn: its CSS class.
void WriteOwnerClass(SvgOut& svg, int32_t code, Layout layout) {
  switch (OwnerKindOf(code, layout)) {
    case OwnerKind::Race: svg << "race" << code; break;
    case OwnerKind::Unowned: svg << "unowned"; break;
    case OwnerKind::Unknown: svg << "unknown"; break;
    case OwnerKind::Barrier: svg << "barrier"; break;
  }
}

void WriteCartelClass(SvgOut& svg, int32_t code, Layout layout) {
  if (code >= 0 && code < RaceCodes(layout)) {
    svg << "cartel" << code;
  } else {
    svg << "cartel-other";
  }
}

// The cartel is drawn, as a ring, only where the layout stores it and it
// differs from the owner.
bool HasRing(const tMapHex& hex, Layout layout) { return IsOstrel(layout) && hex.cartelRace != hex.ownerRace; }

int32_t ShadeCurrent(const tMapHex& hex, MapShade shade) {
  return shade == MapShade::Econ ? hex.econCurrent : hex.dvCurrent;
}
int32_t ShadeMax(const tMapHex& hex, MapShade shade) { return shade == MapShade::Econ ? hex.econMax : hex.dvMax; }

// Darkening steps: 0 (none) to kShadeSteps (the largest maximum or more).
constexpr int64_t kShadeSteps = 8;
int64_t ShadeStep(int64_t current, int64_t largestMax) {
  if (current <= 0 || largestMax <= 0) return 0;
  if (current >= largestMax) return kShadeSteps;
  return std::max<int64_t>(1, (current * kShadeSteps + largestMax / 2) / largestMax);
}

// The grid can be drawn when every hex of a positive number of columns and
// rows is there. Otherwise the reason, in one line.
std::string WhyNotDrawn(const Database& db) {
  const int64_t columns = db.map.columns;
  const int64_t rows = db.map.rows;
  const int64_t held = db.hexCount();
  const std::string size = std::to_string(columns) + " columns by " + std::to_string(rows) + " rows";
  if (columns > 0 && rows > 0) {
    if (held == columns * rows) return {};
    return "The map is not drawn: the file holds " + (held == 0 ? "none" : "only " + std::to_string(held)) +
           " of its " + std::to_string(columns * rows) + " hexes (" + size + ").";
  }
  if (held == 0) return "The map has no hexes (" + size + ").";
  return "The map is not drawn: its " + std::to_string(held) + " hexes cannot be placed on " + size + ".";
}

Census TakeCensus(const Database& db, const MapOptions& options) {
  Census census;
  census.layout = db.layout;
  census.shade = options.shade;
  const Layout layout = db.layout;
  for (const tMapHex& hex : db.hexes) {
    switch (OwnerKindOf(hex.ownerRace, layout)) {
      case OwnerKind::Race: ++census.races[static_cast<size_t>(hex.ownerRace)]; break;
      case OwnerKind::Unowned: ++census.unowned; break;
      case OwnerKind::Unknown: ++census.unknown; break;
      case OwnerKind::Barrier: ++census.barrier; break;
    }
    if (HasRing(hex, layout)) {
      if (hex.cartelRace >= 0 && hex.cartelRace < RaceCodes(layout)) {
        ++census.cartels[static_cast<size_t>(hex.cartelRace)];
      } else {
        ++census.otherCartels;
      }
    }
    if (const int kind = PlanetKind(hex.planet); kind >= 0) ++census.planets[static_cast<size_t>(kind)];
    if (const int kind = BaseKind(hex.base); kind >= 0) ++census.bases[static_cast<size_t>(kind)];
    if (options.shade != MapShade::None) {
      census.largestMax = std::max<int64_t>(census.largestMax, ShadeMax(hex, options.shade));
    }
  }
  // The human players' homeworlds, by their column and row in the grid.
  const int64_t columns = db.map.columns;
  const int64_t rows = db.map.rows;
  MiscObject scratch;
  for (int64_t i = 0; i < db.ObjectCount(); ++i) {
    if (db.Entry(i).kind != ObjectKind::Character || !db.Entry(i).human) continue;
    const auto* character = std::get_if<tServCharacter>(&db.ReadObject(i, scratch));
    if (character == nullptr) continue;
    Homeworld home;
    home.listed = static_cast<int64_t>(census.homeworlds.size() + census.elsewhere.size());
    home.column = character->human.homeworldColumn;
    home.row = character->human.homeworldRow;
    home.name = character->characterName;
    const bool onMap = home.column >= 0 && home.column < columns && home.row >= 0 && home.row < rows;
    if (onMap) {
      home.hex = int64_t{home.row} * columns + home.column;
      census.homeworlds.push_back(home);
    } else {
      census.elsewhere.push_back(home);
    }
  }
  // In grid order, and the players of one hex in list order.
  std::sort(census.homeworlds.begin(), census.homeworlds.end(), [](const Homeworld& a, const Homeworld& b) {
    return a.hex != b.hex ? a.hex < b.hex : a.listed < b.listed;
  });
  return census;
}

// The homeworld labels are about 13 pixels high however the map is scaled,
// within bounds that keep them from swamping a large map's hexes or
// vanishing in a small one's.
Hundredths LabelSize(int64_t scale) { return Hundredths{std::clamp<int64_t>(130000 / scale, 400, 900)}; }

void WriteStyle(SvgOut& svg, Layout layout, int64_t scale) {
  svg << "<style>\n"
         "text{fill:#1b1b1b}\n"
         "#title{font-size:24px;font-weight:bold}\n"
         "#date{font-size:14px;fill:#444}\n"
         "#note{font-size:15px}\n"
         "#source{font-size:11px;fill:#666}\n"
         "#hexes{stroke:#fff;stroke-width:.6;stroke-opacity:.7;fill-opacity:0}\n"
         ".planet{fill:#fff;stroke:#111;stroke-width:.8}\n"
         ".base{fill:#111;stroke:#fff;stroke-width:.7}\n"
         "#values{font-size:4.4px;text-anchor:middle}\n"
         "#values text{paint-order:stroke;stroke:#fff;stroke-linejoin:round;stroke-width:1.1px}\n"
         "#labels{pointer-events:none}\n"
         "#labels text{font-weight:bold;text-anchor:middle}\n"
         "#legend text{font-size:13px}\n"
         "#legend .heading{font-weight:bold;font-size:14px}\n"
         "#legend .count{text-anchor:end}\n"
         "#legend .small{font-size:11px;fill:#555}\n";
  const Hundredths label = LabelSize(scale);
  svg << "#labels text{font-size:" << label << "px}\n#labels rect{fill:#fff;fill-opacity:.82;stroke:#111;"
      << "stroke-width:" << Hundredths{std::max<int64_t>(label.value / 12, 20)} << "px}\n";
  for (int32_t code = 0; code < RaceCodes(layout); ++code) {
    svg << ".race" << code << "{fill:" << RaceColour(code, layout) << "}\n";
  }
  svg << ".unowned{fill:" << kUnownedColour << "}\n.unknown{fill:" << kUnknownColour << "}\n.barrier{fill:"
      << kBarrierColour << "}\n";
  if (IsOstrel(layout)) {
    for (int32_t code = 0; code < RaceCodes(layout); ++code) {
      svg << ".cartel" << code << "{color:" << RaceColour(code, layout) << "}\n";
    }
    svg << ".cartel-other{color:" << kUnknownColour << "}\n";
  }
  for (int64_t step = 1; step <= kShadeSteps; ++step) {
    svg << ".s" << step << "{fill-opacity:" << Hundredths{step * 6} << "}\n";
  }
  svg << "</style>\n";
}

// The shapes every hex, ring, glyph and marker is a <use> of, centred on
// 0,0. A hex of the grid is a cell: the hexagon in its owner's colour, with
// a black copy over it whose opacity is the hex's shading (none unless its
// class gives one), and in the ringed cell the cartel's ring, in the colour
// its class gives.
void WriteDefinitions(SvgOut& svg, bool shaded, bool valuesPrinted) {
  constexpr std::string_view hexagon = "M-10 0L-5-9H5L10 0L5 9H-5Z";
  constexpr std::string_view ring =
      "<path d=\"M-6 0L-3-5.4H3L6 0L3 5.4H-3Z\" fill=\"none\" stroke=\"#000\" stroke-opacity=\".45\" "
      "stroke-width=\"2.8\"/><path d=\"M-6 0L-3-5.4H3L6 0L3 5.4H-3Z\" fill=\"none\" stroke=\"currentColor\" "
      "stroke-opacity=\"1\" stroke-width=\"1.9\"/>";
  svg << "<defs>\n<path id=\"hex\" d=\"" << hexagon << "\"/>\n<g id=\"ring\">" << ring << "</g>\n";
  for (const bool ringed : {false, true}) {
    svg << "<g id=\"" << (ringed ? "cell-ring" : "cell") << "\"><path d=\"" << hexagon << "\" fill-opacity=\"1\"/>";
    if (shaded) svg << "<path d=\"" << hexagon << "\" fill=\"#000\" stroke=\"none\"/>";
    if (ringed) svg << ring;
    svg << "</g>\n";
  }
  svg << "<g id=\"home\" fill=\"none\"><path d=\"M-9 0L-4.5-8.1H4.5L9 0L4.5 8.1H-4.5Z\" stroke=\"#111\" "
         "stroke-width=\"2\"/><path d=\"M-9 0L-4.5-8.1H4.5L9 0L4.5 8.1H-4.5Z\" stroke=\"#fff\" "
         "stroke-width=\".9\"/></g>\n";
  // Glyphs sit a little higher when the values are printed under them.
  const std::string_view y = valuesPrinted ? "-2.6" : "-.4";
  constexpr std::array<std::string_view, kPlanetKinds> radius = {"4", "3.2", "2.4", "1.6"};
  for (int kind = 0; kind < kPlanetKinds; ++kind) {
    svg << "<circle id=\"planet" << kind << "\" cy=\"" << y << "\" r=\"" << radius[static_cast<size_t>(kind)]
        << "\"/>\n";
  }
  constexpr std::array<std::string_view, kBaseKinds> half = {"3.2", "2.7", "2.2", "1.7", "1.3"};
  constexpr std::array<std::string_view, kBaseKinds> side = {"6.4", "5.4", "4.4", "3.4", "2.6"};
  for (int kind = 0; kind < kBaseKinds; ++kind) {
    const auto at = static_cast<size_t>(kind);
    svg << "<rect id=\"base" << kind << "\" x=\"-" << half[at] << "\" y=\"" << (valuesPrinted ? "-5.8" : "-3.6")
        << "\" width=\"" << side[at] << "\" height=\"" << side[at] << "\"/>\n";
  }
  svg << "</defs>\n";
}

// What the report says of a hex, a line per part. Its contents leave out
// the base and the planet it does not have.
// The players at home in the hex, if any, follow: every name, up to a bound.
constexpr size_t kTooltipNames = 50;

void WriteHomeNames(SvgOut& svg, const Census& census, const HomeHex& home) {
  for (size_t i = home.first; i < home.end && i < home.first + kTooltipNames; ++i) {
    if (i > home.first) svg << ", ";
    svg.Escaped(census.homeworlds[i].name, kNameLimit);
  }
  if (home.Players() > kTooltipNames) svg << " and " << home.Players() - kTooltipNames << " more";
}

void WriteHexTooltip(SvgOut& svg, const tMapHex& hex, Layout layout, const Census& census, const HomeHex* home) {
  svg << "<title>" << RaceName(hex.ownerRace, layout) << " hex (" << hex.hexX << "," << hex.hexY << ")\nDV "
      << hex.dvCurrent << "/" << hex.dvMax << ", Econ " << hex.econCurrent << "/" << hex.econMax;
  if (IsOstrel(layout)) {
    svg << "\ncartel: " << RaceName(hex.cartelRace, layout) << ", DV " << hex.cartelDvCurrent << "/"
        << hex.cartelDvMax;
  }
  svg << "\n";
  if (BaseKind(hex.base) >= 0) svg << Bare(BaseName(hex.base)) << ", ";
  if (PlanetKind(hex.planet) >= 0) svg << Bare(PlanetName(hex.planet)) << ", ";
  svg << Bare(TerrainName(hex.terrain));
  if (home != nullptr) {
    svg << "\nHomeworld of ";
    WriteHomeNames(svg, census, *home);
  }
  svg << "</title>";
}

// Calls `draw(hex, x, y)` for every hex of the grid with its centre.
template <typename Draw>
void ForEachHex(const Database& db, Draw&& draw) {
  const int64_t columns = db.map.columns;
  for (size_t at = 0; at < db.hexes.size(); ++at) {
    const auto index = static_cast<int64_t>(at);
    const int64_t column = index % columns;
    draw(db.hexes[at], HexCentreX(column), HexCentreY(column, index / columns));
  }
}

void WriteGrid(SvgOut& svg, const Database& db, const Census& census) {
  const Layout layout = db.layout;
  svg << "<g id=\"hexes\">\n";
  int64_t index = 0;
  size_t nextHome = 0;
  ForEachHex(db, [&](const tMapHex& hex, int64_t x, int64_t y) {
    const HomeHex* home = nullptr;
    if (nextHome < census.homeHexes.size() && census.homeworlds[census.homeHexes[nextHome].first].hex == index) {
      home = &census.homeHexes[nextHome++];
    }
    ++index;
    const bool ringed = HasRing(hex, layout);
    svg << "<use href=\"" << (ringed ? "#cell-ring" : "#cell") << "\" x=\"" << x << "\" y=\"" << y << "\" class=\"";
    WriteOwnerClass(svg, hex.ownerRace, layout);
    if (ringed) {
      svg << " ";
      WriteCartelClass(svg, hex.cartelRace, layout);
    }
    if (census.shade != MapShade::None) {
      const int64_t step = ShadeStep(ShadeCurrent(hex, census.shade), census.largestMax);
      if (step > 0) svg << " s" << step;
    }
    svg << "\">";
    WriteHexTooltip(svg, hex, layout, census, home);
    svg << "</use>\n";
  });
  svg << "</g>\n";

  // A hex with both a planet and a base shows the planet on the left.
  svg << "<g id=\"planets\" class=\"planet\">\n";
  ForEachHex(db, [&](const tMapHex& hex, int64_t x, int64_t y) {
    const int kind = PlanetKind(hex.planet);
    if (kind < 0) return;
    const int64_t shift = BaseKind(hex.base) >= 0 ? -4 : 0;
    svg << "<use href=\"#planet" << kind << "\" x=\"" << x + shift << "\" y=\"" << y << "\"><title>"
        << Bare(PlanetName(hex.planet)) << " (" << hex.hexX << "," << hex.hexY << ")</title></use>\n";
  });
  svg << "</g>\n<g id=\"bases\" class=\"base\">\n";
  ForEachHex(db, [&](const tMapHex& hex, int64_t x, int64_t y) {
    const int kind = BaseKind(hex.base);
    if (kind < 0) return;
    const int64_t shift = PlanetKind(hex.planet) >= 0 ? 4 : 0;
    svg << "<use href=\"#base" << kind << "\" x=\"" << x + shift << "\" y=\"" << y << "\"><title>"
        << Bare(BaseName(hex.base)) << " (" << hex.hexX << "," << hex.hexY << ")</title></use>\n";
  });
  svg << "</g>\n";

  if (census.valuesPrinted) {
    svg << "<g id=\"values\" pointer-events=\"none\">\n";
    ForEachHex(db, [&](const tMapHex& hex, int64_t x, int64_t y) {
      svg << "<text x=\"" << x << "\" y=\"" << y + 6 << "\">" << ShadeCurrent(hex, census.shade) << "/"
          << ShadeMax(hex, census.shade) << "</text>\n";
    });
    svg << "</g>\n";
  }
}

// One marker per homeworld hex, and then the labels that fit, over every
// marker: a plate with the names of its players.
void WriteHomeworlds(SvgOut& svg, const Database& db, const Census& census) {
  if (census.homeHexes.empty()) return;
  const int64_t columns = db.map.columns;
  svg << "<g id=\"homeworlds\">\n";
  for (const HomeHex& home : census.homeHexes) {
    const Homeworld& first = census.homeworlds[home.first];
    const int64_t column = first.hex % columns;
    svg << "<use href=\"#home\" x=\"" << HexCentreX(column) << "\" y=\"" << HexCentreY(column, first.hex / columns)
        << "\"><title>Homeworld of ";
    WriteHomeNames(svg, census, home);
    svg << " (" << first.column << "," << first.row << ")</title></use>\n";
  }
  svg << "</g>\n<g id=\"labels\">\n";
  const int64_t baseline = LabelSize(census.scale).value * 102 / 100;
  for (const HomeLabel& label : census.labels) {
    const Box& box = label.box;
    svg << "<g class=\"label\"><rect x=\"" << Hundredths{box.left} << "\" y=\"" << Hundredths{box.top}
        << "\" width=\"" << Hundredths{box.width} << "\" height=\"" << Hundredths{box.height} << "\" rx=\""
        << Hundredths{box.height / 4} << "\"/><text x=\"" << Hundredths{box.left + box.width / 2} << "\" y=\""
        << Hundredths{box.top + baseline} << "\">";
    WriteLabelText(svg, census, label);
    svg << "</text></g>\n";
  }
  svg << "</g>\n";
}

// The title: the campaign's name (or the report's heading for a campaign
// without one), and the current date as the report gives it.
void WriteTitle(SvgOut& svg, const tCampaignObject& campaign) {
  svg << "<text id=\"title\" x=\"" << kMargin << "\" y=\"" << kTitleBaseline << "\">";
  if (campaign.campaignName.empty()) {
    svg << "Campaign Information";
  } else {
    svg.Escaped(campaign.campaignName, kTitleLimit);
  }
  svg << "</text>\n<text id=\"date\" x=\"" << kMargin << "\" y=\"" << kDateBaseline << "\">Current date is "
      << int64_t{campaign.baseYear} + YearOffset(campaign.currentTurn, campaign.turnsPerYear) << "."
      << TurnOfYear(campaign.currentTurn, campaign.turnsPerYear) << "</text>\n";
}

}  // namespace

MapSummary DrawMap(const Database& db, const MapOptions& options, ByteWriter& out) {
  MapSummary summary;
  SvgOut svg(out);
  summary.note = WhyNotDrawn(db);
  summary.gridDrawn = summary.note.empty();

  // The sizes of the parts, in pixels, and of the grid in its own units.
  const int64_t columns = db.map.columns;
  const int64_t rows = db.map.rows;
  Census census;
  int64_t scale = kLeastScale;
  int64_t contentWidth = 0;
  int64_t contentHeight = 0;
  if (summary.gridDrawn) {
    census = TakeCensus(db, options);
    const int64_t gridWidth = kColumnStep * (columns - 1) + 2 * kHexHalfWidth;
    const int64_t gridHeight = kLabelRoom + kRowStep * rows + (columns > 1 ? kHexHalfHeight : 0);
    scale = std::clamp(kMapPixels * 100 / std::max(gridWidth, gridHeight), kLeastScale, kMostScale);
    census.valuesPrinted = options.shade != MapShade::None && scale >= kScaleForValues;
    census.scale = scale;
    PlaceHomeworldLabels(census, columns, rows, gridWidth, gridHeight, LabelSize(scale).value);
    const int64_t mapWidth = (gridWidth * scale + 99) / 100;
    const int64_t mapHeight = (gridHeight * scale + 99) / 100;
    contentWidth = mapWidth + kLegendGap + kLegendWidth;
    contentHeight = std::max(mapHeight, LegendHeight(census));
    summary.hexesDrawn = db.hexCount();
  } else {
    contentWidth = TextWidth(summary.note.size(), 15);
    contentHeight = 30;
  }
  const Text& name = db.campaign.campaignName;
  const int64_t titleWidth = TextWidth(std::min(name.empty() ? 20 : name.size(), kTitleLimit + 1), kTitleSize);
  const int64_t sourceBaseline = kMapTop + contentHeight + 28;
  const int64_t sourceWidth = TextWidth(std::min(options.sourceName.size(), kSourceLimit + 1), 11) + 200;
  const int64_t width = 2 * kMargin + std::max({contentWidth, titleWidth, sourceWidth});
  const int64_t height = sourceBaseline + 14;

  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
      << width << "\" height=\"" << height << "\" viewBox=\"0 0 " << width << " " << height
      << "\" font-family=\"DejaVu Sans,Verdana,Arial,sans-serif\">\n<title>";
  if (name.empty()) {
    svg << "Campaign Information";
  } else {
    svg.Escaped(name, kTitleLimit);
  }
  svg << ": hex map</title>\n";
  WriteStyle(svg, db.layout, scale);
  WriteDefinitions(svg, options.shade != MapShade::None, census.valuesPrinted);
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"#f6f5f0\"/>\n";
  WriteTitle(svg, db.campaign);

  if (summary.gridDrawn) {
    svg << "<g id=\"map\" transform=\"translate(" << kMargin << " " << kMapTop << ") scale(" << Hundredths{scale}
        << ")\">\n";
    WriteGrid(svg, db, census);
    WriteHomeworlds(svg, db, census);
    svg << "</g>\n<g id=\"legend\" transform=\"translate("
        << kMargin + contentWidth - kLegendWidth << " " << kMapTop << ")\">\n";
    WriteLegend(svg, census);
    svg << "</g>\n";
  } else {
    svg << "<text id=\"note\" x=\"" << kMargin << "\" y=\"" << kMapTop + 20 << "\">" << summary.note
        << "</text>\n";
  }

  svg << "<text id=\"source\" x=\"" << kMargin << "\" y=\"" << sourceBaseline << "\">";
  svg.Escaped(options.sourceName, kSourceLimit);
  svg << " \xC2\xB7 " << LayoutName(db.layout) << " layout \xC2\xB7 " << columns << " columns by " << rows
      << " rows</text>\n</svg>\n";
  return summary;
}

}  // namespace campdb
