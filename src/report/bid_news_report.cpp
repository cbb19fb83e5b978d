#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

void ReportBid(ReportStream& out, const tAuctionItem& bid) {
  out << "Shipyard bid by " << bid.bidderId << ":";
  out << " turn " << bid.bidTurn << ", closing " << bid.closingTurn;
  out << " amount " << bid.amount << " on ship " << bid.shipId << " " << bid.shipName;
  out << " bpv " << bid.bpv;
  out.EndLine();
  out.EndLine();
}

// The story is copied as stored, line breaks and all.
void ReportNews(ReportStream& out, const tNewsStory& news) {
  out << "News story: " << news.storyText;
  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
