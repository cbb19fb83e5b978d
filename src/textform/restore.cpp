// Reading a dump back into a database: one walker of the records' field
// lists (RestoreIo) that takes each field from the JSON member of its name,
// one line at a time.
//
// Every member of a line must be taken by the walk, so a misspelt or
// unknown member is an error rather than silently dropped; every value is
// checked against its field's width; the first problem ends the reading
// with a message that names the member.
#include <simdjson.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <span>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "format/fields.h"
#include "textform/dump.h"
#include "textform/record_names.h"

namespace campdb {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

static_assert(LineReader::kLinePadding >= simdjson::SIMDJSON_PADDING);

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

// "1 entry", "3 entries".
std::string Counted(size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string_view TypeName(element_type type) {
  switch (type) {
    case element_type::ARRAY: return "an array";
    case element_type::OBJECT: return "an object";
    case element_type::INT64:
    case element_type::UINT64:
    case element_type::DOUBLE: return "a number";
    case element_type::STRING: return "a string";
    case element_type::BOOL: return "true or false";
    case element_type::NULL_VALUE: return "null";
  }
  return "a value";
}

// Hex digits to their value; 0xFF for anything else.
constexpr std::array<uint8_t, 256> MakeHexValues() {
  std::array<uint8_t, 256> values{};
  for (auto& v : values) v = 0xFF;
  for (int c = 0; c < 10; ++c) values[static_cast<size_t>('0' + c)] = static_cast<uint8_t>(c);
  for (int c = 0; c < 6; ++c) {
    values[static_cast<size_t>('a' + c)] = static_cast<uint8_t>(10 + c);
    values[static_cast<size_t>('A' + c)] = static_cast<uint8_t>(10 + c);
  }
  return values;
}
constexpr std::array<uint8_t, 256> kHexValues = MakeHexValues();

// The id an unrecognised object's bytes hold where every body keeps it: at
// offset 10 of the body, which follows the two size words, the tag's length
// word and the tag (none when its length word is negative); -1 when the
// body is too short.
int32_t UnrecognisedId(Text bytes) {
  const auto word = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
    return static_cast<int32_t>(value);
  };
  if (bytes.size() < 12) return -1;
  const int64_t tagLength = std::max<int64_t>(word(8), 0);
  const int64_t id = 12 + tagLength + 10;
  if (id + 4 > static_cast<int64_t>(bytes.size())) return -1;
  return word(static_cast<size_t>(id));
}

// Walks a record's field list over the members of one line. Objects of the
// line are entered as the walk enters groups and list entries; each keeps
// which of its members have been taken.
class RestoreIo {
 public:
  RestoreIo(TextStore& store, std::string& error) : store_(store), error_(error) {}

  bool Failed() const { return !error_.empty(); }

  // Starts on the object of a line.
  void Begin(simdjson::dom::object line) {
    depth_ = 0;
    PushObject(line, nullptr, -1);
  }
  // Ends the line: every member must have been taken.
  void End() { Pop(); }

  // Starts on a record's fields: a record whose class tag may differ from
  // the canonical one takes it from a "tag" member.
  void BeginRecord(bool tagAllowed, Text canonicalTag) {
    tagAllowed_ = tagAllowed;
    canonicalTag_ = canonicalTag;
    size1_.reset();
    size2_.reset();
    implied_ = {};
    impliedGiven_ = false;
  }

  // A string member taken as it stands (a record type, a format name).
  std::optional<std::string_view> Word(const char* name) { return TakeString(name); }
  // Whether the object the walk stands in has a member `name` not yet
  // taken (a value the dump may leave out, a section).
  bool Has(std::string_view name) { return !Failed() && Holds(name); }

  // What the head's size members gave, if anything.
  std::optional<int32_t> GivenSize() const { return size1_; }
  std::optional<int32_t> GivenSize2() const { return size2_; }

  // A number member that may be left out: the restore recomputes it.
  void Imply(std::string_view name) {
    implied_ = name;
    impliedGiven_ = false;
  }
  bool ImpliedGiven() const { return impliedGiven_; }

