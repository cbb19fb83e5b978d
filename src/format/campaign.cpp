#include "format/campaign.h"

namespace campdb {

std::string_view LayoutName(Layout layout) { return IsOstrel(layout) ? "ostrel" : "base"; }

int64_t YearOffset(int32_t currentTurn, int32_t turnsPerYear) {
  if (turnsPerYear == 0) return 0;
  return static_cast<int64_t>(currentTurn) / turnsPerYear;
}

int64_t TurnOfYear(int32_t currentTurn, int32_t turnsPerYear) {
  if (turnsPerYear == 0) return currentTurn;
  return static_cast<int64_t>(currentTurn) % turnsPerYear;
}

CampaignFacts DeriveCampaignFacts(const tCampaignObject& c, Layout layout) {
  CampaignFacts facts;
  // The era of the current year: before the middle era's start it is early,
  // before the late era's it is middle; the Ostrel layout knows a fourth.
  // The early era's start plays no part.
  const int64_t year = YearOffset(c.currentTurn, c.turnsPerYear);
  if (year < c.midEraStart) {
    facts.currentEra = 0;
  } else if (year < c.lateEraStart) {
    facts.currentEra = 1;
  } else if (!IsOstrel(layout) || year < c.era3Start) {
    facts.currentEra = 2;
  } else {
    facts.currentEra = 3;
  }
  if (!c.captainName.empty()) {
    facts.singlePlayerCampaign = true;
    facts.publishedCaptainName = c.captainName;
  }
  return facts;
}

}  // namespace campdb
