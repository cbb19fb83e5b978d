// Databases on the boundary between the two layouts: made in one layout, yet
// read record by record to their declared sizes in the other as well. They
// are composed with the field-by-field builder, from the bytes each reading
// takes, never from the tool's own readers:
//
// - base files whose version texts are empty and whose campaign record has a
//   tail led by a length word, so that the Ostrel reading takes that word and
//   the bytes it counts as the version's copy (often ending exactly);
// - base files whose hexes carry tails of 48 bytes or more, room for the
//   twelve words the Ostrel reading adds to a hex;
// - Ostrel files whose maxOnline is 0, so that the base reading takes an
//   empty version and the version as its copy;
// - Ostrel files whose maxOnline covers both version texts and the first
//   tail bytes, whose tail then holds a length word that makes the base
//   reading end exactly.
//
// The values vary from file to file the way real campaigns differ: maps with
// and without hexes, owners, terrain, planets and bases of every kind,
// uninterpreted words that are zero, small or anything, and now and then a
// value that a healthy campaign would not hold.
#pragma once

#include <cstdint>

#include "support/db_builder.h"

namespace campdb::testdb {

struct BoundaryFile {
  Layout madeIn = Layout::Base;
  Bytes bytes;
};

// The same seed always gives the same file.
BoundaryFile BoundaryDatabase(uint64_t seed);

}  // namespace campdb::testdb
