// Framing of the objects that follow the political record. Every object is
// stored as: declared size (int32), the same size again, a class tag
// (counted string) naming its kind, then the body. The declared size counts
// the tag's length word, the tag's bytes and the body.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/bid_news.h"
#include "format/byte_stream.h"
#include "format/character.h"
#include "format/ship.h"

namespace campdb {

class Console;
class ReportStream;

enum class ObjectKind : int { NewsStory = 0, Character = 1, Ship = 2, Bid = 3, Unrecognised = 4 };

// An object whose class tag names no known kind, kept byte for byte so that
// an Edit run writes it back unchanged and the objects after it still load.
struct UnrecognisedObject {
  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  int32_t tagLengthWord = 0;  // as stored, even when negative
  std::string tagBytes;
  std::string body;
  int32_t objectId = -1;  // int32 at offset 10 of the body, if it has 14 bytes
};

// One slot of the misc-object list: its kind and at most one record.
struct sMiscObject {
  ObjectKind kind = ObjectKind::Unrecognised;
  std::unique_ptr<tNewsStory> news;
  std::unique_ptr<tShip> ship;
  std::unique_ptr<tServCharacter> character;
  std::unique_ptr<tAuctionItem> bid;
  std::unique_ptr<UnrecognisedObject> unrecognised;
};

// What reading one framed object found.
enum class FrameResult {
  Read,          // the object is in the slot
  SizeMismatch,  // the two size words differ; loading must stop
  EndOfFile,     // the input ran out before the object; loading must stop
};

// Reads one framed object into the slot. A size mismatch is told to the
// operator, who answers before the load stops.
FrameResult ReadMiscObject(ByteReader& in, sMiscObject& slot, Console& console);

// Kind named by a class tag: the tag must have exactly the kind's length and
// match it up to the closing "@@", whose two bytes are not compared.
ObjectKind ClassKindOf(int32_t tagLength, std::string_view tagBytes);

void WriteMiscObject(ByteWriter& out, sMiscObject& slot);
void ReportMiscObject(ReportStream& out, const sMiscObject& slot);

// The slot's objectId; -1 when it holds no record.
int32_t ObjectIdOf(const sMiscObject& slot);

// Binary search among slots low..high (inclusive), which must be in
// ascending objectId order. Returns nullptr when the id is not found.
sMiscObject* FindObjectById(std::vector<sMiscObject>& slots, int64_t low, int64_t high, int32_t wanted);

// Finds objects of a loaded list by id, whatever the list's order. The
// server stores the list in ascending objectId order (each id, unrecognised
// objects included, not below the one before it), and such a list is
// searched with the binary search above. A list out of that order is
// searched through an index of its ids, made once, which gives the first
// object in list order that has the id. The order is judged at the first
// lookup and kept: the list and its ids must not change after it.
class ObjectIdIndex {
 public:
  // Among the first `count` slots: the slot with the id, or nullptr.
  sMiscObject* Find(std::vector<sMiscObject>& slots, int64_t count, int32_t wanted);

 private:
  enum class Order { Unjudged, Ascending, Unordered };
  void Judge(const std::vector<sMiscObject>& slots, int64_t count);

  Order order_ = Order::Unjudged;
  // The list the order was judged for.
  const sMiscObject* judgedSlots_ = nullptr;
  int64_t judgedCount_ = 0;
  // A list out of order: every object's id with its position, sorted, so
  // that the first entry of an id names its first position.
  std::vector<std::pair<int32_t, size_t>> byId_;
};

}  // namespace campdb
