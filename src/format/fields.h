// The walkers of a record's field list. Every record names its fields once,
// in file order, in a `Fields(Io& io, Layout)` template; reading, writing and
// measuring a record are each one small Io class below that visits them.
//
// What an Io is asked for, by the records:
//   Head(head)                   the two size words, the class tag and the
//                                three words that open every body
//   Int32, Int16, Byte           one number (an int16 is held zero-extended)
//   Run(name, std::array)        a fixed run of uninterpreted bytes
//   String(name, text)           a counted string
//   List(name, vector, entry)    a count word and that many entries; the
//                                count is the list's size, never kept apart
//   FixedList(name, array, entry) entries without a count word
//   Group(name, body)            fields that belong together (a ship's
//                                marines), with no bytes of their own
//   Section(name, present, decide, body)
//                                fields the file holds or not, as `decide`
//                                tells from what the declared size leaves
//   Matrix(name, size, cells)    the tension matrix: N, then N * N cells
//   Block(name, text)            the ship's systems block, 449 bytes
//   Tail(text)                   what the declared size counts beyond the
//                                fields read: measured, never counted by hand
// A field inside a List or FixedList entry that is the entry itself has no
// name (nullptr).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"
#include "format/political.h"
#include "format/ship.h"
#include "format/text_store.h"

namespace campdb {

// What a reader needs besides the bytes: the layout, the campaign's facts
// (for the records after the campaign record) and where to keep the few
// bytes that cannot be seen in place (a systems block cut short by the end
// of the file).
struct ReadContext {
  Layout layout = Layout::Base;
  const CampaignFacts* facts = nullptr;
  TextStore* store = nullptr;
};

// What every walker does alike: the structure of a record, as opposed to
// its leaves. Entries of a fixed list and the fields of a group are simply
// visited in order; a list's count and a section's presence are those of
// the record as it stands in memory. The reader, which learns them from the
// file, has its own List and Section.
template <class Self>
class FieldWalk {
 public:
  template <class T, size_t N, class Entry>
  void FixedList(const char*, std::array<T, N>& list, Entry&& entry) {
    for (T& item : list) entry(self(), item);
  }
  template <class Body>
  void Group(const char*, Body&& body) {
    body(self());
  }
  template <class T, class Entry>
  void List(const char*, std::vector<T>& list, Entry&& entry) {
    self().Int32(nullptr, static_cast<int32_t>(list.size()));
    for (T& item : list) entry(self(), item);
  }
  template <class Decide, class Body>
  void Section(const char*, bool present, Decide&&, Body&& body) {
    if (present) body(self());
  }

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

// Reads a record's fields from the input, in file order. Texts are seen
// where they lie in the input. The end of the input is handled by the
// ByteReader: fixed fields read there deliver 0xFF bytes, strings and tails
// keep what is left, lists stop taking entries.
class FieldReader : public FieldWalk<FieldReader> {
 public:
  FieldReader(ByteReader& in, const ReadContext& context) : in_(in), context_(context) {}

  // For a misc object, whose two size words and tag the framing has read:
  // the record's head takes them from here instead of the input.
  void SetFrame(int32_t declaredSize, Text tag) {
    framed_ = true;
    frameSize_ = declaredSize;
    frameTag_ = tag;
  }

  void Head(ObjectHead& head) {
    if (framed_) {
      head.declaredSize = frameSize_;
      head.declaredSize2 = frameSize_;
      head.tag = frameTag_;
    } else {
      head.declaredSize = ReadInt32(in_);
      head.declaredSize2 = ReadInt32(in_);
      String(nullptr, head.tag);
    }
    declared_ = head.declaredSize;
    // The declared size counts from the tag's length word on.
    counted_ = 4 + static_cast<int64_t>(head.tag.size());
    Int32("leadWord", head.leadWord);
    Run("leadRun", head.leadRun);
    Int32("objectId", head.objectId);
  }

  void Int32(const char*, int32_t& value) {
    value = ReadInt32(in_);
    counted_ += 4;
  }
  void Int16(const char*, int32_t& value) {
    value = ReadInt16(in_);
    counted_ += 2;
  }
  void Byte(const char*, uint8_t& value) {
    value = in_.ReadByte();
    counted_ += 1;
  }
  template <size_t N>
  void Run(const char*, std::array<uint8_t, N>& run) {
    in_.ReadBytes(run);
    counted_ += static_cast<int64_t>(N);
  }
  void String(const char*, Text& text) {
    const int32_t length = ReadInt32(in_);
    normalised_ |= length < 0;
    text = in_.ReadRun(length);
    counted_ += 4 + static_cast<int64_t>(text.size());
  }
  // Entries are taken while the input holds bytes, so a damaged count can
  // make no list longer than the file.
  template <class T, class Entry>
  void List(const char*, std::vector<T>& list, Entry&& entry) {
    const int32_t count = ReadInt32(in_);
    normalised_ |= count < 0;
    counted_ += 4;
    list.clear();
    for (int32_t i = 0; i < count && in_.MoreEntries(); ++i) entry(*this, list.emplace_back());
  }
  template <class Decide, class Body>
  void Section(const char*, bool& present, Decide&& decide, Body&& body) {
    static const CampaignFacts kNoFacts;
    present = decide(int64_t{declared_} - counted_, context_.facts != nullptr ? *context_.facts : kNoFacts);
    if (present) body(*this);
  }
  void Matrix(const char*, int32_t& size, std::vector<TensionCell>& cells) {
    size = ReadInt32(in_);
    normalised_ |= size < 0;
    size = std::max(size, 0);
    counted_ += 4;
    const int64_t wanted = int64_t{size} * size;
    cells.clear();
    // Nothing is set aside beyond what the rest of the input can hold.
    cells.reserve(static_cast<size_t>(std::min<int64_t>(wanted, static_cast<int64_t>(in_.Remaining() / 3 + 1))));
    for (int64_t i = 0; i < wanted && in_.MoreEntries(); ++i) {
      TensionCell& cell = cells.emplace_back();
      cell.tension = ReadInt16(in_);
      cell.tensionTenth = in_.ReadByte();
      counted_ += 3;
    }
  }
  void Block(const char*, Text& block) {
    if (const auto inPlace = in_.TakeInPlace(block::kSize)) {
      block = *inPlace;
    } else {
      // Cut short by the end of the file: the missing bytes read as 0xFF.
      const auto copy = context_.store->Fresh(block::kSize);
      in_.ReadBytes(copy.data(), copy.size());
      block = Text(reinterpret_cast<const char*>(copy.data()), copy.size());
    }
    counted_ += static_cast<int64_t>(block::kSize);
  }
  void Tail(Text& tail) {
    tail = in_.ReadRun(int64_t{declared_} - counted_);
    counted_ += static_cast<int64_t>(tail.size());
  }

