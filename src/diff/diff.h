// What changed between two databases of the same layout, record by record,
// in the terms of the dump: its record types, its members under their
// names, their values as the dump writes them.
//
// The header, campaign, map and political records are compared one to one;
// hexes by their index; misc objects by objectId, the i-th object with an id
// in one database against the i-th with that id in the other (one merge pass
// over the two lists sorted by id; a list out of order is sorted through an
// index first); the bytes a load could not take as one piece. Values the
// dump leaves out because the rest implies them (a declared size that fits
// the fields, the header's object count) are no difference by themselves.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "format/database.h"
#include "textform/dump.h"

namespace campdb {

// The kinds of record, in file order, under the dump's names.
enum class RecordKind { Header, Campaign, Map, Hex, Political, News, Character, Ship, Bid, Unrecognised, Unloaded };
inline constexpr size_t kRecordKinds = 11;
std::string_view RecordKindName(RecordKind kind);
// The kind a dump's record name names; false for none.
bool RecordKindNamed(std::string_view name, RecordKind& kind);
// Hexes have an index, misc objects an id; the other records are one each.
inline bool IsObjectKind(RecordKind kind) { return kind >= RecordKind::News && kind <= RecordKind::Unrecognised; }

enum class ChangeKind { Added, Removed, Changed };
std::string_view ChangeKindName(ChangeKind kind);

// The members left out of a comparison: "currentTurn" in every record,
// "campaign.currentTurn" in one type only.
class IgnoredMembers {
 public:
  // False when `member` names no record type before its dot, or nothing after it.
  bool Add(std::string_view member);
  bool Ignored(RecordKind kind, std::string_view member) const;
  bool Empty() const { return everywhere_.empty() && inKind_.empty(); }

 private:
  std::vector<std::string> everywhere_;
  std::vector<std::pair<RecordKind, std::string>> inKind_;
};

// One record as a line of the dump, with the places of its members.
struct RecordLine {
  std::string text;
  std::vector<MemberSpan> members;

  std::string_view Value(const MemberSpan& member) const {
    return std::string_view(text).substr(member.begin, member.end - member.begin);
  }
  // The member's value, or nullptr.
  const MemberSpan* Find(std::string_view name) const;
  // The record's members after its "record" member, and the closing brace:
  // with "{" before them, the record as one JSON object without its type.
  std::string_view Body() const;
};

struct Change {
  ChangeKind kind = ChangeKind::Changed;
  RecordKind record = RecordKind::Header;
  int64_t key = 0;         // a hex's index, an object's id
  int64_t occurrence = 0;  // the object is the i-th with its id (from 0)
  const RecordLine* before = nullptr;  // absent for an added record
  const RecordLine* after = nullptr;   // absent for a removed one
  // A changed record's members that differ, in the order of `after` (then
  // those only `before` holds).
  std::vector<std::string_view> members;
};

struct DiffCounts {
  // Per record kind: added, removed, changed, unchanged.
  std::array<std::array<int64_t, 4>, kRecordKinds> byKind{};
  int64_t Total(ChangeKind kind) const;
  bool Any() const { return Total(ChangeKind::Added) + Total(ChangeKind::Removed) + Total(ChangeKind::Changed) > 0; }
};

// Compares `a` with `b` and tells each change to `visit` (when given): in
// b's order, a removed record at its place in a. Returns the counts.
DiffCounts CompareDatabases(const Database& a, const Database& b, const IgnoredMembers& ignored,
                            const std::function<void(const Change&)>& visit);

// --- output ------------------------------------------------------------------

// The text form: the table of counts, then (unless `summaryOnly`) every
// change with its members' paths and values.
void WriteDiffTable(const DiffCounts& counts, ByteWriter& out);
void WriteChangeText(const Change& change, ByteWriter& out);

// The most text of changes WriteDiffText holds by default.
inline constexpr size_t kHeldChangeText = size_t{4} << 20;
// Compares `a` with `b` and writes the text form. The table goes first but
// counts every change, so the changes' text is held as they are found, up
// to `held` bytes, and written after it; when there is more, the changes
// are found again for it. Returns the counts.
DiffCounts WriteDiffText(const Database& a, const Database& b, const IgnoredMembers& ignored, bool summaryOnly,
                         ByteWriter& out, size_t held = kHeldChangeText);

inline constexpr std::string_view kChangeSetFormat = "campdb-changes";
inline constexpr int kChangeSetVersion = 1;

struct DatabaseName {
  std::string_view file;
  int64_t bytes = 0;
};
// A change set: JSON Lines, a format line, one line per change, a last line
// with the counts.
void WriteChangeSetStart(Layout layout, const DatabaseName& from, const DatabaseName& to, ByteWriter& out);
void WriteChangeLine(const Change& change, ByteWriter& out);
void WriteChangeSetEnd(const DiffCounts& counts, ByteWriter& out);

// The paths under `member` where two of its values as the dump writes them
// differ, with the values there (JSON text; empty where a side has none):
// "ships[1].shipName", "systemsBlock.rWarp.intact".
struct MemberDifference {
  std::string path;
  std::string before;
  std::string after;
};
std::vector<MemberDifference> MemberDifferences(std::string_view member, std::string_view before,
                                                std::string_view after);

}  // namespace campdb
