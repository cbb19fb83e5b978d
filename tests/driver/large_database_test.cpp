// Generated databases of realistic size, through the load as the tool does
// it (the input given back while it is read), the writer and the cleaner:
// everything loads, an unchanged database is written back byte for byte,
// and Clean keeps exactly what the generator says it must.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "console/console.h"
#include "driver/input_file.h"
#include "driver/loader.h"
#include "driver/scratch.h"
#include "format/run_settings.h"
#include "maintenance/cleaner.h"
#include "maintenance/writer.h"
#include "report/info_files.h"
#include "support/large_database.h"

namespace campdb::testing {
namespace {

using testdb::Layout;
using testdb::LargeDatabaseOptions;
using testdb::LargeDatabaseSummary;

struct LoadedFile {
  Database db;
  std::string transcript;
  std::vector<size_t> progress;  // what the load said it had read, in order
};

// Writes the bytes to a file, reads it as the tool does and loads it,
// giving back the input as the load reports its progress.
LoadedFile LoadAsTheToolDoes(const std::string& bytes, Layout layout) {
  WriteFile("in.db", bytes);
  ResetRunSettings();
  Run().variant = layout == Layout::Ostrel ? Variant::Ostrel : Variant::Base;
  auto image = ReadInputImage("in.db");
  EXPECT_TRUE(image.has_value());
  LoadedFile loaded;
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  ByteReader reader(image->Bytes());
  LoadDatabase(reader, loaded.db, console, [&](size_t bytesRead) {
    EXPECT_LE(bytesRead, reader.Position());
    loaded.progress.push_back(bytesRead);
    image->Discard(bytesRead);
  });
  loaded.transcript = out.str();
  return loaded;
}

std::string WriteBack(Database& db) {
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  ByteWriter writer;
  InfoFiles infoFiles;
  WriteRecords(db, writer, console, infoFiles);
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

    LoadedFile loaded = LoadAsTheToolDoes(bytes, layout);
    EXPECT_EQ(loaded.transcript, kLoadLines + "12000 objects specified\n");
    EXPECT_EQ(loaded.db.hexCount(), 40 * 30);
    EXPECT_EQ(loaded.db.loadedCount, 12000);
    // The input was given back as it was read, about every megabyte.
    EXPECT_GE(loaded.progress.size(), bytes.size() / (size_t{2} << 20));
    EXPECT_TRUE(std::is_sorted(loaded.progress.begin(), loaded.progress.end()));

    // Every record came through whole, though the input was given back.
    const std::string written = WriteBack(loaded.db);
    EXPECT_EQ(written.size(), bytes.size());
    EXPECT_TRUE(written == bytes);
  }
}

TEST(LargeDatabase, ObjectsAreARealisticAscendingMix) {
  ScratchFolder folder;
  LargeDatabaseOptions options;
  options.objects = 20000;
  LargeDatabaseSummary summary;
  LoadedFile loaded = LoadAsTheToolDoes(testdb::LargeDatabaseBytes(options, &summary), Layout::Base);
  ASSERT_EQ(loaded.db.loadedCount, 20000);

  std::map<ObjectKind, int64_t> kinds;
  std::map<int32_t, const tShip*> ships;
  int32_t previous = INT32_MIN;
  for (const sMiscObject& slot : loaded.db.slots) {
    ++kinds[slot.kind];
    const int32_t id = ObjectIdOf(slot);
    EXPECT_GT(id, previous);
    previous = id;
    if (slot.ship) ships[id] = slot.ship.get();
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
  for (const sMiscObject& slot : loaded.db.slots) {
    if (!slot.character) continue;
    const tServCharacter& c = *slot.character;
    EXPECT_EQ(c.isAI, c.email.Empty());
    for (const CharacterShipEntry& entry : c.ships) {
      ++entries;
      const auto found = ships.find(entry.shipId);
      ASSERT_NE(found, ships.end()) << entry.shipId;
      const tShip& ship = *found->second;
      EXPECT_EQ(ship.captainId, c.objectId);
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
  LoadedFile loaded = LoadAsTheToolDoes(testdb::LargeDatabaseBytes(options, &summary), Layout::Base);
  Database& db = loaded.db;
  std::fill(db.deleteFlags.begin(), db.deleteFlags.end(), 1);
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
