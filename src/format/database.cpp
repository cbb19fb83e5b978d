#include "format/database.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace campdb {

namespace {

// The smallest object of a known kind, a news story without text, takes 53
// bytes of the file.
constexpr size_t kModestObjectBytes = 64;

// Notes the part being read when the input is first found wanting.
void NoteEnd(const ByteReader& in, LoadOutcome& outcome, LoadOutcome::Part part, int64_t at = 0) {
  if (outcome.endMetIn != LoadOutcome::Part::None || !in.WantedPastEnd()) return;
  outcome.endMetIn = part;
  outcome.endMetAt = at;
}

// Walks the objects of a database loaded before alongside the ones being
// read, to tell when an object's bytes are those of its counterpart there.
class Counterparts {
 public:
  Counterparts(const Database* like, const Database& db)
      : like_(like != nullptr && like->layout == db.layout && like->facts == db.facts ? like : nullptr) {}

  // The entry of the counterpart of the object framed at `frame.start`,
  // when it is read whole from exactly the same bytes, which `in` then moves
  // past; else nullptr.
  const ObjectEntry* Take(ByteReader& in, const ObjectFrame& frame) {
    if (like_ == nullptr || next_ >= like_->ObjectCount() || in.WantedPastEnd()) return nullptr;
    const ObjectEntry& entry = like_->Entry(next_);
    const uint64_t length = entry.end - entry.start;
    if (!entry.verbatim || length > in.Size() - frame.start || like_->KeptObject(next_) != nullptr ||
        std::memcmp(like_->source.data.get() + entry.start, in.Slice(frame.start, frame.start + length).data(),
                    length) != 0) {
      return nullptr;
    }
    in.Skip(length - (in.Position() - frame.start));
    ++next_;
    return &entry;
  }

  bool Active() const { return like_ != nullptr; }

  // An object read with `id` had no counterpart of the same bytes: the
  // next is looked for after the object of that id (one changed in place,
  // or objects removed before it), or where it was (an object added).
  void Read(int32_t id) {
    if (like_ == nullptr) return;
    if (next_ < like_->ObjectCount() && like_->Entry(next_).id == id) {
      ++next_;
    } else if (const int64_t found = like_->FindObjectById(id); found >= 0) {
      next_ = found + 1;
    }
  }

 private:
  const Database* like_;
  int64_t next_ = 0;
};

}  // namespace

LoadOutcome LoadDatabase(Database& db, LoadObserver& observer, const Database* like) {
  using Part = LoadOutcome::Part;
  LoadOutcome outcome;
  ByteReader in(db.source.Bytes());
  outcome.inputSize = in.Size();
  ReadContext context{db.layout, &db.facts, &db.store};

  ReadRecord(in, db.header, context);
  NoteEnd(in, outcome, Part::Header);
  observer.Finished(LoadStep::Header);
  size_t start = in.Position();
  ReadRecord(in, db.campaign, context);
  db.facts = DeriveCampaignFacts(db.campaign, db.layout);
  NoteEnd(in, outcome, Part::Campaign);
  observer.RecordRead(LoadStep::Campaign, 0, start, in.Position());
  observer.Finished(LoadStep::Campaign);
  start = in.Position();
  ReadRecord(in, db.map, context);
  NoteEnd(in, outcome, Part::Map);
  observer.RecordRead(LoadStep::Map, 0, start, in.Position());
  observer.Finished(LoadStep::Map);

  // The map announces columns * rows hexes; only those the file holds are
  // made, so a damaged size cannot make the tool allocate or loop beyond
  // what the input can back.
  const int64_t announcedHexes = db.map.HexesAnnounced();
  outcome.hexesAnnounced = announcedHexes;
  db.hexes.clear();
  db.hexes.reserve(static_cast<size_t>(std::min<int64_t>(announcedHexes, static_cast<int64_t>(in.Remaining() / 64 + 1))));
  for (int64_t i = 0; i < announcedHexes; ++i) {
    if (!in.MoreEntries()) {
      NoteEnd(in, outcome, Part::Hexes, i);
      break;
    }
    start = in.Position();
    ReadRecord(in, db.hexes.emplace_back(), context);
    NoteEnd(in, outcome, Part::Hexes, i);
    observer.RecordRead(LoadStep::Hexes, i, start, in.Position());
  }
  observer.Finished(LoadStep::Hexes);
  start = in.Position();
  ReadRecord(in, db.political, context);
  NoteEnd(in, outcome, Part::Political);
  observer.RecordRead(LoadStep::Political, 0, start, in.Position());
  observer.Finished(LoadStep::Political);

  // The header counts every record after it: campaign, map, political
  // record, the hexes and the misc objects.
  outcome.announced = int64_t{db.header.objectCount} - (db.hexCount() + 3);
  observer.ObjectsAnnounced(outcome.announced);
  db.capacity = std::max<int64_t>(outcome.announced, 0);

  // An object is made only as it is read; every object read takes at least
  // its two size words from the input, so the loop ends with the input
  // however large the announced count. Room is set aside for the objects
  // announced, but never for more than the rest of the input could hold at
  // a modest size per object.
  db.objects.clear();
  db.objects.reserve(std::min(static_cast<size_t>(db.capacity), in.Remaining() / kModestObjectBytes));
  outcome.unloadedFrom = in.Position();
  // Each object is read whole, to find where it ends and what it is, then
  // only where it lies is kept; alongside `like`, one with the bytes of its
  // counterpart there is not read but takes that object's entry.
  MiscObject scratch;
  Counterparts counterparts(like, db);
  db.loadedAlongside = counterparts.Active() ? like : nullptr;
  db.sameBytesAs.clear();
  if (db.loadedAlongside != nullptr) db.sameBytesAs.reserve(db.objects.capacity());
  while (static_cast<int64_t>(db.objects.size()) < db.capacity) {
    const auto index = static_cast<int64_t>(db.objects.size());
    const ObjectFrame frame = ReadObjectFrame(in);
    if (frame.result != FrameResult::Read) {
      NoteEnd(in, outcome, Part::Objects, index);
      observer.FrameFailed(frame);
      outcome.stop = frame.result;
      outcome.stopIndex = index;
      break;
    }
    if (const ObjectEntry* same = counterparts.Take(in, frame)) {
      ObjectEntry& entry = db.objects.emplace_back(*same);
      entry.start = frame.start;
      entry.end = in.Position();
      // (An index too large to note is left to be compared again.)
      const auto at = static_cast<uint64_t>(same - like->objects.data()) + 1;
      db.sameBytesAs.resize(db.objects.size(), 0);
      db.sameBytesAs.back() = at <= std::numeric_limits<uint32_t>::max() ? static_cast<uint32_t>(at) : 0;
    } else {
      const bool whole = ReadObjectBodyInto(in, frame, context, scratch);
      NoteEnd(in, outcome, Part::Objects, index);
      ObjectEntry& entry = db.objects.emplace_back();
      entry.start = frame.start;
      entry.end = in.Position();
      entry.id = ObjectIdOf(scratch);
      entry.kind = frame.kind;
      entry.verbatim = whole && !in.WantedPastEnd();
      const auto* character = std::get_if<tServCharacter>(&scratch);
      entry.human = character != nullptr && character->isHuman;
      counterparts.Read(entry.id);
      observer.ObjectParsed(index, scratch);
    }
    observer.ObjectRead(index, frame, in.Position());
    outcome.unloadedFrom = in.Position();
  }
  db.loadedCount = static_cast<int64_t>(db.objects.size());
  if (db.loadedAlongside != nullptr) db.sameBytesAs.resize(db.objects.size(), 0);
  db.deleteFlags.assign(db.objects.size(), 0);
  db.unloaded = in.Slice(std::min(outcome.unloadedFrom, in.Size()), in.Size());
  db.index.Build(db.objects, db.loadedCount);
  outcome.wantedPastEnd = in.WantedPastEnd();
  outcome.loaded = db.loadedCount;
  return outcome;
}

