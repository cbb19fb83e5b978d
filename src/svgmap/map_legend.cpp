// The legend beside the map: the races present with the hexes each holds,
// the cartels shown as rings, the planets and bases, the homeworlds, and
// the shading when there is one. It is laid out once to learn its height
// and once more to be written, by the same code.
#include <array>
#include <cstdint>
#include <utility>
#include <string>

#include "format/name_tables.h"
#include "svgmap/map_picture.h"
#include "svgmap/palette.h"

namespace campdb::svgmap {

namespace {

constexpr int64_t kRowHeight = 19;
constexpr int64_t kHeadingGap = 10;
constexpr int64_t kSmallRowHeight = 15;
// Players whose homeworld is off the map are named, up to this many.
constexpr size_t kElsewhereShown = 8;
constexpr int64_t kIndent = 12;

class Legend {
 public:
  explicit Legend(SvgOut* svg) : svg_(svg) {}

  int64_t Height() const { return y_; }
  void Gap() { y_ += kHeadingGap; }

  void Heading(std::string_view text, std::string_view countHeading = {}) {
    if (y_ > 0) y_ += kHeadingGap;
    y_ += kRowHeight;
    if (svg_ == nullptr) return;
    *svg_ << "<text class=\"heading\" y=\"" << y_ - 5 << "\">" << text << "</text>";
    if (!countHeading.empty()) {
      *svg_ << "<text class=\"count small\" x=\"" << kLegendWidth << "\" y=\"" << y_ - 5 << "\">" << countHeading
            << "</text>";
    }
    *svg_ << "\n";
  }

  // A row: a sample of what the map shows (markup drawn around 9,-5), its
  // meaning, and a count.
  template <typename Sample, typename Label>
  void Row(Sample&& sample, Label&& label, int64_t count) {
    y_ += kRowHeight;
    if (svg_ == nullptr) return;
    *svg_ << "<g class=\"entry\" transform=\"translate(0 " << y_ - 5 << ")\">";
    sample(*svg_);
    *svg_ << "<text x=\"26\">";
    label(*svg_);
    *svg_ << "</text><text class=\"count\" x=\"" << kLegendWidth << "\">" << count << "</text></g>\n";
  }

  template <typename Label>
  void Small(Label&& label, int64_t indent = 0) {
    y_ += kSmallRowHeight;
    if (svg_ == nullptr) return;
    *svg_ << "<text class=\"small\" x=\"" << indent << "\" y=\"" << y_ - 4 << "\">";
    label(*svg_);
    *svg_ << "</text>\n";
  }
  void Note(std::string_view text) {
    Small([&](SvgOut& svg) { svg << text; });
  }

  // Five sample hexes, from no darkening to the darkest, with the values
  // they stand for under them.
  void ShadeScale(int64_t largestMax) {
    y_ += 40;
    if (svg_ == nullptr) return;
    *svg_ << "<g class=\"scale\" transform=\"translate(0 " << y_ - 28 << ")\">";
    for (int64_t i = 0; i <= 4; ++i) {
      const int64_t x = 12 + 34 * i;
      *svg_ << "<use href=\"#hex\" transform=\"translate(" << x << " 0)\" class=\"unowned\"/>";
      if (i > 0) {
        *svg_ << "<use href=\"#hex\" transform=\"translate(" << x << " 0)\" class=\"s" << 2 * i
              << "\" fill=\"#000\"/>";
      }
      *svg_ << "<text class=\"small\" x=\"" << x << "\" y=\"22\" text-anchor=\"middle\">" << largestMax * i / 4
            << "</text>";
    }
    *svg_ << "</g>\n";
  }

