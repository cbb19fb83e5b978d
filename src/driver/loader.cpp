#include "driver/loader.h"

#include <algorithm>

#include "console/console.h"

namespace campdb {

namespace {

class Narration final : public LoadObserver {
 public:
  Narration(Console& console, LoadedDecisions* decisions) : console_(console), decisions_(decisions) {}

  void Finished(LoadStep step) override {
    switch (step) {
      case LoadStep::Header: return console_.WriteLine("finished reading prelim data");
      case LoadStep::Campaign: return console_.WriteLine("finished reading campaign data");
      case LoadStep::Map: return console_.WriteLine("finished reading initial map data");
      case LoadStep::Hexes: return console_.WriteLine("finished reading map data");
      case LoadStep::Political: return console_.WriteLine("finished reading political data");
    }
  }
  void ObjectsAnnounced(int64_t count) override { console_.WriteLine(Cat(count, " objects specified")); }
  void ObjectParsed(int64_t index, const MiscObject& object) override {
    if (decisions_ != nullptr) decisions_->Take(index, object);
  }
  void FrameFailed(const ObjectFrame& frame) override {
    if (frame.result == FrameResult::SizeMismatch) {
      console_.WriteLine(
          Cat("WARNING: SIZE MISMATCH IN OBJECT ", frame.declaredSize, " vs ", frame.declaredSize2));
      console_.WriteLine("Hit any key to continue");
      console_.WaitForKey();
    } else {
      console_.WriteLine("END OF FILE");
    }
  }

 private:
  Console& console_;
  LoadedDecisions* decisions_;
};

}  // namespace

LoadOutcome LoadWithNarration(Database& db, Console& console, LoadedDecisions* decisions) {
  Narration narration(console, decisions);
  return LoadDatabase(db, narration);
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
               Grouped(static_cast<int64_t>(notLoaded)), " bytes not loaded");
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
