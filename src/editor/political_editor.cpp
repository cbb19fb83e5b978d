// The political editor: changes one cell of the tension matrix, the attitude
// of one race toward another (the opposite direction is a cell of its own).
// Race codes must name a cell the record holds; the tension is stored as
// entered (the file keeps its low 16 bits).
//
// When the input ends while the editor waits for an answer, the read that
// met the end changes nothing and the editor returns straight away.
#include <functional>
#include <optional>
#include <utility>

#include "console/console.h"
#include "editor/editors.h"

namespace campdb {

namespace {

// The race list, asked until the code, paired with the other code chosen
// so far, names a cell of the matrix.
NumberQuestion ChooseRace(std::function<bool(int32_t)> isValid) {
  return {{"Enter the race whose tension you wish to modify:", "Enter 0 for Federation", "   or 1 for Klingon",
           "   or 2 for Romulan", "   or 3 for Lyran", "   or 4 for Hydran", "   or 5 for Gorn", "   or 6 for ISC",
           "   or 7 for Mirak", "   or 8 for Orion", "   or 9 for Monster", "   or 15 for Neutral"},
          NumberForm::Constant,
          std::move(isValid),
          "Invalid race code, please try again"};
}

}  // namespace

void EditPolitical(tPoliticalObject& political, Console& console) {
  if (console.Ended()) return;
  console.WriteLine();
  console.WriteLine("EDITING POLITICAL TENSIONS");
  console.WriteLine();
  if (political.matrixSize <= 0 || political.cells.empty()) {
    console.WriteUnusable("The tension matrix is empty, nothing to edit");
    return;
  }

  // Cells are held from the first on, so a row that holds its column 0 is a
  // row that can be picked, and some column of it is always valid.
  console.WriteLine("Enter the race whose attitude you wish to change");
  const auto row = console.Ask(ChooseRace([&](int32_t code) { return political.HasCell(code, 0); }));
  if (!row) return;

  console.WriteLine();
  console.WriteLine("Now enter the other race");
  const auto column = console.Ask(ChooseRace([&](int32_t code) { return political.HasCell(*row, code); }));
  if (!column) return;

  const auto tension = console.Ask(
      NumberQuestion{{"", "Now enter the new tension level, 0..1000", "(0 means allies, 1000 means hated enemies)"}});
  if (!tension) return;
  TensionCell& cell = political.Cell(*row, *column);
  cell.tension = *tension;
  cell.tensionTenth = static_cast<uint8_t>(*tension / 10);
}

}  // namespace campdb
