#include "diff/apply.h"

#include <simdjson.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "diff/id_order.h"

namespace campdb {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

static_assert(LineReader::kLinePadding >= simdjson::SIMDJSON_PADDING);

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The error of a record read from one side of a change, its member paths
// under that side: member "after.shipName".
std::string UnderSide(std::string_view side, const std::string& error) {
  const size_t quote = error.find('"');
  if (quote == std::string::npos) return std::string(side) + ": " + error;
  return error.substr(0, quote + 1) + std::string(side) + "." + error.substr(quote + 1);
}

// Two JSON values with the same meaning (whatever their escapes).
bool SameValue(const element& x, const element& y) {
  if (x.type() != y.type()) return false;
  switch (x.type()) {
    case element_type::OBJECT: {
      const auto a = x.get_object().value_unsafe();
      const auto b = y.get_object().value_unsafe();
      if (a.size() != b.size()) return false;
      for (auto member : a) {
        element other;
        if (b.at_key(member.key).get(other) != simdjson::SUCCESS || !SameValue(member.value, other)) return false;
      }
      return true;
    }
    case element_type::ARRAY: {
      const auto a = x.get_array().value_unsafe();
      const auto b = y.get_array().value_unsafe();
      if (a.size() != b.size()) return false;
      auto i = a.begin();
      for (auto j = b.begin(); j != b.end(); ++i, ++j) {
        if (!SameValue(*i, *j)) return false;
      }
      return true;
    }
    case element_type::STRING: return x.get_string().value_unsafe() == y.get_string().value_unsafe();
    case element_type::INT64: return x.get_int64().value_unsafe() == y.get_int64().value_unsafe();
    case element_type::UINT64: return x.get_uint64().value_unsafe() == y.get_uint64().value_unsafe();
    case element_type::DOUBLE: return x.get_double().value_unsafe() == y.get_double().value_unsafe();
    case element_type::BOOL: return x.get_bool().value_unsafe() == y.get_bool().value_unsafe();
    case element_type::NULL_VALUE: return true;
  }
  return false;
}

// The change set's lines, one at a time.
class ChangeSetReader {
 public:
  ChangeSetReader(LineReader& lines, ChangeSet& set) : lines_(lines), set_(set) {}

  std::optional<DumpError> Start() {
    element root;
    if (auto error = Next(root, "the change set is empty")) return error;
    std::string_view format;
    int64_t version = 0;
    std::string_view layout;
    if (root["format"].get(format) != simdjson::SUCCESS || format != kChangeSetFormat) {
      return Refuse("not a change set: its first line does not name the format \"campdb-changes\"");
    }
    if (root["version"].get(version) != simdjson::SUCCESS || version != kChangeSetVersion) {
      return Refuse("change set format version " + std::to_string(version) + " cannot be read; this campdb reads version " +
                    std::to_string(kChangeSetVersion));
    }
    if (root["layout"].get(layout) != simdjson::SUCCESS ||
        (layout != LayoutName(Layout::Base) && layout != LayoutName(Layout::Ostrel))) {
      return Refuse("member \"layout\": neither \"base\" nor \"ostrel\"");
    }
    set_.layout = layout == LayoutName(Layout::Base) ? Layout::Base : Layout::Ostrel;
    return std::nullopt;
  }

  std::optional<DumpError> Changes() {
    std::array<int64_t, 3> counted{};
    std::set<std::tuple<int, int64_t, int64_t>> seen;
    while (true) {
      element root;
      if (auto error = Next(root, "the change set ends before its \"counts\" line: it is cut short")) return error;
      simdjson::dom::object object;
      if (root.get_object().get(object) != simdjson::SUCCESS) return Refuse("a line must hold one JSON object");
      element counts;
      if (object.at_key("counts").get(counts) == simdjson::SUCCESS) {
        if (auto error = Counts(object, counts, counted)) return error;
        std::string_view rest;
        switch (lines_.Next(rest)) {
          case LineReader::Result::End: return std::nullopt;
          case LineReader::Result::Error: return DumpError{0, lines_.Reason(), true};
          default: return DumpError{lines_.LineNumber(), "nothing may follow the \"counts\" line"};
        }
      }
      ChangeEntry entry;
      entry.line = lines_.LineNumber();
      if (auto error = Change(object, entry)) return error;
      if (!seen.emplace(static_cast<int>(entry.record), entry.key, entry.occurrence).second) {
        return Refuse("a second change of the same record");
      }
      ++counted[static_cast<size_t>(entry.kind)];
      set_.changes.push_back(std::move(entry));
    }
  }

