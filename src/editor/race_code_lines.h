// The short race-code legend that several editor prompts print before they
// read a race code.
#pragma once

namespace campdb {

class Console;

// Prints the codes of the eight empires and, in the Ostrel layout, the line
// of the eight cartels as well.
void WriteRaceCodeLines(Console& console);

}  // namespace campdb
