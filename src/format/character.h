// A player character: a commander with a name, race, rank, position on the
// map, standing numbers, the ships it owns and the bids it has placed. Human
// players carry a further section (e-mail, network address, homeworld); AI
// characters do not.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream;
class Console;

struct CharacterBidEntry {
  std::array<uint8_t, 5> run{};  // uninterpreted
  int32_t word = 0;              // uninterpreted
};

// Mirrors fields of one of the character's ship records.
struct CharacterShipEntry {
  std::array<uint8_t, 10> run{};  // uninterpreted
  int32_t shipId = 0;
  int32_t bpv = 0;
  int32_t hullClass = 0;
  CountedString shipType;
  int32_t typeTrailWord = 0;  // uninterpreted
  CountedString shipName;
  int32_t nameTrailWord = 0;  // uninterpreted
};

class tServCharacter {
 public:
  static constexpr std::string_view kClassTag = ".?AVtServCharacter@@";

  tServCharacter() = default;
  // Reads the body; the framing has consumed the size words and the tag.
  tServCharacter(ByteReader& in, int32_t declaredSize);
  void Write(ByteWriter& out) const;
  void Report(ReportStream& out) const;
  // One pass of the character menu: performs one command and returns true
  // only for the command that ends the character segment.
  bool Edit(Console& console);

  // The bytes Write produces after the two size words.
  int64_t ContentSize() const;
  void AdjustDeclaredSize(int64_t delta);

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  // Every record of the kind is written with the kind's own tag, whatever
  // its closing bytes were in the file, so one copy serves them all.
  static inline const CountedString classTag{std::string(kClassTag)};
  bool isAI = false;
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t objectId = 0;
  int32_t unknown1 = 0;
  int32_t word5 = 0;                 // uninterpreted
  std::vector<CharacterBidEntry> bids;    // bidCount is its size
  std::vector<CharacterShipEntry> ships;  // shipCount is its size
  CountedString characterName;
  int32_t glicko = 0;
  int32_t prestige = 0;
  int32_t lifetimePrestige = 0;
  int32_t missionsFlown = 0;
  int32_t word15 = 0;                // uninterpreted
  std::array<uint8_t, 5> run16{};    // uninterpreted
  int32_t hexColumn = 0;
  int32_t hexRow = 0;
  int32_t unknown6 = 0;
  std::array<uint8_t, 17> run20{};   // uninterpreted
  int32_t unknown8 = 0;
  int32_t race = 0;
  int32_t rank = 0;                  // 0 Ensign .. 7 Fleet Admiral
  int32_t race2 = 0;                 // kept equal to race by the editor
  int32_t unknown11 = 0;
  // Human-player section; empty strings and zeros for an AI character.
  CountedString email;
  int32_t emailTrailWord = 0;        // uninterpreted
  CountedString ipAddress;
  int32_t ipTrailWord = 0;           // uninterpreted
  std::array<uint8_t, 9> homeRun{};  // uninterpreted
  int32_t homeworldColumn = 0;
  int32_t homeworldRow = 0;
  std::string tail;

  int32_t bidCount() const { return static_cast<int32_t>(bids.size()); }
  int32_t shipCount() const { return static_cast<int32_t>(ships.size()); }
};

}  // namespace campdb
