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

// Reads one record of type R (its reader starts at the size words) and
// writes it back. The reader must consume exactly the record's bytes.
template <typename R>
Bytes ReadWrite(const Bytes& bytes) {
  ByteReader in(Span(bytes));
  R record(in);
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_FALSE(in.AtEnd());
  ByteWriter out;
  record.Write(out);
  return out.TakeBuffer();
}

// Reads one misc object through the framing and writes it back.
Bytes ReadWriteObject(const Bytes& bytes) {
  ByteReader in(Span(bytes));
  std::istringstream keys;
  std::ostringstream printed;
  Console console(keys, printed);
  sMiscObject slot;
  EXPECT_EQ(ReadMiscObject(in, slot, console), FrameResult::Read);
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_FALSE(in.AtEnd());
  EXPECT_EQ(printed.str(), "");
  ByteWriter out;
  WriteMiscObject(out, slot);
  return out.TakeBuffer();
}

void UseLayout(Layout layout) {
  ResetRunSettings();
  Run().variant = VariantOf(layout);
}

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

Bytes ReadWriteCase(const Case& c, const Bytes& bytes) {
  if (c.viaFraming) return ReadWriteObject(bytes);
  const std::string name = c.name;
  if (name == "campaign") return ReadWrite<tCampaignObject>(bytes);
  if (name == "map") return ReadWrite<tMapObject>(bytes);
  if (name == "hex") return ReadWrite<tMapHex>(bytes);
  return ReadWrite<tPoliticalObject>(bytes);
}

TEST(RecordRoundTrip, EveryRecordWithTailsOfSeveralLengthsInBothLayouts) {
  const Bytes tails[] = {"", "\x01", Bytes("\0\0\xFF\x7F\x80", 5), Bytes(37, '\xA5')};
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    for (const Case& c : AllRecords()) {
      for (const Bytes& tail : tails) {
        SCOPED_TRACE(::testing::Message() << c.name << (layout == Layout::Ostrel ? " ostrel" : " base")
                                          << " tail " << tail.size());
        UseLayout(layout);
        Frame f;
        f.tail = tail;
        const Bytes bytes = c.compose(f, layout);
        EXPECT_EQ(ReadWriteCase(c, bytes), bytes);
      }
    }
  }
  // An AI character in a multiplayer campaign: fewer than 24 bytes after
  // its fixed fields, all of them kept as the tail.
  UseLayout(Layout::Base);
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
        UseLayout(layout);
        Frame f;
        f.size = size;
        const Bytes bytes = c.compose(f, layout);
        EXPECT_EQ(ReadWriteCase(c, bytes), bytes);
      }
    }
  }
}

TEST(RecordRoundTrip, NegativeCountsAndLengthsComeBackAsZero) {
  UseLayout(Layout::Ostrel);
  {
    Campaign c;
    c.missions.clear();
    c.races.clear();
    c.description = Str::Stored(-5);
    Campaign expected = c;
    c.missionCountWord = -2;
    c.raceCountWord = -2147483647 - 1;
    expected.description = "";
    EXPECT_EQ(ReadWrite<tCampaignObject>(ToBytes(c, Layout::Ostrel)), ToBytes(expected, Layout::Ostrel));
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
  {
    ByteReader in(Span(header));
    tPrelimData read(in);
    ByteWriter out;
    read.Write(out);
    EXPECT_EQ(out.Buffer(), header);
  }

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
    LoadedRecords db = LoadRecords(bytes, s.layout);
    EXPECT_EQ(db.console, "");
    EXPECT_FALSE(db.inputAtEnd);
    EXPECT_EQ(db.slots.size(), s.objects);
    EXPECT_EQ(campdb::Run().currentEra, s.era);
    std::vector<int32_t> aiPlayers;
    for (const sMiscObject& slot : db.slots) {
      EXPECT_NE(slot.kind, ObjectKind::Unrecognised);
      if (slot.character && slot.character->isAI) aiPlayers.push_back(slot.character->objectId);
    }
    EXPECT_EQ(aiPlayers, s.aiPlayers);
    EXPECT_EQ(db.Write(), bytes);
  }
}

}  // namespace
}  // namespace campdb::testdb