  void Head(ObjectHead& head) {
    int32_t size = 0;
    if (Has("declaredSize") && Int("declaredSize", size, INT32_MIN, INT32_MAX, "a 32-bit integer")) size1_ = size;
    if (Has("declaredSize2") && Int("declaredSize2", size, INT32_MIN, INT32_MAX, "a 32-bit integer")) size2_ = size;
    head.tag = canonicalTag_;
    if (tagAllowed_ && Has("tag")) String("tag", head.tag);
    Int32("leadWord", head.leadWord);
    Run("leadRun", head.leadRun);
    Int32("objectId", head.objectId);
  }

  void Int32(const char* name, int32_t& value) {
    if (name != nullptr && name == implied_) {
      if (!Has(name)) return;
      impliedGiven_ = true;
    }
    Int(name, value, INT32_MIN, INT32_MAX, "a 32-bit integer");
  }
  void Int16(const char* name, int32_t& value) { Int(name, value, 0, 0xFFFF, "a 16-bit value (0 to 65535)"); }
  void Byte(const char* name, uint8_t& value) {
    int32_t wide = 0;
    if (Int(name, wide, 0, 0xFF, "a byte (0 to 255)")) value = static_cast<uint8_t>(wide);
  }
  template <size_t N>
  void Run(const char* name, std::array<uint8_t, N>& run) {
    const auto value = TakeString(name);
    if (value) DecodeHex(name, *value, run.data(), N);
  }
  void String(const char* name, Text& text) {
    const auto value = TakeString(name);
    if (value) DecodeText(name, *value, text);
  }
  // Hex bytes of any length, kept in the store.
  void Bytes(const char* name, Text& bytes) {
    const auto value = TakeString(name);
    if (!value) return;
    if (value->size() % 2 != 0) return Fail(name, "odd-length hex string");
    const auto kept = store_.Fresh(value->size() / 2);
    if (DecodeHex(name, *value, kept.data(), kept.size())) bytes = Text(reinterpret_cast<const char*>(kept.data()), kept.size());
  }

  template <class T, class Entry>
  void List(const char* name, std::vector<T>& list, Entry&& entry) {
    const auto entries = TakeArray(name);
    list.clear();
    if (!entries) return;
    list.reserve(entries->size());
    int64_t index = 0;
    for (element item : *entries) {
      PushEntry(item, name, index++);
      entry(*this, list.emplace_back());
      Pop();
      if (Failed()) return;
    }
  }
  template <class T, size_t N, class Entry>
  void FixedList(const char* name, std::array<T, N>& list, Entry&& entry) {
    const auto entries = TakeArray(name, N);
    if (!entries) return;
    int64_t index = 0;
    for (element item : *entries) {
      PushEntry(item, name, index);
      entry(*this, list[static_cast<size_t>(index)]);
      Pop();
      ++index;
      if (Failed()) return;
    }
  }
  template <class Body>
  void Group(const char* name, Body&& body) {
    if (!EnterObject(name)) return;
    body(*this);
    Pop();
  }
  // The section is there when its member is.
  template <class Decide, class Body>
  void Section(const char* name, bool& present, Decide&&, Body&& body) {
    present = Has(name);
    if (present) Group(name, body);
  }

  // The cells, and N: given, or the side of the square the cells fill.
  void Matrix(const char* name, int32_t& size, std::vector<TensionCell>& cells) {
    const bool sizeGiven = Has("matrixSize");
    if (sizeGiven) Int32("matrixSize", size);
    const auto entries = TakeArray(name);
    cells.clear();
    if (!entries) return;
    cells.reserve(entries->size());
    int64_t index = 0;
    for (element item : *entries) {
      PushEntry(item, name, index++);
      TensionCell& cell = cells.emplace_back();
      Int16("tension", cell.tension);
      Byte("tensionTenth", cell.tensionTenth);
      Pop();
      if (Failed()) return;
    }
    if (!sizeGiven) {
      const auto count = static_cast<int64_t>(cells.size());
      auto side = static_cast<int64_t>(std::sqrt(static_cast<double>(count)));
      while (side * side > count) --side;
      while ((side + 1) * (side + 1) <= count) ++side;
      if (side * side != count) {
        return Fail(name, std::to_string(count) + " cells do not fill a square; give \"matrixSize\"");
      }
      size = static_cast<int32_t>(side);
    }
  }

