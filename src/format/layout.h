// The two layouts of the campaign database, and the facts about the campaign
// that the records after the campaign record depend on.
#pragma once

#include <cstdint>
#include <string_view>

#include "format/byte_stream.h"

namespace campdb {

// The file does not say which layout it uses. The Ostrel layout stores
// twelve more words per hex (the cartel in the hex and its defences), one
// more era start in the campaign record, and names 24 race codes instead of
// 16. Every other record is the same in both.
enum class Layout : uint8_t { Base, Ostrel };

inline bool IsOstrel(Layout layout) { return layout == Layout::Ostrel; }
// "base" or "ostrel", as the command line and the text forms spell them.
std::string_view LayoutName(Layout layout);

// What the campaign record, as read, tells the readers and editors that come
// after it. Derived once, right after the campaign record is read; edits of
// the campaign never change them during a run.
struct CampaignFacts {
  // 0 early, 1 middle, 2 late; 3 only in the Ostrel layout. The ship editor
  // and the shiplist import store it in a ship as its drone speed.
  int32_t currentEra = 0;
  // A single-player campaign names its captain; only the character of that
  // name is a human player then.
  bool singlePlayerCampaign = false;
  // The captain's name as the campaign record holds it (a view into the same
  // storage as the record's texts).
  Text publishedCaptainName;

  // The same facts tell every reader after the campaign record the same.
  bool operator==(const CampaignFacts&) const = default;
};

}  // namespace campdb
