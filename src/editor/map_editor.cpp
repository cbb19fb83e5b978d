// The map editor. Numbers are read as plain decimal; commands are
// case-sensitive where the menus say so (d and D, e and E differ). Values
// are not range-checked: an adjustment is simply added, wrapping as a 32-bit
// two's-complement value the way the server's own arithmetic does.
//
// When the input ends while the editor waits for an answer, the read that
// met the end changes nothing and the editor returns straight away, printing
// nothing more (the console prints its end notice).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"
#include "format/name_tables.h"

namespace campdb {

namespace {

constexpr auto kDecimal = NumberForm::Decimal;

// Owner code of a barrier hex, and its terrain: every bit set.
constexpr int32_t kBarrierOwner = 32;
constexpr int32_t kBarrierTerrain = -1;

int32_t WrappingAdd(int32_t value, int32_t adjustment) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(adjustment));
}

// Race codes behind the owner letters; the same codes in both layouts.
std::optional<int32_t> OwnerCodeOf(char letter) {
  switch (letter) {
    case 'F': return 0;
    case 'K': return 1;
    case 'R': return 2;
    case 'L': return 3;
    case 'H': return 4;
    case 'G': return 5;
    case 'I': return 6;
    case 'Z': return 7;
    case 'O': return 8;
    case 'N': return 15;
    default: return std::nullopt;
  }
}

// Base bit values by the number the operator picks.
int32_t BaseCodeOf(int32_t choice) {
  switch (choice) {
    case 1: return 16;  // listening post
    case 2: return 8;   // defsat
    case 3: return 4;   // base station
    case 4: return 2;   // battlestation
    case 5: return 1;   // starbase
    default: return 0;  // no base
  }
}

// Prints the prompt line and reads a decimal number into the field.
void AskValue(Console& console, std::string prompt, int32_t& field) {
  AskInto(console, NumberQuestion{{std::move(prompt)}, kDecimal}, field);
}

// The all-hexes menu; returns when the operator leaves it or the input ends.
void EditAllHexes(std::vector<tMapHex>& hexes, Console& console) {
  // Adds an adjustment the operator gives to one field of every hex.
  const auto adjust = [&](int32_t tMapHex::*field) {
    return [&hexes, &console, field] {
      const auto adjustment = console.Ask(NumberQuestion{{"Enter the desired adjustment value"}, kDecimal});
      if (!adjustment) return;
      for (tMapHex& hex : hexes) hex.*field = WrappingAdd(hex.*field, *adjustment);
    };
  };
  const Menu menu{
      .rows =
          {
              Command("Rr", "Enter R to reset all current hex DVs to fifty percent of their maximum",
                      [&] {
                        // Half the maximum, rounding toward minus infinity: 7 gives 3, -7 gives -4.
                        for (tMapHex& hex : hexes) hex.dvCurrent = hex.dvMax >> 1;
                      }),
              Command("D", "   or D to add a fixed amount to all hexes maximum DVs", adjust(&tMapHex::dvMax)),
              Command("d", "   or d to add a fixed amount to all hexes current DVs", adjust(&tMapHex::dvCurrent)),
              Command("E", "   or E to add a fixed amount to all hexes maximum Econ", adjust(&tMapHex::econMax)),
              Command("e", "   or e to add a fixed amount to all hexes current Econ", adjust(&tMapHex::econCurrent)),
              Line("   or enter anything else to quit"),
          },
      .afterUnknown = MenuNext::Leave,
  };
  console.RunMenu(menu);
}

// A row or column: a number in 0..limit-1, asked until one is given.
NumberQuestion PickIndex(std::string_view what, int32_t limit) {
  return {{Cat("Pick a ", what, " between 0 and ", int64_t{limit} - 1)}, kDecimal,
          [limit](int32_t value) { return value >= 0 && value < limit; }, "Invalid choice"};
}

void EditHex(tMapHex& hex, Console& console, Layout layout);

// One hex after another until the operator stops or the input ends.
void EditIndividualHexes(const tMapObject& map, std::vector<tMapHex>& hexes, Console& console, Layout layout) {
  bool another = false;
  const Menu next{
      .rows = {Command("Ee", "Enter E to edit another hex,", [&] { another = true; }, MenuNext::Leave),
               Line("   or anything else to quit")},
      .afterUnknown = MenuNext::Leave,
  };
  do {
    const auto row = console.Ask(PickIndex("row", map.rows));
    if (!row) return;
    const auto column = console.Ask(PickIndex("column", map.columns));
    if (!column) return;
    const auto index = static_cast<size_t>(int64_t{*row} * map.columns + *column);
    EditHex(hexes[index], console, layout);
    another = false;
    console.RunMenu(next);
  } while (another);
}

// A map can be edited when it has at least one row and one column and holds
// the rows x columns hexes that its size announces. Any other map is
// refused: without hexes there is none a row and column could name, and
// with a dimension of 0 or less no row or column answer could ever be in
// range (a map of -1 rows by -2 columns even announces two hexes).
bool MapIsEditable(const tMapObject& map, const std::vector<tMapHex>& hexes) {
  if (hexes.empty() || map.rows <= 0 || map.columns <= 0) return false;
  const int64_t needed = int64_t{map.rows} * int64_t{map.columns};
  return static_cast<int64_t>(hexes.size()) >= needed;
}

}  // namespace

