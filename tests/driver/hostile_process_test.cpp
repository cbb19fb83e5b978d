// The built tool against what an operator may really give it: damaged files,
// files of the other layout and files that are no database at all, run in
// every mode under a tight address-space limit; edit sessions cut off at
// every byte or full of garbage; and runs interrupted by a signal. Every run
// must end the process normally.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "driver/scratch.h"
#include "support/db_builder.h"
#include "support/large_database.h"

namespace campdb::testing {
namespace {

using testdb::Bytes;
using testdb::Layout;
using testdb::Str;

// AddressSanitizer reserves terabytes of address space for its shadow
// memory, so a tool built with it cannot run under an address-space limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// A tool that runs longer than this is taken to be stuck in a loop. Normal
// runs here take milliseconds.
constexpr unsigned kWatchdogSeconds = 20;

const std::string kTearDownEnd = "== finished tPrelimData ==\n";

std::string SourceFile(const std::string& relative) {
  const auto bytes = ReadFile(std::string(CAMPDB_SOURCE_DIR) + "/" + relative);
  if (!bytes) ADD_FAILURE() << "missing " << relative;
  return bytes.value_or("");
}

// What a run of the tool must show however bad its input: it ended by
// itself with one of its own exit statuses.
void ExpectNormalEnd(const ToolRun& run) {
  EXPECT_EQ(run.signal, 0) << "the tool was ended by signal " << run.signal;
  EXPECT_TRUE(run.status >= 0 && run.status <= 4) << "exit status " << run.status;
}

// A scripted run that left its course names the input line of each answer
// that did it.
bool LeftCourse(const ToolRun& run) { return run.diagnostics.find("campdb: input line ") != std::string::npos; }

// --- damaged and foreign databases ------------------------------------------

struct HostileFile {
  std::string name;
  Bytes bytes;
};

testdb::Database SmallDatabase() {
  testdb::Database db;
  db.SetGrid(2, 2);
  db.political.Fill(3);
  testdb::Character c;
  c.objectId = 10;
  c.characterName = "Victim";
  c.ships.resize(1);
  c.ships[0].shipId = 11;
  testdb::Ship s;
  s.objectId = 11;
  s.captainId = 10;
  testdb::News n;
  n.objectId = 12;
  db.Add(c);
  db.Add(s);
  db.Add(n);
  return db;
}

std::vector<HostileFile> HostileFiles() {
  std::vector<HostileFile> files;
  const auto damaged = [&](std::string name, const std::function<void(testdb::Database&)>& damage) {
    testdb::Database db = SmallDatabase();
    damage(db);
    files.push_back({std::move(name), testdb::ToBytes(db, Layout::Base)});
  };
  const auto character = [](const std::function<void(testdb::Character&)>& damage) {
    return [damage](testdb::Database& db) {
      testdb::Character c;
      c.objectId = 10;
      c.ships.resize(1);
      damage(c);
      db.objects[0] = testdb::ToBytes(c);
    };
  };

  damaged("campaign name of 2^31-1 bytes", [](auto& db) { db.campaign.campaignName = Str::Stored(INT_MAX, "x"); });
  damaged("2^31-1 missions", [](auto& db) { db.campaign.missionCountWord = INT_MAX; });
  damaged("-2^31 missions", [](auto& db) { db.campaign.missionCountWord = INT_MIN; });
  damaged("2^31-1 playable races", [](auto& db) { db.campaign.raceCountWord = INT_MAX; });
  damaged("-2^31 playable races", [](auto& db) { db.campaign.raceCountWord = INT_MIN; });
  damaged("map 65536 x 65536", [](auto& db) { db.map.columns = db.map.rows = 65536; });
  damaged("map (2^31-1) x (2^31-1)", [](auto& db) { db.map.columns = db.map.rows = INT_MAX; });
  damaged("map -2^31 x -1", [](auto& db) {
    db.map.columns = INT_MIN;
    db.map.rows = -1;
  });
  damaged("map -2^31 x 2", [](auto& db) {
    db.map.columns = INT_MIN;
    db.map.rows = 2;
  });
  damaged("tension matrix 46341 (cells pass 2^31)", [](auto& db) { db.political.matrixSize = 46341; });
  damaged("tension matrix -2^31", [](auto& db) { db.political.matrixSize = INT_MIN; });
  damaged("2^31-1 bid entries", character([](auto& c) { c.bidCountWord = INT_MAX; }));
  damaged("2^31-1 ship entries", character([](auto& c) { c.shipCountWord = INT_MAX; }));
  damaged("-2^31 ship entries", character([](auto& c) { c.shipCountWord = INT_MIN; }));
  damaged("character name of 2^31-1 bytes", character([](auto& c) { c.characterName = Str::Stored(INT_MAX, "V"); }));
  damaged("fighter type of 2^31-1 bytes", [](auto& db) {
    testdb::Ship s;
    s.objectId = 11;
    s.bays[0].fighterType = Str::Stored(INT_MAX, "abc");
    db.objects[1] = testdb::ToBytes(s);
  });
  damaged("news story of 2^31-1 bytes", [](auto& db) {
    testdb::News n;
    n.objectId = 12;
    n.storyText = Str::Stored(INT_MAX, "abc");
    db.objects[2] = testdb::ToBytes(n);
  });
  damaged("unknown object of declared size 2^31-1", [](auto& db) {
    testdb::RawObject raw;
    raw.frame.tag = ".?AVtFleet@@";
    raw.frame.size = INT_MAX;
    raw.body = Bytes(32, '\x05');
    db.objects.insert(db.objects.begin() + 1, testdb::ToBytes(raw));
  });
  damaged("class tag of 2^31-1 bytes", [](auto& db) {
    testdb::RawObject raw;
    raw.frame.tag = Str::Stored(INT_MAX, ".?AVtShip@@");
    db.objects.insert(db.objects.begin(), testdb::ToBytes(raw));
  });
  damaged("2^31-1 objects announced", [](auto& db) { db.header.objectCount = INT_MAX; });
  damaged("-2^31 objects announced", [](auto& db) { db.header.objectCount = INT_MIN; });

  testdb::Header header;
  header.objectCount = INT_MAX;
  files.push_back({"only a header announcing 2^31-1 objects", testdb::ToBytes(header)});
  files.push_back({"a megabyte of 0xFF", Bytes(size_t{1} << 20, '\xFF')});
  files.push_back({"a megabyte of zeros", Bytes(size_t{1} << 20, '\0')});
  files.push_back({"an empty file", ""});
  files.push_back({"a shiplist instead of a database", SourceFile("examples/sample-shiplist.txt")});
  files.push_back({"the base sample", SourceFile("examples/sample-base.db")});
  files.push_back({"the Ostrel sample", SourceFile("examples/sample-ostrel.db")});
  return files;
}

// A session that calls on every editor, whatever the database holds; every
// question it meets is answered by something, and the rest of the way the
// input runs out.
const std::string kEveryEditor =
    "P\nVictim\nH\n1\n1\nN\nRenamed\nS\nY\nR\nS\nF\n1\nA\n0\n\n0\n\n0\n\nT\nX\nships.txt\nQ\nQ\n"
    "T\n0\n1\n500\nM\nA\nR\nD\n5\nx\nM\nI\n0\n0\nX\nx\n"
    "C\nC\nName\nDescription\nM\nm.scr\nA\nR\n3\nA\nQ\nS\n11\nR\nQ\nQ\n";

// Runs every hostile file in each layout and each mode with the address
// space held to a small multiple of the file's size plus room for the
// runtime: a count or length taken from the file instead of the bytes
// behind it would need gigabytes and fail.
TEST(HostileFiles, EveryModeEndsNormallyInMemoryProportionalToTheFile) {
  if (kAddressSanitizer) GTEST_SKIP() << "an AddressSanitizer build cannot run under an address-space limit";
  ScratchFolder folder;
  WriteFile("ships.txt", SourceFile("examples/sample-shiplist.txt"));

  for (const HostileFile& file : HostileFiles()) {
    WriteFile("in.db", file.bytes);
    ToolLimits limits;
    limits.addressSpace = (rlim_t{48} << 20) + rlim_t{4} * file.bytes.size();
    limits.watchdogSeconds = kWatchdogSeconds;
    for (const char* variant : {"n", "y"}) {
      for (const std::string& mode : {std::string("C\n"), std::string("R\n"), "E\n" + kEveryEditor}) {
        SCOPED_TRACE(file.name + ", variant " + variant + ", mode " + mode.substr(0, 1));
        const ToolRun run = RunTool({"in.db", "report.txt", "out.db"}, variant + ("\n" + mode), limits);
        ExpectNormalEnd(run);
        EXPECT_TRUE(run.transcript.ends_with(kTearDownEnd)) << run.transcript.substr(0, 4096);
        EXPECT_EQ(ReadFile("in.db"), file.bytes);
      }
    }
  }
}

// --- sessions cut short or full of garbage ----------------------------------

// Checks the end of an edit run whose input ran out: one notice, then no
// editor line at all, only the writing of the database and the release.
void ExpectEditorLeftAtTheEnd(const ToolRun& run) {
  const std::string notice = "End of input, leaving the editor\n";
  const auto at = run.transcript.find(notice);
  if (at == std::string::npos) return;  // the session quit by itself
  EXPECT_EQ(run.transcript.find(notice, at + 1), std::string::npos) << "notice printed twice";
  const std::string after = run.transcript.substr(at + notice.size());
  EXPECT_TRUE(after.starts_with("Producing an updated camp.info file\n")) << after.substr(0, 2048);
}

struct SessionSample {
  const char* database;
  const char* session;  // in tests/sessions/, its standard input opening an Edit
};

// Every prefix of a long session that visits every editor and command: the
// input may end at any byte, inside a name, a number or a menu choice.
TEST(HostileSessions, AnEditSessionCutAtEveryByteEnds) {
  ScratchFolder folder;
  WriteFile("ships.txt", SourceFile("examples/sample-shiplist.txt"));
  for (const SessionSample& sample : {SessionSample{"examples/sample-base.db", "every-editor"},
                                      SessionSample{"examples/sample-ostrel.db", "ostrel-captain"},
                                      SessionSample{"examples/sample-base.db", "letters-for-numbers"}}) {
    WriteFile("in.db", SourceFile(sample.database));
    const std::string input = SourceFile(std::string("tests/sessions/") + sample.session + "/stdin");
    for (size_t cut = 0; cut <= input.size(); ++cut) {
      SCOPED_TRACE(std::string(sample.session) + " cut after " + std::to_string(cut) + " bytes");
      ToolLimits limits;
      limits.watchdogSeconds = kWatchdogSeconds;
      // The output database goes to a device: nothing to sync, and nothing
      // left behind between runs.
      const ToolRun run = RunTool({"in.db", "-", "/dev/null"}, input.substr(0, cut), limits);
      ASSERT_EQ(run.signal, 0) << "the tool was ended by signal " << run.signal;
      // Before the mode is known the run ends at once; after it, the
      // changes made so far are written, with status 4 when an answer was
      // refused or could not be used, as standard error says.
      EXPECT_EQ(run.status, cut < 3 ? 1 : LeftCourse(run) ? 4 : 0);
      if (cut >= 3) {
        EXPECT_TRUE(run.transcript.ends_with(kTearDownEnd));
        ExpectEditorLeftAtTheEnd(run);
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// Random keystrokes, letters where numbers belong and binary noise, at
// every question of every editor.
TEST(HostileSessions, GarbageAtEveryQuestionEnds) {
  ScratchFolder folder;
  WriteFile("ships.txt", SourceFile("examples/sample-shiplist.txt"));
  WriteFile("in.db", SourceFile("examples/sample-base.db"));

  std::vector<std::string> sessions = {
      std::string(4000, 'x'),
      std::string(4000, '\n'),
      std::string(4000, '\0'),
      "C\nD\n" + std::string(2000, 'z') + "\nY\nabc\n-\n+\n0x\nQ\n",
      "T\nRomulan\nKlingon\n\n\n-0x80000001\n99999999999999999999\n",
      "M\nI\nrow\ncolumn\n-1\n99\n0x1\n",
      "P\nAria\nH\nnorth\nsouth\nR\nKlingon\n",
      "S\nthe yard\n1107\nF\nmany\nHornet\n",
      "P\n" + std::string(3000, 'A') + "\n",
  };
  // Menu letters, digits, signs and separators in random order.
  const std::string alphabet = "PTMCSOQYNREHGLKDBFAVXIdeqyn0123456789-+x \n\n\n\t\r";
  std::mt19937 random(20240601);
  for (int i = 0; i < 150; ++i) {
    std::string session;
    const size_t length = 1 + random() % 400;
    for (size_t k = 0; k < length; ++k) session.push_back(alphabet[random() % alphabet.size()]);
    sessions.push_back(std::move(session));
  }
  for (int i = 0; i < 20; ++i) {
    std::string session = "P\nAria\n";
    for (int k = 0; k < 300; ++k) session.push_back(static_cast<char>(random() & 0xFF));
    sessions.push_back(std::move(session));
  }

  for (const std::string& session : sessions) {
    SCOPED_TRACE(session.substr(0, 80));
    ToolLimits limits;
    limits.watchdogSeconds = kWatchdogSeconds;
    const ToolRun run = RunTool({"in.db", "-", "/dev/null"}, "n\nE\n" + session, limits);
    ASSERT_EQ(run.signal, 0) << "the tool was ended by signal " << run.signal;
    EXPECT_EQ(run.status, LeftCourse(run) ? 4 : 0);
    EXPECT_TRUE(run.transcript.ends_with(kTearDownEnd));
    ExpectEditorLeftAtTheEnd(run);
  }
}

// --- interrupted runs ----------------------------------------------------------

// The sizes of the temporary files the tool has made beside its output.
std::vector<uintmax_t> TemporaryFileSizes() {
  std::vector<uintmax_t> sizes;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(".", error)) {
    if (entry.path().filename().string().starts_with(".campdb-")) sizes.push_back(entry.file_size(error));
  }
  return sizes;
}

// Starts an Edit of in.db into out.db, its answers coming through a pipe
// that stays open (its writing end is returned), over earlier outputs.
StartedTool StartEdit(const std::string& answers, int& answersEnd) {
  for (const char* name : {"out.db", "camp.info", "version.info"}) WriteFile(name, "earlier");
  int pipeFds[2];
  if (::pipe(pipeFds) != 0 || ::write(pipeFds[1], answers.data(), answers.size()) < 0) std::abort();
  answersEnd = pipeFds[1];
  ToolLimits limits;
  limits.watchdogSeconds = kWatchdogSeconds;
  return StartTool({"in.db", "-", "out.db"}, pipeFds[0], limits);
}

// A signalled run ends with 128 + the signal, leaving no temporary file and
// every earlier file as it was.
void ExpectInterrupted(const StartedTool& tool, int signal, ToolRun run, int answersEnd) {
  ::kill(tool.pid, signal);
  ::kill(tool.pid, SIGCONT);
  run = FinishTool(tool, run);
  ::close(answersEnd);
  EXPECT_EQ(run.status, 128 + signal);
  EXPECT_EQ(run.transcript.find("Wrote"), std::string::npos);
  EXPECT_EQ(TemporaryFileSizes().size(), 0u);
  for (const char* name : {"out.db", "camp.info", "version.info"}) EXPECT_EQ(ReadFile(name), "earlier") << name;
}

// A run waiting at the edit menu has made its temporary output file.
TEST(InterruptedRuns, ASignalAtTheEditMenuRemovesTheTemporaryFile) {
  ScratchFolder folder;
  WriteFile("in.db", SourceFile("examples/sample-base.db"));
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    int answersEnd = -1;
    const StartedTool tool = StartEdit("n\nE\n", answersEnd);
    ToolRun run;
    while (run.transcript.find("choice>") == std::string::npos && ReadSome(tool.out, run.transcript, 1000)) {
    }
    EXPECT_EQ(TemporaryFileSizes().size(), 1u);
    ExpectInterrupted(tool, signal, run, answersEnd);
  }
}

// A large database being written: the run is stopped as soon as its
// temporary file grows and, once seen to be part-written, signalled.
TEST(InterruptedRuns, ASignalDuringTheWriteRemovesTheTemporaryFile) {
  ScratchFolder folder;
  testdb::LargeDatabaseOptions options;
  options.objects = 40000;
  const std::string database = testdb::LargeDatabaseBytes(options);
  WriteFile("in.db", database);
  bool caughtMidWrite = false;
  for (int attempt = 0; attempt < 5 && !caughtMidWrite; ++attempt) {
    int answersEnd = -1;
    const StartedTool tool = StartEdit("n\nE\nQ\n", answersEnd);  // writes the input back whole
    ToolRun run;
    for (auto sizes = TemporaryFileSizes(); sizes.empty() || sizes[0] == 0; sizes = TemporaryFileSizes()) {
      if (!ReadSome(tool.out, run.transcript, 0)) break;  // it ended
    }
    ::kill(tool.pid, SIGSTOP);
    const auto sizes = TemporaryFileSizes();
    caughtMidWrite = sizes.size() == 1 && sizes[0] < database.size() && ReadFile("out.db") == "earlier";
    if (caughtMidWrite) {
      ExpectInterrupted(tool, SIGINT, run, answersEnd);
    } else {
      ::kill(tool.pid, SIGCONT);
      ::close(answersEnd);
      FinishTool(tool, run);
    }
  }
  EXPECT_TRUE(caughtMidWrite) << "no attempt stopped the run while it was writing";
}

// The input is read whole when the run starts: a file that another process
// cuts short or rewrites while the tool waits at the edit menu changes
// nothing the run writes, and crashes nothing.
TEST(Snapshot, AnInputCutOrRewrittenDuringTheRunChangesNothing) {
  ScratchFolder folder;
  const std::string sample = SourceFile("examples/sample-base.db");
  for (const std::string& replacement : {std::string(), std::string(sample.size() * 2, '\xA5')}) {
    WriteFile("in.db", sample);
    int answersEnd = -1;
    const StartedTool tool = StartEdit("n\nE\n", answersEnd);
    ToolRun run;
    while (run.transcript.find("choice>") == std::string::npos && ReadSome(tool.out, run.transcript, 1000)) {
    }
    WriteFile("in.db", replacement);
    if (::write(answersEnd, "Q\n", 2) != 2) std::abort();
    ::close(answersEnd);
    run = FinishTool(tool, run);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile("out.db"), sample);
  }
}

}  // namespace
}  // namespace campdb::testing
