// Telling the two layouts apart from the bytes of a database alone.
//
// The campaign record and every hex have fixed fields of a different length
// in each layout (the Ostrel layout adds one word to the campaign record and
// twelve to a hex), and every framed record says how many bytes it takes.
// Read in the right layout, each record before the misc objects ends
// exactly where its declared size says; read in the wrong one, it usually
// runs past that size or off the end of the file, and that decides.
//
// Some files frame in both layouts: a base file's hexes with tails of 48
// bytes or more hold the Ostrel fields; an Ostrel campaign record whose
// maxOnline is 0 reads as a base one with an empty version; a tail's first
// word can make either reading of the campaign record end exactly. There
// the values each reading finds decide: the version's two copies and their
// bytes, the accounts and players online against their limits, the order of
// the eras, and in every hex the owner and cartel as race codes, terrain,
// planet and base as single bits, current values within their maxima. One
// reading must be clearly less doubtful than the other; otherwise the
// answer is "cannot tell", and the reason names what each reading found.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "format/layout.h"

namespace campdb {

struct LayoutVerdict {
  // The layout the file is in; empty when the bytes cannot tell.
  std::optional<Layout> layout;
  // How it was decided, or why it could not be, in a few words.
  std::string reason;
};

// Walks the records before the misc objects in both layouts; its cost is
// that of reading the campaign record, the hexes and the political record
// twice, whatever the number of objects.
LayoutVerdict DetectLayout(std::span<const uint8_t> bytes);

// True when, read in `layout`, the header needs no byte past the end of the
// file; the campaign record, the map record, every announced hex and the
// political record each end exactly 8 + declared size bytes after their
// start without needing a byte past the end; and, when the header announces
// misc objects, the first one frames where the political record ends. The
// same walk as detection's.
bool ReadsCleanly(std::span<const uint8_t> bytes, Layout layout);

// True when `answered` does not read the records cleanly and the other
// layout does: the bytes contradict that answer.
bool LayoutContradicted(std::span<const uint8_t> bytes, Layout answered);

// True when, read in `layout`, the header and the campaign record need no
// byte past the end of the file and the campaign record ends exactly where
// its declared size says.
bool CampaignReadWhole(std::span<const uint8_t> bytes, Layout layout);

}  // namespace campdb
