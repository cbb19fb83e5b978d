// Databases made in one layout that the other layout also reads record by
// record to their declared sizes, composed field by field: base files with
// empty versions and a campaign tail led by a length word (the Ostrel
// reading takes it as the version's copy), base hexes with tails of 48 bytes
// or more (room for the Ostrel words), Ostrel files whose maxOnline is 0 (an
// empty base version) or covers both versions and a few tail bytes followed
// by a length word that ends the base reading exactly. Values vary as
// campaigns do, uninterpreted words are zero, small or anything, and now
// and then a value is one no healthy campaign holds.
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
