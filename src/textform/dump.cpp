// Writing the dump: one walker of the records' field lists (DumpIo) that
// writes each field as a JSON member under its name.
#include <algorithm>
#include <span>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "format/fields.h"
#include "textform/dump.h"
#include "textform/json_out.h"
#include "textform/record_names.h"

namespace campdb {

namespace {

using textform::JsonOut;

// Writes the fields of one record as the members of its line. A field
// without a name is a list entry that is a single value; an entry whose
// fields have names is an object.
class DumpIo {
 public:
  // `measured`: the bytes the writer produces after the two size words;
  // `canonicalTag`: the tag a record of this kind has unless the file gave
  // it another.
  DumpIo(JsonOut& out, int64_t measured, Text canonicalTag) : out_(out), measured_(measured), tag_(canonicalTag) {
    levels_.push_back(Level::NextMember);  // the record's own object, after "record"
  }

  void Head(const ObjectHead& head) {
    if (head.declaredSize != measured_) {
      Key("declaredSize");
      out_.Int(head.declaredSize);
    }
    if (head.declaredSize2 != head.declaredSize) {
      Key("declaredSize2");
      out_.Int(head.declaredSize2);
    }
    if (head.tag != tag_) {
      Key("tag");
      out_.Bytes(head.tag);
    }
    Int32("leadWord", head.leadWord);
    Run("leadRun", head.leadRun);
    Int32("objectId", head.objectId);
  }

  void Int32(const char* name, int32_t value) {
    if (name != nullptr && name == implied_ && value == impliedValue_) return;
    Key(name);
    out_.Int(value);
  }

  // A number field that is left out when it holds `value`, which the rest
  // of the dump implies.
  void Imply(std::string_view name, int64_t value) {
    implied_ = name;
    impliedValue_ = value;
  }
  void Int16(const char* name, int32_t value) {
    Key(name);
    out_.Int(value);
  }
  void Byte(const char* name, uint8_t value) {
    Key(name);
    out_.Int(value);
  }
  template <size_t N>
  void Run(const char* name, const std::array<uint8_t, N>& run) {
    Key(name);
    out_.Hex(run.data(), N);
  }
  void String(const char* name, Text text) {
    Key(name);
    out_.Bytes(text);
  }

  template <class T, class Entry>
  void List(const char* name, std::vector<T>& list, Entry&& entry) {
    Entries(name, list, entry);
  }
  template <class T, size_t N, class Entry>
  void FixedList(const char* name, std::array<T, N>& list, Entry&& entry) {
    Entries(name, list, entry);
  }
  template <class Body>
  void Group(const char* name, Body&& body) {
    Key(name);
    out_.Put('{');
    levels_.push_back(Level::FirstMember);
    body(*this);
    levels_.pop_back();
    out_.Put('}');
  }
  // A section the record holds is an object under its name; one it does
  // not hold is no member at all.
  template <class Decide, class Body>
  void Section(const char* name, bool present, Decide&&, Body&& body) {
    if (present) Group(name, body);
  }

  void Matrix(const char* name, int32_t size, const std::vector<TensionCell>& cells) {
    if (int64_t{size} * size != static_cast<int64_t>(cells.size())) {
      Key("matrixSize");
      out_.Int(size);
    }
    Key(name);
    out_.Put('[');
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) out_.Put(',');
      out_.Put("{\"tension\":");
      out_.Int(cells[i].tension);
      out_.Put(",\"tensionTenth\":");
      out_.Int(cells[i].tensionTenth);
      out_.Put('}');
    }
    out_.Put(']');
  }

  void Block(const char* name, Text block) {
    Key(name);
    Segments(block::kSegments, reinterpret_cast<const uint8_t*>(block.data()), 0,
             static_cast<int>(block.size()));
  }

  void Tail(Text tail) {
    if (tail.empty()) return;
    Key("tail");
    out_.Hex(tail);
  }

 private:
  // Where the next member goes: into an object, with a comma before it
  // unless it is the first; or into a list entry not yet begun, which
  // becomes an object at its first named field, or is the value of its one
  // unnamed field.
  enum class Level { FirstMember, NextMember, Entry, EntryValue };

  void Key(const char* name) {
    Level& level = levels_.back();
    if (name == nullptr) {
      level = Level::EntryValue;
      return;
    }
    if (level == Level::Entry) {
      out_.Put('{');
    } else if (level == Level::NextMember) {
      out_.Put(',');
    }
    level = Level::NextMember;
    out_.Key(name);
  }

