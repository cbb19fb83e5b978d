// A player character: a commander with a name, race, rank, position on the
// map, standing numbers, the ships it owns and the bids it has placed. Human
// players carry a further section (e-mail, network address, homeworld); AI
// characters do not.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"

namespace campdb {

struct CharacterBidEntry {
  std::array<uint8_t, 5> run{};  // uninterpreted
  int32_t word = 0;              // uninterpreted

  template <class Io>
  void Fields(Io& io) {
    io.Run("run", run);
    io.Int32("word", word);
  }
};

// Mirrors fields of one of the character's ship records.
struct CharacterShipEntry {
  std::array<uint8_t, 10> run{};  // uninterpreted
  int32_t shipId = 0;
  int32_t bpv = 0;
  int32_t hullClass = 0;
  Text shipType;
  int32_t typeTrailWord = 0;  // uninterpreted
  Text shipName;
  int32_t nameTrailWord = 0;  // uninterpreted

  template <class Io>
  void Fields(Io& io) {
    io.Run("run", run);
    io.Int32("shipId", shipId);
    io.Int32("bpv", bpv);
    io.Int32("hullClass", hullClass);
    io.String("shipType", shipType);
    io.Int32("typeTrailWord", typeTrailWord);
    io.String("shipName", shipName);
    io.Int32("nameTrailWord", nameTrailWord);
  }
};

// The section only human players have.
struct HumanPlayer {
  Text email;
  int32_t emailTrailWord = 0;        // uninterpreted
  Text ipAddress;
  int32_t ipTrailWord = 0;           // uninterpreted
  std::array<uint8_t, 9> homeRun{};  // uninterpreted
  int32_t homeworldColumn = 0;
  int32_t homeworldRow = 0;

  template <class Io>
  void Fields(Io& io) {
    io.String("email", email);
    io.Int32("emailTrailWord", emailTrailWord);
    io.String("ipAddress", ipAddress);
    io.Int32("ipTrailWord", ipTrailWord);
    io.Run("homeRun", homeRun);
    io.Int32("homeworldColumn", homeworldColumn);
    io.Int32("homeworldRow", homeworldRow);
  }
};

struct tServCharacter {
  static constexpr std::string_view kClassTag = ".?AVtServCharacter@@";

  ObjectHead head;
  int32_t unknown1 = 0;
  int32_t word5 = 0;                      // uninterpreted
  std::vector<CharacterBidEntry> bids;    // bidCount is its size
  std::vector<CharacterShipEntry> ships;  // shipCount is its size
  Text characterName;
  int32_t glicko = 0;
  int32_t prestige = 0;
  int32_t lifetimePrestige = 0;
  int32_t missionsFlown = 0;
  int32_t word15 = 0;               // uninterpreted
  std::array<uint8_t, 5> run16{};   // uninterpreted
  int32_t hexColumn = 0;
  int32_t hexRow = 0;
  int32_t unknown6 = 0;
  std::array<uint8_t, 17> run20{};  // uninterpreted
  int32_t unknown8 = 0;
  int32_t race = 0;
  int32_t rank = 0;   // 0 Ensign .. 7 Fleet Admiral
  int32_t race2 = 0;  // kept equal to race by the editor
  int32_t unknown11 = 0;
  // Whether the file holds the human-player section; an AI character's
  // section fields stay empty and are never written.
  bool isHuman = false;
  HumanPlayer human;
  Text tail;

  bool isAI() const { return !isHuman; }
  int32_t bidCount() const { return static_cast<int32_t>(bids.size()); }
  int32_t shipCount() const { return static_cast<int32_t>(ships.size()); }

  template <class Io>
  void Fields(Io& io, Layout /*layout*/) {
    io.Head(head);
    io.Int32("unknown1", unknown1);
    io.Int32("word5", word5);
    io.List("bids", bids, [](auto& item, CharacterBidEntry& bid) { bid.Fields(item); });
    io.List("ships", ships, [](auto& item, CharacterShipEntry& ship) { ship.Fields(item); });
    io.String("characterName", characterName);
    io.Int32("glicko", glicko);
    io.Int32("prestige", prestige);
    io.Int32("lifetimePrestige", lifetimePrestige);
    io.Int32("missionsFlown", missionsFlown);
    io.Int32("word15", word15);
    io.Run("run16", run16);
    io.Int32("hexColumn", hexColumn);
    io.Int32("hexRow", hexRow);
    io.Int32("unknown6", unknown6);
    io.Run("run20", run20);
    io.Int32("unknown8", unknown8);
    io.Int32("race", race);
    io.Int32("rank", rank);
    io.Int32("race2", race2);
    io.Int32("unknown11", unknown11);
    io.Section(
        "human", isHuman,
        [this](int64_t remaining, const CampaignFacts& facts) { return IsHumanPlayer(remaining, facts); },
        [this](auto& section) { human.Fields(section); });
    io.Tail(tail);
  }

  // Whether the file holds a human-player section after the fixed fields,
  // `remaining` being what the declared size leaves of the record there. In
  // a single-player campaign only the published captain is human; in a
  // multiplayer campaign a character is human when the section can fit.
  bool IsHumanPlayer(int64_t remaining, const CampaignFacts& facts) const;
};

}  // namespace campdb
