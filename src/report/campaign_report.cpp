#include <cstdint>
#include <string>

#include "format/name_tables.h"
#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

namespace {

// A map name, or "unspecified" when the campaign names none.
void WriteMapName(ReportStream& out, Text map) {
  if (map.empty()) {
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
void ReportCampaign(ReportStream& out, const tCampaignObject& c, Layout layout) {
  out.EndLine();

  if (!c.campaignName.empty()) {
    out << c.campaignName;
    out.EndLine();
    out << std::string(c.campaignName.size(), '=');
  } else {
    out << "Campaign Information";
    out.EndLine();
    out << "====================";
  }
  out.EndLine();

  if (!c.description.empty()) {
    out << c.description;
  } else {
    out << "No description given";
  }
  out.EndLine();
  out.EndLine();

  switch (c.difficulty) {
    case 0: out << "Difficulty level: easy"; break;
    case 1: out << "Difficulty level: medium"; break;
    case 2: out << "Difficulty level: hard"; break;
    default: out << "Difficulty level: unknown (" << c.difficulty << ")"; break;
  }
  out.EndLine();

  WriteEraCalendar(out, c);

  // A campaign without turns per year stays in its base year; the turn
  // number then stands on its own.
  out << "Current date is " << static_cast<int64_t>(c.baseYear) + YearOffset(c.currentTurn, c.turnsPerYear) << "."
      << TurnOfYear(c.currentTurn, c.turnsPerYear);
  out.EndLine();
  out.EndLine();

  out << "Mission list (" << static_cast<int64_t>(c.missionList.size()) << ")";
  out.EndLine();
  out << "==================";
  out.EndLine();
  for (const Text mission : c.missionList) {
    out << mission;
    out.EndLine();
  }

  if (!c.specialFirstMission.empty()) {
    out << "Special campaign missions begin with " << c.specialFirstMission << " starting at prestige "
        << c.specialTriggerPrestige;
  } else {
    out << "No special campaign missions";
  }
  out.EndLine();
  out.EndLine();

  out << "Playable races:";
  for (const int32_t race : c.playableRaces) out << RaceName(race, layout) << ",";
  out.EndLine();
  out.EndLine();

  out << "Accounts created: " << c.accountsCreated << ", of maximum " << c.maxAccounts;
  out.EndLine();
  out << "Currently online: " << c.currentlyOnline << ", of maximum " << c.maxOnline;
  out.EndLine();
  out.EndLine();

  out << "Running version " << c.version;
  out.EndLine();
  out.EndLine();

  if (!c.captainName.empty()) {
    out << "Single player campaign: captain " << c.captainName << ", " << RaceName(c.captainRace, layout) << ","
        << " prestige " << c.captainPrestige;
    out.EndLine();
  }

  out << "   Unknown campaign variable: " << c.unknownCampaignVariable;
  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
