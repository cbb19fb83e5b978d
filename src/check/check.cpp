#include "check/check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <type_traits>
#include <utility>

#include "check/field_inspector.h"
#include "console/console.h"
#include "format/layout_detection.h"
#include "maintenance/alongside.h"

namespace campdb {

namespace {

struct KindInfo {
  std::string_view word;
  Severity severity;
  Fix fix;  // what --repair does about it
};

// In the order of ProblemKind.
constexpr std::array<KindInfo, kProblemKinds> kKinds = {{
    {"size-mismatch", Severity::Error, Fix::Salvage},
    {"objects-missing", Severity::Error, Fix::Salvage},
    {"hexes-missing", Severity::Error, Fix::NothingWritten},
    {"record-cut", Severity::Error, Fix::Salvage},
    {"length-cut", Severity::Error, Fix::Salvage},
    {"list-cut", Severity::Error, Fix::Salvage},
    {"not-a-database", Severity::Error, Fix::NothingWritten},
    {"ids-out-of-order", Severity::Warning, Fix::SortById},
    {"duplicate-id", Severity::Warning, Fix::LeftAlone},
    {"size-too-small", Severity::Warning, Fix::Salvage},
    {"unrecognised-class", Severity::Warning, Fix::LeftAlone},
    {"trailing-bytes", Severity::Warning, Fix::Salvage},
    {"layout-unknown", Severity::Warning, Fix::NothingWritten},
    {"last-id-low", Severity::Warning, Fix::RaiseLastId},
    {"captain-missing", Severity::Stale, Fix::LeftAlone},
    {"captain-not-character", Severity::Stale, Fix::LeftAlone},
    {"ship-entry-missing", Severity::Stale, Fix::DropEntry},
    {"ship-entry-differs", Severity::Stale, Fix::CopyShip},
    {"negative-length", Severity::Note, Fix::Normalise},
    {"negative-count", Severity::Note, Fix::Normalise},
    {"tag-closing-bytes", Severity::Note, Fix::Normalise},
}};

void Push(CheckReport& report, Problem problem) {
  problem.found = report.problems.size();
  report.problems.push_back(std::move(problem));
}

// An object's id; none for an object of unrecognised class too short to
// hold one.
std::optional<int32_t> IdOf(const ObjectEntry& object) {
  if (object.kind == ObjectKind::Unrecognised && object.id == -1) return std::nullopt;
  return object.id;
}

std::string Article(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::NewsStory: return "a news story";
    case ObjectKind::Character: return "a character";
    case ObjectKind::Ship: return "a ship";
    case ObjectKind::Bid: return "a bid";
    case ObjectKind::Unrecognised: break;
  }
  return "an object of unrecognised class";
}

// Watches the load: reads every record again with a FieldInspector as the
// load takes it, and keeps where each object begins and why the list
// stopped.
class CheckWalk final : public LoadObserver {
 public:
  // Only the records before the misc objects are looked at unless `objects`;
  // the characters' ship entries go to `entries`.
  CheckWalk(Database& db, CheckReport& report, LoadedShipEntries& entries, LoadedDecisions* decisions,
            bool objects = true)
      : db_(db),
        report_(report),
        entries_(entries),
        decisions_(decisions),
        bytes_(db.source.Bytes()),
        context_{db.layout, &db.facts, &store_},
        objects_(objects) {}

