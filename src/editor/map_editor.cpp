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

#include "console/console.h"
#include "editor/editors.h"
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
bool AskValue(Console& console, std::string_view prompt, int32_t& field) {
  console.WriteLine(prompt);
  const auto value = console.ReadNumber(kDecimal);
  if (!value) return false;
  field = *value;
  return true;
}

void WriteHexMenu(const tMapHex& hex, Console& console, Layout layout) {
  console.WriteLine(Cat("Modifying map hex (", hex.hexX, ",", hex.hexY, ")"));
  console.WriteLine(Cat("Enter R to set the owning race (current:", RaceName(hex.ownerRace, layout), ")"));
  console.WriteLine(Cat("   or B to set the type of base (current:", BaseName(hex.base), ")"));
  console.WriteLine(Cat("   or P to set the type of planet (current:", PlanetName(hex.planet), ")"));
  console.WriteLine(Cat("   or T to set the type of terrain (current:", TerrainName(hex.terrain), ")"));
  console.WriteLine(Cat("   or D to set the maximum defensive value (current:", hex.dvMax, ")"));
  console.WriteLine(Cat("   or d to set the current defensive value (current:", hex.dvCurrent, ")"));
  console.WriteLine(Cat("   or E to set the maximum economic value (current:", hex.econMax, ")"));
  console.WriteLine(Cat("   or e to set the current economic value (current:", hex.econCurrent, ")"));
  console.WriteLine("   or C to cancel");
  console.WriteLine();
  console.WriteLine("   or X to create a barrier hex");
  console.WriteLine("WARNING: there is no error checking, and no UNDO, so BE CAREFUL!");
}

// The all-hexes menu; returns when the operator leaves it or the input ends.
void EditAllHexes(std::vector<tMapHex>& hexes, Console& console) {
  while (true) {
    console.WriteLine("Enter R to reset all current hex DVs to fifty percent of their maximum");
    console.WriteLine("   or D to add a fixed amount to all hexes maximum DVs");
    console.WriteLine("   or d to add a fixed amount to all hexes current DVs");
    console.WriteLine("   or E to add a fixed amount to all hexes maximum Econ");
    console.WriteLine("   or e to add a fixed amount to all hexes current Econ");
    console.WriteLine("   or enter anything else to quit");
    const auto command = console.ReadAnswerChar();
    if (!command) return;

    const char c = *command;
    if (c == 'R' || c == 'r') {
      // Half the maximum, rounding toward minus infinity: 7 gives 3, -7 gives -4.
      for (tMapHex& hex : hexes) hex.dvCurrent = hex.dvMax >> 1;
      continue;
    }

    int32_t tMapHex::*field = nullptr;
    switch (c) {
      case 'D': field = &tMapHex::dvMax; break;
      case 'd': field = &tMapHex::dvCurrent; break;
      case 'E': field = &tMapHex::econMax; break;
      case 'e': field = &tMapHex::econCurrent; break;
      default: return;
    }
    console.WriteLine("Enter the desired adjustment value");
    const auto adjustment = console.ReadNumber(kDecimal);
    if (!adjustment) return;
    for (tMapHex& hex : hexes) hex.*field = WrappingAdd(hex.*field, *adjustment);
  }
}

// Asks for a number in 0..limit-1 until one is given; nothing when the input
// has ended.
std::optional<int32_t> PickIndex(Console& console, std::string_view what, int32_t limit) {
  while (true) {
    console.WriteLine(Cat("Pick a ", what, " between 0 and ", int64_t{limit} - 1));
    const auto value = console.ReadNumber(kDecimal);
    if (!value) return std::nullopt;
    if (*value >= 0 && *value < limit) return value;
    console.WriteLine("Invalid choice");
  }
}

// One hex after another until the operator stops or the input ends.
void EditHex(tMapHex& hex, Console& console, Layout layout);

