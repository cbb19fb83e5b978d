#include <type_traits>

#include "report/report_sections.h"
#include "report/report_stream.h"

namespace campdb {

void ReportObject(ReportStream& out, const MiscObject& object, Layout layout) {
  std::visit(
      [&](const auto& record) {
        using Record = std::decay_t<decltype(record)>;
        if constexpr (std::is_same_v<Record, tNewsStory>) {
          ReportNews(out, record);
        } else if constexpr (std::is_same_v<Record, tServCharacter>) {
          ReportCharacter(out, record, layout);
        } else if constexpr (std::is_same_v<Record, tShip>) {
          ReportShip(out, record, layout);
        } else if constexpr (std::is_same_v<Record, tAuctionItem>) {
          ReportBid(out, record);
        }
        // An object of unrecognised class appends nothing.
      },
      object);
}

}  // namespace campdb