 private:
  std::optional<DumpError> Next(element& root, std::string_view atEnd) {
    std::string_view line;
    switch (lines_.Next(line)) {
      case LineReader::Result::Line: break;
      case LineReader::Result::End: return DumpError{lines_.LineNumber() + 1, std::string(atEnd)};
      case LineReader::Result::Error: return DumpError{0, lines_.Reason(), true};
      case LineReader::Result::TooLong: return DumpError{lines_.LineNumber() + 1, "the line is too long to be read"};
    }
    if (const auto code = parser_.parse(line.data(), line.size(), false).get(root); code != simdjson::SUCCESS) {
      return Refuse(code == simdjson::EMPTY ? "the line is empty"
                                            : "malformed JSON (" + std::string(simdjson::error_message(code)) + ")");
    }
    return std::nullopt;
  }

  DumpError Refuse(const std::string& message) const { return DumpError{lines_.LineNumber(), message}; }

  std::optional<DumpError> Counts(simdjson::dom::object line, element counts, const std::array<int64_t, 3>& counted) {
    simdjson::dom::object object;
    if (line.size() != 1 || counts.get_object().get(object) != simdjson::SUCCESS || object.size() != 3) {
      return Refuse("member \"counts\": expected an object of \"added\", \"removed\" and \"changed\"");
    }
    for (const ChangeKind kind : {ChangeKind::Added, ChangeKind::Removed, ChangeKind::Changed}) {
      int64_t number = -1;
      const std::string name(ChangeKindName(kind));
      if (object[name].get(number) != simdjson::SUCCESS) return Refuse("member \"counts." + name + "\" is missing or no integer");
      if (number != counted[static_cast<size_t>(kind)]) {
        return Refuse("member \"counts." + name + "\": " + std::to_string(number) + " where the change set holds " +
                      std::to_string(counted[static_cast<size_t>(kind)]));
      }
    }
    return std::nullopt;
  }

  std::optional<DumpError> Change(simdjson::dom::object object, ChangeEntry& entry) {
    std::string_view change;
    std::string_view record;
    if (object["change"].get(change) != simdjson::SUCCESS) return Refuse("member \"change\" is missing or no string");
    if (change == "added") {
      entry.kind = ChangeKind::Added;
    } else if (change == "removed") {
      entry.kind = ChangeKind::Removed;
    } else if (change != "changed") {
      return Refuse("member \"change\": " + Quoted(change) + " is not \"added\", \"removed\" or \"changed\"");
    }
    if (object["record"].get(record) != simdjson::SUCCESS) return Refuse("member \"record\" is missing or no string");
    if (!RecordKindNamed(record, entry.record)) return Refuse("member \"record\": unknown record type " + Quoted(record));
    const bool hex = entry.record == RecordKind::Hex;
    const bool keyed = hex || IsObjectKind(entry.record);
    if (!keyed && entry.kind != ChangeKind::Changed) {
      return Refuse("a " + Quoted(record) + " record can only be changed, not " + std::string(change));
    }
    size_t known = 2;
    const std::string_view keyName = hex ? "index" : "objectId";
    if (keyed) {
      if (object[keyName].get(entry.key) != simdjson::SUCCESS || entry.key < (hex ? 0 : INT32_MIN) ||
          entry.key > INT32_MAX) {
        return Refuse("member " + Quoted(keyName) + " is missing or out of range");
      }
      ++known;
      element occurrence;
      if (!hex && object.at_key("occurrence").get(occurrence) == simdjson::SUCCESS) {
        if (occurrence.get(entry.occurrence) != simdjson::SUCCESS || entry.occurrence < 0 ||
            entry.occurrence > INT32_MAX) {
          return Refuse("member \"occurrence\" must be an integer from 0");
        }
        ++known;
      }
    }
    for (const auto& [name, text, wanted] :
         {std::tuple{"before", &entry.before, entry.kind != ChangeKind::Added},
          std::tuple{"after", &entry.after, entry.kind != ChangeKind::Removed}}) {
      element side;
      const bool there = object.at_key(name).get(side) == simdjson::SUCCESS;
      if (there != wanted) {
        return Refuse(std::string("member ") + Quoted(name) + (there ? " has no place in an " : " is missing in a ") +
                      std::string(change) + " change");
      }
      if (!there) continue;
      if (side.type() != element_type::OBJECT) return Refuse("member " + Quoted(name) + ": expected an object");
      *text = simdjson::to_string(side);
      ++known;
    }
    if (object.size() != known) {
      for (auto member : object) {
        const std::string_view key = member.key;
        if (key != "change" && key != "record" && key != "before" && key != "after" && key != keyName &&
            key != "occurrence") {
          return Refuse("unknown member " + Quoted(key));
        }
      }
      return Refuse("a member is given twice");
    }
    if (entry.kind != ChangeKind::Changed) return WholeRecord(entry);
    return std::nullopt;
  }

