// Where the names of the players go on the map. A label is a plate with the
// names of the players at home in a hex, above or below it; on a crowded map
// most hexes get none, and their names are in the hex's tooltip instead.
#include <algorithm>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>

#include "svgmap/map_picture.h"

namespace campdb::svgmap {

namespace {

constexpr size_t kNamesShown = 3;

// A generous width of a label's text in bold, in hundredths of the font
// size: capitals and wide letters take nearly the font's size, other
// letters, digits and punctuation about seven tenths, and every byte beyond
// ASCII (a part of one character, or a replacement character) a whole one.
int64_t Width(std::string_view text) {
  int64_t width = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool wide = byte >= 0x80 || (byte >= 'A' && byte <= 'Z') || c == 'm' || c == 'w' || c == '@' || c == '%';
    width += byte >= 0x80 ? 100 : wide ? 95 : 70;
  }
  return width;
}

// The width a label takes, never less than what it writes: each name cut at
// the limit, with the ellipsis, the separators, and " +N" when some are left
// out.
int64_t LabelWidth(const Census& census, const HomeHex& home, size_t names) {
  int64_t width = 0;
  for (size_t i = home.first; i < home.first + names; ++i) {
    const Text name = census.homeworlds[i].name;
    width += Width(name.substr(0, kNameLimit)) + (name.size() > kNameLimit ? 100 : 0) + (i > home.first ? 140 : 0);
  }
  if (home.Players() > names) width += Width(" +" + std::to_string(home.Players() - names));
  return width;
}

// The labels placed so far, by the cells of a coarse grid they touch.
class Placed {
 public:
  explicit Placed(int64_t cell) : cell_(cell) {}

  // Whether `box`, grown by the clearance on every side, meets no label.
  bool Free(Box box, int64_t clearX, int64_t clearY) const {
    box.left -= clearX;
    box.top -= clearY;
    box.width += 2 * clearX;
    box.height += 2 * clearY;
    bool free = true;
    ForCells(box, [&](int64_t key) {
      const auto found = cells_.find(key);
      if (found == cells_.end()) return;
      for (const Box& other : found->second) free = free && !other.Overlaps(box);
    });
    return free;
  }
  void Add(const Box& box) {
    ForCells(box, [&](int64_t key) { cells_[key].push_back(box); });
  }

 private:
  template <typename Visit>
  void ForCells(const Box& box, Visit&& visit) const {
    const auto cell = [&](int64_t at) { return (at < 0 ? at - cell_ + 1 : at) / cell_; };
    for (int64_t x = cell(box.left); x <= cell(box.left + box.width); ++x) {
      for (int64_t y = cell(box.top); y <= cell(box.top + box.height); ++y) visit(x * 1'000'003 + y);
    }
  }

  int64_t cell_;
  std::unordered_map<int64_t, std::vector<Box>> cells_;
};

}  // namespace

void PlaceHomeworldLabels(Census& census, int64_t columns, int64_t rows, int64_t gridWidth, int64_t gridHeight,
                          int64_t fontSize) {
  const int64_t gridHexes = columns * rows;
  census.homeHexes.clear();
  census.labels.clear();
  for (size_t first = 0; first < census.homeworlds.size();) {
    size_t end = first;
    while (end < census.homeworlds.size() && census.homeworlds[end].hex == census.homeworlds[first].hex) ++end;
    census.homeHexes.push_back(HomeHex{first, end});
    first = end;
  }
  // Largest households first, then in grid order.
  std::vector<size_t> order(census.homeHexes.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return census.homeHexes[a].Players() > census.homeHexes[b].Players();
  });

  const int64_t height = fontSize * 13 / 10;
  const int64_t padding = fontSize / 4;
  const int64_t right = gridWidth * 100;
  const int64_t bottom = gridHeight * 100;
  Placed placed(std::max<int64_t>(height * 4, 1));
  // Labels keep a hex's width and a row's height apart, so that the map
  // shows between them; on a crowded map (homeworlds in more than one hex
  // in ten) they name the first player only.
  const int64_t clearX = 2 * kHexHalfWidth * 100;
  const int64_t clearY = kRowStep * 100;
  const bool crowded = static_cast<int64_t>(census.homeHexes.size()) * 10 > gridHexes;
  for (const size_t at : order) {
    const HomeHex& home = census.homeHexes[at];
    const int64_t hex = census.homeworlds[home.first].hex;
    const int64_t column = hex % columns;
    const int64_t x = HexCentreX(column) * 100;
    const int64_t y = HexCentreY(column, hex / columns) * 100;
    const size_t full = crowded ? 1 : std::min(home.Players(), kNamesShown);
    for (const size_t names : {full, size_t{1}}) {
      Box box;
      box.width = LabelWidth(census, home, names) * fontSize / 100 + 2 * padding;
      box.height = height;
      if (box.width > right) continue;
      box.left = std::clamp(x - box.width / 2, int64_t{0}, right - box.width);
      bool done = false;
      for (const int64_t top : {y - kHexHalfHeight * 100 - height, y + kHexHalfHeight * 100}) {
        box.top = top;
        if (top < 0 || top + height > bottom || !placed.Free(box, clearX, clearY)) continue;
        placed.Add(box);
        census.labels.push_back(HomeLabel{at, names, box});
        done = true;
        break;
      }
      if (done || names == 1) break;
    }
  }
  std::sort(census.labels.begin(), census.labels.end(),
            [](const HomeLabel& a, const HomeLabel& b) { return a.home < b.home; });
}

void WriteLabelText(SvgOut& svg, const Census& census, const HomeLabel& label) {
  const HomeHex& home = census.homeHexes[label.home];
  for (size_t i = home.first; i < home.first + label.names; ++i) {
    if (i > home.first) svg << ", ";
    svg.Escaped(census.homeworlds[i].name, kNameLimit);
  }
  if (home.Players() > label.names) svg << " +" << home.Players() - label.names;
}

}  // namespace campdb::svgmap
