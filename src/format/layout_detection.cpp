#include "format/layout_detection.h"

#include <string_view>

#include "format/campaign.h"
#include "format/fields.h"
#include "format/header.h"
#include "format/map.h"
#include "format/misc_object.h"
#include "format/political.h"

namespace campdb {

namespace {

// How one layout's reading of the records before the misc objects went.
struct Walk {
  bool clean = true;
  // Where a reading that is not clean went wrong: the record, whether it ran
  // past its declared size (else the file ended in it, or an object did not
  // frame), and how far into the file the reading got.
  std::string where;
  bool overran = false;
  size_t reached = 0;
  // The campaign record ended where its declared size says, whole.
  bool campaignWhole = false;
  // Records that hold exactly the fields of the layout, no tail.
  bool campaignExact = false;
  int64_t hexes = 0;
  int64_t hexesExact = 0;
  // The campaign record keeps its version text twice.
  bool versionsAlike = false;
};

class Walker {
 public:
  Walker(std::span<const uint8_t> bytes, Layout layout)
      : in_(bytes), context_{layout, &facts_, &store_} {}

  Walk Run() {
    tPrelimData header;
    ReadRecord(in_, header, context_);
    if (in_.WantedPastEnd()) return Fail("the header", false);

    tCampaignObject campaign;
    if (!Framed(campaign, "the campaign record")) return walk_;
    walk_.campaignWhole = true;
    walk_.campaignExact = campaign.tail.empty();
    walk_.versionsAlike = campaign.version == campaign.versionCopy;
    facts_ = DeriveCampaignFacts(campaign, context_.layout);

    tMapObject map;
    if (!Framed(map, "the map record")) return walk_;
    for (int64_t i = 0; i < map.HexesAnnounced(); ++i) {
      if (!in_.MoreEntries()) return Fail("hex " + std::to_string(i + 1), false);
      tMapHex hex;
      if (!Framed(hex, "hex " + std::to_string(i + 1))) return walk_;
      ++walk_.hexes;
      if (hex.tail.empty()) ++walk_.hexesExact;
    }

    tPoliticalObject political;
    if (!Framed(political, "the political record")) return walk_;

    // The first misc object, if there is one, must frame where the political
    // record ends.
    const int64_t announced = int64_t{header.objectCount} - (walk_.hexes + 3);
    if (announced > 0) {
      walk_.reached = in_.Position();
      if (ReadObjectFrame(in_).result != FrameResult::Read) return Fail("object 1", false);
    }
    walk_.reached = in_.Position();
    return walk_;
  }

 private:
  // Reads a framed record; true when it ends exactly where its declared size
  // says and the file held it whole.
  template <class Record>
  bool Framed(Record& record, const std::string& what) {
    const size_t start = in_.Position();
    walk_.reached = start;
    ReadRecord(in_, record, context_);
    if (in_.WantedPastEnd()) {
      Fail(what, false);
      return false;
    }
    const int64_t end = static_cast<int64_t>(start) + 8 + int64_t{record.head.declaredSize};
    if (static_cast<int64_t>(in_.Position()) != end) {
      Fail(what, true);
      return false;
    }
    return true;
  }

  Walk Fail(std::string where, bool overran) {
    walk_.clean = false;
    walk_.where = std::move(where);
    walk_.overran = overran;
    return walk_;
  }

  ByteReader in_;
  TextStore store_;
  CampaignFacts facts_;
  ReadContext context_;
  Walk walk_;
};

std::string ReadAs(Layout layout) { return IsOstrel(layout) ? "read as Ostrel" : "read as base"; }

std::string Failure(const Walk& walk) {
  if (walk.overran) return walk.where + " runs past its declared size";
  if (walk.where == "object 1") return "object 1 does not frame where the political record ends";
  return "the file ends inside " + walk.where;
}

LayoutVerdict Decided(Layout layout, std::string reason) { return {layout, std::move(reason)}; }

Layout Other(Layout layout) { return IsOstrel(layout) ? Layout::Base : Layout::Ostrel; }

}  // namespace

bool ReadsCleanly(std::span<const uint8_t> bytes, Layout layout) { return Walker(bytes, layout).Run().clean; }

bool LayoutContradicted(std::span<const uint8_t> bytes, Layout answered) {
  return !ReadsCleanly(bytes, answered) && ReadsCleanly(bytes, Other(answered));
}

bool CampaignReadWhole(std::span<const uint8_t> bytes, Layout layout) {
  return Walker(bytes, layout).Run().campaignWhole;
}

LayoutVerdict DetectLayout(std::span<const uint8_t> bytes) {
  const Walk base = Walker(bytes, Layout::Base).Run();
  const Walk ostrel = Walker(bytes, Layout::Ostrel).Run();

  // One layout reads the records cleanly, the other does not.
  if (base.clean && !ostrel.clean) return Decided(Layout::Base, ReadAs(Layout::Ostrel) + ", " + Failure(ostrel));
  if (ostrel.clean && !base.clean) return Decided(Layout::Ostrel, ReadAs(Layout::Base) + ", " + Failure(base));

  if (!base.clean) {
    // A damaged file: the reading that gets further is the one that meets
    // the damage rather than its own misreading.
    if (base.reached > ostrel.reached) {
      return Decided(Layout::Base, "neither layout reads it whole; " + ReadAs(Layout::Ostrel) + ", " +
                                       Failure(ostrel) + " first");
    }
    if (ostrel.reached > base.reached) {
      return Decided(Layout::Ostrel, "neither layout reads it whole; " + ReadAs(Layout::Base) + ", " +
                                         Failure(base) + " first");
    }
  }

  // Both read as far. The hexes and the campaign record may still fill
  // their declared sizes exactly in one layout only.
  const std::string damaged = base.clean ? "" : "damaged (" + Failure(base) + "), but ";
  if (base.hexes > 0 && base.hexes == ostrel.hexes) {
    const bool baseExact = base.hexesExact == base.hexes;
    const bool ostrelExact = ostrel.hexesExact == ostrel.hexes;
    if (baseExact != ostrelExact) {
      const Layout layout = baseExact ? Layout::Base : Layout::Ostrel;
      return Decided(layout, damaged + "its hexes hold exactly the " + std::string(IsOstrel(layout) ? "Ostrel" : "base") +
                                 " layout's fields");
    }
  }
  if (base.campaignExact != ostrel.campaignExact) {
    const Layout layout = base.campaignExact ? Layout::Base : Layout::Ostrel;
    return Decided(layout, damaged + "its campaign record holds exactly the " +
                               std::string(IsOstrel(layout) ? "Ostrel" : "base") + " layout's fields");
  }
  // Framing cannot decide; the campaign record keeps its version twice.
  if (base.versionsAlike != ostrel.versionsAlike) {
    const Layout layout = base.versionsAlike ? Layout::Base : Layout::Ostrel;
    return Decided(layout, damaged + "only the " + std::string(IsOstrel(layout) ? "Ostrel" : "base") +
                               " reading finds the version text twice");
  }
  if (!base.clean) return {std::nullopt, "neither layout reads it: " + Failure(base)};
  return {std::nullopt, base.hexes == 0 ? "no hexes, and both layouts read the campaign record alike"
                                        : "both layouts read every record alike"};
}

}  // namespace campdb