  // An added or removed record is whole: it must read as a dump's line.
  std::optional<DumpError> WholeRecord(const ChangeEntry& entry) {
    const bool added = entry.kind == ChangeKind::Added;
    const std::string& body = added ? entry.after : entry.before;
    const std::string line =
        "{\"record\":\"" + std::string(RecordKindName(entry.record)) + "\"" + (body.size() > 2 ? "," : "") + body.substr(1);
    RestoredRecord record;
    bool given = false;
    TextStore store;
    if (auto error = ReadRecordLine(line, set_.layout, store, record, given)) {
      return Refuse(UnderSide(added ? "after" : "before", *error));
    }
    if (const auto* object = std::get_if<MiscObject>(&record); object != nullptr && ObjectIdOf(*object) != entry.key) {
      return Refuse("the record's objectId " + std::to_string(ObjectIdOf(*object)) + " is not the change's " +
                    std::to_string(entry.key));
    }
    return std::nullopt;
  }

  LineReader& lines_;
  ChangeSet& set_;
  simdjson::dom::parser parser_;
};

// A record of the database as the dump writes it, with the places of its
// members. Only the values a change names are read as JSON, and only when
// their text is not the change's.
struct DatabaseRecord {
  RecordLine line;
  bool present = false;
  simdjson::dom::parser parser;

  template <class Dump>
  void Take(Dump&& dump) {
    ByteWriter out;
    line.members.clear();
    dump(out, &line.members);
    line.text = out.TakeBuffer();
    present = true;
  }
  // Whether `given` means what the member's value in the record means:
  // the same text, or the same value once read (whatever their escapes).
  bool Holds(const MemberSpan& member, const element& given) {
    const std::string_view held = line.Value(member);
    element value;
    return simdjson::to_string(given) == held ||
           (parser.parse(held.data(), held.size()).get(value) == simdjson::SUCCESS && SameValue(given, value));
  }
  // The member's value as a change set writes it.
  std::string Written(const MemberSpan& member) {
    const std::string_view held = line.Value(member);
    element value;
    return parser.parse(held.data(), held.size()).get(value) == simdjson::SUCCESS ? simdjson::to_string(value)
                                                                                 : std::string(held);
  }
};

class Applier {
 public:
  Applier(const ChangeSet& set, Database& db) : set_(set), db_(db), order_(db) {}

