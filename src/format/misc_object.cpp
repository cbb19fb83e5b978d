#include "format/misc_object.h"

#include <algorithm>
#include <array>

namespace campdb {

namespace {

struct KnownClass {
  ObjectKind kind;
  std::string_view tag;
};

// Tested in this order; the first match wins.
constexpr std::array<KnownClass, 4> kKnownClasses = {{
    {ObjectKind::Character, tServCharacter::kClassTag},
    {ObjectKind::Bid, tAuctionItem::kClassTag},
    {ObjectKind::NewsStory, tNewsStory::kClassTag},
    {ObjectKind::Ship, tShip::kClassTag},
}};

// Where the objectId sits in every object's body: after an int32 and a
// 6-byte run.
constexpr size_t kObjectIdOffset = 10;

int32_t Int32At(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
  return static_cast<int32_t>(value);
}

// Reads a record of a known kind into `object`, reusing the record it holds
// when it is of that kind. True when nothing read will be normalised.
template <class Record>
bool ReadKnown(ByteReader& in, const ObjectFrame& frame, const ReadContext& context, MiscObject& object) {
  Record* record = std::get_if<Record>(&object);
  if (record == nullptr) record = &object.emplace<Record>();
  FieldReader reader(in, context);
  reader.SetFrame(frame.declaredSize, Record::kClassTag);
  record->Fields(reader, context.layout);
  return !reader.Normalised() && frame.tag == Record::kClassTag;
}

}  // namespace

std::string_view ClassTagOf(ObjectKind kind) {
  for (const KnownClass& known : kKnownClasses) {
    if (known.kind == kind) return known.tag;
  }
  return {};
}

ObjectKind ClassKindOf(int32_t tagLength, std::string_view tagBytes) {
  for (const KnownClass& known : kKnownClasses) {
    const auto length = static_cast<int64_t>(known.tag.size());
    if (tagLength != length || static_cast<int64_t>(tagBytes.size()) < length) continue;
    // The two closing bytes ("@@") are not compared.
    const size_t compared = known.tag.size() - 2;
    if (tagBytes.substr(0, compared) == known.tag.substr(0, compared)) return known.kind;
  }
  return ObjectKind::Unrecognised;
}

ObjectFrame ReadObjectFrame(ByteReader& in) {
  ObjectFrame frame;
  frame.start = in.Position();
  frame.declaredSize = ReadInt32(in);
  frame.declaredSize2 = ReadInt32(in);
  if (frame.declaredSize != frame.declaredSize2) {
    frame.result = FrameResult::SizeMismatch;
    return frame;
  }
  if (in.AtEnd()) {
    frame.result = FrameResult::EndOfFile;
    return frame;
  }
  frame.tagLengthWord = ReadInt32(in);
  frame.tag = in.ReadRun(frame.tagLengthWord);
  frame.kind = ClassKindOf(static_cast<int32_t>(frame.tag.size()), frame.tag);
  return frame;
}

bool ReadObjectBodyInto(ByteReader& in, const ObjectFrame& frame, const ReadContext& context, MiscObject& object) {
  switch (frame.kind) {
    case ObjectKind::NewsStory:
      return ReadKnown<tNewsStory>(in, frame, context, object);
    case ObjectKind::Character:
      return ReadKnown<tServCharacter>(in, frame, context, object);
    case ObjectKind::Ship:
      return ReadKnown<tShip>(in, frame, context, object);
    case ObjectKind::Bid:
      return ReadKnown<tAuctionItem>(in, frame, context, object);
    case ObjectKind::Unrecognised:
      break;
  }
  // The body is what the declared size leaves after the tag as held, so the
  // objects after it still load. The object is kept as the bytes it took.
  const Text body = in.ReadRun(int64_t{frame.declaredSize} - 4 - static_cast<int64_t>(frame.tag.size()));
  UnrecognisedObject& unrecognised = object.emplace<UnrecognisedObject>();
  unrecognised.bytes = in.Slice(frame.start, in.Position());
  if (body.size() >= kObjectIdOffset + 4) unrecognised.objectId = Int32At(body, kObjectIdOffset);
  return true;
}

MiscObject ReadObjectBody(ByteReader& in, const ObjectFrame& frame, const ReadContext& context) {
  MiscObject object;
  ReadObjectBodyInto(in, frame, context, object);
  return object;
}

void CopyShipIntoEntry(tServCharacter& character, CharacterShipEntry& entry, const tShip& ship) {
  const auto length = [](Text text) { return static_cast<int64_t>(text.size()); };
  character.head.AdjustDeclaredSize(length(ship.shipType) + length(ship.shipName) - length(entry.shipType) -
                                    length(entry.shipName));
  entry.bpv = ship.bpv;
  entry.hullClass = ship.hullClass;
  entry.shipType = ship.shipType;
  entry.shipName = ship.shipName;
}


void RemoveShipEntry(tServCharacter& character, size_t at) {
  FieldSizer sizer;
  character.ships[at].Fields(sizer);
  character.head.AdjustDeclaredSize(-sizer.Bytes());
  character.ships.erase(character.ships.begin() + static_cast<std::ptrdiff_t>(at));
}

void WriteObject(ByteWriter& out, const MiscObject& object, Layout layout) {
  std::visit(
      [&](const auto& record) {
        if constexpr (std::is_same_v<std::decay_t<decltype(record)>, UnrecognisedObject>) {
          out.WriteRun(record.bytes);
        } else {
          WriteRecord(out, record, layout);
        }
      },
      object);
}

int32_t ObjectIdOf(const MiscObject& object) {
  return std::visit(
      [](const auto& record) {
        if constexpr (std::is_same_v<std::decay_t<decltype(record)>, UnrecognisedObject>) {
          return record.objectId;
        } else {
          return record.head.objectId;
        }
      },
      object);
}

void ObjectIndex::Build(const std::vector<ObjectEntry>& objects, int64_t count) {
  count_ = std::min<int64_t>(count, static_cast<int64_t>(objects.size()));
  ascending_ = true;
  byId_.clear();
  for (int64_t i = 1; i < count_ && ascending_; ++i) {
    ascending_ = objects[static_cast<size_t>(i)].id >= objects[static_cast<size_t>(i - 1)].id;
  }
  if (ascending_) return;
  byId_.reserve(static_cast<size_t>(count_));
  for (int64_t i = 0; i < count_; ++i) byId_.emplace_back(objects[static_cast<size_t>(i)].id, i);
  std::sort(byId_.begin(), byId_.end());
}

int64_t ObjectIndex::Find(const std::vector<ObjectEntry>& objects, int32_t wanted) const {
  if (!ascending_) {
    const auto found = std::lower_bound(byId_.begin(), byId_.end(), std::pair<int32_t, int64_t>{wanted, 0});
    return found != byId_.end() && found->first == wanted ? found->second : -1;
  }
  // Bisection among low..high inclusive, narrowing from both ends.
  int64_t low = 0;
  int64_t high = count_ - 1;
  const auto idOf = [&](int64_t i) { return objects[static_cast<size_t>(i)].id; };
  while (low >= 0 && high >= low) {
    const int64_t mid = low + (high - low) / 2;
    if (wanted < idOf(low) || wanted > idOf(high)) return -1;
    if (wanted == idOf(low)) return low;
    if (wanted == idOf(high)) return high;
    if (wanted == idOf(mid)) return mid;
    if (wanted < idOf(mid)) {
      low = low + 1;
      high = mid - 1;
    } else {
      low = mid + 1;
      high = high - 1;
    }
  }
  return -1;
}

}  // namespace campdb