void EditIndividualHexes(const tMapObject& map, std::vector<tMapHex>& hexes, Console& console, Layout layout) {
  while (true) {
    const auto row = PickIndex(console, "row", map.rows);
    if (!row) return;
    const auto column = PickIndex(console, "column", map.columns);
    if (!column) return;
    const auto index = static_cast<size_t>(int64_t{*row} * map.columns + *column);
    EditHex(hexes[index], console, layout);
    if (console.Ended()) return;

    console.WriteLine("Enter E to edit another hex,");
    console.WriteLine("   or anything else to quit");
    const auto command = console.ReadAnswerChar();
    if (!command || (*command != 'E' && *command != 'e')) return;
  }
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
    console.WriteLine("Bad map construction, unable to edit");
    return;
  }

  while (true) {
    console.WriteLine("Enter A to modify ALL hexes simultaneously");
    console.WriteLine("   or I to modify individual hexes");
    console.WriteLine("   or Q to quit");
    const auto command = console.ReadAnswerChar();
    if (!command) return;
    switch (*command) {
      case 'Q':
      case 'q':
        return;
      case 'A':
      case 'a':
        EditAllHexes(hexes, console);
        return;
      case 'I':
      case 'i':
        EditIndividualHexes(map, hexes, console, layout);
        return;
      default:
        break;
    }
  }
}

namespace {

// Shows the hex's menu, performs at most one change and returns.
void EditHex(tMapHex& hex, Console& console, Layout layout) {
  while (!console.Ended()) {
    WriteHexMenu(hex, console, layout);
    const auto command = console.ReadAnswerChar();
    if (!command) return;

    switch (*command) {
      case 'R': {
        console.WriteLine("Pick the new owning race:");
        console.WriteLine("F, K, R, L, H, G, I, Z, O, or N");
        const auto letter = console.ReadAnswerChar();
        if (!letter) return;
        if (const auto code = OwnerCodeOf(*letter)) hex.ownerRace = *code;
        return;
      }
      case 'B': {
        console.WriteLine("Pick the new base type:");
        console.WriteLine("1 for LP, 2 for DefSat, 3 for base, 4 for Bats, 5 for SB");
        console.WriteLine("or any other value for no base");
        const auto choice = console.ReadNumber(kDecimal);
        if (!choice) return;
        hex.base = BaseCodeOf(*choice);
        return;
      }
      case 'P': {
        console.WriteLine("Pick the new planet type:");
        console.WriteLine("0, 1, or 2 for homeworld");
        console.WriteLine("3, 4, or 5 for core world");
        console.WriteLine("6, 7, or 8 for colony");
        console.WriteLine("or anything else for no planet");
        const auto choice = console.ReadNumber(kDecimal);
        if (!choice) return;
        hex.planet = (*choice >= 0 && *choice <= 8) ? PowerOfTwo(*choice) : 0;
        return;
      }
      case 'T': {
        console.WriteLine("Pick the new terrain type (there are multiple variants for most types):");
        console.WriteLine("Enter 0..5 for empty space");
        console.WriteLine("   or 6..11 for asteroids");
        console.WriteLine("   or 12..17 for nebulae");
        console.WriteLine("   or 18..23 for black holes");
        console.WriteLine("   or 24 for dust clouds");
        console.WriteLine("   or 25 for shipping lane");
        const auto choice = console.ReadNumber(kDecimal);
        if (!choice) return;
        if (*choice >= 0 && *choice <= 25) hex.terrain = static_cast<int32_t>(uint32_t{1} << *choice);
        return;
      }
      case 'D':
        AskValue(console, "Please enter the new maximum defensive value", hex.dvMax);
        return;
      case 'd':
        AskValue(console, "Please enter the new current defensive value", hex.dvCurrent);
        return;
      case 'E':
        AskValue(console, "Please enter the new maximum economic value", hex.econMax);
        return;
      case 'e':
        AskValue(console, "Please enter the new current economic value", hex.econCurrent);
        return;
      case 'C':
        console.WriteLine("Cancelling hex modification");
        return;
      case 'X':
        hex.ownerRace = kBarrierOwner;
        hex.terrain = kBarrierTerrain;
        hex.trailingWords.fill(0);
        return;
      default:
        console.WriteLine(Cat("An invalid command was entered: ", *command));
        console.WriteLine("Please try again");
        console.WriteLine();
        break;
    }
  }
}

}  // namespace

}  // namespace campdb
