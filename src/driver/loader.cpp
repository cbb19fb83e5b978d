#include "driver/loader.h"

#include "console/console.h"

namespace campdb {

namespace {

class Narration final : public LoadObserver {
 public:
  explicit Narration(Console& console) : console_(console) {}

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
};

}  // namespace

LoadOutcome LoadWithNarration(Database& db, Console& console) {
  Narration narration(console);
  return LoadDatabase(db, narration);
}

}  // namespace campdb