  void Block(const char* name, Text& block) {
    const auto value = Take(name);
    if (!value) return;
    const auto bytes = store_.Fresh(block::kSize);
    const int size = static_cast<int>(bytes.size());
    simdjson::dom::object object;
    // The block as a dump writes it is read in one sweep; a block that
    // differs from that in any way is walked member by member, which finds
    // what is wrong.
    if (value->get_object().get(object) != simdjson::SUCCESS ||
        !QuickSegments(object, block::kSegments, bytes.data(), 0, size)) {
      if (!Expect(name, *value, element_type::OBJECT, "an object")) return;
      PushObject(value->get_object().value_unsafe(), name, -1);
      Segments(block::kSegments, bytes.data(), 0, size);
      Pop();
    }
    block = Text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  void Tail(Text& tail) {
    tail = {};
    if (Has("tail")) Bytes("tail", tail);
  }

  // Refuses the line with a message about the member `name` of the object
  // the walk stands in.
  void Fail(const char* name, const std::string& what) {
    if (Failed()) return;
    error_ = "member " + Quoted(PathTo(name)) + ": " + what;
  }

 private:
  struct Member {
    std::string_view key;
    element value;
    bool taken = false;
  };
  // One object (or list entry) the walk stands in. Its members are taken
  // in order while they come in the order of the walk, as a dump writes
  // them; the first taken out of order lists them all, with which are
  // taken, and the rest are found in that list.
  struct Frame {
    const char* name = nullptr;  // the member it is, or the list it is an entry of
    int64_t index = -1;          // its place in that list
    bool pending = false;        // an entry not yet looked into
    element value;               // the entry, while pending
    bool entered = false;        // it is an object, entered
    simdjson::dom::object object;
    simdjson::dom::object::iterator cursor;  // the next member in order
    simdjson::dom::object::iterator end;
    size_t taken = 0;
    bool scattered = false;
    std::vector<Member> members;  // once scattered
    size_t next = 0;              // where the next member is looked for first
  };

  Frame& Top() { return frames_[depth_ - 1]; }

  Frame& Push(const char* name, int64_t index) {
    if (depth_ == frames_.size()) frames_.emplace_back();
    Frame& frame = frames_[depth_++];
    frame.name = name;
    frame.index = index;
    frame.pending = false;
    frame.entered = false;
    frame.taken = 0;
    frame.scattered = false;
    frame.members.clear();
    frame.next = 0;
    return frame;
  }
  static void Enter(Frame& frame, simdjson::dom::object object) {
    frame.entered = true;
    frame.object = object;
    frame.cursor = object.begin();
    frame.end = object.end();
  }
  void PushObject(simdjson::dom::object object, const char* name, int64_t index) { Enter(Push(name, index), object); }
  void PushEntry(element value, const char* name, int64_t index) {
    Frame& frame = Push(name, index);
    frame.pending = true;
    frame.value = value;
  }
  // Lists every member of the object, those taken so far (all before the
  // cursor) marked.
  static void Scatter(Frame& frame) {
    frame.scattered = true;
    frame.members.clear();
    size_t i = 0;
    for (auto it = frame.object.begin(); it != frame.end; ++it, ++i) {
      frame.members.push_back({it.key(), it.value(), i < frame.taken});
    }
    frame.next = frame.taken;
  }

  // Leaves the object the walk stands in; a member not taken is an error.
  void Pop() {
    Frame& frame = Top();
    const bool allTaken = !frame.entered || (frame.scattered ? frame.taken == frame.members.size()
                                                              : frame.cursor == frame.end);
    if (!Failed() && !allTaken) {
      if (!frame.scattered) Scatter(frame);
      for (const Member& member : frame.members) {
        if (member.taken) continue;
        const bool twice = std::any_of(frame.members.begin(), frame.members.end(),
                                       [&](const Member& other) { return other.taken && other.key == member.key; });
        const std::string path = PathTo(member.key);
        error_ = twice ? "member " + Quoted(path) + " is given twice" : "unknown member " + Quoted(path);
        break;
      }
    }
    --depth_;
  }

  // The path of member `name` (none: the entry itself) of the object the
  // walk stands in: "ships[1].shipName", "systemsBlock.impulse[1]".
  std::string PathTo(std::string_view name) const {
    std::string path;
    for (size_t i = 1; i < depth_; ++i) {
      const Frame& frame = frames_[i];
      if (frame.name != nullptr) {
        if (!path.empty()) path += '.';
        path += frame.name;
      }
      if (frame.index >= 0) path.append("[").append(std::to_string(frame.index)).append("]");
    }
    if (!name.empty()) {
      if (!path.empty()) path += '.';
      path += name;
    }
    return path;
  }
  std::string PathTo(const char* name) const { return PathTo(std::string_view(name != nullptr ? name : "")); }

  // A list entry is looked into at its first field: a field without a name
  // is the entry itself; a named one makes it an object.
  bool Open(Frame& frame) {
    if (!frame.pending) return true;
    frame.pending = false;
    simdjson::dom::object object;
    if (frame.value.get_object().get(object) != simdjson::SUCCESS) {
      Fail(nullptr, "expected an object, found " + std::string(TypeName(frame.value.type())));
      return false;
    }
    Enter(frame, object);
    return true;
  }

  // Whether the object the walk stands in has a member `name` not taken.
  bool Holds(std::string_view name) {
    Frame& frame = Top();
    if (!Open(frame) || !frame.entered) return false;
    if (!frame.scattered) {
      for (auto it = frame.cursor; it != frame.end; ++it) {
        if (it.key_equals(name)) return true;
      }
      return false;
    }
    return std::any_of(frame.members.begin(), frame.members.end(),
                       [&](const Member& member) { return !member.taken && member.key == name; });
  }

  // The value of member `name`, or of the entry itself when `name` is null.
  std::optional<element> Take(const char* name) {
    if (Failed()) return std::nullopt;
    Frame& frame = Top();
    if (name == nullptr && frame.pending) {
      frame.pending = false;
      return frame.value;
    }
    const std::string_view key = name != nullptr ? name : "";
    if (!Open(frame)) return std::nullopt;
    if (frame.entered && !frame.scattered) {
      if (frame.cursor != frame.end && KeyIs(frame.cursor, key)) {
        const element value = frame.cursor.value();
        ++frame.cursor;
        ++frame.taken;
        return value;
      }
      Scatter(frame);
    }
    const auto found = [&](size_t i) {
      Member& member = frame.members[i];
      if (member.taken || member.key != key) return false;
      member.taken = true;
      ++frame.taken;
      frame.next = i + 1;
      return true;
    };
    if (frame.next < frame.members.size() && found(frame.next)) return frame.members[frame.next - 1].value;
    for (size_t i = 0; i < frame.members.size(); ++i) {
      if (found(i)) return frame.members[i].value;
    }
    error_ = "member " + Quoted(PathTo(name)) + " is missing";
    return std::nullopt;
  }

  bool Expect(const char* name, const element& value, element_type type, std::string_view wanted) {
    if (value.type() == type) return true;
    Fail(name, "expected " + std::string(wanted) + ", found " + std::string(TypeName(value.type())));
    return false;
  }

  std::optional<std::string_view> TakeString(const char* name) {
    const auto value = Take(name);
    if (!value || !Expect(name, *value, element_type::STRING, "a string")) return std::nullopt;
    return value->get_string().value_unsafe();
  }

  std::optional<simdjson::dom::array> TakeArray(const char* name, std::optional<size_t> exactly = std::nullopt) {
    const auto value = Take(name);
    if (!value) return std::nullopt;
    return ArrayOf(name, *value, exactly);
  }
  std::optional<simdjson::dom::array> ArrayOf(const char* name, const element& value, std::optional<size_t> exactly) {
    if (!Expect(name, value, element_type::ARRAY, "an array")) return std::nullopt;
    const simdjson::dom::array entries = value.get_array().value_unsafe();
    if (exactly && entries.size() != *exactly) {
      Fail(name, Counted(entries.size(), "entry", "entries") + " where " + std::to_string(*exactly) + " are needed");
      return std::nullopt;
    }
    return entries;
  }

  bool EnterObject(const char* name) {
    const auto value = Take(name);
    if (!value || !Expect(name, *value, element_type::OBJECT, "an object")) return false;
    PushObject(value->get_object().value_unsafe(), name, -1);
    return true;
  }

  // An integer member within [low, high]; `width` names the range.
  bool Int(const char* name, int32_t& out, int64_t low, int64_t high, std::string_view width) {
    const auto value = Take(name);
    if (!value) return false;
    switch (value->type()) {
      case element_type::INT64: {
        const int64_t number = value->get_int64().value_unsafe();
        if (number < low || number > high) {
          Fail(name, std::to_string(number) + " is out of range for " + std::string(width));
          return false;
        }
        out = static_cast<int32_t>(number);
        return true;
      }
      case element_type::UINT64:
        Fail(name, std::to_string(value->get_uint64().value_unsafe()) + " is out of range for " + std::string(width));
        return false;
      case element_type::DOUBLE: {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, value->get_double().value_unsafe()).ptr;
        Fail(name, std::string(text, end) + " is not an integer");
        return false;
      }
      default:
        Expect(name, *value, element_type::INT64, "an integer");
        return false;
    }
  }