  void Finished(LoadStep step) override {
    if (step == LoadStep::Header) Inspect<tPrelimData>(0, "header");
  }
  void RecordRead(LoadStep step, int64_t index, size_t start, size_t) override {
    switch (step) {
      case LoadStep::Header:
        return;
      case LoadStep::Campaign:
        return Inspect<tCampaignObject>(start, "campaign record");
      case LoadStep::Map:
        return Inspect<tMapObject>(start, "map record");
      case LoadStep::Hexes:
        return Inspect<tMapHex>(start, Cat("hex ", index));
      case LoadStep::Political:
        HexesHeld(start);
        return Inspect<tPoliticalObject>(start, "political record");
    }
  }
  void ObjectRead(int64_t index, const ObjectFrame& frame, size_t) override {
    if (!objects_) return;
    starts_.push_back(frame.start);
    // An object of a known class that the load read to exactly its
    // declared size, with nothing normalised and inside the file, holds
    // nothing the inspection could note: no negative length or count, no
    // end met, no tag left unclosed, no fields past its size. Only the
    // others are read again.
    const ObjectEntry& entry = db_.objects.back();
    if (entry.verbatim && entry.kind != ObjectKind::Unrecognised &&
        static_cast<int64_t>(entry.end) - static_cast<int64_t>(frame.start) == int64_t{8} + frame.declaredSize) {
      ++wholeRecords_;
      return;
    }
    InspectObject(index, frame.start);
  }
  void ObjectParsed(int64_t index, const MiscObject& object) override {
    if (decisions_ != nullptr) decisions_->Take(index, object);
    const auto* character = std::get_if<tServCharacter>(&object);
    if (character == nullptr) return;
    for (size_t k = 0; k < character->ships.size(); ++k) {
      const CharacterShipEntry& entry = character->ships[k];
      entries_.entries.push_back(ShipEntryCopy{static_cast<size_t>(index), static_cast<uint32_t>(k), entry.shipId,
                                               entry.bpv, entry.hullClass, entry.shipType, entry.shipName});
    }
  }
  void ObjectsAnnounced(int64_t count) override {
    announced_ = count;
    // Most characters hold a ship or two and most objects are ships: room
    // for an entry an object saves growing the list, and no more is set
    // aside than a modest object of what the file holds.
    const auto room = std::min<int64_t>(std::max<int64_t>(count, 0), static_cast<int64_t>(bytes_.size() / 64));
    entries_.entries.reserve(static_cast<size_t>(room));
  }
  void FrameFailed(const ObjectFrame& frame) override {
    if (!objects_) return;
    const auto index = static_cast<int64_t>(db_.objects.size());
    const int64_t missing = announced_ - index;
    const size_t size = bytes_.size();
    const std::string record = Cat("object ", index);
    const std::string notLoaded = Cat(Grouped(missing), " of the ", Grouped(announced_), " objects announced and ",
                                      Grouped(static_cast<int64_t>(size - std::min(frame.start, size))),
                                      " bytes are not loaded");
    if (frame.result == FrameResult::SizeMismatch && frame.start + 8 <= size) {
      Add(ProblemKind::SizeMismatch, index, std::nullopt, frame.start, record,
          Cat("its size words differ (", frame.declaredSize, " vs ", frame.declaredSize2,
              "); loading stops here: ", notLoaded));
    } else if (frame.start < size) {
      Add(ProblemKind::ObjectsMissing, index, std::nullopt, frame.start, record,
          Cat("the file ends inside its size words: ", notLoaded));
    } else {
      Add(ProblemKind::ObjectsMissing, index, std::nullopt, frame.start, record,
          Cat("the file ends before this object: ", Grouped(missing), " of the ", Grouped(announced_),
              " objects announced are not in it"));
    }
  }

  const std::vector<size_t>& ObjectStarts() const { return starts_; }
  // Records the file holds whole: the campaign, map and political records,
  // hexes and objects in which the reading did not meet the end.
  int64_t WholeRecords() const { return wholeRecords_; }

 private:
  // The hexes stop where the file ends; the political record is read next.
  void HexesHeld(size_t start) {
    const int64_t announced = db_.map.HexesAnnounced();
    if (db_.hexCount() >= announced) return;
    Add(ProblemKind::HexesMissing, std::nullopt, std::nullopt, start, Cat("hex ", db_.hexCount()),
        Cat("the map announces ", Grouped(announced), " hexes (", db_.map.columns, " columns x ", db_.map.rows,
            " rows), but the file ends after ", Grouped(db_.hexCount())));
  }

  template <class Record>
  void Inspect(size_t start, std::string record) {
    ByteReader in(bytes_);
    in.ReadRun(static_cast<int64_t>(start));
    FieldInspector inspector(in, bytes_, context_);
    Record scratch;
    scratch.Fields(inspector, db_.layout);
    Take(inspector, record, std::nullopt, std::nullopt);
    if (!inspector.EndMet() && !std::is_same_v<Record, tPrelimData>) ++wholeRecords_;
  }