  template <class List, class Entry>
  void Entries(const char* name, List& list, Entry& entry) {
    Key(name);
    out_.Put('[');
    bool first = true;
    for (auto& item : list) {
      if (!first) out_.Put(',');
      first = false;
      levels_.push_back(Level::Entry);
      entry(*this, item);
      if (levels_.back() == Level::Entry) out_.Put("{}");
      if (levels_.back() == Level::NextMember) out_.Put('}');
      levels_.pop_back();
    }
    out_.Put(']');
  }

  // The block's segments from `base` on, as an object of named values.
  void Segments(std::span<const block::Segment> segments, const uint8_t* bytes, int base, int end) {
    out_.Put('{');
    bool first = true;
    for (const block::Segment& segment : segments) {
      const int from = base + segment.offset;
      if (from >= end) break;
      const int to = std::min(from + segment.size, end);
      if (!first) out_.Put(',');
      first = false;
      out_.Key(segment.name);
      switch (segment.kind) {
        case block::SegmentKind::Byte:
          out_.Int(bytes[from]);
          break;
        case block::SegmentKind::Run:
          out_.Hex(bytes + from, static_cast<size_t>(to - from));
          break;
        case block::SegmentKind::Pair:
          Pair(bytes + from);
          break;
        case block::SegmentKind::Pairs:
          out_.Put('[');
          for (int i = 0; i < segment.count; ++i) {
            if (i > 0) out_.Put(',');
            Pair(bytes + from + 2 * i);
          }
          out_.Put(']');
          break;
        case block::SegmentKind::Entries:
          out_.Put('[');
          for (int i = 0; i < segment.count; ++i) {
            if (i > 0) out_.Put(',');
            Segments(segment.fields, bytes, from + i * segment.stride, to);
          }
          out_.Put(']');
          break;
      }
    }
    out_.Put('}');
  }

  void Pair(const uint8_t* pair) {
    out_.Put('[');
    out_.Int(pair[0]);
    out_.Put(',');
    out_.Int(pair[1]);
    out_.Put(']');
  }

  JsonOut& out_;
  int64_t measured_;
  Text tag_;
  std::vector<Level> levels_;
  std::string_view implied_;
  int64_t impliedValue_ = 0;
};

void BeginLine(JsonOut& json, std::string_view type) {
  json.Put("{\"record\":\"");
  json.Put(type);
  json.Put('"');
}

template <class Record>
void DumpRecord(JsonOut& json, std::string_view type, const Record& record, Layout layout,
                std::string_view canonicalTag) {
  BeginLine(json, type);
  DumpIo io(json, RecordSize(record, layout), canonicalTag);
  WalkFields(record, io, layout);
  json.Put("}\n");
}

}  // namespace

void WriteDump(const Database& db, ByteWriter& out, const std::function<void(int64_t)>& eachObject) {
  JsonOut json(out);
  json.Put("{\"format\":\"");
  json.Put(kDumpFormatName);
  json.Put("\",\"version\":");
  json.Int(kDumpFormatVersion);
  json.Put(",\"layout\":\"");
  json.Put(LayoutName(db.layout));
  json.Put("\"}\n");

  const auto objects = static_cast<int64_t>(db.objects.size());
  {
    BeginLine(json, textform::kHeaderRecord);
    DumpIo io(json, 0, {});
    io.Imply(textform::kObjectCount, 3 + db.hexCount() + objects);
    WalkFields(db.header, io, db.layout);
    json.Put("}\n");
  }
  DumpRecord(json, textform::kCampaignRecord, db.campaign, db.layout, tCampaignObject::kClassTag);
  DumpRecord(json, textform::kMapRecord, db.map, db.layout, tMapObject::kClassTag);
  for (const tMapHex& hex : db.hexes) DumpRecord(json, textform::kHexRecord, hex, db.layout, tMapHex::kClassTag);
  DumpRecord(json, textform::kPoliticalRecord, db.political, db.layout, tPoliticalObject::kClassTag);
  MiscObject scratch;
  for (int64_t i = 0; i < db.ObjectCount(); ++i) {
    if (eachObject) eachObject(i);
    const MiscObject& object = db.ReadObject(i, scratch);
    const std::string_view type = textform::kObjectRecords[object.index()];
    std::visit(
        [&](const auto& record) {
          using Record = std::decay_t<decltype(record)>;
          if constexpr (std::is_same_v<Record, UnrecognisedObject>) {
            BeginLine(json, type);
            json.Put(',');
            json.Key("bytes");
            json.Hex(record.bytes);
            json.Put("}\n");
          } else {
            DumpRecord(json, type, record, db.layout, Record::kClassTag);
          }
        },
        object);
  }
  BeginLine(json, textform::kUnloadedRecord);
  json.Put(',');
  json.Key("bytes");
  json.Hex(db.unloaded);
  json.Put("}\n");
}

}  // namespace campdb
