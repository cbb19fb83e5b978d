// Reads one record exactly as the load does, through a FieldReader over the
// same bytes, and notes on the way what the record in memory no longer
// shows: a length or count word stored negative, the end of the file met
// inside a field, a list stopped short of its count, a declared size that
// does not cover the fields. It walks the records' own field lists, so it
// knows no layout of its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "check/check.h"
#include "console/console.h"
#include "format/byte_stream.h"
#include "format/fields.h"
#include "format/misc_object.h"

namespace campdb {

struct FieldFinding {
  ProblemKind kind;
  size_t offset;
  std::string message;
};

class FieldInspector {
 public:
  // `in` reads the whole file and stands at the record's first byte.
  FieldInspector(ByteReader& in, std::span<const uint8_t> bytes, const ReadContext& context)
      : in_(in), bytes_(bytes), reader_(in, context), start_(in.Position()) {}

  const std::vector<FieldFinding>& Findings() const { return findings_; }
  // Whether the reading met the end of the file in this record.
  bool EndMet() const { return endMet_; }

  // --- misc objects, whose frame is read before the record ---

  // Reads the two size words and the class tag, as the load did.
  ObjectFrame ReadFrame() {
    const ObjectFrame frame = ReadObjectFrame(in_);
    end_ = static_cast<int64_t>(frame.start) + 8 + frame.declaredSize;
    if (frame.result == FrameResult::Read && in_.WantedPastEnd()) {
      if (frame.start + 12 > bytes_.size()) {
        NoteEnd(ProblemKind::RecordCut, std::min(frame.start + 8, bytes_.size()),
                "the file ends inside its class tag's length word");
      } else {
        NoteEnd(ProblemKind::LengthCut, frame.start + 8,
                Cat("its class tag's stored length is ", frame.tagLengthWord, ", but the file holds only ",
                    frame.tag.size(), " bytes of it"));
      }
    }
    return frame;
  }
  // The record's head takes its size and tag from the frame.
  void SetFrame(const ObjectFrame& frame, Text canonicalTag) {
    framed_ = true;
    reader_.SetFrame(frame.declaredSize, canonicalTag);
  }
  // The body of an object of unrecognised class: what its declared size
  // leaves after the tag.
  void SkipBody(const ObjectFrame& frame) {
    const int64_t wanted = int64_t{frame.declaredSize} - 4 - static_cast<int64_t>(frame.tag.size());
    if (wanted < 0) SizeTooSmall(in_.Position(), -wanted);
    const size_t at = in_.Position();
    const bool before = in_.WantedPastEnd();
    const Text body = in_.ReadRun(wanted);
    if (!before && in_.WantedPastEnd()) {
      NoteEnd(ProblemKind::LengthCut, at,
             Cat("its declared size counts ", Grouped(wanted),
                 " bytes of body, but the file holds only ", Grouped(static_cast<int64_t>(body.size()))));
    }
  }

  // A finding about the record that no field shows.
  void Note(ProblemKind kind, size_t at, std::string message) { Add(kind, at, std::move(message)); }

  // --- the Io vocabulary of the records' field lists ---

  void Head(ObjectHead& head) {
    const size_t at = in_.Position();
    std::optional<int32_t> tagLength;
    if (!framed_) {
      tagLength = PeekInt32(at + 8);
      if (tagLength && *tagLength < 0) {
        Add(ProblemKind::NegativeLength, at + 8,
            Cat("its class tag's length is stored as ", *tagLength, "; it is written as 0"));
      }
    }
    const bool before = in_.WantedPastEnd();
    reader_.Head(head);
    if (!before && in_.WantedPastEnd()) {
      const int64_t held = static_cast<int64_t>(bytes_.size()) - static_cast<int64_t>(at) - 12;
      if (tagLength && *tagLength > 0 && *tagLength > held) {
        NoteEnd(ProblemKind::LengthCut, at + 8,
               Cat("its class tag's stored length is ", *tagLength, ", but the file holds only ",
                   held < 0 ? 0 : held, " bytes of it"));
      } else {
        FixedFieldCut(at, HeadFieldAt(at, tagLength));
      }
    }
    if (!framed_) end_ = static_cast<int64_t>(at) + 8 + head.declaredSize;
  }
  void Int32(const char* name, int32_t& value) {
    Fixed(name, [&] { reader_.Int32(name, value); });
  }
  void Int16(const char* name, int32_t& value) {
    Fixed(name, [&] { reader_.Int16(name, value); });
  }
  void Byte(const char* name, uint8_t& value) {
    Fixed(name, [&] { reader_.Byte(name, value); });
  }
  template <size_t N>
  void Run(const char* name, std::array<uint8_t, N>& run) {
    Fixed(name, [&] { reader_.Run(name, run); });
  }
  void Block(const char* name, Text& block) {
    Fixed(name, [&] { reader_.Block(name, block); });
  }