  void InspectObject(int64_t index, size_t start) {
    ByteReader in(bytes_);
    in.ReadRun(static_cast<int64_t>(start));
    FieldInspector inspector(in, bytes_, context_);
    const ObjectFrame frame = InspectMiscObject(inspector, db_.layout);
    const std::optional<int32_t> id = IdOf(db_.objects.back());
    const std::string record = Cat("object ", index);
    if (frame.kind == ObjectKind::Unrecognised) {
      Add(ProblemKind::UnrecognisedClass, index, id, start, record,
          Cat("its class tag ", Shown(frame.tag),
              frame.tagLengthWord != static_cast<int64_t>(frame.tag.size())
                  ? Cat(" (length stored as ", frame.tagLengthWord, ")")
                  : std::string(),
              " names no known kind; Edit writes it back as it is"));
    }
    Take(inspector, record, index, id);
    if (!inspector.EndMet()) ++wholeRecords_;
  }

  void Take(const FieldInspector& inspector, const std::string& record, std::optional<int64_t> index,
            std::optional<int32_t> id) {
    for (const FieldFinding& found : inspector.Findings()) {
      Add(found.kind, index, id, found.offset, record, found.message);
    }
  }

  void Add(ProblemKind kind, std::optional<int64_t> index, std::optional<int32_t> id, size_t offset,
           const std::string& record, std::string message) {
    Push(report_, Problem{kind, index, id, offset, record, std::move(message)});
  }

  Database& db_;
  CheckReport& report_;
  LoadedShipEntries& entries_;
  LoadedDecisions* decisions_;
  std::span<const uint8_t> bytes_;
  // Where a ship's systems block cut by the end of the file is kept while
  // it is read again.
  TextStore store_;
  ReadContext context_;
  bool objects_;
  std::vector<size_t> starts_;
  int64_t announced_ = 0;
  int64_t wholeRecords_ = 0;
};

// Reads a record's fields as far as the one named `last`, and no further:
// every field after it is left as it was.
class LeadingFields {
 public:
  LeadingFields(FieldReader& reader, std::string_view last) : reader_(reader), last_(last) {}

  void Head(ObjectHead& head) {
    if (!done_) reader_.Head(head);
  }
  void Int32(const char* name, int32_t& value) {
    Take(name, [&] { reader_.Int32(name, value); });
  }
  void Byte(const char* name, uint8_t& value) {
    Take(name, [&] { reader_.Byte(name, value); });
  }
  template <size_t N>
  void Run(const char* name, std::array<uint8_t, N>& run) {
    Take(name, [&] { reader_.Run(name, run); });
  }
  void String(const char* name, Text& text) {
    Take(name, [&] { reader_.String(name, text); });
  }
  void Block(const char* name, Text& block) {
    Take(name, [&] { reader_.Block(name, block); });
  }
  template <class Body>
  void Group(const char*, Body&& body) {
    if (!done_) body(*this);
  }
  template <class T, size_t N, class Entry>
  void FixedList(const char*, std::array<T, N>& list, Entry&& entry) {
    for (T& item : list) {
      if (done_) return;
      entry(*this, item);
    }
  }
  void Tail(Text& tail) {
    if (!done_) reader_.Tail(tail);
  }

 private:
  template <class Read>
  void Take(const char* name, Read&& read) {
    if (done_) return;
    read();
    done_ = name != nullptr && name == last_;
  }

  FieldReader& reader_;
  std::string_view last_;
  bool done_ = false;
};

// The checks that look at the objects as loaded, side by side.
//
// Each character and each ship is read once: the characters first, for
// their ship entries, then the ships, for their captains and to be
// compared with the entries that name them. The ids named are looked up
// together, in one sorted pass over the list each, since a search per id in
// a large list misses the processor's cache at nearly every step. The
// problems still come in list order, each object's captain or entries in
// turn.
class ObjectChecks {
 public:
  ObjectChecks(const Database& db, const std::vector<size_t>& starts, bool allLoaded, CheckReport& report,
               LoadedShipEntries* loaded)
      : db_(db),
        starts_(starts),
        report_(report),
        loaded_(loaded),
        count_(std::min(db.objects.size(), starts.size())),
        // Where loading stopped early, what is not found may be among the
        // objects not loaded.
        nowhere_(allLoaded ? "in the file" : "among the objects loaded") {}

