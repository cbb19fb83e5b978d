// The comparison: records paired one to one, by index or by id, each pair
// compared member by member as the dump writes them.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "diff/diff.h"
#include "diff/id_order.h"
#include "textform/record_names.h"

namespace campdb {

namespace {

constexpr std::array<std::string_view, kRecordKinds> kKindNames = {
    "header", "campaign", "map", "hex", "political", "news", "character", "ship", "bid", "unrecognised", "unloaded"};

RecordKind KindOfObject(ObjectKind kind) {
  return static_cast<RecordKind>(static_cast<int>(RecordKind::News) + static_cast<int>(kind));
}

// A pair of objects with the same (id, occurrence), or one without a partner.
struct ObjectPair {
  int64_t a = -1;
  int64_t b = -1;
  int32_t id = 0;
  int64_t occurrence = 0;
};

class Comparer {
 public:
  Comparer(const Database& a, const Database& b, const IgnoredMembers& ignored,
           const std::function<void(const Change&)>& visit)
      : a_(a), b_(b), ignored_(ignored), visit_(visit), sameFacts_(a.facts == b.facts) {}

  DiffCounts Run() {
    Pair(RecordKind::Header, 0, 0, [&](ByteWriter& out, auto* members) {
      DumpHeaderLine(out, a_.header, a_.layout, 3 + a_.hexCount() + a_.ObjectCount(), members);
    }, [&](ByteWriter& out, auto* members) {
      DumpHeaderLine(out, b_.header, b_.layout, 3 + b_.hexCount() + b_.ObjectCount(), members);
    });
    PairRecords(RecordKind::Campaign, a_.campaign, b_.campaign);
    PairRecords(RecordKind::Map, a_.map, b_.map);
    const int64_t hexes = std::max(a_.hexCount(), b_.hexCount());
    for (int64_t i = 0; i < hexes; ++i) {
      const tMapHex* hexA = i < a_.hexCount() ? &a_.hexes[static_cast<size_t>(i)] : nullptr;
      const tMapHex* hexB = i < b_.hexCount() ? &b_.hexes[static_cast<size_t>(i)] : nullptr;
      Pair(RecordKind::Hex, i, 0, Dumper(hexA, a_.layout), Dumper(hexB, b_.layout));
    }
    PairRecords(RecordKind::Political, a_.political, b_.political);
    Objects();
    Pair(RecordKind::Unloaded, 0, 0, [&](ByteWriter& out, auto* members) { DumpUnloadedLine(out, a_.unloaded, members); },
         [&](ByteWriter& out, auto* members) { DumpUnloadedLine(out, b_.unloaded, members); });
    return counts_;
  }

 private:
  using Dump = std::function<void(ByteWriter&, std::vector<MemberSpan>*)>;

  template <class Record>
  static Dump Dumper(const Record* record, Layout layout) {
    if (record == nullptr) return nullptr;
    return [record, layout](ByteWriter& out, std::vector<MemberSpan>* members) {
      DumpRecordLine(out, *record, layout, members);
    };
  }
  template <class Record>
  void PairRecords(RecordKind kind, const Record& a, const Record& b) {
    Pair(kind, 0, 0, Dumper(&a, a_.layout), Dumper(&b, b_.layout));
  }

  static void Fill(RecordLine& line, const Dump& dump) {
    ByteWriter out;
    line.members.clear();
    dump(out, &line.members);
    line.text = out.TakeBuffer();
  }

  int64_t& Count(RecordKind kind, ChangeKind change) {
    return counts_.byKind[static_cast<size_t>(kind)][static_cast<size_t>(change)];
  }

