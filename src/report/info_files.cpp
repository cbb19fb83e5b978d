// The campaign info files, refreshed whenever an output database is written.
// Both go to the current working folder and are written byte for byte, with
// no translation:
//
//   camp.info     the campaign record in its own layout, except that the
//                 first word is the declared size less 23, the second size
//                 word and the class tag are left out, and so is the tail;
//   version.info  the version text and one line feed.
#include <string>
#include <string_view>

#include "console/console.h"
#include "format/campaign.h"
#include "format/run_settings.h"
#include "maintenance/output_file.h"

namespace campdb {

namespace {

std::string CampInfoBytes(const tCampaignObject& c) {
  ByteWriter out;
  WriteInt32(out, static_cast<int32_t>(static_cast<uint32_t>(c.declaredSize) - 23u));
  WriteInt32(out, c.leadWord);
  out.WriteBytes(c.leadRun);
  WriteInt32(out, c.objectId);
  WriteInt32(out, c.idTrailWord);
  for (const CountedString* s : {&c.campaignName, &c.description, &c.earlyEraMap, &c.middleEraMap, &c.lateEraMap}) {
    WriteCountedString(out, *s);
  }
  WriteInt32(out, c.missionCount());
  for (const auto& mission : c.missionList) WriteCountedString(out, mission);
  WriteInt32(out, c.raceCount());
  for (int32_t race : c.playableRaces) WriteInt32(out, race);
  WriteInt32(out, c.startEra);
  WriteInt32(out, c.difficulty);
  WriteInt32(out, c.specialTriggerPrestige);
  WriteCountedString(out, c.specialFirstMission);
  WriteCountedString(out, c.campaignNameCopy);
  WriteCountedString(out, c.captainName);
  WriteInt32(out, c.captainRace);
  WriteInt32(out, c.captainPrestige);
  out.WriteByte(c.flagByte);
  for (int32_t word : {c.preTurnWord, c.currentTurn, c.unknownCampaignVariable, c.turnsPerYear, c.turnLengthMs,
                       c.baseYear, c.earlyEraStart, c.midEraStart, c.lateEraStart}) {
    WriteInt32(out, word);
  }
  if (Run().Ostrel()) WriteInt32(out, c.era3Start);
  for (int32_t word : {c.accountsCreated, c.maxAccounts, c.currentlyOnline, c.maxOnline}) WriteInt32(out, word);
  WriteCountedString(out, c.version);
  WriteCountedString(out, c.versionCopy);
  return out.TakeBuffer();
}

// Writes one info file with its console lines. A file that cannot be opened
// (a folder of that name, the input database itself) or whose writing fails
// is reported by its failure line; the run goes on either way.
void WriteInfoFile(const std::string& name, const std::string& bytes, Console& console) {
  const std::string failure = Cat("Unable to produce matching ", name, " file");
  OutputFile file;
  if (!file.OpenInPlace(name)) {
    console.WriteLine(failure);
    return;
  }
  console.WriteLine(Cat("Producing an updated ", name, " file"));
  const bool written = file.Put(bytes.data(), bytes.size());
  if (!file.Finish() || !written) console.WriteLine(failure);
}

}  // namespace

void tCampaignObject::WriteInfoFiles(Console& console) const {
  WriteInfoFile("camp.info", CampInfoBytes(*this), console);
  WriteInfoFile("version.info", version.bytes + '\n', console);
}

}  // namespace campdb
