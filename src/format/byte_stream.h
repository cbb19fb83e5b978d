// The byte-stream layer of the campaign database: one reader over the whole
// input held in memory, one writer that appends to a buffer, and the small
// encoding primitives every record uses. Nothing else in the program touches
// raw bytes of the database.
//
// Encoding: every multi-byte integer is little-endian; an int16 is read
// zero-extended (0..65535); a counted string is an int32 length followed by
// exactly that many bytes, with no terminator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace campdb {

// A length-prefixed byte string. The bytes are whatever the server stored;
// no character set is assumed and no byte is translated. A stored length of
// zero or less reads as the empty string.
struct CountedString {
  std::string bytes;

  CountedString() = default;
  explicit CountedString(std::string text) : bytes(std::move(text)) {}

  int32_t Length() const { return static_cast<int32_t>(bytes.size()); }
  bool Empty() const { return bytes.empty(); }
  std::string_view View() const { return bytes; }
  bool operator==(const CountedString&) const = default;
};

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

  // Fills a fixed-width field; bytes missing at the end of the input read
  // as 0xFF.
  template <size_t N>
  void ReadBytes(std::array<uint8_t, N>& field) {
    ReadBytes(field.data(), N);
  }
  void ReadBytes(uint8_t* out, size_t count);

  // A run of stored length `count` (an opaque tail, a string's bytes). A run
  // longer than what is left keeps only the bytes that are left, so nothing
  // is ever allocated beyond the size of the input.
  std::string ReadRun(int64_t count);

  // True once a read has tried to go past the end of the input.
  bool AtEnd() const { return atEnd_; }
  size_t Remaining() const { return data_.size() - pos_; }
  size_t Position() const { return pos_; }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool atEnd_ = false;
};

int32_t ReadInt32(ByteReader& in);
// Zero-extended: FF FF reads as 65535.
int32_t ReadInt16(ByteReader& in);
CountedString ReadCountedString(ByteReader& in);

// Where a ByteWriter's bytes go once its buffer fills. A sink that fails
// keeps failing; the writer then drops further bytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Put(const char* data, size_t size) = 0;
};

// Appends bytes to a buffer. Without a sink the whole output stays in
// Buffer(); with one, the buffer is handed to the sink whenever it grows past
// a threshold and on Flush().
class ByteWriter {
 public:
  ByteWriter() = default;
  explicit ByteWriter(ByteSink* sink) : sink_(sink) {}
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void WriteByte(uint8_t b) {
    buffer_.push_back(static_cast<char>(b));
    MaybeSpill();
  }
  template <size_t N>
  void WriteBytes(const std::array<uint8_t, N>& field) {
    WriteBytes(field.data(), N);
  }
  void WriteBytes(const uint8_t* data, size_t count) {
    buffer_.append(reinterpret_cast<const char*>(data), count);
    MaybeSpill();
  }
  void WriteRun(std::string_view bytes) {
    buffer_.append(bytes);
    MaybeSpill();
  }

  // Hands everything buffered to the sink; false once the sink has failed.
  bool Flush();
  bool Failed() const { return failed_; }
  const std::string& Buffer() const { return buffer_; }
  std::string TakeBuffer() { return std::move(buffer_); }

 private:
  static constexpr size_t kSpillSize = 1 << 20;
  void MaybeSpill() {
    if (sink_ != nullptr && buffer_.size() >= kSpillSize) Flush();
  }

  ByteSink* sink_ = nullptr;
  std::string buffer_;
  bool failed_ = false;
};

void WriteInt32(ByteWriter& out, int32_t value);
// Writes the low 16 bits; higher bits are dropped.
void WriteInt16(ByteWriter& out, int32_t value);
void WriteCountedString(ByteWriter& out, const CountedString& text);

}  // namespace campdb