  void Run() {
    Ids();
    // Most ships have a captain, and most are named by one entry: room for
    // as many as there are ships saves growing the lists.
    const auto ships = static_cast<size_t>(
        std::count_if(db_.objects.begin(), db_.objects.begin() + static_cast<std::ptrdiff_t>(count_),
                      [](const ObjectEntry& object) { return object.kind == ObjectKind::Ship; }));
    if (loaded_ != nullptr) {
      // Those of characters beyond the objects checked are not wanted.
      entries_ = std::move(loaded_->entries);
      while (!entries_.empty() && entries_.back().object >= count_) entries_.pop_back();
    } else {
      entries_.reserve(ships);
      ReadEntries();
    }
    const std::vector<std::pair<int64_t, size_t>> byShip = EntriesByShip();
    // The ships are read in two halves of the list at once, the first on a
    // thread of its own: each ship is a wait for memory, and the halves
    // wait side by side. A small list is one half.
    const size_t half = count_ >= kTwoHalvesFrom ? count_ / 2 : 0;
    std::array<ShipPass, 2> passes;
    // The first half's lists take the second's after them.
    passes[0].reserve(ships);
    passes[1].reserve(ships - ships / 2);
    Alongside first(half > 0, [&] { Ships(0, half, byShip, passes[0]); });
    Ships(half, count_, byShip, passes[1]);
    first.Join();
    std::vector<size_t>& captainOf = passes[0].captainOf;
    std::vector<int32_t>& captainIds = passes[0].captainIds;
    captainOf.insert(captainOf.end(), passes[1].captainOf.begin(), passes[1].captainOf.end());
    captainIds.insert(captainIds.end(), passes[1].captainIds.begin(), passes[1].captainIds.end());
    for (ShipPass& done : passes) {
      std::move(done.entryProblems.begin(), done.entryProblems.end(), std::back_inserter(entryProblems_));
    }
    // Ships past the objects checked, which only an entry names.
    tShip scratch;
    TextStore store;
    for (size_t next = std::lower_bound(byShip.begin(), byShip.end(), std::pair{static_cast<int64_t>(count_), size_t{0}}) -
                       byShip.begin();
         next < byShip.size(); ++next) {
      if (const tShip* ship = ShipFront(byShip[next].first, scratch, store)) {
        Compare(byShip[next].second, *ship, entryProblems_);
      }
    }
    std::stable_sort(entryProblems_.begin(), entryProblems_.end(),
                     [](const Pending& a, const Pending& b) { return a.order < b.order; });

    const std::vector<int64_t> captainAt = db_.index.FindAll(db_.objects, captainIds);
    size_t e = 0;
    for (size_t c = 0; c < captainOf.size(); ++c) {
      for (; e < entryProblems_.size() && entries_[entryProblems_[e].order].object < captainOf[c]; ++e) {
        AddEntryProblem(entryProblems_[e]);
      }
      Captain(captainOf[c], captainIds[c], captainAt[c]);
    }
    for (; e < entryProblems_.size(); ++e) AddEntryProblem(entryProblems_[e]);
  }

 private:
  // A problem of entry `order` (in entries_), added once every entry's is
  // known.
  struct Pending {
    size_t order;
    ProblemKind kind;
    std::string message;
  };

  // What a pass over a stretch of the ships finds: the ships with a
  // captain, with the captain's id, and the entries that differ from their
  // ship.
  struct ShipPass {
    std::vector<size_t> captainOf;
    std::vector<int32_t> captainIds;
    std::vector<Pending> entryProblems;
    void reserve(size_t ships) {
      captainOf.reserve(ships);
      captainIds.reserve(ships);
    }
  };
  static constexpr size_t kTwoHalvesFrom = 4096;

