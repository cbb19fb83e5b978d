// campdb-gen: writes a large, well-formed campaign database for measuring
// the tool.
//
//   campdb-gen [--ostrel] [--far-ships] [--seed N] [--map COLUMNSxROWS] OBJECTS OUTPUT
//
// OBJECTS is the number of misc objects after the political record: human
// and AI players with their ships, shipyard vessels, bids and news stories,
// in ascending objectId order. A player's ships follow the player, or with
// --far-ships lie anywhere after it in the list, far from their captain.
// The map has 40 x 30 hexes unless --map gives
// its size (at most 2000 x 2000). --ostrel writes
// the Ostrel layout instead of the base layout. The same arguments always
// give the same file.

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "support/large_database.h"

namespace {

void Usage() {
  std::fputs("Usage: campdb-gen [--ostrel] [--far-ships] [--seed N] [--map COLUMNSxROWS] OBJECTS OUTPUT\n", stderr);
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
  campdb::testdb::LargeDatabaseOptions options;
  const char* outputName = nullptr;
  bool haveCount = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--ostrel") {
      options.layout = campdb::testdb::Layout::Ostrel;
    } else if (arg == "--far-ships") {
      options.farShips = true;
    } else if (arg == "--seed" && i + 1 < argc) {
      if (!ParseNumber(argv[++i], options.seed)) {
        Usage();
        return 2;
      }
    } else if (arg == "--map" && i + 1 < argc) {
      const std::string_view size = argv[++i];
      const size_t by = size.find('x');
      if (by == std::string_view::npos || !ParseNumber(size.substr(0, by), options.columns) ||
          !ParseNumber(size.substr(by + 1), options.rows) || options.columns < 0 || options.rows < 0 ||
          options.columns > 2000 || options.rows > 2000) {
        Usage();
        return 2;
      }
    } else if (!haveCount) {
      // Every object takes at most two ids above 10000 and the header
      // counts them in an int32.
      if (!ParseNumber(arg, options.objects) || options.objects < 0 || options.objects > 1'000'000'000) {
        Usage();
        return 2;
      }
      haveCount = true;
    } else if (outputName == nullptr) {
      outputName = argv[i];
    } else {
      Usage();
      return 2;
    }
  }
  if (!haveCount || outputName == nullptr) {
    Usage();
    return 2;
  }

  std::FILE* file = std::fopen(outputName, "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "campdb-gen: cannot create %s: %s\n", outputName, std::strerror(errno));
    return 1;
  }
  bool written = true;
  const auto summary = campdb::testdb::GenerateLargeDatabase(options, [&](std::string_view piece) {
    if (written && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size()) written = false;
  });
  if (std::fclose(file) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "campdb-gen: cannot write %s\n", outputName);
    std::remove(outputName);
    return 1;
  }
  std::printf(
      "%s: %lld bytes, %lld hexes, %lld objects: %lld human and %lld AI players (%lld holding bases), "
      "%lld captained ships, %lld orphaned ships, %lld shipyard vessels, %lld bids, %lld news stories; "
      "Clean keeps %lld\n",
      outputName, static_cast<long long>(summary.bytes), static_cast<long long>(summary.hexes),
      static_cast<long long>(options.objects), static_cast<long long>(summary.humanCharacters),
      static_cast<long long>(summary.aiCharacters), static_cast<long long>(summary.aiCharactersHoldingBases),
      static_cast<long long>(summary.captainedShips), static_cast<long long>(summary.orphanShips),
      static_cast<long long>(summary.shipyardVessels), static_cast<long long>(summary.bids),
      static_cast<long long>(summary.newsStories), static_cast<long long>(summary.keptByClean));
  return 0;
}
