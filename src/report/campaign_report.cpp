#include <cstdint>
#include <string>

#include "format/campaign.h"
#include "report/name_tables.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

// A map name, or "unspecified" when the campaign names none.
void WriteMapName(ReportStream& out, const CountedString& map) {
  if (map.Empty()) {
    out << "unspecified";
  } else {
    out << map;
  }
}

// Era starts are year offsets from the base year; the sum is taken in 64
// bits so that no stored value can make it wrap.
int64_t YearOf(int32_t baseYear, int32_t offset) {
  return static_cast<int64_t>(baseYear) + static_cast<int64_t>(offset);
}

void WriteEraCalendar(ReportStream& out, const tCampaignObject& c) {
  switch (c.startEra) {
    case 0:
      out << "Starts in early era, year " << YearOf(c.baseYear, c.earlyEraStart) << " with map: ";
      WriteMapName(out, c.earlyEraMap);
      out.EndLine();
      out << "Mid era starts in year " << YearOf(c.baseYear, c.midEraStart) << ", late era starts in year "
          << YearOf(c.baseYear, c.lateEraStart);
      out.EndLine();
      break;
    case 1:
      out << "Start in middle era, year " << YearOf(c.baseYear, c.midEraStart) << " with map: ";
      WriteMapName(out, c.middleEraMap);
      out.EndLine();
      out << "Late era starts in year " << YearOf(c.baseYear, c.lateEraStart);
      out.EndLine();
      break;
    case 2:
      out << "Start in late era, year " << YearOf(c.baseYear, c.lateEraStart) << " with map: ";
      WriteMapName(out, c.lateEraMap);
      out.EndLine();
      break;
    default:
      out << "Unspecified start era: " << c.startEra;
      out.EndLine();
      break;
  }
}

}  // namespace

// The campaign section: title, description, difficulty, era calendar,
// current date, missions, special missions, races, accounts, version and
// the single-player captain.
void tCampaignObject::Report(ReportStream& out) const {
  out.EndLine();

  if (campaignName.Length() >= 1) {
    out << campaignName;
    out.EndLine();
    out << std::string(campaignName.bytes.size(), '=');
  } else {
    out << "Campaign Information";
    out.EndLine();
    out << "====================";
  }
  out.EndLine();

  if (description.Length() >= 1) {
    out << description;
  } else {
    out << "No description given";
  }
  out.EndLine();
  out.EndLine();

  switch (difficulty) {
    case 0: out << "Difficulty level: easy"; break;
    case 1: out << "Difficulty level: medium"; break;
    case 2: out << "Difficulty level: hard"; break;
    default: out << "Difficulty level: unknown (" << difficulty << ")"; break;
  }
  out.EndLine();

  WriteEraCalendar(out, *this);

  // A campaign without turns per year stays in its base year; the turn
  // number then stands on its own.
  out << "Current date is " << static_cast<int64_t>(baseYear) + YearOffset(currentTurn, turnsPerYear) << "."
      << TurnOfYear(currentTurn, turnsPerYear);
  out.EndLine();
  out.EndLine();

  out << "Mission list (" << missionCount() << ")";
  out.EndLine();
  out << "==================";
  out.EndLine();
  for (const CountedString& mission : missionList) {
    out << mission;
    out.EndLine();
  }

  if (specialFirstMission.Length() > 0) {
    out << "Special campaign missions begin with " << specialFirstMission << " starting at prestige "
        << specialTriggerPrestige;
  } else {
    out << "No special campaign missions";
  }
  out.EndLine();
  out.EndLine();

  out << "Playable races:";
  for (const int32_t race : playableRaces) out << RaceName(race) << ",";
  out.EndLine();
  out.EndLine();

  out << "Accounts created: " << accountsCreated << ", of maximum " << maxAccounts;
  out.EndLine();
  out << "Currently online: " << currentlyOnline << ", of maximum " << maxOnline;
  out.EndLine();
  out.EndLine();

  out << "Running version " << version;
  out.EndLine();
  out.EndLine();

  if (captainName.Length() > 0) {
    out << "Single player campaign: captain " << captainName << ", " << RaceName(captainRace) << ","
        << " prestige " << captainPrestige;
    out.EndLine();
  }

  out << "   Unknown campaign variable: " << unknownCampaignVariable;
  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
