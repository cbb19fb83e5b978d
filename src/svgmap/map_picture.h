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

// The players at home in one hex: a run [first, end) of the census's
// homeworlds.
struct HomeHex {
  size_t first = 0;
  size_t end = 0;
  size_t Players() const { return end - first; }
};

// A box in the map's units, in hundredths.
struct Box {
  int64_t left = 0;
  int64_t top = 0;
  int64_t width = 0;
  int64_t height = 0;
  bool Overlaps(const Box& other) const {
    return left < other.left + other.width && other.left < left + width && top < other.top + other.height &&
           other.top < top + height;
  }
};

// The label of a homeworld hex: the first `names` of its players' names
// (and how many more), in a plate that covers no other label and stays
// within the grid's area.
struct HomeLabel {
  size_t home = 0;  // index in Census::homeHexes
  size_t names = 0;
  Box box;
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
  int64_t scale = 100;  // hundredths: pixels per map unit
  std::vector<Homeworld> homeworlds;  // on the map, in grid order
  std::vector<Homeworld> elsewhere;   // off the map, in list order
  std::vector<HomeHex> homeHexes;     // in grid order
  std::vector<HomeLabel> labels;      // in the order of homeHexes
};

// Places a label for every homeworld hex it can, largest households first,
// each above or below its hex, with its first names or with the first one
// only, wherever it keeps clear of every label placed before it and stays
// within the grid's area (`gridWidth` by `gridHeight` map units).
// `fontSize` is the labels' size in hundredths of a map unit.
void PlaceHomeworldLabels(Census& census, int64_t columns, int64_t rows, int64_t gridWidth, int64_t gridHeight,
                          int64_t fontSize);
// The label's text: the names and, when some are left out, " +N".
void WriteLabelText(SvgOut& svg, const Census& census, const HomeLabel& label);

// The legend: its height in pixels, and the legend itself, drawn with its
// top left corner at the origin.
int64_t LegendHeight(const Census& census);
void WriteLegend(SvgOut& svg, const Census& census);
constexpr int64_t kLegendWidth = 250;

// Names longer than this many characters are cut in labels and the legend.
constexpr size_t kNameLimit = 40;

}  // namespace campdb::svgmap
