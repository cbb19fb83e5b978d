// The political editor: changes one cell of the tension matrix, the attitude
// of one race toward another (the opposite direction is a cell of its own).
// Race codes must name a cell the record holds; the tension is stored as
// entered (the file keeps its low 16 bits).
//
// When the input ends while the editor waits for an answer, the read that
// met the end changes nothing and the editor returns straight away.
#include <optional>

#include "console/console.h"
#include "editor/editors.h"

namespace campdb {

namespace {

// Prints the race list and reads a race code.
std::optional<int32_t> ChooseRace(Console& console) {
  console.WriteLine("Enter the race whose tension you wish to modify:");
  console.WriteLine("Enter 0 for Federation");
  console.WriteLine("   or 1 for Klingon");
  console.WriteLine("   or 2 for Romulan");
  console.WriteLine("   or 3 for Lyran");
  console.WriteLine("   or 4 for Hydran");
  console.WriteLine("   or 5 for Gorn");
  console.WriteLine("   or 6 for ISC");
  console.WriteLine("   or 7 for Mirak");
  console.WriteLine("   or 8 for Orion");
  console.WriteLine("   or 9 for Monster");
  console.WriteLine("   or 15 for Neutral");
  return console.ReadNumber();
}

// Runs ChooseRace until the code, paired with the other code chosen so far,
// names a cell of the matrix.
template <typename IsValid>
std::optional<int32_t> ChooseValidRace(Console& console, IsValid isValid) {
  while (true) {
    const auto code = ChooseRace(console);
    if (!code) return std::nullopt;
    if (isValid(*code)) return code;
    console.WriteLine("Invalid race code, please try again");
  }
}

}  // namespace

void EditPolitical(tPoliticalObject& political, Console& console) {
  if (console.Ended()) return;
  console.WriteLine();
  console.WriteLine("EDITING POLITICAL TENSIONS");
  console.WriteLine();
  if (political.matrixSize <= 0 || political.cells.empty()) {
    console.WriteLine("The tension matrix is empty, nothing to edit");
    return;
  }

  // Cells are held from the first on, so a row that holds its column 0 is a
  // row that can be picked, and some column of it is always valid.
  console.WriteLine("Enter the race whose attitude you wish to change");
  const auto row = ChooseValidRace(console, [&](int32_t code) { return political.HasCell(code, 0); });
  if (!row) return;

  console.WriteLine();
  console.WriteLine("Now enter the other race");
  const auto column = ChooseValidRace(console, [&](int32_t code) { return political.HasCell(*row, code); });
  if (!column) return;

  console.WriteLine();
  console.WriteLine("Now enter the new tension level, 0..1000");
  console.WriteLine("(0 means allies, 1000 means hated enemies)");
  const auto tension = console.ReadNumber();
  if (!tension) return;
  TensionCell& cell = political.Cell(*row, *column);
  cell.tension = *tension;
  cell.tensionTenth = static_cast<uint8_t>(*tension / 10);
}

}  // namespace campdb
