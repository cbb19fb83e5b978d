#include "format/misc_object.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

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

// Sorts keys by their upper 32 bits, keeping the order of equal ones: three
// counting passes of 11 bits each.
void SortByUpperHalf(std::vector<uint64_t>& keys) {
  std::vector<uint64_t> other(keys.size());
  for (const int shift : {32, 43, 54}) {
    std::array<size_t, 2048> starts{};
    for (const uint64_t key : keys) ++starts[(key >> shift) & 2047];
    size_t at = 0;
    for (size_t& start : starts) at += std::exchange(start, at);
    for (const uint64_t key : keys) other[starts[(key >> shift) & 2047]++] = key;
    keys.swap(other);
  }
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

std::vector<int64_t> ObjectIndex::FindAll(const std::vector<ObjectEntry>& objects,
                                          const std::vector<int32_t>& wanted) const {
  std::vector<int64_t> found(wanted.size(), -1);
  if (wanted.size() > std::numeric_limits<uint32_t>::max()) {
    for (size_t k = 0; k < wanted.size(); ++k) found[k] = Find(objects, wanted[k]);
    return found;
  }
  // Each id with its place in `wanted`, ordered by id (its sign bit turned
  // over so that the unsigned order is the signed one).
  std::vector<uint64_t> keys(wanted.size());
  for (size_t k = 0; k < wanted.size(); ++k) {
    keys[k] = (uint64_t{static_cast<uint32_t>(wanted[k]) ^ 0x80000000u} << 32) | k;
  }
  SortByUpperHalf(keys);
  const auto idOf = [](uint64_t key) { return static_cast<int32_t>(static_cast<uint32_t>(key >> 32) ^ 0x80000000u); };
  const auto placeOf = [](uint64_t key) { return static_cast<size_t>(key & 0xFFFFFFFFu); };

  if (!ascending_) {
    // The index is in id order, the first object in list order first.
    size_t j = 0;
    for (const uint64_t key : keys) {
      const int32_t id = idOf(key);
      while (j < byId_.size() && byId_[j].first < id) ++j;
      if (j < byId_.size() && byId_[j].first == id) found[placeOf(key)] = byId_[j].second;
    }
    return found;
  }
  // The list itself is in id order. An id held by one object is found where
  // the bisection finds it; of an id held by several, the bisection's path
  // decides which it finds, so that one is searched as before.
  int64_t j = 0;
  int32_t lastId = 0;
  int64_t lastFound = -1;
  bool haveLast = false;
  const auto idAt = [&](int64_t i) { return objects[static_cast<size_t>(i)].id; };
  for (const uint64_t key : keys) {
    const int32_t id = idOf(key);
    if (!haveLast || id != lastId) {
      while (j < count_ && idAt(j) < id) ++j;
      lastFound = -1;
      if (j < count_ && idAt(j) == id) lastFound = j + 1 < count_ && idAt(j + 1) == id ? Find(objects, id) : j;
      lastId = id;
      haveLast = true;
    }
    found[placeOf(key)] = lastFound;
  }
  return found;
}

}  // namespace campdb
