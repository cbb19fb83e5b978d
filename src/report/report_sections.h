// The sections of the report, one function per record type. Each appends
// the record's section to the report and changes nothing.
#pragma once

#include <cstdint>

#include "format/bid_news.h"
#include "format/campaign.h"
#include "format/character.h"
#include "format/header.h"
#include "format/layout.h"
#include "format/map.h"
#include "format/misc_object.h"
#include "format/political.h"
#include "format/ship.h"

namespace campdb {

class ReportStream;

void ReportHeader(ReportStream& out, const tPrelimData& header);
void ReportCampaign(ReportStream& out, const tCampaignObject& campaign, Layout layout);
// `hexCount` is the number of hexes the database holds.
void ReportMap(ReportStream& out, const tMapObject& map, int64_t hexCount);
void ReportHex(ReportStream& out, const tMapHex& hex, Layout layout);
void ReportPolitical(ReportStream& out, const tPoliticalObject& political, Layout layout);
void ReportBid(ReportStream& out, const tAuctionItem& bid);
void ReportNews(ReportStream& out, const tNewsStory& news);
void ReportCharacter(ReportStream& out, const tServCharacter& character, Layout layout);
void ReportShip(ReportStream& out, const tShip& ship, Layout layout);
// The section of whatever the object is; an object of unrecognised class
// appends nothing.
void ReportObject(ReportStream& out, const MiscObject& object, Layout layout);

}  // namespace campdb
