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

// Values a reading finds where a campaign holds something else: a count of
// doubts, each weighed, and the first of them in words.
struct Doubts {
  int64_t points = 0;
  std::string first;

  void Add(bool doubtful, int64_t weight, std::string_view what) {
    if (!doubtful) return;
    if (points == 0) first = what;
    points += weight;
  }
};

// A text a person wrote: no control bytes but tab and line breaks.
bool Printable(Text text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return false;
    if (byte == 0x7F) return false;
  }
  return true;
}

bool SingleBit(int32_t value, int bits) {
  return value > 0 && (value & (value - 1)) == 0 && value < (int64_t{1} << bits);
}

bool InOrder(int32_t current, int32_t maximum) { return current >= 0 && current <= maximum; }

constexpr int32_t kBarrierOwner = 32;

// The campaign record's counters and texts, as one layout reads them. The
// version is kept twice, the accounts and the players online stay within
// their limits, and the Ostrel layout's fourth era does not start before
// the third.
void WeighCampaign(const tCampaignObject& c, Layout layout, Doubts& doubts) {
  doubts.Add(c.version != c.versionCopy, 2, "its two version texts differ");
  doubts.Add(!Printable(c.version) || !Printable(c.versionCopy), 2, "its version text holds control bytes");
  doubts.Add(IsOstrel(layout) && c.era3Start < c.lateEraStart, 1, "its fourth era starts before the third");
  doubts.Add(!InOrder(c.accountsCreated, c.maxAccounts), 1, "more accounts than its limit");
  doubts.Add(!InOrder(c.currentlyOnline, c.maxOnline), 1, "more players online than its limit");
  doubts.Add(c.currentlyOnline > c.maxAccounts, 1, "more players online than accounts");
}

// A hex, as one layout reads it: owners and cartels are race codes (or
// none, or the barrier), terrain, planet and base are single bits (or none),
// and current values stay within their maxima.
void WeighHex(const tMapHex& h, Layout layout, Doubts& doubts) {
  const int32_t races = IsOstrel(layout) ? 24 : 16;
  const auto isOwner = [&](int32_t code) { return (code >= -1 && code < races) || code == kBarrierOwner; };
  doubts.Add(!isOwner(h.ownerRace), 1, "a hex owner that is no race code");
  doubts.Add(!SingleBit(h.terrain, 27) && h.terrain != -1, 1, "a hex terrain that is no terrain bit");
  doubts.Add(h.planet != 0 && !SingleBit(h.planet, 12), 1, "a hex planet that is no planet bit");
  doubts.Add(h.base != 0 && !SingleBit(h.base, 5), 1, "a hex base that is no base bit");
  doubts.Add(!InOrder(h.econCurrent, h.econMax), 1, "a hex economy above its maximum");
  doubts.Add(!InOrder(h.dvCurrent, h.dvMax), 1, "a hex defence above its maximum");
  if (IsOstrel(layout)) {
    doubts.Add(!isOwner(h.cartelRace), 1, "a hex cartel that is no race code");
    doubts.Add(!InOrder(h.cartelDvCurrent, h.cartelDvMax), 1, "a cartel defence above its maximum");
  }
}

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
  // What the values read look like.
  Doubts doubts;
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
    WeighCampaign(campaign, context_.layout, walk_.doubts);
    facts_ = DeriveCampaignFacts(campaign, context_.layout);

    tMapObject map;
    if (!Framed(map, "the map record")) return walk_;
    int64_t hexes = 0;
    for (int64_t i = 0; i < map.HexesAnnounced(); ++i) {
      if (!in_.MoreEntries()) return Fail("hex " + std::to_string(i + 1), false);
      tMapHex hex;
      if (!Framed(hex, "hex " + std::to_string(i + 1))) return walk_;
      WeighHex(hex, context_.layout, walk_.doubts);
      ++hexes;
    }

    tPoliticalObject political;
    if (!Framed(political, "the political record")) return walk_;

    // The first misc object, if there is one, must frame where the political
    // record ends.
    const int64_t announced = int64_t{header.objectCount} - (hexes + 3);
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

std::string Doubtful(const Walk& walk, Layout layout) {
  const Doubts& d = walk.doubts;
  if (d.points == 0) return ReadAs(layout) + ", nothing doubtful";
  return ReadAs(layout) + ", " + std::to_string(d.points) + " doubtful (" + d.first + ")";
}

LayoutVerdict Decided(Layout layout, std::string reason) { return {layout, std::move(reason)}; }

Layout Other(Layout layout) { return IsOstrel(layout) ? Layout::Base : Layout::Ostrel; }

// The values decide for a reading when the other's doubts outweigh its own
// by two or more and are at least twice as many: a single odd value, which a
// healthy campaign may hold, never decides.
bool Outweighs(int64_t other, int64_t own) { return other - own >= 2 && other >= 2 * own; }

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

  // Both readings frame every record alike (a layout's fields can hide in
  // the other's tails), so the values read decide, when they clearly do.
  const std::string damaged = base.clean ? "" : "damaged (" + Failure(base) + "), but ";
  const int64_t b = base.doubts.points;
  const int64_t o = ostrel.doubts.points;
  const std::string both = Doubtful(base, Layout::Base) + "; " + Doubtful(ostrel, Layout::Ostrel);
  if (Outweighs(o, b)) return Decided(Layout::Base, damaged + "the values fit: " + both);
  if (Outweighs(b, o)) return Decided(Layout::Ostrel, damaged + "the values fit: " + both);
  if (!base.clean) {
    return {std::nullopt, "neither layout reads it (" + Failure(base) + "), and the values do not decide: " + both};
  }
  return {std::nullopt, "both layouts frame every record: " + both};
}

}  // namespace campdb
