#include "repair/repair.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "check/field_inspector.h"
#include "console/console.h"
#include "json/json_writer.h"

namespace campdb {

namespace {

// The smallest declared size an object of a known class can have: the
// tag's length word, its bytes and the three words that open every body.
constexpr int64_t kSmallestKnown = 4 + 4 + 6 + 4;

std::string Objects(int64_t first, int64_t last) {
  return first == last ? Cat("object ", first) : Cat("objects ", first, "\u2013", last);
}

// Takes misc objects where they lie, tells why one does not frame, and
// searches for the next one that does.
class Salvager {
 public:
  explicit Salvager(const Database& db)
      : bytes_(db.source.Bytes()), layout_(db.layout), context_{db.layout, &db.facts, &store_} {
    for (const ObjectKind kind : {ObjectKind::NewsStory, ObjectKind::Character, ObjectKind::Ship, ObjectKind::Bid}) {
      tags_.push_back(ClassTagOf(kind));
    }
  }

  // The object at `at` when it frames whole: its size words agree, and its
  // fields, read as the load reads them, end exactly where its declared
  // size says, inside the file.
  std::optional<ObjectEntry> Take(size_t at) {
    if (at > bytes_.size() || bytes_.size() - at < 12) return std::nullopt;
    ByteReader in(bytes_);
    in.Skip(at);
    const ObjectFrame frame = ReadObjectFrame(in);
    const int64_t end = static_cast<int64_t>(at) + 8 + frame.declaredSize;
    if (frame.result != FrameResult::Read || in.WantedPastEnd() || frame.declaredSize < 0 ||
        end > static_cast<int64_t>(bytes_.size())) {
      return std::nullopt;
    }
    const bool whole = ReadObjectBodyInto(in, frame, context_, scratch_);
    if (in.WantedPastEnd() || static_cast<int64_t>(in.Position()) != end) return std::nullopt;
    ObjectEntry entry;
    entry.start = at;
    entry.end = static_cast<uint64_t>(end);
    entry.id = ObjectIdOf(scratch_);
    entry.kind = frame.kind;
    entry.verbatim = whole;
    const auto* character = std::get_if<tServCharacter>(&scratch_);
    entry.human = character != nullptr && character->isHuman;
    return entry;
  }

  // The first object of a known class from `from` on that Take takes, with
  // an id not below `lowest`. Each offset costs a few comparisons unless
  // both size words agree and a known class tag follows them.
  std::optional<ObjectEntry> Scan(size_t from, int32_t lowest) {
    const uint8_t* data = bytes_.data();
    const size_t size = bytes_.size();
    for (size_t q = from; q < size && size - q >= 12; ++q) {
      if (std::memcmp(data + q, data + q + 4, 4) != 0) continue;
      const int64_t declared = WordAt(q);
      if (declared < kSmallestKnown || declared > static_cast<int64_t>(size - q - 8)) continue;
      const int32_t tagLength = WordAt(q + 8);
      if (!KnownTag(q + 12, tagLength)) continue;
      if (auto entry = Take(q); entry && entry->kind != ObjectKind::Unrecognised && entry->id >= lowest) {
        return entry;
      }
    }
    return std::nullopt;
  }

  // Why the object at `at` does not frame, in the check's words.
  std::pair<ProblemKind, std::string> Why(size_t at) {
    if (bytes_.size() - at < 8) return {ProblemKind::ObjectsMissing, "the file ends inside its size words"};
    if (WordAt(at) != WordAt(at + 4)) {
      return {ProblemKind::SizeMismatch, Cat("its size words differ (", WordAt(at), " vs ", WordAt(at + 4), ")")};
    }
    const std::vector<FieldFinding> findings = Inspect(at);
    for (const Severity severity : {Severity::Error, Severity::Warning}) {
      for (const FieldFinding& found : findings) {
        if (SeverityOf(found.kind) == severity) return {found.kind, found.message};
      }
    }
    return {ProblemKind::SizeTooSmall, "its fields do not end where its declared size says"};
  }

  // What a reading of the object at `at` notes, as the check reads it.
  std::vector<FieldFinding> Inspect(size_t at) {
    ByteReader in(bytes_);
    in.Skip(at);
    FieldInspector inspector(in, bytes_, context_);
    InspectMiscObject(inspector, layout_);
    return inspector.Findings();
  }

  int32_t WordAt(size_t at) const {
    const uint8_t* p = bytes_.data() + at;
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
  }

