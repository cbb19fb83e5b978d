// The political record: the tension of every race toward every other, an
// N x N matrix stored row by row, three bytes a cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"

namespace campdb {

struct TensionCell {
  int32_t tension = 0;       // 0 allies .. 1000 hated enemies; stored as 16 bits
  uint8_t tensionTenth = 0;  // tension / 10 as the editor sets it
};

struct tPoliticalObject {
  static constexpr std::string_view kClassTag = ".?AVtPoliticalObject@@";

  ObjectHead head;
  int32_t idTrailWord = 0;  // uninterpreted
  // N, the number of race slots; 0 when the file holds zero or less.
  int32_t matrixSize = 0;
  // N * N cells, row by row; fewer only when the file ends inside the matrix.
  std::vector<TensionCell> cells;
  Text tail;

  // A cell exists when both codes lie inside the matrix and the file held
  // the cell (a file that ends inside the matrix holds only its first cells).
  bool HasCell(int32_t row, int32_t column) const {
    return row >= 0 && column >= 0 && row < matrixSize && column < matrixSize &&
           CellIndex(row, column) < cells.size();
  }
  // The cell of row `row`, column `column`; only where HasCell.
  TensionCell& Cell(int32_t row, int32_t column) { return cells[CellIndex(row, column)]; }
  const TensionCell& Cell(int32_t row, int32_t column) const { return cells[CellIndex(row, column)]; }

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Head(head);
    io.Int32("idTrailWord", idTrailWord);
    io.Matrix("tensions", matrixSize, cells);
    io.Tail(tail);
  }

 private:
  size_t CellIndex(int32_t row, int32_t column) const {
    return static_cast<size_t>(row) * static_cast<size_t>(matrixSize) + static_cast<size_t>(column);
  }
};

}  // namespace campdb
