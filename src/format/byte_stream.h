// The byte-stream layer of the campaign database: one reader over the whole
// input held in memory, one writer that appends to a buffer, and the small
// encoding primitives every record uses. Nothing else in the program touches
// raw bytes of the database.
//
// Encoding: every multi-byte integer is little-endian; an int16 is read
// zero-extended (0..65535); a counted string is an int32 length followed by
// exactly that many bytes, with no terminator.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace campdb {

// The bytes of a counted string, a tail or another run of the file, seen
// where they are kept: in the loaded input, or in the store of texts that
// did not come from it (an editor's answers, a restored dump). The bytes
// are whatever the server stored; no character set is assumed and no byte
// is translated. Whoever keeps a record keeps the storage its texts point
// into.
using Text = std::string_view;

// Reads the database image. A read never runs past the end: a byte read at
// the end (or after the reader has already run out) consumes nothing,
// delivers 0xFF and leaves the reader in its end-of-file state, which the
// object framing tests after the two size words of every misc object.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  uint8_t ReadByte() {
    if (pos_ < data_.size()) return data_[pos_++];
    atEnd_ = true;
    return 0xFF;
  }

  // An int32, least significant byte first. Where fewer than four bytes are
  // left it is assembled byte by byte, so the missing ones read as 0xFF.
  uint32_t ReadWord() {
    if (Remaining() < 4) return ReadWordAtEnd();
    const uint8_t* p = data_.data() + pos_;
    pos_ += 4;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }

  // Fills a fixed-width field; bytes missing at the end of the input read
  // as 0xFF.
  template <size_t N>
  void ReadBytes(std::array<uint8_t, N>& field) {
    ReadBytes(field.data(), N);
  }
  void ReadBytes(uint8_t* out, size_t count) {
    if (count > Remaining()) return ReadBytesAtEnd(out, count);
    std::memcpy(out, data_.data() + pos_, count);
    pos_ += count;
  }

  // A run of stored length `count` (an opaque tail, a string's bytes), seen
  // where it lies in the input; valid as long as the input is. A run longer
  // than what is left keeps only the bytes that are left, so nothing is ever
  // taken beyond the end of the input; a count of 0 or less takes nothing.
  Text ReadRun(int64_t count);

  // Asked before each entry of a list read from the file: true while bytes
  // are left. A list that stops here holds fewer entries than its count
  // asked for, which counts as a read past the end.
  bool MoreEntries() {
    if (pos_ < data_.size()) return true;
    cutShort_ = true;
    return false;
  }

  // The next `count` bytes where they lie, when the input holds them all;
  // otherwise nothing is taken and the result is empty.
  std::optional<Text> TakeInPlace(size_t count) {
    if (count > Remaining()) return std::nullopt;
    const Text run(reinterpret_cast<const char*>(data_.data() + pos_), count);
    pos_ += count;
    return run;
  }
  // Moves on by `count` bytes (at most to the end) without reading them.
  void Skip(size_t count) { pos_ += std::min(count, Remaining()); }
  // Input bytes from `from` up to `to`, wherever the reader stands.
  Text Slice(size_t from, size_t to) const {
    return {reinterpret_cast<const char*>(data_.data() + from), to - from};
  }
  size_t Size() const { return data_.size(); }

  // True once a read has tried to go past the end of the input.
  bool AtEnd() const { return atEnd_; }
  // True once any read, or any list, wanted more bytes than were left.
  bool WantedPastEnd() const { return atEnd_ || cutShort_; }
  size_t Remaining() const { return data_.size() - pos_; }
  size_t Position() const { return pos_; }

 private:
  uint32_t ReadWordAtEnd();
  void ReadBytesAtEnd(uint8_t* out, size_t count);

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool atEnd_ = false;
  bool cutShort_ = false;
};

inline int32_t ReadInt32(ByteReader& in) { return static_cast<int32_t>(in.ReadWord()); }
// Zero-extended: FF FF reads as 65535.
int32_t ReadInt16(ByteReader& in);
// A counted string: its length word, then that many bytes. A length of 0 or
// less reads as the empty text.
Text ReadCountedString(ByteReader& in);

// Where a ByteWriter's bytes go once its buffer fills. A sink that fails
// keeps failing; the writer then drops further bytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Put(const char* data, size_t size) = 0;
  // Whether bytes that outlive the writer are better handed over where
  // they lie, each run in a call of its own, than gathered first (a sink
  // that compares them with bytes it already holds).
  virtual bool TakesRunsWhereTheyLie() const { return false; }
};

