// End-to-end runs of the built tool: scripted standard input, the whole
// console transcript, the exit status and the files left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/mixed_database.h"
#include "driver/scratch.h"
#include "support/db_builder.h"

namespace campdb::testing {
namespace {

using testdb::Layout;
using testdb::ToBytes;
using Names = std::vector<std::string>;

const std::string kVariantQuestion = "Is this an Ostrel campaign file (y or n)?\n";
const std::string kModeQuestion =
    "Do you wish to clean the file, edit the file or generate a report (pick one: C, E, or R)?\n";
const std::string kQuestions = kVariantQuestion + kModeQuestion;
const std::string kInfoFiles = Lines({"Producing an updated camp.info file", "Producing an updated version.info file"});
const std::string kTearDown = Lines({"== finished with sMiscObject array == ", "== finished with tPoliticalObject ==",
                                     "== finished with MapHexPtr array ==", "== finished tMapObject ==",
                                     "== finished tCampaignObject ==", "== finished tPrelimData =="});
const std::string kEndOfInput = "End of input, terminating program\n";

std::string Load(int specified) {
  return Lines({"finished reading prelim data", "finished reading campaign data", "finished reading initial map data",
                "finished reading map data", "finished reading political data"}) +
         std::to_string(specified) + " objects specified\nfinished with input file\n";
}

std::string NoOutputDatabase(const std::string& name) {
  return "Unable to open output database file " + name + ",\n   so an updated database cannot be produced\n";
}

// The editor's own dialogue lies between these two parts of an Edit run.
void ExpectTranscript(const ToolRun& run, const std::string& before, const std::string& after) {
  EXPECT_TRUE(run.transcript.starts_with(before)) << run.transcript;
  EXPECT_TRUE(run.transcript.ends_with(after)) << run.transcript;
}

TEST(ToolRun, CleanWritesTheKeptObjectsAndTheInfoFiles) {
  ScratchFolder folder;
  MixedDatabase mixed = MakeMixedDatabase();
  WriteFile("in.db", ToBytes(mixed.db, Layout::Base));
  WriteFile("out.db", "an earlier output");

  // The report name is not used in Clean mode.
  const ToolRun run = RunTool({"in.db", "report.txt", "out.db"}, "n\nC\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.transcript, kQuestions + Load(14) +
                                Lines({"After cleaning thinks there are 14 objects", "   and numobjects is 7"}) +
                                kInfoFiles + "Wrote 14 objects\n" +
                                "DB CLEAN COMPLETE: removed 7 out of 14 objects from database\n\n" + kTearDown);
  testdb::Database cleaned = mixed.db;
  cleaned.objects = mixed.kept;
  EXPECT_EQ(ReadFile("out.db"), ToBytes(cleaned, Layout::Base));
  EXPECT_EQ(ReadFile("version.info"), "2.5.1\n");
  EXPECT_EQ(folder.Names(), (Names{"camp.info", "in.db", "out.db", "version.info"}));

}

TEST(ToolRun, EditWithoutChangesWritesTheSameBytesInBothLayouts) {
  ScratchFolder folder;
  MixedDatabase mixed = MakeMixedDatabase();
  const std::string base = ToBytes(mixed.db, Layout::Base);
  const std::string ostrel = ToBytes(mixed.db, Layout::Ostrel);
  WriteFile("base.db", base);
  WriteFile("ostrel.db", ostrel);

  // Names asked for; wrong answers repeat their question.
  const ToolRun baseRun = RunTool({}, "base.db\nx\nn\nQ\ne\nout.db\n");
  ExpectTranscript(baseRun,
                   "Please enter the name of the input db file\n" + kVariantQuestion + kVariantQuestion +
                       kModeQuestion + kModeQuestion + "Please enter the name of the output db file\n" + Load(14),
                   kInfoFiles + "Wrote 21 objects\n" + kTearDown);
  EXPECT_EQ(baseRun.status, 0);
  EXPECT_EQ(ReadFile("out.db"), base);

  // "yes" answers both questions (y: Ostrel, e: Edit) and its s is taken as
  // the output name.
  const ToolRun ostrelRun = RunTool({"ostrel.db"}, "yes\n");
  ExpectTranscript(ostrelRun, kQuestions + "Please enter the name of the output db file\n" + Load(14),
                   kInfoFiles + "Wrote 21 objects\n" + kTearDown);
  EXPECT_EQ(ReadFile("s"), ostrel);
}

// Where the load stops short of the input's end, an unchanged Edit still
// gives the input back byte for byte: the bytes it did not load follow the
// objects verbatim. "Wrote" counts only the objects. Clean drops those bytes:
// it writes what it writes from the input without them.
TEST(ToolRun, EditGivesBackTheBytesTheLoadDidNotTake) {
  ScratchFolder folder;
  const MixedDatabase mixed = MakeMixedDatabase();
  const std::vector<testdb::Bytes>& objects = mixed.db.objects;  // 14, on 4 hexes
  const auto sizeOf = [&](size_t from, size_t to) {
    size_t size = 0;
    for (size_t i = from; i < to; ++i) size += objects[i].size();
    return size;
  };
  testdb::News mismatched;
  mismatched.frame.size = 100;
  mismatched.frame.size2 = 101;
  const testdb::Bytes bad = testdb::ToBytes(mismatched);

  struct Case {
    const char* what;
    testdb::Database db;
    testdb::Bytes after;  // bytes after the objects
    size_t unloaded;      // bytes at the end the load does not take
    int written;
  };
  std::vector<Case> cases;
  {
    Case c{"size mismatch at object 5", mixed.db, "", bad.size() + sizeOf(5, 14), 5 + 4 + 3};
    c.db.objects.insert(c.db.objects.begin() + 5, bad);
    cases.push_back(std::move(c));
  }
  {
    Case c{"the file ends inside a size word", mixed.db, objects[0].substr(0, 5), 5, 14 + 4 + 3};
    c.db.header.objectCount = 3 + 4 + 16;
    cases.push_back(std::move(c));
  }
  {
    Case c{"more objects announced than held", mixed.db, "", 0, 14 + 4 + 3};
    c.db.header.objectCount = 3 + 4 + 20;
    cases.push_back(std::move(c));
  }
  {
    Case c{"bytes after the last announced object", mixed.db, std::string("junk\0\xFF", 6), sizeOf(10, 14) + 6,
           10 + 4 + 3};
    c.db.header.objectCount = 3 + 4 + 10;
    cases.push_back(std::move(c));
  }
  {
    Case c{"no object announced", mixed.db, "", sizeOf(0, 14), 4 + 3};
    c.db.header.objectCount = 0;
    cases.push_back(std::move(c));
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string input = ToBytes(c.db, Layout::Base) + c.after;
    WriteFile("in.db", input);
    // "k" answers the wait after a size mismatch, if there is one.
    const ToolRun edit = RunTool({"in.db", "-", "out.db"}, "n\nE\nk\nQ\n");
    EXPECT_NE(edit.transcript.find(kInfoFiles + "Wrote " + std::to_string(c.written) + " objects\n" + kTearDown),
              std::string::npos)
        << edit.transcript;
    EXPECT_TRUE(ReadFile("out.db") == input);

    RunTool({"in.db", "-", "out.db"}, "n\nC\nk\n");
    const auto cleaned = ReadFile("out.db");
    EXPECT_TRUE(cleaned.has_value());
    WriteFile("in.db", input.substr(0, input.size() - c.unloaded));
    RunTool({"in.db", "-", "out.db"}, "n\nC\n");
    EXPECT_TRUE(cleaned == ReadFile("out.db"));
  }
}

TEST(ToolStart, MissingInputOrEndOfInputWritesNothing) {
  ScratchFolder folder;
  WriteFile("in.db", ToBytes(testdb::Database{}, Layout::Base));
  fs::create_directory("folder");

  // A device that never ends is refused, not read until memory runs out.
  for (const std::string name : {"missing.db", "folder", "/dev/zero"}) {
    const ToolRun run = RunTool({name}, "n C out.db\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.transcript, "Unable to open input file " + name + ",   terminating program\n");
  }

  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string transcript;
  };
  const std::vector<Case> cases = {
      {{}, "  \n", "Please enter the name of the input db file\n" + kEndOfInput},
      {{"in.db"}, "", kVariantQuestion + kEndOfInput},
      {{"in.db"}, "x n", kVariantQuestion + kVariantQuestion + kModeQuestion + kEndOfInput},
      {{"in.db"}, "n C\n", kQuestions + "Please enter the name of the output db file\n" + kEndOfInput},
      {{"in.db"}, "n R", kQuestions + "Please enter the name of the report file\n" + kEndOfInput},
  };
  for (const Case& c : cases) {
    const ToolRun run = RunTool(c.args, c.input);
    EXPECT_EQ(run.status, 1) << c.input;
    EXPECT_EQ(run.transcript, c.transcript);
  }
  EXPECT_EQ(folder.Names(), (Names{"folder", "in.db"}));

  const ToolRun version = RunTool({"--version", "in.db"}, "");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.transcript, "campdb 1.0.0\n");
  const ToolRun help = RunTool({"--help"}, "n C out.db\n");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.transcript.starts_with("Usage: campdb")) << help.transcript;
}