  // Hex digits into exactly `size` bytes.
  bool DecodeHex(const char* name, std::string_view digits, uint8_t* out, size_t size) {
    if (QuickHex(digits, out, size)) return true;
    if (digits.size() % 2 != 0) {
      Fail(name, "odd-length hex string");
    } else if (digits.size() != 2 * size) {
      Fail(name, Counted(digits.size() / 2, "byte", "bytes") + " where " + std::to_string(size) + " are needed");
    } else {
      const auto bad = std::find_if(digits.begin(), digits.end(),
                                    [](char c) { return kHexValues[static_cast<uint8_t>(c)] > 15; });
      Fail(name, "not a hex string (" + Quoted(std::string(1, *bad)) + " is no hex digit)");
    }
    return false;
  }

  // A JSON string (UTF-8, checked by the parser) into one byte per code
  // point, which must lie in U+0000..U+00FF.
  void DecodeText(const char* name, std::string_view utf8, Text& text) {
    const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const size_t size = utf8.size();
    size_t count = 0;
    for (size_t i = 0; i < size; ++i) count += (p[i] & 0xC0) != 0x80;
    if (count > static_cast<size_t>(INT32_MAX)) return Fail(name, "is longer than a counted string can hold");
    if (count == size) {
      text = store_.Keep(utf8);
      return;
    }
    const auto bytes = store_.Fresh(count);
    size_t at = 0;
    for (size_t i = 0; i < size;) {
      const uint8_t b = p[i];
      if (b < 0x80) {
        bytes[at++] = b;
        ++i;
      } else if (b == 0xC2 || b == 0xC3) {
        bytes[at++] = static_cast<uint8_t>((b & 0x1F) << 6 | (p[i + 1] & 0x3F));
        i += 2;
      } else {
        // The code point, for the message.
        const int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        uint32_t code = b & (0x7F >> length);
        for (int k = 1; k < length && i + static_cast<size_t>(k) < size; ++k) code = code << 6 | (p[i + static_cast<size_t>(k)] & 0x3F);
        char hex[16];
        std::snprintf(hex, sizeof hex, "U+%04X", code);
        return Fail(name, "code point " + std::string(hex) + " is above U+00FF");
      }
    }
    text = Text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  // The block's segments from `base` on, out of an object of named values.
  void Segments(std::span<const block::Segment> segments, uint8_t* bytes, int base, int end) {
    for (const block::Segment& segment : segments) {
      if (Failed()) return;
      const int from = base + segment.offset;
      if (from >= end) break;
      const int to = std::min(from + segment.size, end);
      switch (segment.kind) {
        case block::SegmentKind::Byte:
          Byte(segment.name.data(), bytes[from]);
          break;
        case block::SegmentKind::Run: {
          const auto digits = TakeString(segment.name.data());
          if (digits) DecodeHex(segment.name.data(), *digits, bytes + from, static_cast<size_t>(to - from));
          break;
        }
        case block::SegmentKind::Pair:
          Pair(segment.name.data(), bytes + from);
          break;
        case block::SegmentKind::Pairs: {
          const auto pairs = TakeArray(segment.name.data(), static_cast<size_t>(segment.count));
          if (!pairs) break;
          int index = 0;
          for (element item : *pairs) {
            if (QuickPair(item, bytes + from + 2 * index)) {
              ++index;
              continue;
            }
            PushEntry(item, segment.name.data(), index);
            Pair(nullptr, bytes + from + 2 * index);
            Pop();
            ++index;
            if (Failed()) return;
          }
          break;
        }
        case block::SegmentKind::Entries: {
          const auto entries = TakeArray(segment.name.data(), static_cast<size_t>(segment.count));
          if (!entries) break;
          int index = 0;
          for (element item : *entries) {
            PushEntry(item, segment.name.data(), index);
            if (Open(Top())) Segments(segment.fields, bytes, from + index * segment.stride, to);
            Pop();
            ++index;
            if (Failed()) return;
          }
          break;
        }
      }
    }
  }

  // A pair as a dump writes it, two bytes in an array, read at once; any
  // other value goes the way that can say what is wrong with it.
  static bool QuickPair(const element& value, uint8_t* pair) {
    simdjson::dom::array values;
    if (value.get_array().get(values) != simdjson::SUCCESS) return false;
    int index = 0;
    for (const element item : values) {
      int64_t number = 0;
      if (index == 2 || item.get_int64().get(number) != simdjson::SUCCESS || number < 0 || number > 0xFF) return false;
      pair[index++] = static_cast<uint8_t>(number);
    }
    return index == 2;
  }

  // The segments from `base` on, when the object holds exactly their
  // members, in order, each of its kind and width; false otherwise.
  static bool QuickSegments(simdjson::dom::object object, std::span<const block::Segment> segments, uint8_t* bytes,
                            int base, int end) {
    auto member = object.begin();
    const auto last = object.end();
    for (const block::Segment& segment : segments) {
      const int from = base + segment.offset;
      if (from >= end) break;
      const int to = std::min(from + segment.size, end);
      if (member == last || !KeyIs(member, segment.name)) return false;
      const element value = member.value();
      ++member;
      switch (segment.kind) {
        case block::SegmentKind::Byte: {
          int64_t number = 0;
          if (value.get_int64().get(number) != simdjson::SUCCESS || number < 0 || number > 0xFF) return false;
          bytes[from] = static_cast<uint8_t>(number);
          break;
        }
        case block::SegmentKind::Run: {
          std::string_view digits;
          if (value.get_string().get(digits) != simdjson::SUCCESS ||
              !QuickHex(digits, bytes + from, static_cast<size_t>(to - from))) {
            return false;
          }
          break;
        }
        case block::SegmentKind::Pair:
          if (!QuickPair(value, bytes + from)) return false;
          break;
        case block::SegmentKind::Pairs:
        case block::SegmentKind::Entries: {
          simdjson::dom::array entries;
          if (value.get_array().get(entries) != simdjson::SUCCESS) return false;
          int index = 0;
          for (const element entry : entries) {
            if (index == segment.count) return false;
            if (segment.kind == block::SegmentKind::Pairs) {
              if (!QuickPair(entry, bytes + from + 2 * index)) return false;
            } else {
              simdjson::dom::object fields;
              if (entry.get_object().get(fields) != simdjson::SUCCESS ||
                  !QuickSegments(fields, segment.fields, bytes, from + index * segment.stride, to)) {
                return false;
              }
            }
            ++index;
          }
          if (index != segment.count) return false;
          break;
        }
      }
    }
    return member == last;
  }

  // A member's name compared in place; names are short.
  static bool KeyIs(const simdjson::dom::object::iterator& member, std::string_view name) {
    if (member.key_length() != name.size()) return false;
    const char* key = member.key_c_str();
    for (size_t i = 0; i < name.size(); ++i) {
      if (key[i] != name[i]) return false;
    }
    return true;
  }

  // Hex digits into exactly `size` bytes; false for anything else.
  static bool QuickHex(std::string_view digits, uint8_t* out, size_t size) {
    if (digits.size() != 2 * size) return false;
    const auto* p = reinterpret_cast<const uint8_t*>(digits.data());
    for (size_t i = 0; i < size; ++i) {
      const uint8_t high = kHexValues[p[2 * i]];
      const uint8_t low = kHexValues[p[2 * i + 1]];
      if ((high | low) > 15) return false;
      out[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
  }

  // Two bytes given as [first, second].
  void Pair(const char* name, uint8_t* pair) {
    const auto value = Take(name);
    if (!value || QuickPair(*value, pair)) return;
    const auto values = ArrayOf(name, *value, 2);
    if (!values) return;
    int index = 0;
    for (element item : *values) {
      PushEntry(item, name, index);
      Byte(nullptr, pair[index]);
      Pop();
      ++index;
    }
  }

  TextStore& store_;
  std::string& error_;
  std::vector<Frame> frames_;
  size_t depth_ = 0;
  bool tagAllowed_ = false;
  Text canonicalTag_;
  std::optional<int32_t> size1_;
  std::optional<int32_t> size2_;
  std::string_view implied_;
  bool impliedGiven_ = false;
};

constexpr int32_t WrapToInt32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Reads the lines of a dump in order into a database: the format line, the
// header, campaign and map records, the hexes, the political record, the
// misc objects, and the unloaded bytes last.
// Whether a line that is no JSON document looks like a piece of one printed
// over many lines: an opening brace or bracket alone, or a member.
bool SpreadOverLines(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  return line == "{" || line == "[" || (line.starts_with('"') && line.find("\":") != std::string_view::npos);
}

class DumpRestorer {
 public:
  DumpRestorer(Database& db, std::optional<Layout> layout) : db_(db), wanted_(layout), io_(db.store, error_) {}

  std::optional<DumpError> Run(LineReader& lines, const std::function<void(int64_t)>& eachLine) {
    while (true) {
      if (eachLine) eachLine(lines.LineNumber());
      std::string_view line;
      switch (lines.Next(line)) {
        case LineReader::Result::Line:
          break;
        case LineReader::Result::End:
          if (stage_ == Stage::Done) return Finish();
          return DumpError{lines.LineNumber() + 1,
                           stage_ == Stage::Format ? "the dump is empty"
                                                   : "the dump ends before its \"unloaded\" line: it is cut short"};
        case LineReader::Result::Error:
          return DumpError{0, lines.Reason(), true};
        case LineReader::Result::TooLong:
          return DumpError{lines.LineNumber() + 1, "the line is too long to be read"};
      }
      if (stage_ == Stage::Done) return DumpError{lines.LineNumber(), "nothing may follow the \"unloaded\" line"};
      ReadLine(line);
      if (!error_.empty()) return DumpError{lines.LineNumber(), error_};
    }
  }

 private:
  enum class Stage { Format, Header, Campaign, Map, Hexes, Objects, Done };

  void ReadLine(std::string_view line) {
    simdjson::dom::element root;
    if (const auto code = parser_.parse(line.data(), line.size(), false).get(root); code != simdjson::SUCCESS) {
      if (SpreadOverLines(line)) {
        error_ = "this record is spread over many lines; each record of a dump must stand on one line "
                 "(jq -c writes a dump that way, jq . does not)";
        return;
      }
      error_ = code == simdjson::EMPTY ? "the line is empty"
                                       : "malformed JSON (" + std::string(simdjson::error_message(code)) + ")";
      return;
    }
    simdjson::dom::object object;
    if (root.get_object().get(object) != simdjson::SUCCESS) {
      error_ = "a line must hold one JSON object, not " + std::string(TypeName(root.type()));
      return;
    }
    io_.Begin(object);
    if (stage_ == Stage::Format) {
      FormatLine();
    } else {
      RecordLine();
    }
    io_.End();
  }

  void FormatLine() {
    const auto format = io_.Has("format") ? io_.Word("format") : std::nullopt;
    if (!format || *format != kDumpFormatName) {
      if (error_.empty()) error_ = "not a campdb dump: its first line does not name the format \"campdb-dump\"";
      return;
    }
    int32_t version = 0;
    io_.Int32("version", version);
    if (!error_.empty()) return;
    if (version != kDumpFormatVersion) {
      error_ = "dump format version " + std::to_string(version) + " cannot be read; this campdb reads version " +
               std::to_string(kDumpFormatVersion);
      return;
    }
    const auto layout = io_.Word("layout");
    if (!layout) return;
    if (*layout != LayoutName(Layout::Base) && *layout != LayoutName(Layout::Ostrel)) {
      return io_.Fail("layout", Quoted(*layout) + " is neither \"base\" nor \"ostrel\"");
    }
    db_.layout = *layout == LayoutName(Layout::Base) ? Layout::Base : Layout::Ostrel;
    if (wanted_ && *wanted_ != db_.layout) {
      error_ = "the dump is in the " + std::string(LayoutName(db_.layout)) + " layout, but --layout " +
               std::string(LayoutName(*wanted_)) + " was given";
      return;
    }
    stage_ = Stage::Header;
  }

  void RecordLine() {
    const auto type = io_.Word("record");
    if (!type) return;
    using namespace textform;
    switch (stage_) {
      case Stage::Header:
        if (Expect(*type, kHeaderRecord, "the \"header\" record")) Header();
        return;
      case Stage::Campaign:
        if (Expect(*type, kCampaignRecord, "the \"campaign\" record")) Restore(db_.campaign, true);
        stage_ = Stage::Map;
        return;
      case Stage::Map:
        if (Expect(*type, kMapRecord, "the \"map\" record")) Restore(db_.map, true);
        stage_ = Stage::Hexes;
        return;
      case Stage::Hexes:
        if (*type == kHexRecord) return Restore(db_.hexes.emplace_back(), true);
        if (Expect(*type, kPoliticalRecord, "a \"hex\" record or the \"political\" record")) {
          Restore(db_.political, true);
        }
        stage_ = Stage::Objects;
        return;
      case Stage::Objects:
        return Object(*type);
      case Stage::Format:
      case Stage::Done:
        return;
    }
  }

  // Whether the record is of the type that must come here.
  bool Expect(std::string_view type, std::string_view wanted, std::string_view what) {
    if (type == wanted) return true;
    Misplaced(type, what);
    return false;
  }
  void Misplaced(std::string_view type, std::string_view what) {
    using namespace textform;
    const bool known = type == kHeaderRecord || type == kCampaignRecord || type == kMapRecord || type == kHexRecord ||
                       type == kPoliticalRecord || type == kUnloadedRecord ||
                       std::find(kObjectRecords.begin(), kObjectRecords.end(), type) != kObjectRecords.end();
    error_ = known ? "a " + Quoted(type) + " record cannot come here: " + std::string(what) + " comes next"
                   : "unknown record type " + Quoted(type);
  }

  void Header() {
    io_.BeginRecord(false, {});
    io_.Imply(textform::kObjectCount);
    db_.header.Fields(io_, db_.layout);
    countImplied_ = !io_.ImpliedGiven();
    stage_ = Stage::Campaign;
  }

  // A framed record: its fields, then the size words and tag the dump left
  // out.
  template <class Record>
  void Restore(Record& record, bool tagAllowed) {
    io_.BeginRecord(tagAllowed, Record::kClassTag);
    record.Fields(io_, db_.layout);
    if (!error_.empty()) return;
    const int64_t size = RecordSize(record, db_.layout);
    record.head.declaredSize = io_.GivenSize().value_or(WrapToInt32(size));
    record.head.declaredSize2 = io_.GivenSize2().value_or(record.head.declaredSize);
  }

  void Object(std::string_view type) {
    using namespace textform;
    if (type == kUnloadedRecord) {
      io_.BeginRecord(false, {});
      io_.Bytes("bytes", db_.unloaded);
      stage_ = Stage::Done;
      return;
    }
    const auto kind = std::find(kObjectRecords.begin(), kObjectRecords.end(), type) - kObjectRecords.begin();
    switch (static_cast<ObjectKind>(kind)) {
      case ObjectKind::NewsStory:
        return Restore(Emplace<tNewsStory>(), false);
      case ObjectKind::Character:
        return Restore(Emplace<tServCharacter>(), false);
      case ObjectKind::Ship:
        return Restore(Emplace<tShip>(), false);
      case ObjectKind::Bid:
        return Restore(Emplace<tAuctionItem>(), false);
      case ObjectKind::Unrecognised: {
        io_.BeginRecord(false, {});
        auto& object = Emplace<UnrecognisedObject>();
        io_.Bytes("bytes", object.bytes);
        object.objectId = UnrecognisedId(object.bytes);
        return;
      }
    }
    Misplaced(type, "an object record or the \"unloaded\" record");
  }

  template <class Record>
  Record& Emplace() {
    return db_.AppendObject().emplace<Record>();
  }

  std::optional<DumpError> Finish() {
    const auto objects = static_cast<int64_t>(db_.objects.size());
    if (countImplied_) db_.header.objectCount = WrapToInt32(3 + db_.hexCount() + objects);
    db_.capacity = objects;
    db_.loadedCount = objects;
    db_.deleteFlags.assign(db_.objects.size(), 0);
    db_.facts = DeriveCampaignFacts(db_.campaign, db_.layout);
    db_.Reindex();
    return std::nullopt;
  }

  Database& db_;
  std::optional<Layout> wanted_;
  std::string error_;
  RestoreIo io_;
  simdjson::dom::parser parser_;
  Stage stage_ = Stage::Format;
  bool countImplied_ = true;
};

}  // namespace

std::optional<DumpError> ReadDump(LineReader& lines, Database& db, std::optional<Layout> layout,
                                  const std::function<void(int64_t)>& eachLine) {
  DumpRestorer restorer(db, layout);
  return restorer.Run(lines, eachLine);
}

}  // namespace campdb