// Appends bytes to a buffer. Without a sink the whole output stays in
// Buffer(); with one, the buffer is handed to the sink whenever it fills and
// on Flush().
//
// Bytes are first gathered in a chunk of memory that is reused: small writes
// (a word, a short string) only copy into it, and only a full chunk goes to
// the sink, or, without a sink, onto the end of Buffer().
class ByteWriter {
 public:
  ByteWriter() = default;
  explicit ByteWriter(ByteSink* sink) : sink_(sink) {}
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void WriteByte(uint8_t b) {
    if (fill_ == chunkSize_) MakeRoom(1);
    chunk_[fill_++] = static_cast<char>(b);
  }
  template <size_t N>
  void WriteBytes(const std::array<uint8_t, N>& field) {
    WriteBytes(field.data(), N);
  }
  void WriteBytes(const uint8_t* data, size_t count) { Append(reinterpret_cast<const char*>(data), count); }
  void WriteRun(std::string_view bytes) { Append(bytes.data(), bytes.size()); }
  // A run of bytes that lives as long as the sink may need it (the input's):
  // written as WriteRun does, unless the sink takes runs where they lie.
  void WriteLastingRun(std::string_view bytes);
  // Room for up to `count` bytes (at most a megabyte) that the caller
  // writes in place and then counts with Commit.
  char* Reserve(size_t count) {
    if (count > chunkSize_ - fill_) MakeRoom(count);
    return chunk_.get() + fill_;
  }
  void Commit(size_t count) { fill_ += count; }

  // Hands everything buffered to the sink; false once the sink has failed.
  bool Flush();
  bool Failed() const { return failed_; }
  // Everything written so far, when the writer has no sink.
  const std::string& Buffer() const;
  std::string TakeBuffer();
  // The number of bytes written so far, when the writer has no sink.
  size_t Length() const { return buffer_.size() + fill_; }

 private:
  // The largest chunk gathered before it is handed on: a megabyte, which
  // writes a large database measurably faster than smaller pieces, while
  // more gains nothing.
  static constexpr size_t kChunkSize = size_t{1} << 20;

  void Append(const char* data, size_t count) {
    if (count == 0) return;
    if (count > chunkSize_ - fill_) return AppendSlow(data, count);
    char* to = chunk_.get() + fill_;
    // A text or a number is mostly a few bytes: copied in two overlapping
    // words rather than through a call, which costs more than the copy.
    if (count >= 8 && count <= 16) {
      CopyWord<uint64_t>(to, data);
      CopyWord<uint64_t>(to + count - 8, data + count - 8);
    } else if (count >= 4 && count < 8) {
      CopyWord<uint32_t>(to, data);
      CopyWord<uint32_t>(to + count - 4, data + count - 4);
    } else if (count < 4) {
      to[0] = data[0];
      to[count / 2] = data[count / 2];
      to[count - 1] = data[count - 1];
    } else {
      std::memcpy(to, data, count);
    }
    fill_ += count;
  }
  template <class Word>
  static void CopyWord(char* to, const char* from) {
    Word word;
    std::memcpy(&word, from, sizeof word);
    std::memcpy(to, &word, sizeof word);
  }
  void AppendSlow(const char* data, size_t count);
  // Makes room for at least `count` more bytes in the chunk, passing on
  // what it holds if need be.
  void MakeRoom(size_t count);
  // Passes on the chunk's bytes: to the sink, or onto the end of buffer_.
  void Drain() const;

  ByteSink* sink_ = nullptr;
  // Buffer() first moves what the chunk holds onto buffer_, so reading the
  // whole output may change where its bytes are kept, though not the bytes.
  mutable std::unique_ptr<char[]> chunk_;
  mutable size_t chunkSize_ = 0;
  mutable size_t fill_ = 0;
  mutable std::string buffer_;
  mutable bool failed_ = false;
};

inline void WriteInt32(ByteWriter& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                            static_cast<uint8_t>(v >> 24)};
  out.WriteBytes(bytes, 4);
}
// Writes the low 16 bits; higher bits are dropped.
void WriteInt16(ByteWriter& out, int32_t value);
void WriteCountedString(ByteWriter& out, Text text);

}  // namespace campdb
