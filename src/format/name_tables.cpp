#include "format/name_tables.h"

#include <array>


namespace campdb {

namespace {

constexpr std::array<std::string_view, 16> kBaseRaces = {
    "Federation", "Klingon", "Romulan", "Lyran",   "Hydran",  "Gorn",      "ISC",        "Mirak",
    "Orion",      "Monster", "Tholian", "LDR",     "Wyn",     "Jindarian", "Andromedan", "Neutral"};

// The eight empires keep their codes; codes 8 to 15 are the empires' cartels
// (empire e has cartel e + 8) and the other races move up by eight.
constexpr std::array<std::string_view, 24> kOstrelRaces = {
    "Federation",   "Klingon",        "Romulan",      "Lyran",
    "Hydran",       "Gorn",           "ISC",          "Mirak",
    "Orion cartel", "Korgath cartel", "Prime cartel", "TigerHeart cartel",
    "BeastRaiders cartel", "Syndicate cartel", "Wyldefire cartel", "Camboro cartel",
    "Orion (npc)",  "Monster",        "Tholian",      "LDR",
    "Wyn",          "Jindarian",      "Andromedan",   "Neutral"};

constexpr std::array<std::string_view, 20> kHullClasses = {
    "shuttle",        "pseudofighter",  "freighter",     "frigate",       "destroyer",
    "war destroyer",  "light cruiser",  "heavy cruiser", "new heavy cruiser", "heavy battlecruiser",
    "carrier",        "dreadnought",    "battleship",    "listening post", "base station",
    "battle station", "starbase",       "monster",       "planet",        "special"};

template <size_t N>
std::string_view Lookup(const std::array<std::string_view, N>& table, int32_t code, std::string_view fallback) {
  if (code < 0 || static_cast<size_t>(code) >= N) return fallback;
  return table[static_cast<size_t>(code)];
}

}  // namespace

std::string_view RaceName(int32_t code, Layout layout) {
  if (IsOstrel(layout)) return Lookup(kOstrelRaces, code, "Unknown");
  return Lookup(kBaseRaces, code, "Unknown");
}

// Planet codes are single bits, three per kind.
std::string_view PlanetName(int32_t code) {
  switch (code) {
    case 1: case 2: case 4: return "homeworld, ";
    case 8: case 16: case 32: return "core world, ";
    case 64: case 128: case 256: return "colony world, ";
    case 512: case 1024: case 2048: return "asteroid base,";
    default: return "no planet, ";
  }
}

// Terrain codes are single bits; the kind is told by the range the value
// falls in, so a value with several bits set is named after its highest bit,
// and a negative value counts as empty space.
std::string_view TerrainName(int32_t code) {
  if (code == 0) return "unknown terrain, ";
  if (code < 64) return "empty space, ";
  if (code < 4096) return "asteroid, ";
  if (code < 262144) return "nebula, ";
  if (code < 16777216) return "black hole, ";
  if (code == 16777216) return "dust clouds, ";
  if (code == 33554432) return "shipping lane, ";
  if (code == 67108864) return "no terrain, ";
  return "unknown terrain, ";
}

std::string_view BaseName(int32_t code) {
  switch (code) {
    case 1: return "starbase, ";
    case 2: return "battlestation, ";
    case 4: return "base station, ";
    case 8: return "defsat, ";
    case 16: return "listening post, ";
    default: return "no base, ";
  }
}

std::string_view HullClassName(int32_t code) { return Lookup(kHullClasses, code, "unknown"); }

}  // namespace campdb
