// Every record, composed field by field, read by its reader and written by
// its writer, must come back byte for byte: uninterpreted fields, tails and
// the declared size as stored included.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "format/campaign.h"
#include "format/map.h"
#include "format/political.h"
#include "record_loader.h"

namespace campdb::testdb {
namespace {

Character HumanWithLists() {
  Character c;
  c.bids.resize(2);
  c.bids[1].word = -9;
  c.ships.resize(2);
  c.ships[0].shipType = "";
  c.ships[1].shipName = "Long name of a ship";
  return c;
}

Ship ShipWithBays() {
  Ship s;
  s.bays[2] = Ship::Bay{1, 2, 3, 4, "Dart", ""};
  s.bays[3] = Ship::Bay{0, 0, 0, 0xEE, "", "Other"};
  return s;
}

// Each record kind with the given frame settings applied, as bytes in the
// given layout, paired with the way it is read back.
struct Case {
  const char* name;
  std::function<Bytes(const Frame&, Layout)> compose;
  bool viaFraming;
};

template <typename R>
Frame WithFrame(R& record, const Frame& f) {
  record.frame.size = f.size;
  record.frame.size2 = f.size2;
  record.frame.tail = f.tail;
  return record.frame;
}

std::vector<Case> AllRecords() {
  return {
      {"campaign", [](const Frame& f, Layout l) { Campaign r; WithFrame(r, f); return ToBytes(r, l); }, false},
      {"map", [](const Frame& f, Layout) { MapRecord r; r.columns = 3; r.rows = 2; WithFrame(r, f); return ToBytes(r); }, false},
      {"hex", [](const Frame& f, Layout l) { Hex r; r.ownerRace = 4; WithFrame(r, f); return ToBytes(r, l); }, false},
      {"political", [](const Frame& f, Layout) { Political r; r.Fill(4); r.cells[1].tension = 0xFFFF; WithFrame(r, f); return ToBytes(r); }, false},
      // In a multiplayer campaign the declared size decides whether the
      // human-player section is there: a size too small makes an AI player.
      {"character", [](const Frame& f, Layout) {
         Character r = HumanWithLists();
         if (f.size) r.human.reset();
         WithFrame(r, f);
         return ToBytes(r);
       }, true},
      {"ship", [](const Frame& f, Layout) { Ship r = ShipWithBays(); WithFrame(r, f); return ToBytes(r); }, true},
      {"bid", [](const Frame& f, Layout) { Bid r; WithFrame(r, f); return ToBytes(r); }, true},
      {"news", [](const Frame& f, Layout) { News r; WithFrame(r, f); return ToBytes(r); }, true},
  };
}

Bytes ReadWriteCase(const Case& c, const Bytes& bytes, Layout layout) {
  if (c.viaFraming) return ReadWriteObject(bytes);
  const std::string name = c.name;
  if (name == "campaign") return ReadWrite<tCampaignObject>(bytes, layout);
  if (name == "map") return ReadWrite<tMapObject>(bytes, layout);
  if (name == "hex") return ReadWrite<tMapHex>(bytes, layout);
  return ReadWrite<tPoliticalObject>(bytes, layout);
}

TEST(RecordRoundTrip, EveryRecordWithTailsOfSeveralLengthsInBothLayouts) {
  const Bytes tails[] = {"", "\x01", Bytes("\0\0\xFF\x7F\x80", 5), Bytes(37, '\xA5')};
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const Case& c : AllRecords()) {
      for (const Bytes& tail : tails) {
        SCOPED_TRACE(::testing::Message() << c.name << (layout == Layout::Ostrel ? " ostrel" : " base")
                                          << " tail " << tail.size());
        Frame f;
        f.tail = tail;
        const Bytes bytes = c.compose(f, layout);
        EXPECT_EQ(ReadWriteCase(c, bytes, layout), bytes);
      }
    }
  }
  // An AI character in a multiplayer campaign: fewer than 24 bytes after
  // its fixed fields, all of them kept as the tail.
  for (size_t tailLength : {0u, 1u, 23u}) {
    Character ai = HumanWithLists();
    ai.human.reset();
    ai.frame.tail = Bytes(tailLength, '\x5C');
    const Bytes bytes = ToBytes(ai);
    EXPECT_EQ(ReadWriteObject(bytes), bytes) << tailLength;
  }
}

