// The objects that follow the political record. Every object is stored as:
// declared size (int32), the same size again, a class tag (counted string)
// naming its kind, then the body. The declared size counts the tag's length
// word, the tag's bytes and the body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "format/bid_news.h"
#include "format/byte_stream.h"
#include "format/character.h"
#include "format/fields.h"
#include "format/ship.h"

namespace campdb {

enum class ObjectKind : int { NewsStory = 0, Character = 1, Ship = 2, Bid = 3, Unrecognised = 4 };

// An object whose class tag names no known kind, kept byte for byte (both
// size words, the tag's length word as stored, the tag, the body) so that
// the objects after it still load and an Edit writes it back unchanged.
struct UnrecognisedObject {
  Text bytes;
  // The int32 at offset 10 of the body, where every body keeps its id, when
  // the body is long enough to hold it; otherwise -1.
  int32_t objectId = -1;
};

// One loaded misc object. The alternatives stand in the order of their
// kinds, so the index of the one held is the object's kind.
using MiscObject = std::variant<tNewsStory, tServCharacter, tShip, tAuctionItem, UnrecognisedObject>;

inline ObjectKind KindOf(const MiscObject& object) { return static_cast<ObjectKind>(object.index()); }

// The canonical class tag of a known kind; empty for an unrecognised one.
std::string_view ClassTagOf(ObjectKind kind);

// Kind named by a class tag: the tag must have exactly the kind's length and
// match it up to the closing "@@", whose two bytes are not compared.
ObjectKind ClassKindOf(int32_t tagLength, std::string_view tagBytes);

// What the framing found at the start of an object.
enum class FrameResult {
  Read,          // a whole frame: the object follows
  SizeMismatch,  // the two size words differ; loading must stop
  EndOfFile,     // the input ran out before the object; loading must stop
};

struct ObjectFrame {
  FrameResult result = FrameResult::Read;
  size_t start = 0;  // where the object's first size word begins
  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  // The class tag as stored (valid when the frame was read).
  int32_t tagLengthWord = 0;
  Text tag;
  ObjectKind kind = ObjectKind::Unrecognised;
};

// Reads the two size words and, when they agree and the input has not run
// out, the class tag. The size test comes first: at the end of the input
// both words read -1, agree, and the end is found.
ObjectFrame ReadObjectFrame(ByteReader& in);

// Reads the body of the object whose frame was just read.
MiscObject ReadObjectBody(ByteReader& in, const ObjectFrame& frame, const ReadContext& context);
// The same into `object`, whose lists keep the room they had; true when the
// object's writer gives back exactly the bytes it was read from (no
// negative length or count, the canonical tag, the whole object there).
bool ReadObjectBodyInto(ByteReader& in, const ObjectFrame& frame, const ReadContext& context, MiscObject& object);

// Where one loaded misc object lies in the input, and what is known of it
// without reading it again.
struct ObjectEntry {
  uint64_t start = 0;  // its first size word
  uint64_t end = 0;    // the byte after what its reading took
  int32_t id = -1;
  ObjectKind kind = ObjectKind::Unrecognised;
  // Its writer gives back exactly the input bytes from start to end, so
  // those bytes can be written in its place.
  bool verbatim = false;
  // A character that holds the human-player section.
  bool human = false;
};

// The character's ship entry mirrors the ship's identity: copies the ship's
// bpv, hull class, type and name into it and keeps the character's declared
// size counting the entry's new strings.
void CopyShipIntoEntry(tServCharacter& character, CharacterShipEntry& entry, const tShip& ship);
// Removes ship entry `at` from the character, its declared size made to
// count what is left.
void RemoveShipEntry(tServCharacter& character, size_t at);

void WriteObject(ByteWriter& out, const MiscObject& object, Layout layout);

// The object's objectId.
int32_t ObjectIdOf(const MiscObject& object);

// Finds objects by id among the first `count` loaded objects. The server
// keeps them in ascending id order, and a list in that order is searched as
// it always was, by bisection. A list out of order is not: there the first
// object in list order with the id is the one found, through an index made
// once, so that lookups stay fast and no object that is there is missed.
class ObjectIndex {
 public:
  void Build(const std::vector<ObjectEntry>& objects, int64_t count);
  // Index of the object found, or -1.
  int64_t Find(const std::vector<ObjectEntry>& objects, int32_t wanted) const;
  // Find for every id of `wanted`, in its order, in one sorted pass over
  // the list rather than one search each: a search in a large list misses
  // the processor's cache at nearly every step.
  std::vector<int64_t> FindAll(const std::vector<ObjectEntry>& objects, const std::vector<int32_t>& wanted) const;

 private:
  int64_t count_ = 0;
  bool ascending_ = true;
  // When out of order: (id, position) of every object, sorted.
  std::vector<std::pair<int32_t, int64_t>> byId_;
};

}  // namespace campdb
