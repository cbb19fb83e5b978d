#include "driver/loader.h"

#include <algorithm>

#include "console/console.h"

namespace campdb {

namespace {

constexpr size_t kProgressStep = size_t{1} << 20;
// The smallest object of a known kind, a news story without text, takes 53
// bytes of the file.
constexpr size_t kModestObjectBytes = 64;

}  // namespace

LoadOutcome LoadDatabase(ByteReader& in, Database& db, Console& console, const ReadProgress& progress) {
  LoadOutcome outcome;
  db.header = tPrelimData(in);
  console.WriteLine("finished reading prelim data");
  db.campaign = tCampaignObject(in);
  console.WriteLine("finished reading campaign data");
  db.map = tMapObject(in);
  console.WriteLine("finished reading initial map data");

  // The map announces columns * rows hexes; only those the file holds are
  // made, so a damaged size cannot make the tool allocate or loop beyond
  // what the input can back.
  const int64_t announced = db.map.HexesAnnounced();
  db.MapHexPtr.clear();
  for (int64_t i = 0; i < announced && in.MoreEntries(); ++i) {
    db.MapHexPtr.push_back(std::make_unique<tMapHex>(in));
  }
  console.WriteLine("finished reading map data");
  db.political = tPoliticalObject(in);
  console.WriteLine("finished reading political data");

  // The header counts every record after it: campaign, map, political
  // record, the hexes and the misc objects.
  const int64_t specified = int64_t{db.header.objectCount} - (db.hexCount() + 3);
  console.WriteLine(Cat(specified, " objects specified"));
  outcome.announced = specified;
  db.capacity = std::max<int64_t>(specified, 0);

  // A slot is made only for an object being read; every object read takes
  // at least its two size words from the input, so the loop ends with the
  // input however large the announced count.
  db.slots.clear();
  // Room for the objects announced, but never for more than the rest of the
  // input could hold at a modest size per object, so that a damaged count
  // sets aside nothing the file cannot back; beyond that the list grows as
  // it is read.
  db.slots.reserve(std::min(static_cast<size_t>(db.capacity), in.Remaining() / kModestObjectBytes));
  size_t nextProgress = in.Position() + kProgressStep;
  outcome.unloadedFrom = in.Position();
  while (static_cast<int64_t>(db.slots.size()) < db.capacity) {
    db.slots.emplace_back();
    const FrameResult framed = ReadMiscObject(in, db.slots.back(), console);
    if (framed != FrameResult::Read) {
      db.slots.pop_back();
      outcome.stop = framed;
      outcome.stopIndex = static_cast<int64_t>(db.slots.size());
      break;
    }
    outcome.unloadedFrom = in.Position();
    if (progress && in.Position() >= nextProgress) {
      progress(in.Position());
      nextProgress = in.Position() + kProgressStep;
    }
  }
  db.loadedCount = static_cast<int64_t>(db.slots.size());
  db.deleteFlags.assign(db.slots.size(), 0);
  outcome.wantedPastEnd = in.WantedPastEnd();
  return outcome;
}

}  // namespace campdb