int32_t PowerOfTwo(int32_t n) {
  uint32_t value = 1;
  // Doublings past the 32nd leave 0 and change nothing more.
  for (int32_t i = 0; i < n && i < 32; ++i) value <<= 1;
  return static_cast<int32_t>(value);
}

void EditHexMap(const tMapObject& map, std::vector<tMapHex>& hexes, Console& console, Layout layout) {
  if (console.Ended()) return;
  console.WriteLine();
  console.WriteLine("EDITING THE HEX MAP");
  if (!MapIsEditable(map, hexes)) {
    console.WriteUnusable("Bad map construction, unable to edit");
    return;
  }

  const Menu menu{
      .rows =
          {
              Command("Aa", "Enter A to modify ALL hexes simultaneously", [&] { EditAllHexes(hexes, console); },
                      MenuNext::Leave),
              Command("Ii", "   or I to modify individual hexes",
                      [&] { EditIndividualHexes(map, hexes, console, layout); }, MenuNext::Leave),
              Command("Qq", "   or Q to quit", nullptr, MenuNext::Leave),
          },
  };
  console.RunMenu(menu);
}

namespace {

// Shows the hex's menu, performs at most one change and returns.
void EditHex(tMapHex& hex, Console& console, Layout layout) {
  constexpr MenuNext kDone = MenuNext::Leave;
  // A menu choice read as a decimal number and stored through `store`.
  const auto pick = [&console](std::vector<std::string> lines, auto store) {
    return [&console, lines = std::move(lines), store] {
      if (const auto choice = console.Ask(NumberQuestion{lines, kDecimal})) store(*choice);
    };
  };
  const Menu menu{
      .rows =
          {
              Line(Cat("Modifying map hex (", hex.hexX, ",", hex.hexY, ")")),
              Command("R", Cat("Enter R to set the owning race (current:", RaceName(hex.ownerRace, layout), ")"),
                      [&] {
                        console.WriteLine("Pick the new owning race:");
                        console.WriteLine("F, K, R, L, H, G, I, Z, O, or N");
                        const auto letter = console.ReadAnswerChar();
                        if (!letter) return;
                        if (const auto code = OwnerCodeOf(*letter)) hex.ownerRace = *code;
                      },
                      kDone),
              Command("B", Cat("   or B to set the type of base (current:", BaseName(hex.base), ")"),
                      pick({"Pick the new base type:", "1 for LP, 2 for DefSat, 3 for base, 4 for Bats, 5 for SB",
                            "or any other value for no base"},
                           [&hex](int32_t choice) { hex.base = BaseCodeOf(choice); }),
                      kDone),
              Command("P", Cat("   or P to set the type of planet (current:", PlanetName(hex.planet), ")"),
                      pick({"Pick the new planet type:", "0, 1, or 2 for homeworld", "3, 4, or 5 for core world",
                            "6, 7, or 8 for colony", "or anything else for no planet"},
                           [&hex](int32_t choice) {
                             hex.planet = (choice >= 0 && choice <= 8) ? PowerOfTwo(choice) : 0;
                           }),
                      kDone),
              Command("T", Cat("   or T to set the type of terrain (current:", TerrainName(hex.terrain), ")"),
                      pick({"Pick the new terrain type (there are multiple variants for most types):",
                            "Enter 0..5 for empty space", "   or 6..11 for asteroids", "   or 12..17 for nebulae",
                            "   or 18..23 for black holes", "   or 24 for dust clouds", "   or 25 for shipping lane"},
                           [&hex](int32_t choice) {
                             if (choice >= 0 && choice <= 25) hex.terrain = static_cast<int32_t>(uint32_t{1} << choice);
                           }),
                      kDone),
              Command("D", Cat("   or D to set the maximum defensive value (current:", hex.dvMax, ")"),
                      [&] { AskValue(console, "Please enter the new maximum defensive value", hex.dvMax); }, kDone),
              Command("d", Cat("   or d to set the current defensive value (current:", hex.dvCurrent, ")"),
                      [&] { AskValue(console, "Please enter the new current defensive value", hex.dvCurrent); },
                      kDone),
              Command("E", Cat("   or E to set the maximum economic value (current:", hex.econMax, ")"),
                      [&] { AskValue(console, "Please enter the new maximum economic value", hex.econMax); }, kDone),
              Command("e", Cat("   or e to set the current economic value (current:", hex.econCurrent, ")"),
                      [&] { AskValue(console, "Please enter the new current economic value", hex.econCurrent); },
                      kDone),
              Command("C", "   or C to cancel", [&] { console.WriteLine("Cancelling hex modification"); }, kDone),
              Line(),
              Command("X", "   or X to create a barrier hex",
                      [&] {
                        hex.ownerRace = kBarrierOwner;
                        hex.terrain = kBarrierTerrain;
                        hex.trailingWords.fill(0);
                      },
                      kDone),
              Line(std::string(kNoUndoWarning)),
          },
      .unknown =
          [](char answer) {
            return std::vector<std::string>{Cat("An invalid command was entered: ", answer), "Please try again", ""};
          },
  };
  console.RunMenu(menu);
}

}  // namespace

}  // namespace campdb
