// Pieces of the ship section of the report.
#pragma once

#include <cstdint>
#include <string_view>

namespace campdb {

class ReportStream;

// System items are listed ten to a line; `lineCounter` counts the items on
// the current line and starts at 10, so that the first item opens a line.
constexpr int kSystemItemsPerLine = 10;

// Writes one system item, "label working/intact", after its separator: ", "
// on the same line, or "," and a new line indented by five spaces once the
// line holds ten items. A system the ship does not have (intact value 0) is
// left out and does not count.
void WriteSystemItem(ReportStream& out, uint8_t working, uint8_t intact, std::string_view label, int& lineCounter);

}  // namespace campdb
