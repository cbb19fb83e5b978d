// The campaign record: settings and live counters of the campaign. It follows
// the header and is framed like every object (declared size twice, class tag,
// body), but read and written in its fixed place.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/byte_stream.h"
#include "format/layout.h"
#include "format/object_head.h"

namespace campdb {

struct tCampaignObject {
  static constexpr std::string_view kClassTag = ".?AVtCampaignObject@@";

  ObjectHead head;
  int32_t idTrailWord = 0;  // uninterpreted
  Text campaignName;
  Text description;
  Text earlyEraMap;   // the map of a campaign that starts in the early era
  Text middleEraMap;
  Text lateEraMap;
  // Mission script file names; the count word before them is the list's size.
  std::vector<Text> missionList;
  // Race codes of the playable races.
  std::vector<int32_t> playableRaces;
  int32_t startEra = 0;    // 0 early, 1 middle, 2 late
  int32_t difficulty = 0;  // 0 easy, 1 medium, 2 hard
  int32_t specialTriggerPrestige = 0;
  Text specialFirstMission;  // empty: no special missions
  Text campaignNameCopy;     // kept equal to the name by the editor
  Text captainName;          // empty in a multiplayer campaign
  int32_t captainRace = 0;
  int32_t captainPrestige = 0;
  uint8_t flagByte = 0;      // uninterpreted
  int32_t preTurnWord = 0;   // uninterpreted
  int32_t currentTurn = 0;   // turns since the start of baseYear
  int32_t unknownCampaignVariable = 0;
  int32_t turnsPerYear = 0;
  int32_t turnLengthMs = 0;
  int32_t baseYear = 0;
  int32_t earlyEraStart = 0;  // era starts are year offsets from baseYear
  int32_t midEraStart = 0;
  int32_t lateEraStart = 0;
  int32_t era3Start = 0;      // Ostrel layout only
  int32_t accountsCreated = 0;
  int32_t maxAccounts = 0;
  int32_t currentlyOnline = 0;
  int32_t maxOnline = 0;
  Text version;
  Text versionCopy;  // kept equal to the version by the editor
  // Bytes the declared size counts beyond the known fields.
  Text tail;

  template <class Io>
  void Fields(Io& io, Layout layout) {
    io.Head(head);
    io.Int32("idTrailWord", idTrailWord);
    io.String("campaignName", campaignName);
    io.String("description", description);
    io.String("earlyEraMap", earlyEraMap);
    io.String("middleEraMap", middleEraMap);
    io.String("lateEraMap", lateEraMap);
    io.List("missionList", missionList, [](auto& item, Text& mission) { item.String(nullptr, mission); });
    io.List("playableRaces", playableRaces, [](auto& item, int32_t& race) { item.Int32(nullptr, race); });
    io.Int32("startEra", startEra);
    io.Int32("difficulty", difficulty);
    io.Int32("specialTriggerPrestige", specialTriggerPrestige);
    io.String("specialFirstMission", specialFirstMission);
    io.String("campaignNameCopy", campaignNameCopy);
    io.String("captainName", captainName);
    io.Int32("captainRace", captainRace);
    io.Int32("captainPrestige", captainPrestige);
    io.Byte("flagByte", flagByte);
    io.Int32("preTurnWord", preTurnWord);
    io.Int32("currentTurn", currentTurn);
    io.Int32("unknownCampaignVariable", unknownCampaignVariable);
    io.Int32("turnsPerYear", turnsPerYear);
    io.Int32("turnLengthMs", turnLengthMs);
    io.Int32("baseYear", baseYear);
    io.Int32("earlyEraStart", earlyEraStart);
    io.Int32("midEraStart", midEraStart);
    io.Int32("lateEraStart", lateEraStart);
    if (IsOstrel(layout)) io.Int32("era3Start", era3Start);
    io.Int32("accountsCreated", accountsCreated);
    io.Int32("maxAccounts", maxAccounts);
    io.Int32("currentlyOnline", currentlyOnline);
    io.Int32("maxOnline", maxOnline);
    io.String("version", version);
    io.String("versionCopy", versionCopy);
    io.Tail(tail);
  }
};

// What the record tells the records after it: the current era, and whether
// (and by which name) a single-player captain is published.
CampaignFacts DeriveCampaignFacts(const tCampaignObject& campaign, Layout layout);

// Year offset of a turn, exact in 64 bits: currentTurn / turnsPerYear
// truncated toward zero, and 0 when there are no turns per year.
int64_t YearOffset(int32_t currentTurn, int32_t turnsPerYear);
// Turn within the year, the remainder of that division (currentTurn itself
// when there are no turns per year).
int64_t TurnOfYear(int32_t currentTurn, int32_t turnsPerYear);

}  // namespace campdb
