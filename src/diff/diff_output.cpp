// The comparison written out: the text an operator reads, and the change
// set a script (or --apply) reads.
#include <simdjson.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

#include "diff/diff.h"
#include "json/json_writer.h"

namespace campdb {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

void Put(ByteWriter& out, std::string_view text) { out.WriteRun(text); }

void PutPadded(ByteWriter& out, std::string_view text, size_t width, bool right) {
  const std::string pad(width > text.size() ? width - text.size() : 0, ' ');
  if (right) Put(out, pad);
  Put(out, text);
  if (!right) Put(out, pad);
}

// The words after a record's kind and key that tell an operator which one
// it is: a character's name, a ship's type and name, a hex's coordinates.
std::string Identity(const Change& change) {
  const RecordLine& line = change.after != nullptr ? *change.after : *change.before;
  const auto value = [&](std::string_view name) {
    const MemberSpan* member = line.Find(name);
    return member != nullptr ? std::string(line.Value(*member)) : std::string();
  };
  // Built by appending, the way g++ 12 does not mistake for an overlapping
  // copy.
  const auto joined = [](std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const std::string_view piece : pieces) text += piece;
    return text;
  };
  switch (change.record) {
    case RecordKind::Character:
      return joined({" ", value("characterName")});
    case RecordKind::Ship:
      return joined({" ", value("shipType"), " ", value("shipName")});
    case RecordKind::Bid:
      return joined({" ", value("shipName")});
    case RecordKind::Hex:
      return joined({" (", value("hexX"), ",", value("hexY"), ")"});
    default:
      return {};
  }
}

void PutKey(const Change& change, ByteWriter& out) {
  Put(out, RecordKindName(change.record));
  if (change.record == RecordKind::Hex || IsObjectKind(change.record)) {
    Put(out, " ");
    Put(out, std::to_string(change.key));
    if (change.occurrence > 0) {
      Put(out, "#");
      Put(out, std::to_string(change.occurrence + 1));
    }
  }
}

// The differences under one value, found by walking both as JSON.
class Differ {
 public:
  explicit Differ(std::vector<MemberDifference>& found) : found_(found) {}

  void Compare(const std::string& path, const element* before, const element* after, bool inBlock) {
    if (before != nullptr && after != nullptr && before->type() == after->type()) {
      if (before->type() == element_type::OBJECT) return Objects(path, *before, *after, inBlock);
      if (before->type() == element_type::ARRAY) return Arrays(path, *before, *after, inBlock);
    }
    const std::string x = before != nullptr ? simdjson::to_string(*before) : std::string();
    const std::string y = after != nullptr ? simdjson::to_string(*after) : std::string();
    if (x != y) found_.push_back({path, x, y});
  }

 private:
  void Objects(const std::string& path, const element& before, const element& after, bool inBlock) {
    const simdjson::dom::object x = before.get_object().value_unsafe();
    const simdjson::dom::object y = after.get_object().value_unsafe();
    for (auto member : y) {
      element other;
      const bool there = x.at_key(member.key).get(other) == simdjson::SUCCESS;
      Compare(path + "." + std::string(member.key), there ? &other : nullptr, &member.value, inBlock);
    }
    for (auto member : x) {
      element other;
      if (y.at_key(member.key).get(other) != simdjson::SUCCESS) {
        Compare(path + "." + std::string(member.key), &member.value, nullptr, inBlock);
      }
    }
  }

  void Arrays(const std::string& path, const element& before, const element& after, bool inBlock) {
    const simdjson::dom::array x = before.get_array().value_unsafe();
    const simdjson::dom::array y = after.get_array().value_unsafe();
    // In the systems block a pair of bytes is [intact, working].
    const bool pair = inBlock && x.size() == 2 && y.size() == 2 && x.at(0).is_int64() && y.at(0).is_int64();
    const size_t count = std::max(x.size(), y.size());
    for (size_t i = 0; i < count; ++i) {
      element left;
      element right;
      const bool hasLeft = x.at(i).get(left) == simdjson::SUCCESS;
      const bool hasRight = y.at(i).get(right) == simdjson::SUCCESS;
      const std::string at = pair ? path + (i == 0 ? ".intact" : ".working") : path + "[" + std::to_string(i) + "]";
      Compare(at, hasLeft ? &left : nullptr, hasRight ? &right : nullptr, inBlock);
    }
  }

  std::vector<MemberDifference>& found_;
};

}  // namespace

std::vector<MemberDifference> MemberDifferences(std::string_view member, std::string_view before,
                                                std::string_view after) {
  std::vector<MemberDifference> found;
  simdjson::dom::parser parserA;
  simdjson::dom::parser parserB;
  element x;
  element y;
  const bool hasX = !before.empty() && parserA.parse(simdjson::padded_string(before)).get(x) == simdjson::SUCCESS;
  const bool hasY = !after.empty() && parserB.parse(simdjson::padded_string(after)).get(y) == simdjson::SUCCESS;
  Differ(found).Compare(std::string(member), hasX ? &x : nullptr, hasY ? &y : nullptr, member == "systemsBlock");
  return found;
}

