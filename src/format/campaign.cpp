#include "format/campaign.h"

#include "format/declared_size.h"
#include "format/run_settings.h"

namespace campdb {

namespace {

// The declared size counts, besides the strings' bytes and the lists'
// entries: the tag's length word, the uninterpreted words and run before the
// name, the length words of the five leading strings, the two list counts,
// start era, difficulty and trigger prestige, the length words of the three
// strings after them, captain race and prestige, the flag byte, the nine
// calendar words, the four account words and the length words of the two
// version strings.
constexpr int64_t kFixedBytes = 143;
constexpr int64_t kOstrelExtra = 4;  // era3Start

int32_t DeriveEra(const tCampaignObject& c) {
  const int64_t year = YearOffset(c.currentTurn, c.turnsPerYear);
  if (year < c.midEraStart) return 0;
  if (year < c.lateEraStart) return 1;
  if (!Run().Ostrel()) return 2;
  return year < c.era3Start ? 2 : 3;
}

}  // namespace

int64_t YearOffset(int32_t currentTurn, int32_t turnsPerYear) {
  if (turnsPerYear == 0) return 0;
  return static_cast<int64_t>(currentTurn) / turnsPerYear;
}

int64_t TurnOfYear(int32_t currentTurn, int32_t turnsPerYear) {
  if (turnsPerYear == 0) return currentTurn;
  return static_cast<int64_t>(currentTurn) % turnsPerYear;
}

tCampaignObject::tCampaignObject(ByteReader& in) {
  declaredSize = ReadInt32(in);
  declaredSize2 = ReadInt32(in);
  classTag = ReadCountedString(in);
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  objectId = ReadInt32(in);
  idTrailWord = ReadInt32(in);
  campaignName = ReadCountedString(in);
  description = ReadCountedString(in);
  earlyEraMap = ReadCountedString(in);
  middleEraMap = ReadCountedString(in);
  lateEraMap = ReadCountedString(in);

  // A list ends early when the input does: only entries that begin before
  // the end of the file are held.
  const int32_t missionCountRead = ReadInt32(in);
  for (int32_t i = 0; i < missionCountRead && in.MoreEntries(); ++i) {
    missionList.push_back(ReadCountedString(in));
  }
  const int32_t raceCountRead = ReadInt32(in);
  for (int32_t i = 0; i < raceCountRead && in.MoreEntries(); ++i) {
    playableRaces.push_back(ReadInt32(in));
  }

  startEra = ReadInt32(in);
  difficulty = ReadInt32(in);
  specialTriggerPrestige = ReadInt32(in);
  specialFirstMission = ReadCountedString(in);
  campaignNameCopy = ReadCountedString(in);
  captainName = ReadCountedString(in);
  if (!captainName.Empty()) {
    Run().singlePlayerCampaign = true;
    Run().publishedCaptainName = captainName.bytes;
  }
  captainRace = ReadInt32(in);
  captainPrestige = ReadInt32(in);
  flagByte = in.ReadByte();
  preTurnWord = ReadInt32(in);
  currentTurn = ReadInt32(in);
  unknownCampaignVariable = ReadInt32(in);
  turnsPerYear = ReadInt32(in);
  turnLengthMs = ReadInt32(in);
  baseYear = ReadInt32(in);
  earlyEraStart = ReadInt32(in);
  midEraStart = ReadInt32(in);
  lateEraStart = ReadInt32(in);
  if (Run().Ostrel()) era3Start = ReadInt32(in);
  Run().currentEra = DeriveEra(*this);
  accountsCreated = ReadInt32(in);
  maxAccounts = ReadInt32(in);
  currentlyOnline = ReadInt32(in);
  maxOnline = ReadInt32(in);
  version = ReadCountedString(in);
  versionCopy = ReadCountedString(in);

  // Whatever the declared size counts beyond the known fields is kept as an
  // opaque tail (ContentSize is the known part while the tail is empty).
  tail = in.ReadRun(int64_t{declaredSize} - ContentSize());
}

int64_t tCampaignObject::ContentSize() const {
  int64_t size = kFixedBytes + (Run().Ostrel() ? kOstrelExtra : 0);
  size += 4 * (int64_t{missionCount()} + raceCount());
  for (const CountedString* s : {&classTag, &campaignName, &description, &earlyEraMap, &middleEraMap, &lateEraMap,
                                 &specialFirstMission, &campaignNameCopy, &captainName, &version, &versionCopy}) {
    size += s->Length();
  }
  for (const CountedString& mission : missionList) size += mission.Length();
  return size + static_cast<int64_t>(tail.size());
}

void tCampaignObject::AdjustDeclaredSize(int64_t delta) {
  declaredSize = AddToSize(declaredSize, delta);
  declaredSize2 = AddToSize(declaredSize2, delta);
}

void tCampaignObject::Write(ByteWriter& out) const {
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteFields(out);
  out.WriteRun(tail);
}

void tCampaignObject::WriteFields(ByteWriter& out) const {
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, objectId);
  WriteInt32(out, idTrailWord);
  WriteCountedString(out, campaignName);
  WriteCountedString(out, description);
  WriteCountedString(out, earlyEraMap);
  WriteCountedString(out, middleEraMap);
  WriteCountedString(out, lateEraMap);
  WriteInt32(out, missionCount());
  for (const CountedString& mission : missionList) WriteCountedString(out, mission);
  WriteInt32(out, raceCount());
  for (int32_t race : playableRaces) WriteInt32(out, race);
  WriteInt32(out, startEra);
  WriteInt32(out, difficulty);
  WriteInt32(out, specialTriggerPrestige);
  WriteCountedString(out, specialFirstMission);
  WriteCountedString(out, campaignNameCopy);
  WriteCountedString(out, captainName);
  WriteInt32(out, captainRace);
  WriteInt32(out, captainPrestige);
  out.WriteByte(flagByte);
  WriteInt32(out, preTurnWord);
  WriteInt32(out, currentTurn);
  WriteInt32(out, unknownCampaignVariable);
  WriteInt32(out, turnsPerYear);
  WriteInt32(out, turnLengthMs);
  WriteInt32(out, baseYear);
  WriteInt32(out, earlyEraStart);
  WriteInt32(out, midEraStart);
  WriteInt32(out, lateEraStart);
  if (Run().Ostrel()) WriteInt32(out, era3Start);
  WriteInt32(out, accountsCreated);
  WriteInt32(out, maxAccounts);
  WriteInt32(out, currentlyOnline);
  WriteInt32(out, maxOnline);
  WriteCountedString(out, version);
  WriteCountedString(out, versionCopy);
}

}  // namespace campdb
