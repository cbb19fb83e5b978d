// Generated databases of realistic size, through the load as the tool does
// it (the input read whole from its file), the writer and the cleaner:
// everything loads, an unchanged database is written back byte for byte,
// and Clean keeps exactly what the generator says it must.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "console/console.h"
#include "driver/input_file.h"
#include "driver/loader.h"
#include "driver/scratch.h"
#include "maintenance/cleaner.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"
#include "support/large_database.h"

namespace campdb::testing {
namespace {

using testdb::Layout;
using testdb::LargeDatabaseOptions;
using testdb::LargeDatabaseSummary;

struct LoadedFile {
  Database db;
  std::string transcript;
};

// Writes the bytes to a file, reads it as the tool does and loads it.
std::unique_ptr<LoadedFile> LoadAsTheToolDoes(const std::string& bytes, Layout layout) {
  WriteFile("in.db", bytes);
  auto image = ReadInputImage("in.db");
  EXPECT_TRUE(image.has_value());
  auto loaded = std::make_unique<LoadedFile>();
  loaded->db.layout = layout == Layout::Ostrel ? campdb::Layout::Ostrel : campdb::Layout::Base;
  loaded->db.source = std::move(image->bytes);
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  LoadWithNarration(loaded->db, console);
  loaded->transcript = out.str();
  return loaded;
}

std::string WriteBack(const Database& db) {
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  ByteWriter writer;
  InfoFiles infoFiles;
  WriteRecords(db, writer, infoFiles, console);
  return writer.TakeBuffer();
}

const std::string kLoadLines =
    "finished reading prelim data\nfinished reading campaign data\nfinished reading initial map data\n"
    "finished reading map data\nfinished reading political data\n";

TEST(LargeDatabase, LoadsWhollyAndWritesBackUnchangedInBothLayouts) {
  ScratchFolder folder;
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    SCOPED_TRACE(layout == Layout::Base ? "base layout" : "Ostrel layout");
    LargeDatabaseOptions options;
    options.objects = 12000;
    options.layout = layout;
    options.seed = 42;
    LargeDatabaseSummary summary;
    const std::string bytes = testdb::LargeDatabaseBytes(options, &summary);
    EXPECT_EQ(summary.bytes, static_cast<int64_t>(bytes.size()));
    EXPECT_GT(bytes.size(), size_t{4} << 20);

    const auto loaded = LoadAsTheToolDoes(bytes, layout);
    EXPECT_EQ(loaded->transcript, kLoadLines + "12000 objects specified\n");
    EXPECT_EQ(loaded->db.hexCount(), 40 * 30);
    EXPECT_EQ(loaded->db.loadedCount, 12000);

    // Every record came through whole.
    const std::string written = WriteBack(loaded->db);
    EXPECT_EQ(written.size(), bytes.size());
    EXPECT_TRUE(written == bytes);
  }
}

TEST(LargeDatabase, ObjectsAreARealisticAscendingMix) {
  ScratchFolder folder;
  LargeDatabaseOptions options;
  options.objects = 20000;
  LargeDatabaseSummary summary;
  const auto loaded = LoadAsTheToolDoes(testdb::LargeDatabaseBytes(options, &summary), Layout::Base);
  ASSERT_EQ(loaded->db.loadedCount, 20000);

  std::map<ObjectKind, int64_t> kinds;
  std::map<int32_t, const tShip*> ships;
  int32_t previous = INT32_MIN;
  for (int64_t i = 0; i < loaded->db.ObjectCount(); ++i) {
    const MiscObject& object = loaded->db.EditObject(i);
    ++kinds[KindOf(object)];
    const int32_t id = ObjectIdOf(object);
    EXPECT_GT(id, previous);
    previous = id;
    if (const auto* ship = std::get_if<tShip>(&object)) ships[id] = ship;
  }
  EXPECT_EQ(kinds[ObjectKind::Unrecognised], 0);
  EXPECT_EQ(kinds[ObjectKind::Character], summary.humanCharacters + summary.aiCharacters);
  EXPECT_EQ(kinds[ObjectKind::Ship], summary.captainedShips + summary.orphanShips + summary.shipyardVessels);
  EXPECT_EQ(kinds[ObjectKind::Bid], summary.bids);
  EXPECT_EQ(kinds[ObjectKind::NewsStory], summary.newsStories);
  // Something of everything, in proportions like a running campaign's.
  EXPECT_GT(summary.humanCharacters, 1000);
  EXPECT_GT(summary.aiCharacters, 1000);
  EXPECT_GT(summary.aiCharactersHoldingBases, 100);
  EXPECT_GT(summary.captainedShips, 8000);
  EXPECT_GT(summary.orphanShips, 50);
  EXPECT_GT(summary.shipyardVessels, 300);
  EXPECT_GT(summary.bids, 300);
  EXPECT_GT(summary.newsStories, 1000);

  // Each character's ship entries mirror ships that it captains.
  int64_t entries = 0;
  for (int64_t i = 0; i < loaded->db.ObjectCount(); ++i) {
    const auto* character = std::get_if<tServCharacter>(&loaded->db.EditObject(i));
    if (character == nullptr) continue;
    const tServCharacter& c = *character;
    EXPECT_EQ(c.isAI(), c.human.email.empty());
    for (const CharacterShipEntry& entry : c.ships) {
      ++entries;
      const auto found = ships.find(entry.shipId);
      ASSERT_NE(found, ships.end()) << entry.shipId;
      const tShip& ship = *found->second;
      EXPECT_EQ(ship.captainId, c.head.objectId);
      EXPECT_EQ(ship.bpv, entry.bpv);
      EXPECT_EQ(ship.hullClass, entry.hullClass);
      EXPECT_EQ(ship.shipType, entry.shipType);
      EXPECT_EQ(ship.shipName, entry.shipName);
    }
  }
  EXPECT_EQ(entries, summary.captainedShips);
}

TEST(LargeDatabase, CleanKeepsWhatTheGeneratorExpects) {
  ScratchFolder folder;
  LargeDatabaseOptions options;
  options.objects = 15000;
  options.seed = 7;
  LargeDatabaseSummary summary;
  const auto loaded = LoadAsTheToolDoes(testdb::LargeDatabaseBytes(options, &summary), Layout::Base);
  Database& db = loaded->db;
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  CleanDatabase(db, console);
  EXPECT_EQ(db.loadedCount, summary.keptByClean);
  EXPECT_EQ(db.header.objectCount, summary.keptByClean + 1200 + 3);
  // News stories all go; so do orphaned warships and AI players' warships.
  EXPECT_LT(summary.keptByClean, 15000 - summary.newsStories);
}

TEST(LargeDatabase, TheSameSeedGivesTheSameBytes) {
  LargeDatabaseOptions options;
  options.objects = 3000;
  options.seed = 5;
  const std::string first = testdb::LargeDatabaseBytes(options);
  EXPECT_TRUE(first == testdb::LargeDatabaseBytes(options));
  options.seed = 6;
  EXPECT_FALSE(first == testdb::LargeDatabaseBytes(options));

  // Handed out in pieces, the bytes are the same as in one buffer.
  options.seed = 5;
  std::string pieces;
  int calls = 0;
  testdb::GenerateLargeDatabase(options, [&](std::string_view piece) {
    pieces += piece;
    ++calls;
  });
  EXPECT_TRUE(pieces == first);
  EXPECT_GE(calls, 1);

  // No objects at all: the fixed records only.
  options.objects = 0;
  LargeDatabaseSummary summary;
  const std::string empty = testdb::LargeDatabaseBytes(options, &summary);
  EXPECT_EQ(summary.keptByClean, 0);
  EXPECT_EQ(static_cast<int64_t>(empty.size()), summary.bytes);
}

}  // namespace
}  // namespace campdb::testing
