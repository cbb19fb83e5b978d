#include "maintenance/writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "console/console.h"
#include "driver/scratch.h"
#include "format/record_loader.h"
#include "maintenance/info_files.h"
#include "maintenance/output_file.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testdb::Layout;
using testing::ReadFile;

struct Loaded {
  std::istringstream in;
  std::ostringstream out;
  Console console{in, out};
  std::unique_ptr<Database> db;
};

void Load(Loaded& loaded, const testdb::Database& source, Layout layout) {
  loaded.db = testdb::LoadBytes(testdb::ToBytes(source, layout), layout);
  loaded.out.str("");
}

TEST(Writer, WritesUnflaggedObjectsUntilTheLoadedCountIsReached) {
  testing::ScratchFolder folder;
  testdb::Database source;
  source.SetGrid(1, 2);
  testdb::News news;
  news.objectId = 7;
  testdb::Bid bid;
  bid.objectId = 8;
  testdb::Ship ship;
  ship.objectId = 10;
  source.Add(news);
  source.Add(bid);
  // An object of a class the tool does not know is written back whole.
  testdb::RawObject unknown;
  unknown.frame.tag = ".?AVtFleet@@";
  unknown.body = "0123456789\x09\0\0\0 and the rest of it";
  source.Add(unknown);
  source.Add(ship);
  Loaded loaded;
  Load(loaded, source, Layout::Base);
  loaded.db->deleteFlags = {0, 1, 0, 1};
  loaded.db->loadedCount = 2;

  testdb::Database expected = source;
  expected.header.objectCount = 3 + 2 + 4;  // as read: the writer does not recount
  expected.objects = {source.objects[0], source.objects[2]};
  ByteWriter out;
  InfoFiles infoFiles;
  EXPECT_EQ(WriteRecords(*loaded.db, out, infoFiles, loaded.console), 2 + 2 + 3);
  EXPECT_EQ(out.Buffer(), testdb::ToBytes(expected, Layout::Base));

  // Bytes the load did not take follow the objects verbatim and count as
  // no object.
  const std::string unloaded("\x05\0\0\0 rest of the input", 22);
  ByteWriter withRest;
  EXPECT_EQ(WriteRecords(*loaded.db, withRest, infoFiles, loaded.console, unloaded), 2 + 2 + 3);
  EXPECT_EQ(withRest.Buffer(), testdb::ToBytes(expected, Layout::Base) + unloaded);
}

TEST(InfoFiles, SummariseTheCampaignInBothLayouts) {
  testing::ScratchFolder folder;
  testdb::Database source;
  source.campaign.frame.tail = "opaque tail bytes";
  size_t baseSize = 0;
  for (Layout layout : {Layout::Base, Layout::Ostrel}) {
    Loaded loaded;
    Load(loaded, source, layout);
    InfoFiles infoFiles;
    AddInfoFiles(loaded.db->campaign, loaded.db->layout, infoFiles, loaded.console);
    EXPECT_EQ(loaded.out.str(), "Producing an updated camp.info file\nProducing an updated version.info file\n");
    infoFiles.Commit(std::nullopt, loaded.console);

    // The record as stored, less its second size word, its class tag and
    // its tail, and with the declared size less 23 in front.
    const testdb::Bytes record = testdb::ToBytes(source.campaign, layout);
    const size_t framing = 4 + 4 + 4 + source.campaign.frame.tag.bytes.size();
    testdb::Bytes expected;
    testdb::PutI32(expected, static_cast<int64_t>(record.size()) - 8 - 23);
    expected += record.substr(framing, record.size() - framing - source.campaign.frame.tail.size());
    EXPECT_EQ(ReadFile("camp.info"), expected);
    EXPECT_EQ(ReadFile("version.info"), "2.5.1\n");
    if (layout == Layout::Base) baseSize = expected.size();
    else EXPECT_EQ(expected.size(), baseSize + 4);
  }

  source.campaign.version = "";
  source.campaign.frame.size = 500;
  Loaded loaded;
  Load(loaded, source, Layout::Base);
  InfoFiles infoFiles;
  AddInfoFiles(loaded.db->campaign, loaded.db->layout, infoFiles, loaded.console);
  infoFiles.Commit(std::nullopt, loaded.console);
  EXPECT_EQ(ReadFile("version.info"), "\n");
  EXPECT_EQ(ReadFile("camp.info")->substr(0, 4), std::string("\xDD\x01\0\0", 4));  // 477
}