  // Compares one pair (either side may be absent) and tells its change.
  void Pair(RecordKind kind, int64_t key, int64_t occurrence, const Dump& dumpA, const Dump& dumpB) {
    Change change;
    change.record = kind;
    change.key = key;
    change.occurrence = occurrence;
    if (dumpA == nullptr || dumpB == nullptr) {
      change.kind = dumpA == nullptr ? ChangeKind::Added : ChangeKind::Removed;
      ++Count(kind, change.kind);
      if (!visit_) return;
      Fill(dumpA == nullptr ? lineB_ : lineA_, dumpA == nullptr ? dumpB : dumpA);
      (dumpA == nullptr ? change.after : change.before) = dumpA == nullptr ? &lineB_ : &lineA_;
      visit_(change);
      return;
    }
    Fill(lineA_, dumpA);
    Fill(lineB_, dumpB);
    if (lineA_.text == lineB_.text && ignored_.Empty()) {
      ++Count(kind, static_cast<ChangeKind>(3));
      return;
    }
    for (const MemberSpan& member : lineB_.members) {
      if (ignored_.Ignored(kind, member.name)) continue;
      const MemberSpan* other = lineA_.Find(member.name);
      if (other == nullptr || lineA_.Value(*other) != lineB_.Value(member)) change.members.push_back(member.name);
    }
    for (const MemberSpan& member : lineA_.members) {
      if (!ignored_.Ignored(kind, member.name) && lineB_.Find(member.name) == nullptr) {
        change.members.push_back(member.name);
      }
    }
    if (change.members.empty()) {
      ++Count(kind, static_cast<ChangeKind>(3));
      return;
    }
    change.kind = ChangeKind::Changed;
    ++Count(kind, ChangeKind::Changed);
    change.before = &lineA_;
    change.after = &lineB_;
    if (visit_) visit_(change);
  }

  // Two objects whose bytes in their inputs are the same are the same, when
  // both are read as they lie and the campaigns tell their readers the same.
  bool SameBytes(int64_t i, int64_t j) const {
    const ObjectEntry& x = a_.Entry(i);
    const ObjectEntry& y = b_.Entry(j);
    if (!sameFacts_ || !x.verbatim || !y.verbatim || a_.KeptObject(i) != nullptr || b_.KeptObject(j) != nullptr) {
      return false;
    }
    // B's load may have found them the same already.
    if (b_.loadedAlongside == &a_ && static_cast<size_t>(j) < b_.sameBytesAs.size() &&
        b_.sameBytesAs[static_cast<size_t>(j)] == static_cast<uint64_t>(i) + 1) {
      return true;
    }
    return x.end - x.start == y.end - y.start &&
           std::memcmp(a_.source.data.get() + x.start, b_.source.data.get() + y.start, x.end - x.start) == 0;
  }

  void ObjectPairOf(const ObjectPair& pair) {
    const bool both = pair.a >= 0 && pair.b >= 0;
    if (both && SameBytes(pair.a, pair.b)) {
      ++Count(KindOfObject(a_.Entry(pair.a).kind), static_cast<ChangeKind>(3));
      return;
    }
    const auto dumpOf = [&](const Database& db, int64_t index, MiscObject& scratch) -> Dump {
      if (index < 0) return nullptr;
      return [&db, index, &scratch](ByteWriter& out, std::vector<MemberSpan>* members) {
        DumpRecordLine(out, db.ReadObject(index, scratch), db.layout, members);
      };
    };
    const ObjectKind kindA = pair.a >= 0 ? a_.Entry(pair.a).kind : ObjectKind::Unrecognised;
    const ObjectKind kindB = pair.b >= 0 ? b_.Entry(pair.b).kind : ObjectKind::Unrecognised;
    if (both && kindA != kindB) {
      // An id that names an object of another kind now: one removed, one added.
      Pair(KindOfObject(kindA), pair.id, pair.occurrence, dumpOf(a_, pair.a, scratchA_), nullptr);
      Pair(KindOfObject(kindB), pair.id, pair.occurrence, nullptr, dumpOf(b_, pair.b, scratchB_));
      return;
    }
    Pair(KindOfObject(pair.a >= 0 ? kindA : kindB), pair.id, pair.occurrence, dumpOf(a_, pair.a, scratchA_),
         dumpOf(b_, pair.b, scratchB_));
  }

