#include "driver/loader.h"

#include <algorithm>

#include "console/console.h"

namespace campdb {

namespace {

constexpr size_t kProgressStep = size_t{1} << 20;
// The smallest object of a known kind, a news story without text, takes 53
// bytes of the file.
constexpr size_t kModestObjectBytes = 64;

// Notes the part being read when the input is first found wanting.
void NoteEnd(const ByteReader& in, LoadOutcome& outcome, LoadOutcome::Part part, int64_t at = 0) {
  if (outcome.endMetIn != LoadOutcome::Part::None || !in.WantedPastEnd()) return;
  outcome.endMetIn = part;
  outcome.endMetAt = at;
}

// A count of bytes with its thousands grouped: 3,012.
std::string GroupedBytes(uint64_t count) {
  std::string digits = std::to_string(count);
  for (auto at = static_cast<int64_t>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<size_t>(at), ",");
  }
  return digits;
}

}  // namespace

LoadOutcome LoadDatabase(ByteReader& in, Database& db, Console& console, const ReadProgress& progress) {
  using Part = LoadOutcome::Part;
  LoadOutcome outcome;
  outcome.inputSize = in.Remaining() + in.Position();
  db.header = tPrelimData(in);
  NoteEnd(in, outcome, Part::Header);
  console.WriteLine("finished reading prelim data");
  db.campaign = tCampaignObject(in);
  NoteEnd(in, outcome, Part::Campaign);
  console.WriteLine("finished reading campaign data");
  db.map = tMapObject(in);
  NoteEnd(in, outcome, Part::Map);
  console.WriteLine("finished reading initial map data");

  // The map announces columns * rows hexes; only those the file holds are
  // made, so a damaged size cannot make the tool allocate or loop beyond
  // what the input can back.
  const int64_t announced = db.map.HexesAnnounced();
  outcome.hexesAnnounced = std::max<int64_t>(announced, 0);
  db.MapHexPtr.clear();
  for (int64_t i = 0; i < announced; ++i) {
    if (!in.MoreEntries()) {
      NoteEnd(in, outcome, Part::Hexes, i);
      break;
    }
    db.MapHexPtr.push_back(std::make_unique<tMapHex>(in));
    NoteEnd(in, outcome, Part::Hexes, i);
  }
  console.WriteLine("finished reading map data");
  db.political = tPoliticalObject(in);
  NoteEnd(in, outcome, Part::Political);
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
    NoteEnd(in, outcome, Part::Objects, static_cast<int64_t>(db.slots.size()) - 1);
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
  outcome.loaded = db.loadedCount;
  return outcome;
}

std::string DescribeIncompleteLoad(const LoadOutcome& outcome) {
  using Part = LoadOutcome::Part;
  const uint64_t notLoaded = outcome.inputSize - std::min(outcome.unloadedFrom, outcome.inputSize);
  const bool stoppedAtItsFrame = outcome.stop == FrameResult::SizeMismatch ||
                                 (outcome.stop == FrameResult::EndOfFile && outcome.endMetIn == Part::Objects &&
                                  outcome.endMetAt == outcome.stopIndex);
  if (stoppedAtItsFrame) {
    return Cat("loading stopped at object ", outcome.stopIndex + 1, " of ", outcome.announced, " (",
               outcome.stop == FrameResult::SizeMismatch ? "size mismatch" : "end of file", "); ",
               GroupedBytes(notLoaded), " bytes not loaded");
  }
  std::string where;
  switch (outcome.endMetIn) {
    case Part::Header:
      where = "inside the header";
      break;
    case Part::Campaign:
      where = "inside the campaign record";
      break;
    case Part::Map:
      where = "inside the map record";
      break;
    case Part::Hexes:
      where = Cat("at hex ", outcome.endMetAt + 1, " of ", outcome.hexesAnnounced);
      break;
    case Part::Political:
      where = "inside the political record";
      break;
    case Part::Objects:
      where = Cat("inside object ", outcome.endMetAt + 1, " of ", outcome.announced);
      break;
    case Part::None:
      where = "early";
      break;
  }
  std::string line = Cat("the file ends ", where);
  if (outcome.announced > 0) line += Cat("; ", outcome.loaded, " of ", outcome.announced, " objects loaded");
  return line;
}

}  // namespace campdb
