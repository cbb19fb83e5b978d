// Two of the misc-object kinds: a shipyard bid and a news story.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream;

class tAuctionItem {
 public:
  static constexpr std::string_view kClassTag = ".?AVtAuctionItem@@";

  tAuctionItem() = default;
  tAuctionItem(ByteReader& in, int32_t declaredSize);
  void Write(ByteWriter& out) const;
  void Report(ReportStream& out) const;

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  // Every record of the kind is written with the kind's own tag, whatever
  // its closing bytes were in the file, so one copy serves them all.
  static inline const CountedString classTag{std::string(kClassTag)};
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t objectId = 0;
  std::array<uint8_t, 5> run4{};     // uninterpreted
  CountedString shipName;
  std::array<uint8_t, 5> run6{};     // uninterpreted
  int32_t shipId = 0;
  int32_t bpv = 0;
  std::array<int32_t, 3> words9to11{};  // uninterpreted
  int32_t bidTurn = 0;
  int32_t closingTurn = 0;
  int32_t amount = 0;
  std::array<uint8_t, 5> run15{};    // uninterpreted
  int32_t bidderId = 0;
  std::array<int32_t, 2> words17to18{};  // uninterpreted
  std::string tail;
};

class tNewsStory {
 public:
  static constexpr std::string_view kClassTag = ".?AVtNewsStory@@";

  tNewsStory() = default;
  tNewsStory(ByteReader& in, int32_t declaredSize);
  void Write(ByteWriter& out) const;
  void Report(ReportStream& out) const;

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  // Every record of the kind is written with the kind's own tag, whatever
  // its closing bytes were in the file, so one copy serves them all.
  static inline const CountedString classTag{std::string(kClassTag)};
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t objectId = 0;
  int32_t word4 = 0;                 // uninterpreted
  std::array<uint8_t, 3> run5{};     // uninterpreted
  CountedString storyText;
  std::string tail;
};

}  // namespace campdb