  // Reads the ships among objects [from, to) and compares each with the
  // entries that name it (`byShip`, in ship order). Reads nothing but the
  // database and the entries, so that two passes may run at once.
  void Ships(size_t from, size_t to, const std::vector<std::pair<int64_t, size_t>>& byShip, ShipPass& out) const {
    tShip scratch;
    TextStore store;
    auto next = static_cast<size_t>(
        std::lower_bound(byShip.begin(), byShip.end(), std::pair{static_cast<int64_t>(from), size_t{0}}) -
        byShip.begin());
    for (size_t i = from; i < to; ++i) {
      if (db_.objects[i].kind != ObjectKind::Ship) continue;
      const tShip* ship = ShipFront(static_cast<int64_t>(i), scratch, store);
      if (ship == nullptr) continue;
      if (ship->captainId != 0) {
        out.captainOf.push_back(i);
        out.captainIds.push_back(ship->captainId);
      }
      while (next < byShip.size() && static_cast<size_t>(byShip[next].first) < i) ++next;
      for (; next < byShip.size() && static_cast<size_t>(byShip[next].first) == i; ++next) {
        Compare(byShip[next].second, *ship, out.entryProblems);
      }
    }
  }

  // The ship at `index` as far as its name: all that is compared or looked
  // up of it. The rest of it is not read.
  const tShip* ShipFront(int64_t index, tShip& scratch, TextStore& store) const {
    if (const MiscObject* kept = db_.KeptObject(index)) return std::get_if<tShip>(kept);
    ByteReader in(db_.source.Bytes());
    in.Skip(static_cast<size_t>(db_.Entry(index).start));
    const ObjectFrame frame = ReadObjectFrame(in);
    if (frame.result != FrameResult::Read || frame.kind != ObjectKind::Ship) return nullptr;
    FieldReader reader(in, ReadContext{db_.layout, &db_.facts, &store});
    reader.SetFrame(frame.declaredSize, tShip::kClassTag);
    LeadingFields front(reader, "shipName");
    scratch.Fields(front, db_.layout);
    return &scratch;
  }

  // Ids must ascend through the list, each object's its own.
  void Ids() {
    bool ascending = true;
    for (size_t i = 1; i < count_; ++i) {
      const int32_t id = db_.objects[i].id;
      const int32_t before = db_.objects[i - 1].id;
      if (id < before) {
        ascending = false;
        Add(ProblemKind::IdsOutOfOrder, i,
            Cat("its id ", id, " is below the id ", before, " of the object before it; lookups by id take the first "
                                                             "object with an id"));
      }
    }
    std::vector<std::pair<int32_t, size_t>> ids;
    ids.reserve(count_);
    for (size_t i = 0; i < count_; ++i) {
      if (const auto id = IdOf(db_.objects[i])) ids.emplace_back(*id, i);
    }
    // Ids that ascend through the list are in order already, and so are
    // the ids of the objects that have one.
    if (!ascending) std::sort(ids.begin(), ids.end());
    // Every object after the first with its id, which it names.
    size_t first = 0;
    for (size_t k = 1; k < ids.size(); ++k) {
      if (ids[k].first != ids[first].first) {
        first = k;
        continue;
      }
      Add(ProblemKind::DuplicateId, ids[k].second,
          Cat("object ", ids[first].second, " has the same id; a lookup by id finds only one of them"));
    }
    // The server hands out the ids after the header's last one.
    const int32_t last = db_.header.lastObjectId;
    if (!ids.empty() && ids.back().first > last) {
      Add(ProblemKind::LastIdLow, ids.back().second,
          Cat("its id ", ids.back().first, " is above the header's last object id ", last,
              "; the server would hand out ids that are taken"));
    }
  }

  void ReadEntries() {
    MiscObject scratch;
    for (size_t i = 0; i < count_; ++i) {
      if (db_.objects[i].kind != ObjectKind::Character) continue;
      const auto* character = std::get_if<tServCharacter>(&db_.ReadObject(static_cast<int64_t>(i), scratch));
      if (character == nullptr) continue;
      for (size_t k = 0; k < character->ships.size(); ++k) {
        const CharacterShipEntry& entry = character->ships[k];
        entries_.push_back(ShipEntryCopy{i, static_cast<uint32_t>(k), entry.shipId, entry.bpv, entry.hullClass,
                                     entry.shipType, entry.shipName});
      }
    }
  }