TEST(RecordRoundTrip, DeclaredSizeTooSmallForTheFieldsIsWrittenBackAsStored) {
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const Case& c : AllRecords()) {
      for (int32_t size : {-2147483647 - 1, -40, 0, 20}) {
        SCOPED_TRACE(::testing::Message() << c.name << " size " << size);
        Frame f;
        f.size = size;
        const Bytes bytes = c.compose(f, layout);
        EXPECT_EQ(ReadWriteCase(c, bytes, layout), bytes);
      }
    }
  }
}

TEST(RecordRoundTrip, NegativeCountsAndLengthsComeBackAsZero) {
  {
    Campaign c;
    c.missions.clear();
    c.races.clear();
    c.description = Str::Stored(-5);
    Campaign expected = c;
    c.missionCountWord = -2;
    c.raceCountWord = -2147483647 - 1;
    expected.description = "";
    EXPECT_EQ(ReadWrite<tCampaignObject>(ToBytes(c, Layout::Ostrel), Layout::Ostrel), ToBytes(expected, Layout::Ostrel));
  }
  {
    Political p;
    p.matrixSize = -3;
    p.frame.tail = "tail";
    Political expected = p;
    expected.matrixSize = 0;
    EXPECT_EQ(ReadWrite<tPoliticalObject>(ToBytes(p)), ToBytes(expected));
  }
  {
    Character c;
    c.bidCountWord = -3;
    c.shipCountWord = -1;
    c.characterName = Str::Stored(-1);
    Character expected = c;
    expected.bidCountWord = expected.shipCountWord = 0;
    expected.characterName = "";
    EXPECT_EQ(ReadWriteObject(ToBytes(c)), ToBytes(expected));
  }
  {
    News n;
    n.storyText = Str::Stored(-7);
    News expected = n;
    expected.storyText = "";
    EXPECT_EQ(ReadWriteObject(ToBytes(n)), ToBytes(expected));
  }
}

TEST(RecordRoundTrip, HeaderAndWholeSampleDatabases) {
  Header h;
  h.saveVersion = {0x00, 0xFF, 0x0A, 0x0D};
  h.objectCount = -1;
  h.lastObjectId = 2147483647;
  const Bytes header = ToBytes(h);
  EXPECT_EQ(ReadWrite<tPrelimData>(header), header);

  // The sample databases load completely and come back byte for byte; the
  // characters the samples meant as AI players are read as such.
  struct Sample {
    const char* file;
    Layout layout;
    size_t objects;
    int32_t era;
    std::vector<int32_t> aiPlayers;
  };
  for (const Sample& s : {Sample{"sample-base.db", Layout::Base, 16, 1, {1003, 1004}},
                          Sample{"sample-ostrel.db", Layout::Ostrel, 12, 3, {2002, 2003}}}) {
    SCOPED_TRACE(s.file);
    std::ifstream file(std::string(CAMPDB_SOURCE_DIR) + "/examples/" + s.file, std::ios::binary);
    ASSERT_TRUE(file);
    const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    LoadOutcome outcome;
    const auto db = LoadBytes(bytes, s.layout, &outcome);
    EXPECT_TRUE(outcome.Complete());
    EXPECT_EQ(db->objects.size(), s.objects);
    EXPECT_EQ(db->facts.currentEra, s.era);
    std::vector<int32_t> aiPlayers;
    MiscObject scratch;
    for (int64_t i = 0; i < db->ObjectCount(); ++i) {
      const MiscObject& object = db->ReadObject(i, scratch);
      EXPECT_NE(KindOf(object), ObjectKind::Unrecognised);
      EXPECT_TRUE(db->Entry(i).verbatim);
      const auto* character = std::get_if<tServCharacter>(&object);
      if (character != nullptr && character->isAI()) aiPlayers.push_back(character->head.objectId);
    }
    EXPECT_EQ(aiPlayers, s.aiPlayers);
    EXPECT_EQ(WriteAll(*db), bytes);
  }
}

}  // namespace
}  // namespace campdb::testdb
