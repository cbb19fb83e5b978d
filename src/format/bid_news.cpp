#include "format/bid_news.h"

#include "format/declared_size.h"

namespace campdb {

namespace {

// Fixed bytes the declared size counts besides the tag's and the string's
// bytes: the tag's length word plus the fixed part of the body.
constexpr int64_t kBidFixedBytes = 81;
constexpr int64_t kNewsFixedBytes = 29;

}  // namespace

tAuctionItem::tAuctionItem(ByteReader& in, int32_t size) : declaredSize(size), declaredSize2(size) {
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  objectId = ReadInt32(in);
  in.ReadBytes(run4);
  shipName = ReadCountedString(in);
  in.ReadBytes(run6);
  shipId = ReadInt32(in);
  bpv = ReadInt32(in);
  for (int32_t& word : words9to11) word = ReadInt32(in);
  bidTurn = ReadInt32(in);
  closingTurn = ReadInt32(in);
  amount = ReadInt32(in);
  in.ReadBytes(run15);
  bidderId = ReadInt32(in);
  for (int32_t& word : words17to18) word = ReadInt32(in);
  tail = in.ReadRun(int64_t{declaredSize} - classTag.Length() - shipName.Length() - kBidFixedBytes);
}

void tAuctionItem::Write(ByteWriter& out) const {
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, objectId);
  out.WriteBytes(run4);
  WriteCountedString(out, shipName);
  out.WriteBytes(run6);
  WriteInt32(out, shipId);
  WriteInt32(out, bpv);
  for (int32_t word : words9to11) WriteInt32(out, word);
  WriteInt32(out, bidTurn);
  WriteInt32(out, closingTurn);
  WriteInt32(out, amount);
  out.WriteBytes(run15);
  WriteInt32(out, bidderId);
  for (int32_t word : words17to18) WriteInt32(out, word);
  out.WriteRun(tail);
}

tNewsStory::tNewsStory(ByteReader& in, int32_t size) : declaredSize(size), declaredSize2(size) {
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  objectId = ReadInt32(in);
  word4 = ReadInt32(in);
  in.ReadBytes(run5);
  storyText = ReadCountedString(in);
  tail = in.ReadRun(int64_t{declaredSize} - classTag.Length() - storyText.Length() - kNewsFixedBytes);
}

void tNewsStory::Write(ByteWriter& out) const {
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, objectId);
  WriteInt32(out, word4);
  out.WriteBytes(run5);
  WriteCountedString(out, storyText);
  out.WriteRun(tail);
}

}  // namespace campdb
