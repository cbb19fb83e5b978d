// The databases the scripted sessions of tests/sessions/ run on. They are
// composed field by field by tests/support/, never by the tool, and written
// into one folder that each session's setup script copies from.
#pragma once

#include <filesystem>

namespace campdb::testing {

// Writes every fixture into `folder`, with the sample files of examples/:
//
//   mixed.db, mixed-ostrel.db   the mixed multiplayer campaign of
//                               mixed_database.h in each layout
//   mixed-cleaned-N.db          what Clean must write from the first N of
//                               its 14 objects (N = 0, 3, 10, 14)
//   mixed-cut.db                its last 10 bytes missing
//   mixed-ends-in-a-size-word.db   16 objects announced, 14 held, then the
//                               first 5 bytes of another
//   mixed-more-announced.db     16 objects announced, 14 held
//   mixed-size-mismatch.db      a news story whose size words differ before
//                               its fourth object
//   mixed-trailing.db           10 of its 14 objects announced, then junk
//   mixed-none-announced.db     a header that announces no record at all
//   sections.db, sections-ostrel.db   one record of every kind with values
//                               each report section turns into words
//   sample-base.db, sample-ostrel.db, sample-shiplist.txt   from examples/
void WriteSessionFixtures(const std::filesystem::path& folder);

}  // namespace campdb::testing
