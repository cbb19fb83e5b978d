#include "maintenance/writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "console/console.h"
#include "driver/loader.h"
#include "driver/scratch.h"
#include "format/run_settings.h"
#include "maintenance/output_file.h"
#include "report/info_files.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testdb::Layout;
using testing::ReadFile;

struct Loaded {
  std::istringstream in;
  std::ostringstream out;
  Console console{in, out};
  Database db;
};

void Load(Loaded& loaded, const testdb::Database& source, Layout layout) {
  ResetRunSettings();
  Run().variant = layout == Layout::Ostrel ? Variant::Ostrel : Variant::Base;
  const testdb::Bytes bytes = testdb::ToBytes(source, layout);
  ByteReader reader(testdb::Span(bytes));
  loaded.db = Database{};
  LoadDatabase(reader, loaded.db, loaded.console);
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
  loaded.db.deleteFlags = {0, 1, 0, 1};
  loaded.db.loadedCount = 2;

  testdb::Database expected = source;
  expected.header.objectCount = 3 + 2 + 4;  // as read: the writer does not recount
  expected.objects = {source.objects[0], source.objects[2]};
  ByteWriter out;
  InfoFiles infoFiles;
  EXPECT_EQ(WriteRecords(loaded.db, out, loaded.console, infoFiles), 2 + 2 + 3);
  EXPECT_EQ(out.Buffer(), testdb::ToBytes(expected, Layout::Base));

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
    loaded.db.campaign.WriteInfoFiles(loaded.console, infoFiles);
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
  loaded.db.campaign.WriteInfoFiles(loaded.console, infoFiles);
  infoFiles.Commit(std::nullopt, loaded.console);
  EXPECT_EQ(ReadFile("version.info"), "\n");
  EXPECT_EQ(ReadFile("camp.info")->substr(0, 4), std::string("\xDD\x01\0\0", 4));  // 477
}

namespace fs = std::filesystem;

struct Written {
  bool ok = false;
  std::string transcript;
};

// Writes the loaded database to `name` as a run does.
Written WriteTo(Loaded& loaded, const std::string& name) {
  loaded.out.str("");
  OutputFile file;
  Written written;
  written.ok = file.OpenReplacing(name) && WriteDatabase(loaded.db, file, loaded.console);
  written.transcript = loaded.out.str();
  return written;
}

const std::string kProducing = "Producing an updated camp.info file\nProducing an updated version.info file\n";

TEST(InfoFiles, AreReplacedOnlyOnceTheirDatabaseIsInPlace) {
  testing::ScratchFolder folder;
  Loaded loaded;
  Load(loaded, testdb::Database{}, Layout::Base);
  const std::string earlier = "earlier info";

  // The database cannot be written: the info files stay as they were.
  testing::WriteFile("camp.info", earlier);
  testing::WriteFile("version.info", earlier);
  Written failed = WriteTo(loaded, "/dev/full");
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.transcript, kProducing + "ERROR: unable to write output database /dev/full\n");
  EXPECT_EQ(testing::ReadFile("camp.info"), earlier);
  EXPECT_EQ(testing::ReadFile("version.info"), earlier);

  // Written: both replaced, and a link to an info file stays a link.
  fs::remove("camp.info");
  testing::WriteFile("elsewhere.info", earlier);
  fs::create_symlink("elsewhere.info", "camp.info");
  Written ok = WriteTo(loaded, "out.db");
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.transcript, kProducing + "Wrote 3 objects\n");
  EXPECT_TRUE(fs::is_symlink("camp.info"));
  EXPECT_NE(testing::ReadFile("elsewhere.info"), earlier);
  EXPECT_EQ(testing::ReadFile("version.info"), "2.5.1\n");

  // A device is written at its place, whatever becomes of the database: a
  // full one fails there, before the database's own failure.
  fs::remove("camp.info");
  fs::create_symlink("/dev/full", "camp.info");
  testing::WriteFile("version.info", earlier);
  failed = WriteTo(loaded, "/dev/full");
  EXPECT_EQ(failed.transcript, "Producing an updated camp.info file\nUnable to produce matching camp.info file\n"
                               "Producing an updated version.info file\n"
                               "ERROR: unable to write output database /dev/full\n");
  EXPECT_EQ(testing::ReadFile("version.info"), earlier);

  // A database written under an info file's name is not overwritten by it.
  fs::remove("camp.info");
  ok = WriteTo(loaded, "camp.info");
  EXPECT_EQ(ok.transcript, kProducing + "Unable to produce matching camp.info file\nWrote 3 objects\n");
  EXPECT_EQ(testing::ReadFile("camp.info"), testing::ReadFile("out.db"));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"camp.info", "elsewhere.info", "out.db", "version.info"}));
}

// A replaced database or info file keeps the old file's permission bits and,
// when the process may set them, its owner and group; a new file gets 0666
// less the umask.
TEST(OutputFile, AReplacedFileKeepsItsOwnerAndMode) {
  testing::ScratchFolder folder;
  Loaded loaded;
  Load(loaded, testdb::Database{}, Layout::Base);
  const mode_t umask = ::umask(027);
  const bool privileged = ::geteuid() == 0;
  const uid_t owner = privileged ? 4321 : ::geteuid();
  const gid_t group = privileged ? 8765 : ::getegid();

  struct Case {
    std::string name;
    mode_t mode;
  };
  for (const Case& c : {Case{"out.db", 0640}, Case{"camp.info", 0604}, Case{"version.info", 0755}}) {
    testing::WriteFile(c.name, "earlier");
    ASSERT_EQ(::chmod(c.name.c_str(), c.mode), 0);
    ASSERT_EQ(::chown(c.name.c_str(), owner, group), 0);
  }
  ASSERT_TRUE(WriteTo(loaded, "out.db").ok);
  for (const Case& c : {Case{"out.db", 0640}, Case{"camp.info", 0604}, Case{"version.info", 0755}}) {
    SCOPED_TRACE(c.name);
    struct stat st {};
    ASSERT_EQ(::stat(c.name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_NE(testing::ReadFile(c.name), "earlier");
  }

  fs::remove("out.db");
  fs::remove("camp.info");
  ASSERT_TRUE(WriteTo(loaded, "out.db").ok);
  for (const char* name : {"out.db", "camp.info"}) {
    struct stat st {};
    ASSERT_EQ(::stat(name, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << name;
    EXPECT_EQ(st.st_uid, ::geteuid()) << name;
  }
  ::umask(umask);
}

}  // namespace
}  // namespace campdb
