// The two forms of a check's findings: aligned text for a person, and one
// JSON document for a script.
#pragma once

#include <ostream>
#include <string_view>

#include "check/check.h"

namespace campdb {

// The text form lists every dropped object when there are at most this
// many, and only their totals by reason otherwise, so that the check of a
// healthy file fits on one screen; the JSON form lists them all.
inline constexpr size_t kDropsListed = 20;
// Likewise, the text form lists at most this many problems of each kind,
// then says how many more there are.
inline constexpr size_t kProblemsListed = 20;

void WriteCheckText(const CheckReport& report, std::string_view name, std::ostream& out);
void WriteCheckJson(const CheckReport& report, std::string_view name, std::ostream& out);

}  // namespace campdb
