#include "format/bid_news.h"
#include "report/report_stream.h"

namespace campdb {

void tAuctionItem::Report(ReportStream& out) const {
  out << "Shipyard bid by " << bidderId << ":";
  out << " turn " << bidTurn << ", closing " << closingTurn;
  out << " amount " << amount << " on ship " << shipId << " " << shipName;
  out << " bpv " << bpv;
  out.EndLine();
  out.EndLine();
}

// The story is copied as stored, line breaks and all.
void tNewsStory::Report(ReportStream& out) const {
  out << "News story: " << storyText;
  out.EndLine();
  out.EndLine();
}

}  // namespace campdb
