#include "format/misc_object.h"
#include "report/report_stream.h"

namespace campdb {

// Appends the section of the record the slot holds; an object of
// unrecognised class, or a slot without its record, appends nothing.
void ReportMiscObject(ReportStream& out, const sMiscObject& slot) {
  switch (slot.kind) {
    case ObjectKind::NewsStory:
      if (slot.news) slot.news->Report(out);
      break;
    case ObjectKind::Character:
      if (slot.character) slot.character->Report(out);
      break;
    case ObjectKind::Ship:
      if (slot.ship) slot.ship->Report(out);
      break;
    case ObjectKind::Bid:
      if (slot.bid) slot.bid->Report(out);
      break;
    case ObjectKind::Unrecognised:
      break;
  }
}

}  // namespace campdb