  void String(const char* name, Text& text) {
    const size_t at = in_.Position();
    const std::optional<int32_t> stored = PeekInt32(at);
    const bool before = in_.WantedPastEnd();
    reader_.String(name, text);
    if (stored && *stored < 0) {
      Add(ProblemKind::NegativeLength, at, Cat(Path(name), ": length stored as ", *stored, "; written as 0"));
    }
    if (!before && in_.WantedPastEnd()) {
      if (stored && *stored > static_cast<int64_t>(text.size())) {
        NoteEnd(ProblemKind::LengthCut, at,
               Cat(Path(name), ": stored length ", Grouped(*stored),
                   ", but the file holds only ", Grouped(static_cast<int64_t>(text.size())), " bytes of it"));
      } else {
        FixedFieldCut(at, Path(name));
      }
    }
  }

  template <class T, class Entry>
  void List(const char* name, std::vector<T>& list, Entry&& entry) {
    const size_t at = in_.Position();
    const std::optional<int32_t> stored = PeekInt32(at);
    const bool before = in_.WantedPastEnd();
    path_.emplace_back(name, 0);
    const size_t depth = path_.size() - 1;
    reader_.List(name, list, [&](auto&, T& item) {
      path_[depth].second = static_cast<int64_t>(list.size()) - 1;
      entry(*this, item);
    });
    path_.pop_back();
    if (stored && *stored < 0) {
      Add(ProblemKind::NegativeCount, at, Cat(Path(name), ": count stored as ", *stored, "; written as 0"));
    }
    if (!before && in_.WantedPastEnd()) {
      if (stored && *stored > static_cast<int64_t>(list.size())) {
        NoteEnd(ProblemKind::ListCut, at,
               Cat(Path(name), ": the count announces ", Grouped(*stored),
                   " entries, but the file ends after ", Grouped(static_cast<int64_t>(list.size()))));
      } else {
        FixedFieldCut(at, Path(name));
      }
    }
  }
  template <class T, size_t N, class Entry>
  void FixedList(const char* name, std::array<T, N>& list, Entry&& entry) {
    path_.emplace_back(name, 0);
    for (size_t i = 0; i < N; ++i) {
      path_.back().second = static_cast<int64_t>(i);
      entry(*this, list[i]);
    }
    path_.pop_back();
  }
  template <class Body>
  void Group(const char* name, Body&& body) {
    path_.emplace_back(name, -1);
    body(*this);
    path_.pop_back();
  }
  template <class Decide, class Body>
  void Section(const char* name, bool& present, Decide&& decide, Body&& body) {
    path_.emplace_back(name, -1);
    reader_.Section(name, present, decide, [&](auto&) { body(*this); });
    path_.pop_back();
  }
  void Matrix(const char* name, int32_t& size, std::vector<TensionCell>& cells) {
    const size_t at = in_.Position();
    const std::optional<int32_t> stored = PeekInt32(at);
    const bool before = in_.WantedPastEnd();
    reader_.Matrix(name, size, cells);
    if (stored && *stored < 0) {
      Add(ProblemKind::NegativeCount, at, Cat(Path(name), ": size stored as ", *stored, "; written as 0"));
    }
    if (!before && in_.WantedPastEnd()) {
      const int64_t wanted = int64_t{size} * size;
      if (wanted > static_cast<int64_t>(cells.size())) {
        NoteEnd(ProblemKind::ListCut, at,
               Cat(Path(name), ": ", size, " x ", size, " cells announced, but the file ends after ",
                   Grouped(static_cast<int64_t>(cells.size()))));
      } else {
        FixedFieldCut(at, Path(name));
      }
    }
  }
  void Tail(Text& tail) {
    const size_t at = in_.Position();
    const int64_t wanted = end_ - static_cast<int64_t>(at);
    if (wanted < 0) SizeTooSmall(at, -wanted);
    const bool before = in_.WantedPastEnd();
    reader_.Tail(tail);
    if (!before && in_.WantedPastEnd()) {
      NoteEnd(ProblemKind::LengthCut, at,
             Cat("its declared size counts ", Grouped(wanted),
                 " bytes after the fields, but the file holds only ", Grouped(static_cast<int64_t>(tail.size()))));
    }
  }

