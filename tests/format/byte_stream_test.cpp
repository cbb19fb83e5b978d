// The byte stream: integer and string encodings, reads at the end of the
// input, and the writer's buffering, which must hand on exactly the bytes
// written, in order, however the writes fall across its chunks.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/byte_stream.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testdb::Bytes;
using testdb::Span;

// A sink that keeps what it is given and can be made to refuse.
class RecordingSink : public ByteSink {
 public:
  bool Put(const char* data, size_t size) override {
    ++calls;
    if (refuse) return false;
    received.append(data, size);
    return true;
  }
  std::string received;
  int calls = 0;
  bool refuse = false;
};

TEST(ByteStream, IntegersAreLittleEndianAndInt16IsZeroExtended) {
  const Bytes bytes("\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x2A\x01\x00\x00\xFF\xFF", 14);
  ByteReader in(Span(bytes));
  EXPECT_EQ(ReadInt32(in), -1);
  EXPECT_EQ(ReadInt32(in), INT32_MIN);
  EXPECT_EQ(ReadInt32(in), 298);
  EXPECT_EQ(ReadInt16(in), 65535);
  EXPECT_FALSE(in.AtEnd());

  ByteWriter out;
  WriteInt32(out, -1);
  WriteInt32(out, INT32_MIN);
  WriteInt32(out, 298);
  WriteInt16(out, -2);  // only the low 16 bits
  EXPECT_EQ(out.Buffer(), Bytes("\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x2A\x01\x00\x00\xFE\xFF", 14));
}

TEST(ByteStream, AWordCutByTheEndReadsItsMissingBytesAs0xFF) {
  for (size_t left = 0; left < 4; ++left) {
    const Bytes bytes = Bytes("\x11\x22\x33", 3).substr(0, left);
    ByteReader in(Span(bytes));
    uint32_t expected = 0xFFFFFFFF;
    for (size_t i = 0; i < left; ++i) {
      expected &= ~(uint32_t{0xFF} << (8 * i));
      expected |= uint32_t{static_cast<uint8_t>(bytes[i])} << (8 * i);
    }
    EXPECT_EQ(static_cast<uint32_t>(ReadInt32(in)), expected) << left << " bytes left";
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(in.Remaining(), 0u);
    // Once at the end every read delivers 0xFF and consumes nothing.
    EXPECT_EQ(ReadInt32(in), -1);
    EXPECT_EQ(in.ReadByte(), 0xFF);
  }
  // Exactly four bytes left is a whole word, not the end.
  const Bytes four("\x01\x02\x03\x04", 4);
  ByteReader in(Span(four));
  EXPECT_EQ(ReadInt32(in), 0x04030201);
  EXPECT_FALSE(in.AtEnd());
}

TEST(ByteStream, FixedFieldsAndRunsAreClampedToTheInput) {
  const Bytes bytes("abcdef", 6);
  ByteReader in(Span(bytes));
  std::array<uint8_t, 4> field{};
  in.ReadBytes(field);
  EXPECT_EQ(field, (std::array<uint8_t, 4>{'a', 'b', 'c', 'd'}));
  EXPECT_FALSE(in.AtEnd());
  in.ReadBytes(field);
  EXPECT_EQ(field, (std::array<uint8_t, 4>{'e', 'f', 0xFF, 0xFF}));
  EXPECT_TRUE(in.AtEnd());

  ByteReader runs(Span(bytes));
  EXPECT_EQ(runs.ReadRun(0), "");
  EXPECT_EQ(runs.ReadRun(-5), "");
  EXPECT_EQ(runs.ReadRun(2), "ab");
  EXPECT_FALSE(runs.AtEnd());
  EXPECT_EQ(runs.ReadRun(int64_t{1} << 40), "cdef");
  EXPECT_TRUE(runs.AtEnd());
}