 private:
  SvgOut* svg_;
  int64_t y_ = 0;
};

// A sample of a shape of the map, as the map draws it, at the row's start.
void Swatch(SvgOut& svg, const std::string& shape, std::string_view scale, const std::string& cls) {
  svg << "<use href=\"#" << shape << "\" transform=\"translate(9 -5) scale(" << scale << ")\"";
  if (!cls.empty()) svg << " class=\"" << cls << "\"";
  svg << "/>";
}

std::string Numbered(std::string_view stem, int code) { return std::string(stem) + std::to_string(code); }

void Draw(Legend& legend, const Census& census) {
  const Layout layout = census.layout;
  legend.Heading("Races", "hexes");
  for (int32_t code = 0; code < RaceCodes(layout); ++code) {
    const int64_t count = census.races[static_cast<size_t>(code)];
    if (count == 0) continue;
    legend.Row([&](SvgOut& svg) { Swatch(svg, "hex", ".8", Numbered("race", code)); },
               [&](SvgOut& svg) { svg << RaceName(code, layout); }, count);
  }
  const auto noRace = [&](int64_t count, std::string_view cls, std::string_view label) {
    if (count == 0) return;
    legend.Row([&](SvgOut& svg) { Swatch(svg, "hex", ".8", std::string(cls)); },
               [&](SvgOut& svg) { svg << label; }, count);
  };
  noRace(census.unowned, "unowned", "Unowned");
  noRace(census.unknown, "unknown", "Unknown race code");
  noRace(census.barrier, "barrier", "Barrier");

  int64_t ringed = census.otherCartels;
  for (const int64_t count : census.cartels) ringed += count;
  if (ringed > 0) {
    legend.Heading("Cartels (inner ring)", "hexes");
    for (int32_t code = 0; code < RaceCodes(layout); ++code) {
      const int64_t count = census.cartels[static_cast<size_t>(code)];
      if (count == 0) continue;
      legend.Row([&](SvgOut& svg) { Swatch(svg, "ring", "1.1", Numbered("cartel", code)); },
                 [&](SvgOut& svg) { svg << RaceName(code, layout); }, count);
    }
    if (census.otherCartels > 0) {
      legend.Row([&](SvgOut& svg) { Swatch(svg, "ring", "1.1", "cartel-other"); },
                 [&](SvgOut& svg) { svg << "Unknown race code"; }, census.otherCartels);
    }
  }

  int64_t glyphs = 0;
  for (const int64_t count : census.planets) glyphs += count;
  for (const int64_t count : census.bases) glyphs += count;
  if (glyphs > 0) {
    legend.Heading("Planets and bases", "hexes");
    for (int kind = 0; kind < kPlanetKinds; ++kind) {
      const int64_t count = census.planets[static_cast<size_t>(kind)];
      if (count == 0) continue;
      legend.Row([&](SvgOut& svg) { Swatch(svg, Numbered("planet", kind), "1.4", "planet"); },
                 [&](SvgOut& svg) { svg << Bare(PlanetName(kPlanetCodes[static_cast<size_t>(kind)])); }, count);
    }
    for (int kind = 0; kind < kBaseKinds; ++kind) {
      const int64_t count = census.bases[static_cast<size_t>(kind)];
      if (count == 0) continue;
      legend.Row([&](SvgOut& svg) { Swatch(svg, Numbered("base", kind), "1.4", "base"); },
                 [&](SvgOut& svg) { svg << Bare(BaseName(kBaseCodes[static_cast<size_t>(kind)])); }, count);
    }
  }

  if (!census.homeworlds.empty() || !census.elsewhere.empty()) {
    legend.Heading("Players", "players");
    if (!census.homeworlds.empty()) {
      legend.Row([&](SvgOut& svg) { Swatch(svg, "home", ".8", "home"); },
                 [&](SvgOut& svg) { svg << "Homeworld of a player"; },
                 static_cast<int64_t>(census.homeworlds.size()));
      // How the players share their hexes, and where the names are.
      constexpr std::array<std::pair<size_t, size_t>, 4> kShares = {
          std::pair<size_t, size_t>{1, 1}, {2, 4}, {5, 9}, {10, SIZE_MAX}};
      std::array<int64_t, 4> hexes{};
      for (const HomeHex& home : census.homeHexes) {
        for (size_t k = 0; k < kShares.size(); ++k) {
          if (home.Players() >= kShares[k].first && home.Players() <= kShares[k].second) ++hexes[k];
        }
      }
      legend.Small([&](SvgOut& svg) { svg << "Hexes by players at home there:"; });
      for (size_t k = 0; k < kShares.size(); ++k) {
        if (hexes[k] == 0) continue;
        legend.Small(
            [&](SvgOut& svg) {
              const auto [least, most] = kShares[k];
              svg << least;
              if (most == SIZE_MAX) svg << " or more";
              if (most != least && most != SIZE_MAX) svg << " to " << most;
              svg << (most == 1 ? " player: " : " players: ") << hexes[k] << (hexes[k] == 1 ? " hex" : " hexes");
            },
            kIndent);
      }
      if (census.labels.size() < census.homeHexes.size()) {
        legend.Small([&](SvgOut& svg) {
          svg << "Named on the map: " << census.labels.size() << " of " << census.homeHexes.size() << " hexes;";
        });
        legend.Note("point at a hex for its players' names.");
      }
    }
    if (!census.elsewhere.empty()) {
      legend.Small([&](SvgOut& svg) { svg << "Homeworld off the map (" << census.elsewhere.size() << "):"; });
      for (size_t i = 0; i < census.elsewhere.size() && i < kElsewhereShown; ++i) {
        const Homeworld& home = census.elsewhere[i];
        legend.Small(
            [&](SvgOut& svg) {
              svg.Escaped(home.name, kNameLimit);
              svg << " (" << home.column << "," << home.row << ")";
            },
            kIndent);
      }
      if (census.elsewhere.size() > kElsewhereShown) {
        legend.Small([&](SvgOut& svg) { svg << "and " << census.elsewhere.size() - kElsewhereShown << " more"; },
                     kIndent);
      }
    }
  }

  if (census.shade != MapShade::None) {
    const bool econ = census.shade == MapShade::Econ;
    legend.Heading(econ ? "Shading: economy" : "Shading: defence");
    if (census.largestMax <= 0) {
      legend.Note("No hex has a maximum above 0: nothing is shaded.");
    } else {
      legend.Note(econ ? "Darker: a larger current economic value," : "Darker: a larger current defensive value,");
      legend.Small([&](SvgOut& svg) { svg << "against the largest maximum, " << census.largestMax << "."; });
      legend.ShadeScale(census.largestMax);
    }
    if (census.valuesPrinted) legend.Note("Each hex shows current/maximum.");
  }

  legend.Gap();
  legend.Note("Point at a hex for what the report says of it.");
}

}  // namespace

int64_t LegendHeight(const Census& census) {
  Legend legend(nullptr);
  Draw(legend, census);
  return legend.Height();
}

void WriteLegend(SvgOut& svg, const Census& census) {
  Legend legend(&svg);
  Draw(legend, census);
}

}  // namespace campdb::svgmap