 private:
  bool KnownTag(size_t at, int32_t length) const {
    for (const std::string_view tag : tags_) {
      if (static_cast<int64_t>(tag.size()) != length || bytes_.size() - at < tag.size()) continue;
      const Text bytes(reinterpret_cast<const char*>(bytes_.data() + at), tag.size());
      if (ClassKindOf(length, bytes) != ObjectKind::Unrecognised) return true;
    }
    return false;
  }

  std::span<const uint8_t> bytes_;
  Layout layout_;
  TextStore store_;
  ReadContext context_;
  MiscObject scratch_;
  std::vector<std::string_view> tags_;
};

std::optional<int32_t> IdOf(const ObjectEntry& object) {
  if (object.kind == ObjectKind::Unrecognised && object.id == -1) return std::nullopt;
  return object.id;
}

// The misc objects of the file, salvaged: the loader's as far as each
// frames exactly, then the salvager's.
class ObjectSalvage {
 public:
  ObjectSalvage(const Database& db, const LoadOutcome& outcome, RepairReport& report,
                const std::function<void(const LostRange&)>& leftOut)
      : db_(db), outcome_(outcome), report_(report), leftOut_(leftOut), salvager_(db) {}

  std::vector<ObjectEntry> Run() {
    const size_t size = db_.source.size;
    size_t at = db_.objects.empty() ? outcome_.unloadedFrom : static_cast<size_t>(db_.objects.front().start);
    const bool endInObjects = outcome_.endMetIn == LoadOutcome::Part::Objects;
    taken_.reserve(db_.objects.size());
    for (size_t i = 0; i < db_.objects.size(); ++i) {
      const ObjectEntry& entry = db_.objects[i];
      const bool cut = endInObjects && static_cast<int64_t>(i) >= outcome_.endMetAt;
      if (cut || static_cast<int64_t>(entry.end) != static_cast<int64_t>(entry.start) + 8 + salvager_.WordAt(entry.start)) {
        break;
      }
      taken_.push_back(entry);
      at = static_cast<size_t>(entry.end);
    }
    const size_t fromLoader = taken_.size();
    // Past the count the header announces, what does not frame is what a
    // load calls trailing bytes.
    const bool allTaken = taken_.size() == db_.objects.size() && outcome_.stop == FrameResult::Read && !endInObjects;
    const size_t trailingFrom = allTaken ? outcome_.unloadedFrom : size;
    std::vector<int64_t> runStarts;
    while (at < size) {
      if (auto entry = salvager_.Take(at)) {
        taken_.push_back(*entry);
        at = static_cast<size_t>(entry->end);
        continue;
      }
      auto [kind, why] = at >= trailingFrom ? std::pair{ProblemKind::TrailingBytes,
                                                        std::string("bytes after the objects the header announces")}
                                            : salvager_.Why(at);
      const int32_t lowest = taken_.empty() ? std::numeric_limits<int32_t>::min() : taken_.back().id;
      const auto found = salvager_.Scan(at + 1, lowest);
      const size_t next = found ? static_cast<size_t>(found->start) : size;
      report_.lost.push_back(LostRange{at, next - at, kind, Cat(ProblemKindWord(kind), ": ", why)});
      if (leftOut_) leftOut_(report_.lost.back());
      runStarts.push_back(static_cast<int64_t>(taken_.size()));
      if (!found) break;
      taken_.push_back(*found);
      at = static_cast<size_t>(found->end);
    }
    asLoaded_ = fromLoader == db_.objects.size() && taken_.size() == fromLoader;
    for (size_t k = 0; k < report_.lost.size(); ++k) {
      const LostRange& lost = report_.lost[k];
      const int64_t first = runStarts[k];
      const int64_t last = (k + 1 < runStarts.size() ? runStarts[k + 1] : static_cast<int64_t>(taken_.size())) - 1;
      const std::string bytes = Cat(Grouped(static_cast<int64_t>(lost.length)), " damaged bytes at offset ",
                                    Grouped(static_cast<int64_t>(lost.offset)));
      report_.fixes.push_back(RepairFix{
          lost.kind, Cat("object ", first), first, std::nullopt, lost.offset,
          last >= first ? Cat("salvaged ", Objects(first, last), " after ", bytes)
                        : Cat("moved ", bytes, ", which hold no whole object, to the lost-and-found file")});
    }
    return std::move(taken_);
  }

  // Whether Run gave back the loader's list as it was.
  bool AsLoaded() const { return asLoaded_; }

