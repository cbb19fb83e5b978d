// The campaign record: settings and live counters of the campaign. It follows
// the header and is framed like every object (declared size twice, class tag,
// body) but read and written by its own operations.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "format/byte_stream.h"

namespace campdb {

class ReportStream;
class Console;
class InfoFiles;

class tCampaignObject {
 public:
  tCampaignObject() = default;
  // Reads the record and derives the run settings currentEra,
  // singlePlayerCampaign and publishedCaptainName.
  explicit tCampaignObject(ByteReader& in);
  void Write(ByteWriter& out) const;
  // Writes the known fields after the class tag, up to and including
  // versionCopy: the record without its frame and its tail ("camp.info"
  // holds the same fields).
  void WriteFields(ByteWriter& out) const;
  void Report(ReportStream& out) const;
  // Runs the campaign edit menu until the operator quits it.
  void Edit(Console& console);
  // Produces "camp.info" and "version.info" in the current working folder,
  // telling the operator about each on the console; `files` keeps those
  // that are only written once the database they describe is in place.
  void WriteInfoFiles(Console& console, InfoFiles& files) const;

  // The bytes Write produces after the two size words with the record as it
  // stands (the class tag with its length word, then the body).
  int64_t ContentSize() const;
  // Adds a change in the record's byte count to both size copies.
  void AdjustDeclaredSize(int64_t delta);

  int32_t declaredSize = 0;
  int32_t declaredSize2 = 0;
  CountedString classTag;
  int32_t leadWord = 0;              // uninterpreted
  std::array<uint8_t, 6> leadRun{};  // uninterpreted
  int32_t objectId = 0;
  int32_t idTrailWord = 0;           // uninterpreted
  CountedString campaignName;
  CountedString description;
  CountedString earlyEraMap;
  CountedString middleEraMap;
  CountedString lateEraMap;
  // Mission script file names; the count word is the list's size.
  std::vector<CountedString> missionList;
  // Race codes of the playable races.
  std::vector<int32_t> playableRaces;
  int32_t startEra = 0;  // 0 early, 1 middle, 2 late
  int32_t difficulty = 0;  // 0 easy, 1 medium, 2 hard
  int32_t specialTriggerPrestige = 0;
  CountedString specialFirstMission;  // empty: no special missions
  CountedString campaignNameCopy;
  CountedString captainName;  // empty in a multiplayer campaign
  int32_t captainRace = 0;
  int32_t captainPrestige = 0;
  uint8_t flagByte = 0;        // uninterpreted
  int32_t preTurnWord = 0;     // uninterpreted
  int32_t currentTurn = 0;     // turns since the start of baseYear
  int32_t unknownCampaignVariable = 0;
  int32_t turnsPerYear = 0;
  int32_t turnLengthMs = 0;
  int32_t baseYear = 0;
  int32_t earlyEraStart = 0;   // era starts are year offsets from baseYear
  int32_t midEraStart = 0;
  int32_t lateEraStart = 0;
  int32_t era3Start = 0;       // Ostrel layout only
  int32_t accountsCreated = 0;
  int32_t maxAccounts = 0;
  int32_t currentlyOnline = 0;
  int32_t maxOnline = 0;
  CountedString version;
  CountedString versionCopy;
  std::string tail;  // bytes the declared size counts beyond the known fields

  int32_t missionCount() const { return static_cast<int32_t>(missionList.size()); }
  int32_t raceCount() const { return static_cast<int32_t>(playableRaces.size()); }
};

// Year offset of a turn, exact in 64 bits: currentTurn / turnsPerYear
// truncated toward zero, and 0 when there are no turns per year.
int64_t YearOffset(int32_t currentTurn, int32_t turnsPerYear);
// Turn within the year, the remainder of that division (currentTurn itself
// when there are no turns per year).
int64_t TurnOfYear(int32_t currentTurn, int32_t turnsPerYear);

}  // namespace campdb