const MiscObject& Database::ReadObject(int64_t index, MiscObject& scratch) const {
  if (const MiscObject* kept = KeptObject(index)) return *kept;
  const ObjectEntry& entry = Entry(index);
  ByteReader in(source.Bytes());
  in.Skip(static_cast<size_t>(entry.start));
  const ObjectFrame frame = ReadObjectFrame(in);
  ReadObjectBodyInto(in, frame, ReadContext{layout, &facts, &store}, scratch);
  return scratch;
}

MiscObject& Database::EditObject(int64_t index) {
  const auto found = kept_.find(index);
  if (found != kept_.end()) return found->second;
  MiscObject read;
  ReadObject(index, read);
  return kept_.emplace(index, std::move(read)).first->second;
}

MiscObject& Database::AppendObject() {
  const auto index = static_cast<int64_t>(objects.size());
  objects.emplace_back();
  return kept_[index];
}

void Database::Reindex() {
  for (auto& [index, object] : kept_) {
    ObjectEntry& entry = objects[static_cast<size_t>(index)];
    entry.kind = KindOf(object);
    entry.id = ObjectIdOf(object);
    const auto* character = std::get_if<tServCharacter>(&object);
    entry.human = character != nullptr && character->isHuman;
    entry.verbatim = false;
  }
  index.Build(objects, static_cast<int64_t>(objects.size()));
}

void Database::Rearrange(const std::vector<int64_t>& order, std::vector<MiscObject>&& added) {
  std::vector<ObjectEntry> entries;
  entries.reserve(order.size());
  std::unordered_map<int64_t, MiscObject> kept;
  size_t nextAdded = 0;
  for (const int64_t from : order) {
    const auto to = static_cast<int64_t>(entries.size());
    if (from < 0) {
      entries.emplace_back();
      kept.emplace(to, std::move(added[nextAdded++]));
      continue;
    }
    entries.push_back(objects[static_cast<size_t>(from)]);
    if (const auto found = kept_.find(from); found != kept_.end()) kept.emplace(to, std::move(found->second));
  }
  objects = std::move(entries);
  kept_ = std::move(kept);
  loadedAlongside = nullptr;
  sameBytesAs.clear();
  capacity = loadedCount = static_cast<int64_t>(objects.size());
  deleteFlags.assign(objects.size(), 0);
  Reindex();
}

const MiscObject* Database::KeptObject(int64_t index) const {
  const auto found = kept_.find(index);
  return found == kept_.end() ? nullptr : &found->second;
}

}  // namespace campdb