namespace fs = std::filesystem;

// Writes the loaded database to `name` as a run does; the transcript.
std::string WriteTo(Loaded& loaded, const std::string& name) {
  loaded.out.str("");
  OutputFile file;
  if (file.OpenReplacing(name, std::nullopt)) WriteDatabase(*loaded.db, file, std::nullopt, loaded.console);
  return loaded.out.str();
}

mode_t ModeOf(const char* name) {
  struct stat st {};
  return ::stat(name, &st) == 0 ? st.st_mode & 07777 : 0;
}

// The info files are replaced only once their database is in place, and
// like it: a replaced file keeps its permission bits and (where the process
// may set them) owner and group; a new one gets 0666 less the umask. A
// device is written at its place, whatever becomes of the database.
TEST(InfoFiles, FollowTheirDatabaseAndKeepOwnerAndMode) {
  testing::ScratchFolder folder;
  Loaded loaded;
  Load(loaded, testdb::Database{}, Layout::Base);
  const mode_t umask = ::umask(027);
  const uid_t owner = ::geteuid() == 0 ? 4321 : ::geteuid();
  const gid_t group = ::geteuid() == 0 ? 8765 : ::getegid();
  const std::string producing = "Producing an updated camp.info file\nProducing an updated version.info file\n";
  const std::pair<const char*, mode_t> modes[] = {{"out.db", 0660}, {"camp.info", 0604}, {"version.info", 0755}};
  for (const auto& [name, mode] : modes) {
    testing::WriteFile(name, "earlier");
    ASSERT_EQ(::chown(name, owner, group), 0);
    ASSERT_EQ(::chmod(name, mode), 0);
  }

  EXPECT_EQ(WriteTo(loaded, "/dev/full"), producing + "ERROR: unable to write output database /dev/full\n");
  EXPECT_EQ(testing::ReadFile("camp.info"), "earlier");
  EXPECT_EQ(testing::ReadFile("version.info"), "earlier");

  EXPECT_EQ(WriteTo(loaded, "out.db"), producing + "Wrote 3 objects\n");
  EXPECT_EQ(testing::ReadFile("version.info"), "2.5.1\n");
  for (const auto& [name, mode] : modes) {
    struct stat st {};
    ASSERT_EQ(::stat(name, &st), 0);
    EXPECT_NE(testing::ReadFile(name), "earlier") << name;
    EXPECT_EQ(st.st_mode & 07777, mode) << name;
    EXPECT_EQ(st.st_uid, owner) << name;
    EXPECT_EQ(st.st_gid, group) << name;
  }

  // A full device as camp.info fails at its place, before the database.
  fs::remove("camp.info");
  fs::create_symlink("/dev/full", "camp.info");
  EXPECT_EQ(WriteTo(loaded, "/dev/full"), "Producing an updated camp.info file\nUnable to produce matching camp.info "
                                          "file\nProducing an updated version.info file\n"
                                          "ERROR: unable to write output database /dev/full\n");

  // A database written under an info file's name is not overwritten by it;
  // new files get 0666 less the umask.
  fs::remove("camp.info");
  fs::remove("version.info");
  EXPECT_EQ(WriteTo(loaded, "camp.info"), producing + "Unable to produce matching camp.info file\nWrote 3 objects\n");
  EXPECT_EQ(testing::ReadFile("camp.info"), testing::ReadFile("out.db"));
  EXPECT_EQ(ModeOf("camp.info"), 0640u);
  EXPECT_EQ(ModeOf("version.info"), 0640u);
  ::umask(umask);
}

}  // namespace
}  // namespace campdb