  // Finds the object each entry names; those that name no ship are
  // problems now. The rest, as {ship, entry}, in the order of the ships
  // they name.
  std::vector<std::pair<int64_t, size_t>> EntriesByShip() {
    std::vector<int32_t> ids;
    ids.reserve(entries_.size());
    for (const ShipEntryCopy& entry : entries_) ids.push_back(entry.shipId);
    entryAt_ = db_.index.FindAll(db_.objects, ids);
    // Sorted by the ship named, then by entry: the pairs are distinct, so
    // equal ships keep their entries' order.
    std::vector<std::pair<int64_t, size_t>> named;
    named.reserve(entries_.size());
    for (size_t e = 0; e < entries_.size(); ++e) {
      const int64_t at = entryAt_[e];
      if (at < 0) {
        Later(e, ProblemKind::ShipEntryMissing, Cat(Which(e), " names no object ", nowhere_));
      } else if (db_.Entry(at).kind != ObjectKind::Ship) {
        Later(e, ProblemKind::ShipEntryMissing,
              Cat(Which(e), " names object ", at, ", ", Article(db_.Entry(at).kind), ", not a ship"));
      } else {
        named.emplace_back(at, e);
      }
    }
    if (!std::is_sorted(named.begin(), named.end())) std::sort(named.begin(), named.end());
    return named;
  }

  std::string Which(size_t e) const {
    return Cat("ship entry ", entries_[e].entry, " (id ", entries_[e].shipId, ")");
  }

  void Compare(size_t e, const tShip& ship, std::vector<Pending>& later) const {
    const ShipEntryCopy& entry = entries_[e];
    std::string differs;
    const auto note = [&](std::string_view field, const std::string& mine, const std::string& theirs) {
      differs += Cat(differs.empty() ? "" : ", ", field, " ", mine, " vs ", theirs);
    };
    if (entry.bpv != ship.bpv) note("bpv", std::to_string(entry.bpv), std::to_string(ship.bpv));
    if (entry.hullClass != ship.hullClass) {
      note("hull class", std::to_string(entry.hullClass), std::to_string(ship.hullClass));
    }
    if (entry.shipType != ship.shipType) note("type", Shown(entry.shipType), Shown(ship.shipType));
    if (entry.shipName != ship.shipName) note("name", Shown(entry.shipName), Shown(ship.shipName));
    if (!differs.empty()) {
      later.push_back(
          Pending{e, ProblemKind::ShipEntryDiffers, Cat(Which(e), " differs from the ship (object ", entryAt_[e], "): ", differs)});
    }
  }

  void Later(size_t e, ProblemKind kind, std::string message) {
    entryProblems_.push_back(Pending{e, kind, std::move(message)});
  }

  void AddEntryProblem(Pending& pending) {
    Add(pending.kind, entries_[pending.order].object, std::move(pending.message));
  }

  void Captain(size_t i, int32_t id, int64_t at) {
    if (at < 0) {
      Add(ProblemKind::CaptainMissing, i, Cat("its captain, id ", id, ", is not ", nowhere_));
      return;
    }
    const ObjectKind kind = db_.Entry(at).kind;
    if (kind != ObjectKind::Character) {
      Add(ProblemKind::CaptainNotCharacter, i,
          Cat("its captain id ", id, " names object ", at, ", ", Article(kind), ", not a character"));
    }
  }

  void Add(ProblemKind kind, size_t i, std::string message) {
    Push(report_,
         Problem{kind, static_cast<int64_t>(i), IdOf(db_.objects[i]), starts_[i], Cat("object ", i), std::move(message)});
  }