 private:
  std::optional<int32_t> PeekInt32(size_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < 4) return std::nullopt;
    const uint8_t* p = bytes_.data() + at;
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
  }

  // The field of a record's head in which the file ends, the head having
  // begun at `at` (with its size words and tag unless the frame gave them).
  std::string HeadFieldAt(size_t at, std::optional<int32_t> tagLength) const {
    auto offset = static_cast<int64_t>(bytes_.size() - std::min(at, bytes_.size()));
    if (!framed_) {
      if (offset < 8) return offset < 4 ? "declaredSize" : "declaredSize2";
      if (offset < 12) return "tag";
      offset -= 12 + std::max<int64_t>(tagLength.value_or(0), 0);
    }
    return offset < 4 ? "leadWord" : offset < 10 ? "leadRun" : "objectId";
  }

  template <class Read>
  void Fixed(const char* name, Read&& read) {
    const size_t at = in_.Position();
    const bool before = in_.WantedPastEnd();
    read();
    if (!before && in_.WantedPastEnd()) FixedFieldCut(at, Path(name));
  }

  void FixedFieldCut(size_t at, const std::string& field) {
    if (start_ >= bytes_.size()) {
      NoteEnd(ProblemKind::RecordCut, start_, "the file ends before this record");
    } else {
      NoteEnd(ProblemKind::RecordCut, at, Cat("the file ends inside its field ", field));
    }
  }

  void SizeTooSmall(size_t at, int64_t short_) {
    Add(ProblemKind::SizeTooSmall, at,
        Cat("its declared size is ", Grouped(short_),
            " bytes smaller than its fields; the reading runs into what follows"));
  }

  // The end of the file is told once per record: where it was first met.
  void NoteEnd(ProblemKind kind, size_t at, std::string message) {
    if (endMet_) return;
    endMet_ = true;
    Add(kind, at, std::move(message));
  }
  void Add(ProblemKind kind, size_t at, std::string message) {
    findings_.push_back({kind, at, std::move(message)});
  }

  // The field's name with the lists and groups it lies in: ships[1].shipName.
  std::string Path(const char* name) const {
    std::string path;
    for (const auto& [outer, index] : path_) {
      if (!path.empty()) path += '.';
      path += outer != nullptr ? outer : "";
      if (index >= 0) path += Cat('[', index, ']');
    }
    if (name != nullptr) {
      if (!path.empty()) path += '.';
      path += name;
    }
    return path;
  }

  ByteReader& in_;
  std::span<const uint8_t> bytes_;
  FieldReader reader_;
  size_t start_;
  bool framed_ = false;
  // Where the declared size says the record ends.
  int64_t end_ = 0;
  bool endMet_ = false;
  std::vector<std::pair<const char*, int64_t>> path_;
  std::vector<FieldFinding> findings_;
};

namespace inspect_detail {
template <class Record>
void Body(FieldInspector& inspector, const ObjectFrame& frame, Layout layout) {
  inspector.SetFrame(frame, Record::kClassTag);
  Record scratch;
  scratch.Fields(inspector, layout);
}
}  // namespace inspect_detail

// Reads the misc object at the inspector's place as the load does: its
// frame, then its body by its class (an unrecognised one's body as the
// bytes its declared size counts). A known class tag not closed by "@@" is
// noted too. Returns the frame.
inline ObjectFrame InspectMiscObject(FieldInspector& inspector, Layout layout) {
  const ObjectFrame frame = inspector.ReadFrame();
  switch (frame.kind) {
    case ObjectKind::NewsStory:
      inspect_detail::Body<tNewsStory>(inspector, frame, layout);
      break;
    case ObjectKind::Character:
      inspect_detail::Body<tServCharacter>(inspector, frame, layout);
      break;
    case ObjectKind::Ship:
      inspect_detail::Body<tShip>(inspector, frame, layout);
      break;
    case ObjectKind::Bid:
      inspect_detail::Body<tAuctionItem>(inspector, frame, layout);
      break;
    case ObjectKind::Unrecognised:
      inspector.SkipBody(frame);
      return frame;
  }
  const Text closing = frame.tag.substr(frame.tag.size() - 2);
  if (closing != "@@") {
    inspector.Note(ProblemKind::TagClosingBytes, frame.start + 12 + frame.tag.size() - 2,
                   Cat("its class tag ends in ", Shown(closing), ", not \"@@\"; a write closes it with \"@@\""));
  }
  return frame;
}

}  // namespace campdb
