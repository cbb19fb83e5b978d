// What the parts of the map picture share: the geometry of the grid, what
// the map holds (counted once, before anything is drawn), and the legend.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "svgmap/svg_map.h"
#include "svgmap/svg_text.h"

namespace campdb::svgmap {

// The grid, in the map's own units. Hexes are flat-topped, 20 units wide
// and 18 high; columns run left to right 15 units apart, rows top to bottom
// 18 apart, and every odd column (counting from 0) sits half a hex lower.
// Room is left above the first row for the homeworld labels.
constexpr int64_t kColumnStep = 15;
constexpr int64_t kRowStep = 18;
constexpr int64_t kHexHalfWidth = 10;
constexpr int64_t kHexHalfHeight = 9;
constexpr int64_t kLabelRoom = 9;

inline int64_t HexCentreX(int64_t column) { return kHexHalfWidth + kColumnStep * column; }
inline int64_t HexCentreY(int64_t column, int64_t row) {
  return kLabelRoom + kHexHalfHeight + kRowStep * row + (column % 2 == 1 ? kHexHalfHeight : 0);
}

// Planet codes are single bits, three per kind; base codes one bit per kind.
// The kind's index (largest first), or -1 for a code that names none.
int PlanetKind(int32_t code);
int BaseKind(int32_t code);
constexpr int kPlanetKinds = 4;
constexpr int kBaseKinds = 5;
// A code standing for each kind, for its name.
constexpr std::array<int32_t, kPlanetKinds> kPlanetCodes = {1, 8, 64, 512};
constexpr std::array<int32_t, kBaseKinds> kBaseCodes = {1, 2, 4, 8, 16};

// A name table's text without the separator it carries for the report
// ("starbase, " is "starbase").
std::string_view Bare(std::string_view tableText);

// A human player whose homeworld is on the map (`hex` its place in the
// grid) or off it (`hex` -1).
struct Homeworld {
  int64_t hex = -1;
  int64_t listed = 0;  // the player's place among the human players
  int32_t column = 0;
  int32_t row = 0;
  Text name;
};

// What the drawn map holds, counted before it is drawn.
struct Census {
  Layout layout = Layout::Base;
  MapShade shade = MapShade::None;
  // Hexes per owner code of the race table, and of the codes that name no
  // race.
  std::array<int64_t, 24> races{};
  int64_t unowned = 0;
  int64_t unknown = 0;
  int64_t barrier = 0;
  // Ostrel layout: hexes whose cartel differs from the owner, by cartel.
  std::array<int64_t, 24> cartels{};
  int64_t otherCartels = 0;
  std::array<int64_t, kPlanetKinds> planets{};
  std::array<int64_t, kBaseKinds> bases{};
  // The largest maximum of the shaded value, and whether the values are
  // printed in the hexes.
  int64_t largestMax = 0;
  bool valuesPrinted = false;
  std::vector<Homeworld> homeworlds;  // on the map, in grid order
  std::vector<Homeworld> elsewhere;   // off the map, in list order
};

// The legend: its height in pixels, and the legend itself, drawn with its
// top left corner at the origin.
int64_t LegendHeight(const Census& census);
void WriteLegend(SvgOut& svg, const Census& census);
constexpr int64_t kLegendWidth = 250;

// Names longer than this many characters are cut in labels and the legend.
constexpr size_t kNameLimit = 40;

}  // namespace campdb::svgmap