  const Database& db_;
  const std::vector<size_t>& starts_;
  CheckReport& report_;
  LoadedShipEntries* loaded_;
  size_t count_;
  std::string_view nowhere_;
  std::vector<ShipEntryCopy> entries_;
  // The object each entry names, or -1.
  std::vector<int64_t> entryAt_;
  std::vector<Pending> entryProblems_;
};

void AddProblem(CheckReport& report, ProblemKind kind, std::optional<int64_t> index, std::optional<size_t> offset,
                std::string record, std::string message) {
  Push(report, Problem{kind, index, std::nullopt, offset, std::move(record), std::move(message)});
}

// What the load left after the last object it read.
void CheckLoadOutcome(const Database& db, const LoadOutcome& outcome, CheckReport& report) {
  const size_t size = db.source.size;
  if (outcome.stop == FrameResult::Read && outcome.unloadedFrom < size) {
    AddProblem(report, ProblemKind::TrailingBytes, std::nullopt, outcome.unloadedFrom, "file",
               Cat(Grouped(static_cast<int64_t>(size - outcome.unloadedFrom)),
                   " bytes follow the last object the header announces; Edit writes them back, Clean drops them"));
  }
  // Every incomplete load is an error, whatever the walk made of it.
  if (!outcome.Complete() && report.Count(Severity::Error) == 0) {
    AddProblem(report, ProblemKind::RecordCut, std::nullopt, size, "file", "the load met the end of the file");
  }
}

// A campaign database begins with a header and a campaign record that ends
// where its declared size says, in one layout or the other; when neither
// reads that far, the file is no campaign database, and the reason is what
// the header says against the size of the file.
std::optional<std::string> WhyNotADatabase(std::span<const uint8_t> bytes) {
  if (CampaignReadWhole(bytes, Layout::Base) || CampaignReadWhole(bytes, Layout::Ostrel)) return std::nullopt;
  constexpr size_t kHeaderBytes = 12;
  if (bytes.size() < kHeaderBytes) {
    return Cat("a file of ", Grouped(static_cast<int64_t>(bytes.size())), " bytes is shorter than the header (12 bytes)");
  }
  ByteReader in(bytes);
  TextStore store;
  CampaignFacts facts;
  tPrelimData header;
  ReadRecord(in, header, ReadContext{Layout::Base, &facts, &store});
  // Every record announced takes at least its two size words.
  if (header.objectCount < 3 || int64_t{header.objectCount} * 8 > static_cast<int64_t>(bytes.size())) {
    return Cat("the header announces ", Grouped(header.objectCount), " records in a file of ",
               Grouped(static_cast<int64_t>(bytes.size())), " bytes");
  }
  return "neither layout reads its campaign record to the end of its declared size";
}

}  // namespace

std::string Shown(Text bytes) {
  constexpr size_t kMost = 40;
  std::string shown = "\"";
  for (size_t i = 0; i < bytes.size() && i < kMost; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
  }
  shown += '"';
  if (bytes.size() > kMost) shown += Cat("... (", bytes.size(), " bytes)");
  return shown;
}

Severity SeverityOf(ProblemKind kind) { return kKinds[static_cast<size_t>(kind)].severity; }

Fix FixOf(ProblemKind kind) { return kKinds[static_cast<size_t>(kind)].fix; }

std::string_view FixWord(Fix fix) {
  switch (fix) {
    case Fix::Salvage: return "salvage";
    case Fix::SortById: return "sort-by-id";
    case Fix::RaiseLastId: return "raise-last-id";
    case Fix::CopyShip: return "copy-ship";
    case Fix::DropEntry: return "drop-entry";
    case Fix::Normalise: return "normalise";
    case Fix::LeftAlone: return "left-alone";
    case Fix::NothingWritten: return "nothing-written";
  }
  return "left-alone";
}

LoadOutcome LoadCheckingRecords(Database& db, CheckReport& report, LoadedShipEntries& entries) {
  CheckWalk walk(db, report, entries, nullptr, false);
  return LoadDatabase(db, walk);
}

void CheckObjects(const Database& db, bool allLoaded, CheckReport& report, LoadedShipEntries* loaded) {
  std::vector<size_t> starts;
  starts.reserve(db.objects.size());
  for (const ObjectEntry& object : db.objects) starts.push_back(static_cast<size_t>(object.start));
  ObjectChecks(db, starts, allLoaded, report, loaded).Run();
}

std::string_view SeverityWord(Severity severity) {
  switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Stale: return "stale";
    case Severity::Note: return "note";
  }
  return "note";
}

std::string_view ProblemKindWord(ProblemKind kind) { return kKinds[static_cast<size_t>(kind)].word; }

std::string_view ClassWord(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::NewsStory: return "news-story";
    case ObjectKind::Character: return "character";
    case ObjectKind::Ship: return "ship";
    case ObjectKind::Bid: return "bid";
    case ObjectKind::Unrecognised: break;
  }
  return "unrecognised";
}