TEST(ToolSafety, NoFileIsWrittenOverTheInput) {
  ScratchFolder folder;
  const std::string input = ToBytes(MakeMixedDatabase().db, Layout::Base);
  WriteFile("in.db", input);
  fs::create_hard_link("in.db", "hard.db");
  fs::create_symlink("in.db", "sym.db");

  for (const std::string name : {"in.db", "./in.db", "hard.db", "sym.db", "."}) {
    const ToolRun run = RunTool({"in.db", "-", name}, "n E\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.transcript, kQuestions + NoOutputDatabase(name) + Load(14) + kTearDown);
    EXPECT_EQ(run.diagnostics, "campdb: " + name +
                                   (name == "." ? ": Is a directory\n"
                                                : ": refers to the input database, which is never written\n"));
    // The same for a report; the database is still loaded and released.
    const ToolRun report = RunTool({"in.db", name}, "nr");
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(report.transcript, kQuestions + "Unable to open output file " + name +
                                     ",\n   so a full report will not be generated\n" + Load(14) + kTearDown);
  }
  EXPECT_EQ(folder.Names(), (Names{"hard.db", "in.db", "sym.db"}));

  // An input named like an info file is not replaced by it.
  fs::rename("in.db", "camp.info");
  const ToolRun run = RunTool({"camp.info", "-", "out.db"}, "n C\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.transcript.find("Unable to produce matching camp.info file\n"
                                "Producing an updated version.info file\nWrote 14 objects\n"),
            std::string::npos)
      << run.transcript;
  EXPECT_EQ(ReadFile("camp.info"), input);
}