  // Objects whose writer normalises something: what it normalises.
  void Notes(const std::vector<ObjectEntry>& objects) {
    for (size_t i = 0; i < objects.size(); ++i) {
      if (objects[i].verbatim) continue;
      for (const FieldFinding& found : salvager_.Inspect(static_cast<size_t>(objects[i].start))) {
        if (SeverityOf(found.kind) != Severity::Note) continue;
        report_.fixes.push_back(RepairFix{found.kind, Cat("object ", i), static_cast<int64_t>(i), IdOf(objects[i]),
                                          found.offset, found.message});
      }
    }
  }

 private:
  const Database& db_;
  const LoadOutcome& outcome_;
  RepairReport& report_;
  const std::function<void(const LostRange&)>& leftOut_;
  Salvager salvager_;
  std::vector<ObjectEntry> taken_;
  bool asLoaded_ = false;
};

// The header's count and last id, as the objects written need them.
void FixHeader(Database& db, int64_t announced, RepairReport& report) {
  const auto objects = static_cast<int64_t>(db.objects.size());
  const int64_t records = db.hexCount() + 3 + objects;
  if (records != db.header.objectCount) {
    const ProblemKind kind = !report.lost.empty()   ? report.lost.front().kind
                             : announced > objects ? ProblemKind::ObjectsMissing
                                                   : ProblemKind::TrailingBytes;
    report.fixes.push_back(RepairFix{kind, "header", std::nullopt, std::nullopt, size_t{4},
                                     Cat("set the object count ", db.header.objectCount, " \u2192 ", records)});
    db.header.objectCount = static_cast<int32_t>(records);
  }
  std::optional<int32_t> highest;
  for (const ObjectEntry& object : db.objects) {
    if (const auto id = IdOf(object)) highest = std::max(highest.value_or(*id), *id);
  }
  if (highest && *highest > db.header.lastObjectId) {
    report.fixes.push_back(RepairFix{ProblemKind::LastIdLow, "header", std::nullopt, std::nullopt, size_t{8},
                                     Cat("raised lastObjectId ", db.header.lastObjectId, " \u2192 ", *highest)});
    db.header.lastObjectId = *highest;
  }
}

// True when the objects had to be moved.
bool SortById(Database& db, RepairReport& report) {
  std::vector<ObjectEntry>& objects = db.objects;
  bool sorted = true;
  for (size_t i = 1; i < objects.size(); ++i) {
    if (objects[i].id >= objects[i - 1].id) continue;
    sorted = false;
    report.fixes.push_back(RepairFix{ProblemKind::IdsOutOfOrder, Cat("object ", i), static_cast<int64_t>(i),
                                     IdOf(objects[i]), static_cast<size_t>(objects[i].start),
                                     Cat("moved into id order: its id ", objects[i].id, " is below ",
                                         objects[i - 1].id)});
  }
  if (sorted) return false;
  std::stable_sort(objects.begin(), objects.end(),
                   [](const ObjectEntry& a, const ObjectEntry& b) { return a.id < b.id; });
  return true;
}

// A character's ship entries made to mirror the ships they name; entries
// that name no ship are removed.
void FixShipEntries(Database& db, int64_t at, RepairReport& report) {
  auto& character = std::get<tServCharacter>(db.EditObject(at));
  const ObjectEntry& self = db.Entry(at);
  MiscObject scratch;
  for (size_t k = 0; k < character.ships.size();) {
    CharacterShipEntry& entry = character.ships[k];
    const std::string which = Cat("ship entry ", k, " (id ", entry.shipId, ")");
    const auto fix = [&](ProblemKind kind, std::string done) {
      report.fixes.push_back(
          RepairFix{kind, Cat("object ", at), at, IdOf(self), static_cast<size_t>(self.start), std::move(done)});
    };
    const int64_t ship = db.FindObjectById(entry.shipId);
    if (ship < 0 || db.Entry(ship).kind != ObjectKind::Ship) {
      fix(ProblemKind::ShipEntryMissing, Cat("removed ", which, ", which names ", ship < 0 ? "no object" : "no ship"));
      RemoveShipEntry(character, k);
      continue;
    }
    const auto& named = std::get<tShip>(db.ReadObject(ship, scratch));
    if (entry.bpv != named.bpv || entry.hullClass != named.hullClass || entry.shipType != named.shipType ||
        entry.shipName != named.shipName) {
      fix(ProblemKind::ShipEntryDiffers,
          Cat(which, " takes the bpv, hull class, type and name of ship object ", ship, " (", Shown(named.shipName), ")"));
      CopyShipIntoEntry(character, entry, named);
    }
    ++k;
  }
}

void SortByOffset(std::vector<RepairFix>& fixes) {
  std::stable_sort(fixes.begin(), fixes.end(), [](const RepairFix& a, const RepairFix& b) {
    if (a.offset.has_value() != b.offset.has_value()) return !a.offset.has_value();
    return a.offset.value_or(0) < b.offset.value_or(0);
  });
}

}  // namespace

size_t RepairReport::LostBytes() const {
  size_t bytes = 0;
  for (const LostRange& range : lost) bytes += range.length;
  return bytes;
}

int RepairReport::Status() const { return (fixes.empty() ? 0 : 1) | (left.empty() ? 0 : 4); }

RepairReport RepairDatabase(Database& db, Layout layout, const std::function<void(const LostRange&)>& leftOut) {
  RepairReport report;
  db.layout = layout;
  CheckReport records;
  LoadedShipEntries entries;
  const LoadOutcome outcome = LoadCheckingRecords(db, records, entries);
  const bool endBeforeObjects =
      outcome.endMetIn != LoadOutcome::Part::None && outcome.endMetIn != LoadOutcome::Part::Objects;
  for (Problem& problem : records.problems) {
    if (SeverityOf(problem.kind) == Severity::Note) {
      report.fixes.push_back(RepairFix{problem.kind, problem.record, std::nullopt, std::nullopt, problem.offset,
                                       std::move(problem.message)});
    } else {
      report.left.push_back(std::move(problem));
    }
  }
  if (endBeforeObjects && report.left.empty()) {
    report.left.push_back(Problem{ProblemKind::RecordCut, std::nullopt, std::nullopt, db.source.size, "file",
                                  "the file ends before the misc objects", 0});
  }
  if (!report.left.empty()) {
    // Damage before the misc objects: nothing is written, so nothing is
    // fixed either.
    report.writable = false;
    report.fixes.clear();
    return report;
  }

  ObjectSalvage salvage(db, outcome, report, leftOut);
  db.objects = salvage.Run();
  const auto count = static_cast<int64_t>(db.objects.size());
  db.capacity = db.loadedCount = count;
  db.deleteFlags.assign(db.objects.size(), 0);
  db.unloaded = {};
  salvage.Notes(db.objects);
  FixHeader(db, outcome.announced, report);
  const bool moved = SortById(db, report);
  const bool asLoaded = salvage.AsLoaded() && !moved;
  // The load's index still finds every object when the list is the load's.
  if (!asLoaded) db.index.Build(db.objects, count);

  // The check's own findings among the objects tell which characters to
  // mend and which problems stay; the characters' entries are the load's
  // when the list is.
  CheckReport found;
  CheckObjects(db, true, found, asLoaded ? &entries : nullptr);
  int64_t mended = -1;
  for (Problem& problem : found.problems) {
    switch (FixOf(problem.kind)) {
      case Fix::CopyShip:
      case Fix::DropEntry:
        if (problem.index && *problem.index != mended) FixShipEntries(db, mended = *problem.index, report);
        break;
      default:
        report.left.push_back(std::move(problem));
        break;
    }
  }
  for (int64_t i = 0; i < count; ++i) {
    const ObjectEntry& object = db.Entry(i);
    if (object.kind != ObjectKind::Unrecognised) continue;
    report.left.push_back(Problem{ProblemKind::UnrecognisedClass, i, IdOf(object), static_cast<size_t>(object.start),
                                  Cat("object ", i), "its class tag names no known kind; it is written as it is", 0});
  }
  db.Reindex();
  SortByOffset(report.fixes);
  report.objectsWritten = count;
  return report;
}

void WriteLostAndFound(const RepairReport& report, std::span<const uint8_t> input, ByteWriter& out) {
  JsonWriter json(out);
  for (const LostRange& range : report.lost) {
    json.Put("{");
    json.RawKey("offset");
    json.Int(static_cast<int64_t>(range.offset));
    json.Put(",");
    json.RawKey("length");
    json.Int(static_cast<int64_t>(range.length));
    json.Put(",");
    json.RawKey("reason");
    json.Bytes(range.reason);
    json.Put(",");
    json.RawKey("bytes");
    json.Hex(input.data() + range.offset, range.length);
    json.Put("}\n");
  }
}

}  // namespace campdb