  // One merge pass over both lists in (id, occurrence) order.
  void Objects() {
    const IdOrder orderA(a_);
    const IdOrder orderB(b_);
    const bool inOrder = orderA.Ascending() && orderB.Ascending();
    std::vector<ObjectPair> pairs;
    int64_t i = 0;
    int64_t j = 0;
    int64_t occurrence = 0;
    int32_t lastId = 0;
    bool first = true;
    while (i < orderA.Size() || j < orderB.Size()) {
      ObjectPair pair;
      const bool takeA = j >= orderB.Size() || (i < orderA.Size() && orderA.IdAt(i) <= orderB.IdAt(j));
      const bool takeB = i >= orderA.Size() || (j < orderB.Size() && orderB.IdAt(j) <= orderA.IdAt(i));
      pair.id = takeA ? orderA.IdAt(i) : orderB.IdAt(j);
      occurrence = !first && pair.id == lastId ? occurrence + 1 : 0;
      first = false;
      lastId = pair.id;
      pair.occurrence = occurrence;
      if (takeA) pair.a = orderA.At(i++);
      if (takeB) pair.b = orderB.At(j++);
      if (inOrder) {
        ObjectPairOf(pair);
      } else {
        pairs.push_back(pair);
      }
    }
    if (inOrder) return;
    // B's order; a removed object follows the partner in B of the object
    // before it in A.
    std::vector<int64_t> partner(static_cast<size_t>(a_.ObjectCount()), -1);
    for (const ObjectPair& pair : pairs) {
      if (pair.a >= 0) partner[static_cast<size_t>(pair.a)] = pair.b;
    }
    int64_t anchor = -1;
    for (int64_t& place : partner) {
      if (place >= 0) {
        anchor = place;
      } else {
        place = -2 - anchor;  // no partner: below -1, the anchor kept
      }
    }
    const auto order = [&](const ObjectPair& pair) {
      if (pair.b >= 0) return std::tuple<int64_t, int, int64_t>(pair.b, 0, 0);
      return std::tuple<int64_t, int, int64_t>(-2 - partner[static_cast<size_t>(pair.a)], 1, pair.a);
    };
    std::sort(pairs.begin(), pairs.end(), [&](const ObjectPair& x, const ObjectPair& y) { return order(x) < order(y); });
    for (const ObjectPair& pair : pairs) ObjectPairOf(pair);
  }

  const Database& a_;
  const Database& b_;
  const IgnoredMembers& ignored_;
  const std::function<void(const Change&)>& visit_;
  bool sameFacts_;
  DiffCounts counts_;
  RecordLine lineA_;
  RecordLine lineB_;
  MiscObject scratchA_;
  MiscObject scratchB_;
};

}  // namespace

std::string_view RecordKindName(RecordKind kind) { return kKindNames[static_cast<size_t>(kind)]; }

bool RecordKindNamed(std::string_view name, RecordKind& kind) {
  const auto found = std::find(kKindNames.begin(), kKindNames.end(), name);
  if (found == kKindNames.end()) return false;
  kind = static_cast<RecordKind>(found - kKindNames.begin());
  return true;
}

std::string_view ChangeKindName(ChangeKind kind) {
  constexpr std::array<std::string_view, 3> kNames = {"added", "removed", "changed"};
  return kNames[static_cast<size_t>(kind)];
}

bool IgnoredMembers::Add(std::string_view member) {
  const size_t dot = member.find('.');
  if (dot == std::string_view::npos) {
    if (member.empty()) return false;
    everywhere_.emplace_back(member);
    return true;
  }
  RecordKind kind{};
  if (!RecordKindNamed(member.substr(0, dot), kind) || dot + 1 == member.size()) return false;
  inKind_.emplace_back(kind, std::string(member.substr(dot + 1)));
  return true;
}

bool IgnoredMembers::Ignored(RecordKind kind, std::string_view member) const {
  return std::find(everywhere_.begin(), everywhere_.end(), member) != everywhere_.end() ||
         std::any_of(inKind_.begin(), inKind_.end(),
                     [&](const auto& entry) { return entry.first == kind && entry.second == member; });
}

const MemberSpan* RecordLine::Find(std::string_view name) const {
  for (const MemberSpan& member : members) {
    if (member.name == name) return &member;
  }
  return nullptr;
}

std::string_view RecordLine::Body() const {
  // {"record":"name" then "," and the members, or "}".
  const size_t afterType = text.find('"', 11) + 1;
  return afterType < text.size() && text[afterType] == ',' ? std::string_view(text).substr(afterType + 1) : "}";
}

int64_t DiffCounts::Total(ChangeKind kind) const {
  int64_t total = 0;
  for (const auto& row : byKind) total += row[static_cast<size_t>(kind)];
  return total;
}

DiffCounts CompareDatabases(const Database& a, const Database& b, const IgnoredMembers& ignored,
                            const std::function<void(const Change&)>& visit) {
  return Comparer(a, b, ignored, visit).Run();
}

}  // namespace campdb
