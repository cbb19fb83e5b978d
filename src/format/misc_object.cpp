#include "format/misc_object.h"

#include <algorithm>
#include <array>

#include "console/console.h"

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

}  // namespace

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

FrameResult ReadMiscObject(ByteReader& in, sMiscObject& slot, Console& console) {
  slot = sMiscObject{};
  const int32_t size = ReadInt32(in);
  const int32_t size2 = ReadInt32(in);
  if (size != size2) {
    console.WriteLine(Cat("WARNING: SIZE MISMATCH IN OBJECT ", size, " vs ", size2));
    console.WriteLine("Hit any key to continue");
    console.WaitForKey();
    return FrameResult::SizeMismatch;
  }
  if (in.AtEnd()) {
    console.WriteLine("END OF FILE");
    return FrameResult::EndOfFile;
  }

  const int32_t tagLengthWord = ReadInt32(in);
  // The tag is classified where it lies in the input; only an object of
  // unrecognised class keeps a copy of it.
  const std::string_view tagBytes = in.ReadRunInPlace(tagLengthWord);
  slot.kind = ClassKindOf(static_cast<int32_t>(tagBytes.size()), tagBytes);
  switch (slot.kind) {
    case ObjectKind::NewsStory:
      slot.news = std::make_unique<tNewsStory>(in, size);
      break;
    case ObjectKind::Character:
      slot.character = std::make_unique<tServCharacter>(in, size);
      break;
    case ObjectKind::Ship:
      slot.ship = std::make_unique<tShip>(in, size);
      break;
    case ObjectKind::Bid:
      slot.bid = std::make_unique<tAuctionItem>(in, size);
      break;
    case ObjectKind::Unrecognised: {
      // Keep the whole object so that the objects after it still load and an
      // unchanged database is written back complete.
      auto object = std::make_unique<UnrecognisedObject>();
      object->declaredSize = size;
      object->declaredSize2 = size2;
      object->tagLengthWord = tagLengthWord;
      object->tagBytes = std::string(tagBytes);
      object->body = in.ReadRun(int64_t{size} - 4 - static_cast<int64_t>(object->tagBytes.size()));
      if (object->body.size() >= kObjectIdOffset + 4) object->objectId = Int32At(object->body, kObjectIdOffset);
      slot.unrecognised = std::move(object);
      break;
    }
  }
  return FrameResult::Read;
}

void WriteMiscObject(ByteWriter& out, sMiscObject& slot) {
  switch (slot.kind) {
    case ObjectKind::NewsStory:
      if (slot.news) slot.news->Write(out);
      break;
    case ObjectKind::Character:
      if (slot.character) slot.character->Write(out);
      break;
    case ObjectKind::Ship:
      if (slot.ship) slot.ship->Write(out);
      break;
    case ObjectKind::Bid:
      if (slot.bid) slot.bid->Write(out);
      break;
    case ObjectKind::Unrecognised:
      if (const UnrecognisedObject* object = slot.unrecognised.get()) {
        WriteInt32(out, object->declaredSize);
        WriteInt32(out, object->declaredSize2);
        WriteInt32(out, object->tagLengthWord);
        out.WriteRun(object->tagBytes);
        out.WriteRun(object->body);
      }
      break;
  }
}

int32_t ObjectIdOf(const sMiscObject& slot) {
  switch (slot.kind) {
    case ObjectKind::NewsStory:
      return slot.news ? slot.news->objectId : -1;
    case ObjectKind::Character:
      return slot.character ? slot.character->objectId : -1;
    case ObjectKind::Ship:
      return slot.ship ? slot.ship->objectId : -1;
    case ObjectKind::Bid:
      return slot.bid ? slot.bid->objectId : -1;
    case ObjectKind::Unrecognised:
      return slot.unrecognised ? slot.unrecognised->objectId : -1;
  }
  return -1;
}

sMiscObject* FindObjectById(std::vector<sMiscObject>& slots, int64_t low, int64_t high, int32_t wanted) {
  high = std::min<int64_t>(high, static_cast<int64_t>(slots.size()) - 1);
  while (!slots.empty() && low >= 0 && high >= low) {
    const int64_t mid = low + (high - low) / 2;
    const auto idOf = [&](int64_t i) { return ObjectIdOf(slots[static_cast<size_t>(i)]); };
    if (wanted < idOf(low) || wanted > idOf(high)) return nullptr;
    if (wanted == idOf(low)) return &slots[static_cast<size_t>(low)];
    if (wanted == idOf(high)) return &slots[static_cast<size_t>(high)];
    if (wanted == idOf(mid)) return &slots[static_cast<size_t>(mid)];
    if (wanted < idOf(mid)) {
      low = low + 1;
      high = mid - 1;
    } else {
      low = mid + 1;
      high = high - 1;
    }
  }
  return nullptr;
}

void ObjectIdIndex::Judge(const std::vector<sMiscObject>& slots, int64_t count) {
  judgedSlots_ = slots.data();
  judgedCount_ = count;
  byId_.clear();
  order_ = Order::Ascending;
  for (int64_t i = 1; i < count; ++i) {
    if (ObjectIdOf(slots[static_cast<size_t>(i)]) < ObjectIdOf(slots[static_cast<size_t>(i - 1)])) {
      order_ = Order::Unordered;
      break;
    }
  }
  if (order_ == Order::Ascending) return;
  byId_.reserve(static_cast<size_t>(count));
  for (size_t i = 0; i < static_cast<size_t>(count); ++i) byId_.emplace_back(ObjectIdOf(slots[i]), i);
  std::sort(byId_.begin(), byId_.end());
}

sMiscObject* ObjectIdIndex::Find(std::vector<sMiscObject>& slots, int64_t count, int32_t wanted) {
  count = std::clamp<int64_t>(count, 0, static_cast<int64_t>(slots.size()));
  if (order_ == Order::Unjudged || judgedSlots_ != slots.data() || judgedCount_ != count) Judge(slots, count);
  if (order_ == Order::Ascending) return FindObjectById(slots, 0, count - 1, wanted);
  const auto first = std::lower_bound(byId_.begin(), byId_.end(), std::pair<int32_t, size_t>(wanted, 0));
  if (first == byId_.end() || first->first != wanted) return nullptr;
  return &slots[first->second];
}

}  // namespace campdb
