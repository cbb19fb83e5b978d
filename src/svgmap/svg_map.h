// The campaign's hex map drawn as one self-contained SVG picture: a hexagon
// per hex in the colour of its owner, glyphs for planets and bases, the
// cartels of the Ostrel layout as inner rings, the human players'
// homeworlds with their names, an optional shading by economy or defence, a
// title, a legend and a line of small print. Every hex carries what the
// report says of it as a tooltip.
//
// The picture is written into a ByteWriter as it is made, so with a sink
// behind the writer no more than the writer's chunk of it is held at a time.
// It stays small for large maps: colours are CSS classes and every repeated
// shape is a <use> of one definition.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "format/byte_stream.h"
#include "format/database.h"

namespace campdb {

// What each hex is darkened by, if anything: its current economic or
// defensive value against the largest maximum of the map.
enum class MapShade { None, Econ, Dv };

struct MapOptions {
  MapShade shade = MapShade::None;
  // The database's file name, for the small print.
  std::string_view sourceName;
};

struct MapSummary {
  // Whether the grid of hexes was drawn, and how many hexes it has.
  bool gridDrawn = false;
  int64_t hexesDrawn = 0;
  // When the grid is not drawn, why not, in one line; the picture shows the
  // same line in its place.
  std::string note;
};

// Draws the map of a loaded database. The grid is drawn when the map's
// columns and rows are positive and the database holds all columns * rows
// hexes; otherwise the picture holds the title, a one-line note in place of
// the grid and the small print. Any database, however damaged, gives a
// well-formed picture.
MapSummary DrawMap(const Database& db, const MapOptions& options, ByteWriter& out);

}  // namespace campdb
