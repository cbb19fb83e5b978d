// Two of the misc-object kinds: a shipyard bid and a news story.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"

namespace campdb {

struct tAuctionItem {
  static constexpr std::string_view kClassTag = ".?AVtAuctionItem@@";

  ObjectHead head;
  std::array<uint8_t, 5> run4{};  // uninterpreted
  Text shipName;
  std::array<uint8_t, 5> run6{};  // uninterpreted
  int32_t shipId = 0;
  int32_t bpv = 0;
  std::array<int32_t, 3> words9to11{};  // uninterpreted
  int32_t bidTurn = 0;
  int32_t closingTurn = 0;
  int32_t amount = 0;
  std::array<uint8_t, 5> run15{};  // uninterpreted
  int32_t bidderId = 0;
  std::array<int32_t, 2> words17to18{};  // uninterpreted
  Text tail;

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Head(head);
    io.Run("run4", run4);
    io.String("shipName", shipName);
    io.Run("run6", run6);
    io.Int32("shipId", shipId);
    io.Int32("bpv", bpv);
    io.Int32("word9", words9to11[0]);
    io.Int32("word10", words9to11[1]);
    io.Int32("word11", words9to11[2]);
    io.Int32("bidTurn", bidTurn);
    io.Int32("closingTurn", closingTurn);
    io.Int32("amount", amount);
    io.Run("run15", run15);
    io.Int32("bidderId", bidderId);
    io.Int32("word17", words17to18[0]);
    io.Int32("word18", words17to18[1]);
    io.Tail(tail);
  }
};

struct tNewsStory {
  static constexpr std::string_view kClassTag = ".?AVtNewsStory@@";

  ObjectHead head;
  int32_t word4 = 0;              // uninterpreted
  std::array<uint8_t, 3> run5{};  // uninterpreted
  Text storyText;
  Text tail;

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Head(head);
    io.Int32("word4", word4);
    io.Run("run5", run5);
    io.String("storyText", storyText);
    io.Tail(tail);
  }
};

}  // namespace campdb