TEST(ToolSafety, AnOutputNameThatCannotBeOpenedIsRefusedBeforeLoading) {
  ScratchFolder folder;
  WriteFile("in.db", ToBytes(MakeMixedDatabase().db, Layout::Base));
  WriteFile("kept.db", "an earlier output");
  fs::permissions("kept.db", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::vector<std::string> names = {"", std::string(300, 'x'), "missing/out.db"};
  // Only an operator without the right to write it is kept out of a
  // read-only file.
  if (::geteuid() != 0) names.push_back("kept.db");

  for (const std::string& name : names) {
    const ToolRun run = RunTool({"in.db", "-", name}, "n C\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.transcript, kQuestions + NoOutputDatabase(name) + Load(14) + kTearDown);
  }
  EXPECT_EQ(folder.Names(), (Names{"in.db", "kept.db"}));
  EXPECT_EQ(ReadFile("kept.db"), "an earlier output");
}

TEST(ToolSafety, FailedWritesAreReportedAndKeepTheEarlierOutput) {
  ScratchFolder folder;
  const std::string input = ToBytes(MakeMixedDatabase().db, Layout::Base);
  WriteFile("in.db", input);
  const std::string earlier = "an earlier output database";
  WriteFile("out.db", earlier);
  const std::string failed = "ERROR: unable to write output database out.db\n" + kTearDown;

  // The database does not fit under the file-size limit; the info files do.
  const ToolRun tooBig = RunTool({"in.db", "-", "out.db"}, "n C\n", 2000);
  EXPECT_EQ(tooBig.status, 1);
  EXPECT_EQ(tooBig.transcript, kQuestions + Load(14) +
                                   Lines({"After cleaning thinks there are 14 objects", "   and numobjects is 7"}) +
                                   kInfoFiles + failed);
  EXPECT_EQ(ReadFile("out.db"), earlier);
  EXPECT_EQ(tooBig.diagnostics, "campdb: out.db: File too large\n");
  // The info files follow their database: none was written.
  EXPECT_EQ(folder.Names(), (Names{"in.db", "out.db"}));

  // A device is written directly; a full one fails.
  const ToolRun full = RunTool({"in.db", "-", "/dev/full"}, "n C\n");
  EXPECT_EQ(full.status, 1);
  EXPECT_TRUE(full.transcript.ends_with("ERROR: unable to write output database /dev/full\n" + kTearDown));

  // A folder in the way of camp.info leaves the rest of the run alone.
  fs::remove("camp.info");
  fs::create_directory("camp.info");
  const ToolRun blocked = RunTool({"in.db", "-", "out.db"}, "n C\n");
  EXPECT_EQ(blocked.status, 0);
  EXPECT_NE(blocked.transcript.find("Unable to produce matching camp.info file\n"
                                    "Producing an updated version.info file\nWrote 14 objects\n"),
            std::string::npos);
  EXPECT_NE(ReadFile("out.db"), earlier);
  EXPECT_EQ(ReadFile("in.db"), input);
}

// One row per kind of run: what the tool was given, its exit status and
// everything it said on standard error. Standard output is never the place
// for any of it.
TEST(ToolRun, ExitStatusesAndWhatStandardErrorSays) {
  ScratchFolder folder;
  MixedDatabase mixed = MakeMixedDatabase();
  const std::string good = ToBytes(mixed.db, Layout::Base);
  WriteFile("good.db", good);
  WriteFile("trailing.db", good + "bytes after the last object");
  WriteFile("cut.db", good.substr(0, good.size() - 10));
  WriteFile("empty.db", "");
  fs::create_directory("folder");
  testdb::Database shortList = mixed.db;
  shortList.header.objectCount = 3 + 4 + 16;  // two objects more than the file holds
  WriteFile("short.db", ToBytes(shortList, Layout::Base));
  testdb::Database mismatch = mixed.db;
  testdb::News news;
  news.frame.size2 = 999;
  mismatch.objects.insert(mismatch.objects.begin() + 3, testdb::ToBytes(news));
  size_t notLoaded = 0;
  for (size_t i = 3; i < mismatch.objects.size(); ++i) notLoaded += mismatch.objects[i].size();
  ASSERT_EQ(notLoaded, 4751u);  // from the object that failed to the end
  WriteFile("mismatch.db", ToBytes(mismatch, Layout::Base));

  const std::string warning = "campdb: warning: ";
  struct Row {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string diagnostics;
  };
  const std::vector<Row> rows = {
      {{"good.db", "-", "out.db"}, "n C\n", 0, ""},
      {{"good.db", "-", "out.db"}, "n E\nQ\n", 0, ""},
      {{"good.db", "report.txt"}, "n R\n", 0, ""},
      // Bytes after the last announced object do not make a load incomplete.
      {{"trailing.db", "-", "out.db"}, "n C\n", 0, ""},
      {{"good.db"}, "n", 1, ""},
      {{"good.db", "-", "no-such-dir/out.db"}, "n C\n", 1,
       "campdb: no-such-dir/out.db: No such file or directory\n"},
      {{"good.db", "folder"}, "n R\n", 1, "campdb: folder: Is a directory\n"},
      {{"good.db", "-", "/dev/full"}, "n C\n", 1, "campdb: /dev/full: No space left on device\n"},
      // The shiplist the ship editor cannot open is told, and the run goes on.
      {{"good.db", "-", "out.db"}, "n E\nS 24\nT\nNew type\nno-such.txt\nQ\nQ\n", 0,
       "campdb: no-such.txt: No such file or directory\n"},
      {{"missing.db"}, "", 2, "campdb: missing.db: No such file or directory\n"},
      {{"folder"}, "", 2, "campdb: folder: Is a directory\n"},
      {{"cut.db", "-", "out.db"}, "n C\n", 3,
       warning + "cut.db: the file ends inside object 14 of 14; 14 of 14 objects loaded\n"},
      {{"cut.db", "report.txt"}, "n R\n", 3,
       warning + "cut.db: the file ends inside object 14 of 14; 14 of 14 objects loaded\n"},
      {{"short.db", "-", "out.db"}, "n E\nQ\n", 3,
       warning + "short.db: loading stopped at object 15 of 16 (end of file); 0 bytes not loaded\n"},
      {{"mismatch.db", "-", "out.db"}, "n C\n", 3,
       warning + "mismatch.db: loading stopped at object 4 of 15 (size mismatch); 4,751 bytes not loaded\n"},
      {{"empty.db", "report.txt"}, "n R\n", 3, warning + "empty.db: the file ends inside the header\n"},
      // The wrong layout: read as Ostrel, the hexes are misread too.
      {{"good.db", "-", "out.db"}, "y C\n", 3,
       warning + "good.db: the file ends inside the campaign record; 0 of 18 objects loaded\n"},
      // A run that could not write its output fails, damaged input or not.
      {{"cut.db", "-", "no-such-dir/out.db"}, "n C\n", 1,
       "campdb: no-such-dir/out.db: No such file or directory\n" + warning +
           "cut.db: the file ends inside object 14 of 14; 14 of 14 objects loaded\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.input);
    const ToolRun run = RunTool(row.args, row.input);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.diagnostics, row.diagnostics);
    EXPECT_EQ(run.transcript.find("campdb:"), std::string::npos);
    if (row.status != 2 && row.input.size() > 1) {
      EXPECT_TRUE(run.transcript.ends_with(kTearDown));
    }
  }
}

}  // namespace
}  // namespace campdb::testing
