#include "format/byte_stream.h"

#include <algorithm>

namespace campdb {

uint32_t ByteReader::ReadWordAtEnd() {
  uint32_t value = ReadByte();
  value |= static_cast<uint32_t>(ReadByte()) << 8;
  value |= static_cast<uint32_t>(ReadByte()) << 16;
  value |= static_cast<uint32_t>(ReadByte()) << 24;
  return value;
}

void ByteReader::ReadBytesAtEnd(uint8_t* out, size_t count) {
  const size_t take = std::min(count, Remaining());
  if (take > 0) std::memcpy(out, data_.data() + pos_, take);
  pos_ += take;
  if (take < count) {
    std::memset(out + take, 0xFF, count - take);
    atEnd_ = true;
  }
}

Text ByteReader::ReadRun(int64_t count) {
  if (count <= 0) return {};
  size_t take = Remaining();
  if (static_cast<uint64_t>(count) <= take) {
    take = static_cast<size_t>(count);
  } else {
    atEnd_ = true;
  }
  const Text run(reinterpret_cast<const char*>(data_.data() + pos_), take);
  pos_ += take;
  return run;
}

int32_t ReadInt16(ByteReader& in) {
  int32_t value = in.ReadByte();
  value |= static_cast<int32_t>(in.ReadByte()) << 8;
  return value;
}

Text ReadCountedString(ByteReader& in) { return in.ReadRun(ReadInt32(in)); }

void ByteWriter::Drain() const {
  if (fill_ == 0) return;
  if (sink_ == nullptr) {
    buffer_.append(chunk_.get(), fill_);
  } else if (!failed_ && !sink_->Put(chunk_.get(), fill_)) {
    failed_ = true;
  }
  fill_ = 0;
}

void ByteWriter::MakeRoom(size_t count) {
  // The chunk starts small and doubles up to its full size, so that a
  // writer used for a few bytes holds little memory.
  if (chunkSize_ < kChunkSize && fill_ + count > chunkSize_) {
    const size_t grown = std::min(kChunkSize, std::max({chunkSize_ * 2, fill_ + count, size_t{256}}));
    auto larger = std::make_unique_for_overwrite<char[]>(grown);
    if (fill_ > 0) std::memcpy(larger.get(), chunk_.get(), fill_);
    chunk_ = std::move(larger);
    chunkSize_ = grown;
  }
  if (count > chunkSize_ - fill_) Drain();
}

void ByteWriter::AppendSlow(const char* data, size_t count) {
  MakeRoom(count);
  if (count <= chunkSize_ - fill_) {
    std::memcpy(chunk_.get() + fill_, data, count);
    fill_ += count;
  } else if (sink_ == nullptr) {
    // Larger than a whole chunk: passed on as it is, after what came before.
    buffer_.append(data, count);
  } else if (!failed_ && !sink_->Put(data, count)) {
    failed_ = true;
  }
}

void ByteWriter::WriteLastingRun(std::string_view bytes) {
  if (sink_ == nullptr || bytes.size() < 4096 || !sink_->TakesRunsWhereTheyLie()) return WriteRun(bytes);
  Drain();
  if (!failed_ && !sink_->Put(bytes.data(), bytes.size())) failed_ = true;
}

bool ByteWriter::Flush() {
  Drain();
  return !failed_;
}

const std::string& ByteWriter::Buffer() const {
  if (sink_ == nullptr) Drain();
  return buffer_;
}

std::string ByteWriter::TakeBuffer() {
  if (sink_ == nullptr) Drain();
  return std::move(buffer_);
}

void WriteInt16(ByteWriter& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t bytes[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  out.WriteBytes(bytes, 2);
}

void WriteCountedString(ByteWriter& out, Text text) {
  WriteInt32(out, static_cast<int32_t>(text.size()));
  out.WriteRun(text);
}

}  // namespace campdb
