#include "format/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace campdb {

void ByteReader::ReadBytes(uint8_t* out, size_t count) {
  const size_t take = std::min(count, Remaining());
  if (take > 0) std::memcpy(out, data_.data() + pos_, take);
  pos_ += take;
  if (take < count) {
    std::memset(out + take, 0xFF, count - take);
    atEnd_ = true;
  }
}

std::string ByteReader::ReadRun(int64_t count) {
  if (count <= 0) return {};
  size_t take = Remaining();
  if (static_cast<uint64_t>(count) <= take) {
    take = static_cast<size_t>(count);
  } else {
    atEnd_ = true;
  }
  std::string run(reinterpret_cast<const char*>(data_.data() + pos_), take);
  pos_ += take;
  return run;
}

int32_t ReadInt32(ByteReader& in) {
  uint32_t value = in.ReadByte();
  value |= static_cast<uint32_t>(in.ReadByte()) << 8;
  value |= static_cast<uint32_t>(in.ReadByte()) << 16;
  value |= static_cast<uint32_t>(in.ReadByte()) << 24;
  return static_cast<int32_t>(value);
}

int32_t ReadInt16(ByteReader& in) {
  int32_t value = in.ReadByte();
  value |= static_cast<int32_t>(in.ReadByte()) << 8;
  return value;
}

CountedString ReadCountedString(ByteReader& in) {
  const int32_t length = ReadInt32(in);
  CountedString text;
  if (length > 0) text.bytes = in.ReadRun(length);
  return text;
}

bool ByteWriter::Flush() {
  if (sink_ == nullptr) return !failed_;
  if (!failed_ && !buffer_.empty()) {
    if (!sink_->Put(buffer_.data(), buffer_.size())) failed_ = true;
  }
  buffer_.clear();
  return !failed_;
}

void WriteInt32(ByteWriter& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  out.WriteBytes(bytes, 4);
}

void WriteInt16(ByteWriter& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t bytes[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  out.WriteBytes(bytes, 2);
}

void WriteCountedString(ByteWriter& out, const CountedString& text) {
  WriteInt32(out, text.Length());
  out.WriteRun(text.bytes);
}

}  // namespace campdb