  // True once a length or count read was negative: the record reads it as
  // 0 and will be written back with 0.
  bool Normalised() const { return normalised_; }

 private:
  ByteReader& in_;
  ReadContext context_;
  bool framed_ = false;
  int32_t frameSize_ = 0;
  Text frameTag_;
  int32_t declared_ = 0;
  // Bytes of the record the declared size counts that have been taken so
  // far, each field at its full width and each text at its held length.
  int64_t counted_ = 0;
  bool normalised_ = false;
};

// Writes a record's fields, in file order, as they stand in memory. Counts
// are the sizes of their lists.
class FieldWriter : public FieldWalk<FieldWriter> {
 public:
  enum class Form {
    Record,    // the record as the database holds it
    InfoFile,  // "camp.info": the declared size less 23 in place of the two
               // size words and the tag, and no tail
  };

  explicit FieldWriter(ByteWriter& out, Form form = Form::Record) : out_(out), form_(form) {}

  void Head(const ObjectHead& head) {
    if (form_ == Form::InfoFile) {
      WriteInt32(out_, static_cast<int32_t>(static_cast<uint32_t>(head.declaredSize) - 23u));
    } else {
      WriteInt32(out_, head.declaredSize);
      WriteInt32(out_, head.declaredSize2);
      WriteCountedString(out_, head.tag);
    }
    WriteInt32(out_, head.leadWord);
    out_.WriteBytes(head.leadRun);
    WriteInt32(out_, head.objectId);
  }
  void Int32(const char*, int32_t value) { WriteInt32(out_, value); }
  void Int16(const char*, int32_t value) { WriteInt16(out_, value); }
  void Byte(const char*, uint8_t value) { out_.WriteByte(value); }
  template <size_t N>
  void Run(const char*, const std::array<uint8_t, N>& run) {
    out_.WriteBytes(run);
  }
  void String(const char*, Text text) { WriteCountedString(out_, text); }
  void Matrix(const char*, int32_t size, const std::vector<TensionCell>& cells) {
    WriteInt32(out_, size);
    for (const TensionCell& cell : cells) {
      WriteInt16(out_, cell.tension);
      out_.WriteByte(cell.tensionTenth);
    }
  }
  void Block(const char*, Text block) { out_.WriteRun(block); }
  void Tail(Text tail) {
    if (form_ == Form::Record) out_.WriteRun(tail);
  }

 private:
  ByteWriter& out_;
  Form form_;
};

// Counts the bytes the writer produces after a record's two size words:
// what its declared size should be.
class FieldSizer : public FieldWalk<FieldSizer> {
 public:
  void Head(const ObjectHead& head) { bytes_ += 4 + static_cast<int64_t>(head.tag.size()) + 4 + 6 + 4; }
  void Int32(const char*, int32_t) { bytes_ += 4; }
  void Int16(const char*, int32_t) { bytes_ += 2; }
  void Byte(const char*, uint8_t) { bytes_ += 1; }
  template <size_t N>
  void Run(const char*, const std::array<uint8_t, N>&) {
    bytes_ += static_cast<int64_t>(N);
  }
  void String(const char*, Text text) { bytes_ += 4 + static_cast<int64_t>(text.size()); }
  void Matrix(const char*, int32_t, const std::vector<TensionCell>& cells) {
    bytes_ += 4 + 3 * static_cast<int64_t>(cells.size());
  }
  void Block(const char*, Text block) { bytes_ += static_cast<int64_t>(block.size()); }
  void Tail(Text tail) { bytes_ += static_cast<int64_t>(tail.size()); }

  int64_t Bytes() const { return bytes_; }

 private:
  int64_t bytes_ = 0;
};

// A record's fields are walked through one template for every walker;
// walkers that only look at a record get it through this, and never change
// it.
template <class Record, class Io>
void WalkFields(const Record& record, Io& io, Layout layout) {
  const_cast<Record&>(record).Fields(io, layout);
}

// Reads a record that stands in its fixed place (the header, the campaign,
// map, hex and political records).
template <class Record>
void ReadRecord(ByteReader& in, Record& record, const ReadContext& context) {
  FieldReader reader(in, context);
  record.Fields(reader, context.layout);
}

template <class Record>
void WriteRecord(ByteWriter& out, const Record& record, Layout layout) {
  FieldWriter writer(out);
  WalkFields(record, writer, layout);
}

// The bytes a framed record's writer produces after its two size words.
template <class Record>
int64_t RecordSize(const Record& record, Layout layout) {
  FieldSizer sizer;
  WalkFields(record, sizer, layout);
  return sizer.Bytes();
}

}  // namespace campdb