TEST(ByteStream, CountedStringsRoundTripAndNegativeLengthsReadEmpty) {
  Bytes bytes("\x03\x00\x00\x00"
              "abc"
              "\xFE\xFF\xFF\xFF"
              "\x00\x00\x00\x00",
              15);
  ByteReader in(Span(bytes));
  const Text abc = ReadCountedString(in);
  const Text negative = ReadCountedString(in);
  const Text empty = ReadCountedString(in);
  EXPECT_EQ(abc, "abc");
  EXPECT_TRUE(negative.empty());
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_FALSE(in.AtEnd());

  ByteWriter out;
  for (const Text text : {abc, negative, empty}) WriteCountedString(out, text);
  EXPECT_EQ(out.Buffer(), Bytes("\x03\x00\x00\x00"
                                "abc"
                                "\x00\x00\x00\x00"
                                "\x00\x00\x00\x00",
                                15));
}

// Every size of write, from single bytes to runs several chunks long, in a
// mixed sequence: the sink and the buffer must each receive exactly the
// bytes written.
std::string WriteMixedSequence(ByteWriter& out) {
  std::string expected;
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (int i = 0; i < 4000; ++i) {
    switch (next() % 5) {
      case 0: {
        const auto b = static_cast<uint8_t>(next());
        out.WriteByte(b);
        expected.push_back(static_cast<char>(b));
        break;
      }
      case 1: {
        const auto v = static_cast<int32_t>(next());
        WriteInt32(out, v);
        for (int k = 0; k < 4; ++k) expected.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * k)));
        break;
      }
      case 2: {
        const std::string run(next() % 700, static_cast<char>('a' + i % 26));
        out.WriteRun(run);
        expected += run;
        break;
      }
      case 3: {
        std::array<uint8_t, 9> field{};
        for (auto& b : field) b = static_cast<uint8_t>(next());
        out.WriteBytes(field);
        expected.append(reinterpret_cast<const char*>(field.data()), field.size());
        break;
      }
      default: {
        // Now and then a run larger than any chunk.
        // Short pieces are copied word-wise, so every byte differs.
        std::string run(i % 97 == 0 ? 600000 + next() % 1000 : next() % 40, '\0');
        for (size_t k = 0; k < run.size(); ++k) run[k] = static_cast<char>(k * 131 + static_cast<size_t>(i));
        out.WriteRun(run);
        expected += run;
        break;
      }
    }
  }
  return expected;
}

TEST(ByteStream, WriterHandsTheSinkExactlyTheBytesWrittenInOrder) {
  RecordingSink sink;
  ByteWriter out(&sink);
  const std::string expected = WriteMixedSequence(out);
  ASSERT_GT(expected.size(), size_t{4} << 20);
  EXPECT_TRUE(out.Flush());
  EXPECT_EQ(sink.received.size(), expected.size());
  EXPECT_TRUE(sink.received == expected);
  // Large output goes out in large pieces, not word by word.
  EXPECT_LT(sink.calls, 200);
  // A second flush hands on nothing more.
  EXPECT_TRUE(out.Flush());
  EXPECT_EQ(sink.received.size(), expected.size());
}

TEST(ByteStream, WriterWithoutSinkKeepsEverythingAndCanBeReadMidway) {
  ByteWriter out;
  WriteInt32(out, 7);
  EXPECT_EQ(out.Buffer(), Bytes("\x07\x00\x00\x00", 4));
  // Looking at the buffer does not disturb what follows.
  const std::string rest = WriteMixedSequence(out);
  EXPECT_TRUE(out.Flush());
  const std::string all = Bytes("\x07\x00\x00\x00", 4) + rest;
  EXPECT_TRUE(out.Buffer() == all);
  EXPECT_TRUE(out.TakeBuffer() == all);
}

TEST(ByteStream, AFailedSinkStaysFailedAndGetsNothingMore) {
  RecordingSink sink;
  ByteWriter out(&sink);
  sink.refuse = true;
  out.WriteRun(std::string(size_t{1} << 20, 'x'));
  EXPECT_FALSE(out.Flush());
  EXPECT_TRUE(out.Failed());
  const int callsAfterFailure = sink.calls;
  sink.refuse = false;
  out.WriteRun(std::string(size_t{1} << 20, 'y'));
  WriteInt32(out, 1);
  EXPECT_FALSE(out.Flush());
  EXPECT_EQ(sink.calls, callsAfterFailure);
  EXPECT_TRUE(sink.received.empty());
}

}  // namespace
}  // namespace campdb