void WriteDiffTable(const DiffCounts& counts, ByteWriter& out) {
  constexpr size_t kName = 14;
  constexpr size_t kNumber = 10;
  PutPadded(out, "record", kName, false);
  for (const std::string_view head : {"added", "removed", "changed", "unchanged"}) PutPadded(out, head, kNumber, true);
  Put(out, "\n");
  std::array<int64_t, 4> total{};
  for (size_t kind = 0; kind < kRecordKinds; ++kind) {
    PutPadded(out, RecordKindName(static_cast<RecordKind>(kind)), kName, false);
    for (size_t column = 0; column < 4; ++column) {
      PutPadded(out, std::to_string(counts.byKind[kind][column]), kNumber, true);
      total[column] += counts.byKind[kind][column];
    }
    Put(out, "\n");
  }
  PutPadded(out, "total", kName, false);
  for (const int64_t count : total) PutPadded(out, std::to_string(count), kNumber, true);
  Put(out, "\n");
}

void WriteChangeText(const Change& change, ByteWriter& out) {
  Put(out, ChangeKindName(change.kind));
  Put(out, " ");
  PutKey(change, out);
  Put(out, Identity(change));
  Put(out, "\n");
  if (change.kind != ChangeKind::Changed) return;
  for (const std::string_view name : change.members) {
    const MemberSpan* x = change.before->Find(name);
    const MemberSpan* y = change.after->Find(name);
    const auto differences = MemberDifferences(name, x != nullptr ? change.before->Value(*x) : std::string_view(),
                                               y != nullptr ? change.after->Value(*y) : std::string_view());
    for (const MemberDifference& difference : differences) {
      Put(out, "  ");
      Put(out, difference.path);
      Put(out, ": ");
      Put(out, difference.before.empty() ? "(none)" : difference.before);
      Put(out, " -> ");
      Put(out, difference.after.empty() ? "(none)" : difference.after);
      Put(out, "\n");
    }
  }
}

DiffCounts WriteDiffText(const Database& a, const Database& b, const IgnoredMembers& ignored, bool summaryOnly,
                         ByteWriter& out, size_t held) {
  ByteWriter text;
  bool overflowed = false;
  const auto hold = [&](const Change& change) {
    if (overflowed) return;
    WriteChangeText(change, text);
    if (text.Length() > held) {
      overflowed = true;
      text.TakeBuffer();
    }
  };
  const DiffCounts counts =
      CompareDatabases(a, b, ignored, summaryOnly ? std::function<void(const Change&)>() : hold);
  WriteDiffTable(counts, out);
  if (summaryOnly || !counts.Any()) return counts;
  out.WriteByte('\n');
  if (overflowed) {
    CompareDatabases(a, b, ignored, [&](const Change& change) { WriteChangeText(change, out); });
  } else {
    out.WriteRun(text.Buffer());
  }
  return counts;
}

void WriteChangeSetStart(Layout layout, const DatabaseName& from, const DatabaseName& to, ByteWriter& out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("format");
  json.String(kChangeSetFormat);
  json.Key("version");
  json.Number(kChangeSetVersion);
  json.Key("layout");
  json.String(LayoutName(layout));
  for (const auto& [key, name] : {std::pair{"from", &from}, std::pair{"to", &to}}) {
    json.Key(key);
    json.BeginObject();
    json.Key("file");
    json.String(name->file);
    json.Key("bytes");
    json.Number(name->bytes);
    json.EndObject();
  }
  json.EndObject();
  json.Finish();
}

void WriteChangeLine(const Change& change, ByteWriter& out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("change");
  json.String(ChangeKindName(change.kind));
  json.Key("record");
  json.String(RecordKindName(change.record));
  if (change.record == RecordKind::Hex) {
    json.Key("index");
    json.Number(change.key);
  } else if (IsObjectKind(change.record)) {
    json.Key("objectId");
    json.Number(change.key);
    if (change.occurrence > 0) {
      json.Key("occurrence");
      json.Number(change.occurrence);
    }
  }
  // A whole record, or only the members that differ.
  const auto side = [&](std::string_view key, const RecordLine* line) {
    if (line == nullptr) return;
    json.Key(key);
    if (change.kind != ChangeKind::Changed) {
      json.Raw("{");
      json.Put(line->Body());
      return;
    }
    json.BeginObject();
    for (const std::string_view name : change.members) {
      if (const MemberSpan* member = line->Find(name)) {
        json.Key(name);
        json.Raw(line->Value(*member));
      }
    }
    json.EndObject();
  };
  side("before", change.before);
  side("after", change.after);
  json.EndObject();
  json.Finish();
}

void WriteChangeSetEnd(const DiffCounts& counts, ByteWriter& out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Key("counts");
  json.BeginObject();
  for (const ChangeKind kind : {ChangeKind::Added, ChangeKind::Removed, ChangeKind::Changed}) {
    json.Key(ChangeKindName(kind));
    json.Number(counts.Total(kind));
  }
  json.EndObject();
  json.EndObject();
  json.Finish();
}

}  // namespace campdb