  ApplyOutcome Run(bool dryRun) {
    const int64_t impliedCount = 3 + db_.hexCount() + db_.ObjectCount();
    bool countImplied = db_.header.objectCount == impliedCount;
    // Which objects the change set removes, found first: an id whose object
    // is removed may be added again as an object of another kind.
    for (const ChangeEntry& change : set_.changes) {
      if (change.kind == ChangeKind::Removed && IsObjectKind(change.record)) {
        const int64_t at = order_.Find(static_cast<int32_t>(change.key), change.occurrence);
        if (at >= 0) removing_.insert(at);
      }
    }
    HexCounts();
    for (const ChangeEntry& change : set_.changes) {
      Check(change);
      if (outcome_.refused) return std::move(outcome_);
    }
    if (!outcome_.conflicts.empty() || dryRun) return std::move(outcome_);

    // Every change holds: make them.
    for (auto& [at, record] : records_) {
      const ChangeEntry& change = *at;
      if (auto* header = std::get_if<tPrelimData>(&record)) {
        db_.header = *header;
        countImplied = !headerCountGiven_;
      } else if (auto* campaign = std::get_if<tCampaignObject>(&record)) {
        db_.campaign = *campaign;
      } else if (auto* map = std::get_if<tMapObject>(&record)) {
        db_.map = *map;
      } else if (auto* political = std::get_if<tPoliticalObject>(&record)) {
        db_.political = *political;
      } else if (auto* unloaded = std::get_if<UnloadedBytes>(&record)) {
        db_.unloaded = unloaded->bytes;
      } else if (auto* hex = std::get_if<tMapHex>(&record)) {
        if (change.kind == ChangeKind::Changed) db_.hexes[static_cast<size_t>(change.key)] = *hex;
      } else if (auto* object = std::get_if<MiscObject>(&record); object != nullptr && change.kind == ChangeKind::Changed) {
        db_.EditObject(positions_[at]) = std::move(*object);
      }
    }
    // Hexes come and go at the end of the map.
    std::vector<std::pair<int64_t, tMapHex*>> addedHexes;
    for (auto& [at, record] : records_) {
      if (at->record != RecordKind::Hex || at->kind == ChangeKind::Changed) continue;
      if (at->kind == ChangeKind::Added) addedHexes.emplace_back(at->key, &std::get<tMapHex>(record));
      if (at->kind == ChangeKind::Removed) db_.hexes.resize(std::min(db_.hexes.size(), static_cast<size_t>(at->key)));
    }
    std::sort(addedHexes.begin(), addedHexes.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (const auto& [index, hex] : addedHexes) db_.hexes.push_back(*hex);
    Objects();
    if (countImplied) db_.header.objectCount = static_cast<int32_t>(3 + db_.hexCount() + db_.ObjectCount());
    return std::move(outcome_);
  }

 private:
  // Hexes added must continue the database's map, and hexes removed end it.
  void HexCounts() {
    std::vector<int64_t> added;
    std::vector<int64_t> removed;
    for (const ChangeEntry& change : set_.changes) {
      if (change.record != RecordKind::Hex) continue;
      if (change.kind == ChangeKind::Added) added.push_back(change.key);
      if (change.kind == ChangeKind::Removed) removed.push_back(change.key);
    }
    std::sort(added.begin(), added.end());
    std::sort(removed.begin(), removed.end());
    const int64_t held = db_.hexCount();
    bool fits = true;
    for (size_t i = 0; i < added.size(); ++i) fits &= added[i] == held + static_cast<int64_t>(i);
    for (size_t i = 0; i < removed.size(); ++i) fits &= removed[i] == held - static_cast<int64_t>(removed.size() - i);
    if (!fits) {
      Conflict conflict;
      conflict.record = RecordKind::Hex;
      conflict.key = !added.empty() ? added.front() : removed.front();
      conflict.why = "the change set adds or removes hexes of a map that holds " + std::to_string(held) +
                     " hexes; it applies only to a database whose map matches its before side";
      outcome_.conflicts.push_back(conflict);
    }
  }

  void Read(const ChangeEntry& change) {
    const Layout layout = db_.layout;
    current_.present = false;
    sameKind_ = true;
    switch (change.record) {
      case RecordKind::Header:
        return current_.Take([&](ByteWriter& out, auto* members) {
          DumpHeaderLine(out, db_.header, layout, 3 + db_.hexCount() + db_.ObjectCount(), members);
        });
      case RecordKind::Campaign:
        return current_.Take([&](ByteWriter& out, auto* members) { DumpRecordLine(out, db_.campaign, layout, members); });
      case RecordKind::Map:
        return current_.Take([&](ByteWriter& out, auto* members) { DumpRecordLine(out, db_.map, layout, members); });
      case RecordKind::Political:
        return current_.Take([&](ByteWriter& out, auto* members) { DumpRecordLine(out, db_.political, layout, members); });
      case RecordKind::Unloaded:
        return current_.Take([&](ByteWriter& out, auto* members) { DumpUnloadedLine(out, db_.unloaded, members); });
      case RecordKind::Hex:
        if (change.key < db_.hexCount()) {
          current_.Take([&](ByteWriter& out, auto* members) {
            DumpRecordLine(out, db_.hexes[static_cast<size_t>(change.key)], layout, members);
          });
        }
        return;
      default: {
        position_ = order_.Find(static_cast<int32_t>(change.key), change.occurrence);
        // An object the change set removes is not there for one it adds.
        if (position_ < 0 || (change.kind == ChangeKind::Added && removing_.count(position_) != 0)) return;
        MiscObject scratch;
        const MiscObject& object = db_.ReadObject(position_, scratch);
        sameKind_ = static_cast<int>(change.record) - static_cast<int>(RecordKind::News) == static_cast<int>(KindOf(object));
        current_.Take([&](ByteWriter& out, auto* members) { DumpRecordLine(out, object, layout, members); });
      }
    }
  }

  Conflict Against(const ChangeEntry& change) const {
    Conflict conflict;
    conflict.record = change.record;
    conflict.key = change.key;
    conflict.occurrence = change.occurrence;
    return conflict;
  }

  // Each member of `side` must be in the database record as it is there;
  // with `whole`, the record may hold no other member.
  void Compare(const ChangeEntry& change, simdjson::dom::object side, bool whole, const simdjson::dom::object* after) {
    const auto afterText = [&](std::string_view key) {
      element value;
      return after != nullptr && after->at_key(key).get(value) == simdjson::SUCCESS ? simdjson::to_string(value)
                                                                                    : std::string();
    };
    for (auto member : side) {
      const MemberSpan* held = current_.line.Find(member.key);
      if (held != nullptr && current_.Holds(*held, member.value)) continue;
      Conflict conflict = Against(change);
      conflict.member = std::string(member.key);
      conflict.before = simdjson::to_string(member.value);
      conflict.database = held != nullptr ? current_.Written(*held) : std::string();
      conflict.after = afterText(member.key);
      outcome_.conflicts.push_back(std::move(conflict));
    }
    if (!whole) return;
    for (const MemberSpan& member : current_.line.members) {
      element given;
      if (side.at_key(member.name).get(given) == simdjson::SUCCESS) continue;
      Conflict conflict = Against(change);
      conflict.member = std::string(member.name);
      conflict.database = current_.Written(member);
      conflict.after = afterText(member.name);
      outcome_.conflicts.push_back(std::move(conflict));
    }
  }

  void Check(const ChangeEntry& change) {
    Read(change);
    element before;
    element after;
    simdjson::dom::object beforeObject;
    simdjson::dom::object afterObject;
    // Both sides were read as objects when the change set was.
    if (!change.before.empty() && beforeParser_.parse(change.before).get(before) == simdjson::SUCCESS) {
      beforeObject = before.get_object().value_unsafe();
    }
    if (!change.after.empty() && afterParser_.parse(change.after).get(after) == simdjson::SUCCESS) {
      afterObject = after.get_object().value_unsafe();
    }
    const size_t conflicts = outcome_.conflicts.size();
    switch (change.kind) {
      case ChangeKind::Added:
        if (current_.present && !sameKind_) {
          Conflict conflict = Against(change);
          conflict.why = "an object of another kind has that id";
          outcome_.conflicts.push_back(std::move(conflict));
          return;
        }
        if (current_.present) {
          Compare(change, afterObject, true, &afterObject);
          if (outcome_.conflicts.size() == conflicts) ++outcome_.alreadyThere;
          return;
        }
        return Take(change, "{\"record\":\"" + std::string(RecordKindName(change.record)) + "\"" +
                                (change.after.size() > 2 ? "," : "") + change.after.substr(1));
      case ChangeKind::Removed:
        if (!current_.present || !sameKind_) return Missing(change);
        Compare(change, beforeObject, true, nullptr);
        if (outcome_.conflicts.size() == conflicts) {
          ++outcome_.applied[1];
          if (IsObjectKind(change.record)) removed_.push_back(position_);
          if (change.record == RecordKind::Hex) records_.emplace_back(&change, RestoredRecord{});
        }
        return;
      case ChangeKind::Changed: {
        if (!current_.present || !sameKind_) return Missing(change);
        Compare(change, beforeObject, false, &afterObject);
        // Members only after names must not be in the database, but as after.
        for (auto member : afterObject) {
          element given;
          const MemberSpan* held = current_.line.Find(member.key);
          if (beforeObject.at_key(member.key).get(given) == simdjson::SUCCESS || held == nullptr ||
              current_.Holds(*held, member.value)) {
            continue;
          }
          Conflict conflict = Against(change);
          conflict.member = std::string(member.key);
          conflict.database = current_.Written(*held);
          conflict.after = simdjson::to_string(member.value);
          outcome_.conflicts.push_back(std::move(conflict));
        }
        if (outcome_.conflicts.size() != conflicts) return;
        // The database's record with the members of `after` in place of its
        // own, and without those only `before` names.
        std::string merged = "{\"record\":\"" + std::string(RecordKindName(change.record)) + "\"";
        for (const MemberSpan& member : current_.line.members) {
          element given;
          if (afterObject.at_key(member.name).get(given) == simdjson::SUCCESS) {
            merged += ",\"" + std::string(member.name) + "\":" + simdjson::to_string(given);
          } else if (beforeObject.at_key(member.name).get(given) != simdjson::SUCCESS) {
            merged += ",\"" + std::string(member.name) + "\":" + std::string(current_.line.Value(member));
          }
        }
        for (auto member : afterObject) {
          if (current_.line.Find(member.key) == nullptr) {
            merged += ",\"" + std::string(member.key) + "\":" + simdjson::to_string(member.value);
          }
        }
        merged += "}";
        return Take(change, merged);
      }
    }
  }

  void Missing(const ChangeEntry& change) {
    Conflict conflict = Against(change);
    conflict.why = "the record is not in the database";
    outcome_.conflicts.push_back(std::move(conflict));
  }

  // Reads the record the change makes, to be put in place once every
  // change holds.
  void Take(const ChangeEntry& change, const std::string& line) {
    RestoredRecord record;
    bool countGiven = false;
    if (auto error = ReadRecordLine(line, db_.layout, db_.store, record, countGiven)) {
      outcome_.refused = DumpError{change.line, UnderSide("after", *error)};
      return;
    }
    if (change.record == RecordKind::Header) headerCountGiven_ = countGiven;
    ++outcome_.applied[static_cast<size_t>(change.kind)];
    if (change.kind == ChangeKind::Added && IsObjectKind(change.record)) {
      added_.emplace_back(change.key, change.occurrence, std::move(std::get<MiscObject>(record)));
      return;
    }
    if (IsObjectKind(change.record)) positions_[&change] = position_;
    records_.emplace_back(&change, std::move(record));
  }

  // The new list: the objects kept, and each added one before the first
  // object with a greater id.
  void Objects() {
    if (added_.empty() && removed_.empty()) return;
    std::sort(added_.begin(), added_.end(), [](const auto& x, const auto& y) {
      return std::tie(std::get<0>(x), std::get<1>(x)) < std::tie(std::get<0>(y), std::get<1>(y));
    });
    std::vector<uint8_t> gone(static_cast<size_t>(db_.ObjectCount()), 0);
    for (const int64_t at : removed_) gone[static_cast<size_t>(at)] = 1;
    std::vector<int64_t> order;
    std::vector<MiscObject> records;
    order.reserve(static_cast<size_t>(db_.ObjectCount()) + added_.size());
    size_t next = 0;
    for (int64_t i = 0; i < db_.ObjectCount(); ++i) {
      if (gone[static_cast<size_t>(i)] != 0) continue;
      while (next < added_.size() && std::get<0>(added_[next]) < db_.Entry(i).id) {
        order.push_back(-1);
        records.push_back(std::move(std::get<2>(added_[next++])));
      }
      order.push_back(i);
    }
    for (; next < added_.size(); ++next) {
      order.push_back(-1);
      records.push_back(std::move(std::get<2>(added_[next])));
    }
    db_.Rearrange(order, std::move(records));
  }

  const ChangeSet& set_;
  Database& db_;
  IdOrder order_;
  ApplyOutcome outcome_;
  DatabaseRecord current_;
  int64_t position_ = -1;
  bool sameKind_ = true;
  simdjson::dom::parser beforeParser_;
  simdjson::dom::parser afterParser_;
  std::set<int64_t> removing_;
  std::vector<std::pair<const ChangeEntry*, RestoredRecord>> records_;
  std::map<const ChangeEntry*, int64_t> positions_;
  std::vector<std::tuple<int64_t, int64_t, MiscObject>> added_;
  std::vector<int64_t> removed_;
  bool headerCountGiven_ = false;
};

}  // namespace

std::optional<DumpError> ReadChangeSetStart(LineReader& lines, ChangeSet& set) { return ChangeSetReader(lines, set).Start(); }

std::optional<DumpError> ReadChanges(LineReader& lines, ChangeSet& set) { return ChangeSetReader(lines, set).Changes(); }

ApplyOutcome ApplyChangeSet(const ChangeSet& set, Database& db, bool dryRun) { return Applier(set, db).Run(dryRun); }

}  // namespace campdb