int64_t CheckReport::Count(Severity severity) const {
  return std::count_if(problems.begin(), problems.end(),
                       [&](const Problem& problem) { return SeverityOf(problem.kind) == severity; });
}

int64_t CheckReport::Count(ProblemKind kind) const {
  return std::count_if(problems.begin(), problems.end(), [&](const Problem& problem) { return problem.kind == kind; });
}

int CheckReport::ExitStatus() const {
  if (Count(Severity::Error) > 0) return 3;
  return Count(Severity::Warning) > 0 ? 1 : 0;
}

CheckReport CheckDatabase(Database& db, std::optional<Layout> given) {
  CheckReport report;
  report.fileSize = db.source.size;
  const LayoutVerdict verdict = DetectLayout(db.source.Bytes());
  if (given) {
    report.layout = given;
    report.layoutGiven = true;
    report.layoutReason = "given";
    if (verdict.layout && *verdict.layout != *given) {
      report.layoutReason += Cat(", though the bytes look like the ", LayoutName(*verdict.layout), " layout (",
                                 verdict.reason, ")");
    }
  } else {
    report.layout = verdict.layout;
    report.layoutReason = verdict.reason;
    if (!verdict.layout) {
      AddProblem(report, ProblemKind::LayoutUnknown, std::nullopt, std::nullopt, "file",
                 "the bytes do not tell the layout; the file was read in the base layout and Clean's choices are "
                 "not shown: give --layout base or --layout ostrel");
    }
  }
  db.layout = report.layout.value_or(Layout::Base);

  LoadedShipEntries entries;
  LoadedDecisions decisions;
  CheckWalk walk(db, report, entries, &decisions);
  const LoadOutcome outcome = LoadDatabase(db, walk);

  report.recordsAnnounced = db.header.objectCount;
  report.columns = db.map.columns;
  report.rows = db.map.rows;
  report.hexesAnnounced = outcome.hexesAnnounced;
  report.hexesRead = db.hexCount();
  report.objectsAnnounced = outcome.announced;
  report.objectsLoaded = static_cast<int64_t>(db.objects.size());
  report.recordsRead = walk.WholeRecords();
  for (const ObjectEntry& object : db.objects) {
    ++report.objectsByKind[static_cast<size_t>(object.kind)];
    if (object.kind == ObjectKind::Character) ++(object.human ? report.humanCharacters : report.aiCharacters);
  }
  report.complete = outcome.Complete();
  // A file that loads whole is a database, however odd its campaign record.
  if (!report.complete) report.notADatabase = WhyNotADatabase(db.source.Bytes());
  if (report.notADatabase) {
    AddProblem(report, ProblemKind::NotADatabase, std::nullopt, 0, "file",
               Cat("not a campaign database: ", *report.notADatabase));
  }
  report.notLoadedFrom = std::min(outcome.unloadedFrom, report.fileSize);
  report.bytesNotLoaded = report.fileSize - report.notLoadedFrom;

  ObjectChecks(db, walk.ObjectStarts(), outcome.stop == FrameResult::Read, report, &entries).Run();
  CheckLoadOutcome(db, outcome, report);
  // In file order; what has no place in the file comes first.
  std::sort(report.problems.begin(), report.problems.end(), [](const Problem& a, const Problem& b) {
    if (a.offset.has_value() != b.offset.has_value()) return !a.offset.has_value();
    if (a.offset != b.offset) return *a.offset < *b.offset;
    return a.found < b.found;
  });

  if (report.layout) {
    // Clean's own decision, object by object: the list cannot differ from
    // what a Clean run drops.
    report.dryRun = true;
    const auto loaded = static_cast<int64_t>(db.objects.size());
    const std::vector<CleanReason> reasons = DecideCleanAll(db, std::min(db.loadedCount, loaded), &decisions);
    for (int64_t i = 0; i < static_cast<int64_t>(reasons.size()); ++i) {
      const CleanReason reason = reasons[static_cast<size_t>(i)];
      if (reason == CleanReason::Kept) {
        ++report.wouldKeep;
        continue;
      }
      const ObjectEntry& object = db.Entry(i);
      report.drops.push_back(CleanDrop{i, IdOf(object), object.kind, reason});
    }
  }
  return report;
}

}  // namespace campdb
