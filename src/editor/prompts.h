// Small pieces of dialogue shared by the editors.
#pragma once

#include <cstdint>
#include <string_view>

#include "console/console.h"

namespace campdb {

// Menu letters select the same command in either case.
inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Prints "<prompt><current value>)" and reads a number into the field.
// False when the input has ended; the field is then unchanged.
inline bool AskNumber(Console& console, std::string_view prompt, int32_t& field) {
  console.WriteLine(Cat(prompt, field, ")"));
  const auto value = console.ReadNumber();
  if (!value) return false;
  field = *value;
  return true;
}

}  // namespace campdb
