#include "format/database.h"

#include <algorithm>

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

}  // namespace

LoadOutcome LoadDatabase(Database& db, LoadObserver& observer) {
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
  // only where it lies is kept.
  MiscObject scratch;
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
    observer.ObjectRead(index, frame, in.Position());
    outcome.unloadedFrom = in.Position();
  }
  db.loadedCount = static_cast<int64_t>(db.objects.size());
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
  capacity = loadedCount = static_cast<int64_t>(objects.size());
  deleteFlags.assign(objects.size(), 0);
  Reindex();
}

const MiscObject* Database::KeptObject(int64_t index) const {
  const auto found = kept_.find(index);
  return found == kept_.end() ? nullptr : &found->second;
}

}  // namespace campdb
