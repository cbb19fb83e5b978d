#include "svgmap/palette.h"

#include <array>

namespace campdb {

namespace {

// The eight empires, which both layouts number 0 to 7.
constexpr std::array<std::string_view, 8> kEmpires = {
    "#2563c9",  // Federation: blue
    "#c62828",  // Klingon: red
    "#2e8b3e",  // Romulan: green
    "#f2c318",  // Lyran: gold
    "#0f9e9e",  // Hydran: teal
    "#8d5524",  // Gorn: brown
    "#7e57c2",  // ISC: purple
    "#f57c00",  // Mirak: orange
};

// The eight cartels of the Ostrel layout, codes 8 to 15.
constexpr std::array<std::string_view, 8> kCartels = {
    "#f8a5c8",  // Orion cartel: pale pink
    "#8e1650",  // Korgath cartel: wine
    "#9fe3d6",  // Prime cartel: pale aqua
    "#ff8a7a",  // TigerHeart cartel: salmon
    "#4a2c22",  // BeastRaiders cartel: dark chocolate
    "#d0a8e8",  // Syndicate cartel: lilac
    "#ffd08a",  // Wyldefire cartel: apricot
    "#c0e020",  // Camboro cartel: lime
};

// The other races, codes 8 to 15 in the base layout and 16 to 23 in the
// Ostrel layout; a race keeps its colour in both.
constexpr std::array<std::string_view, 8> kOthers = {
    "#e8437e",  // Orion: pink
    "#6e7a12",  // Monster: olive
    "#5ec4f2",  // Tholian: sky blue
    "#b0608f",  // LDR: mauve
    "#7ccf62",  // Wyn: light green
    "#b98e5c",  // Jindarian: caramel
    "#13236b",  // Andromedan: navy
    "#efe6cf",  // Neutral: cream
};

}  // namespace

int32_t RaceCodes(Layout layout) { return IsOstrel(layout) ? 24 : 16; }

std::string_view RaceColour(int32_t code, Layout layout) {
  if (code < 0 || code >= RaceCodes(layout)) return kUnknownColour;
  const auto at = static_cast<size_t>(code);
  if (at < 8) return kEmpires[at];
  if (IsOstrel(layout) && at < 16) return kCartels[at - 8];
  return kOthers[at - (IsOstrel(layout) ? 16 : 8)];
}

OwnerKind OwnerKindOf(int32_t code, Layout layout) {
  if (code >= 0 && code < RaceCodes(layout)) return OwnerKind::Race;
  if (code == kBarrierOwner) return OwnerKind::Barrier;
  return code < 0 ? OwnerKind::Unowned : OwnerKind::Unknown;
}

}  // namespace campdb
