#include "maintenance/output_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/driver.h"
#include "driver/scratch.h"
#include "maintenance/output_faults.h"
#include "support/db_builder.h"

namespace campdb {
namespace {

using testing::ReadFile;
using testing::WriteFile;

struct InProcessRun {
  int status = 0;
  std::string transcript;
  std::string diagnostics;
};

InProcessRun RunInProcess(std::vector<std::string> args, const std::string& input) {
  args.insert(args.begin(), "campdb");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  InProcessRun run;
  run.status = RunProgram(static_cast<int>(args.size()), argv.data(), in, out, err);
  run.transcript = out.str();
  run.diagnostics = err.str();
  return run;
}

size_t Count(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

bool HasTemporaryFile(const testing::ScratchFolder& folder) {
  for (const auto& name : folder.Names()) {
    if (name.starts_with(".campdb-")) return true;
  }
  return false;
}

// Makes each write, sync, close and rename of a run that writes a database
// fail in turn, in Clean mode and in Edit mode (a session of a lone Q): each
// failure is reported once, and the output database is either the earlier
// one or the complete new one, never anything in between. The info files
// are written only after the database is in place, the same way, so a
// failure of the database leaves them as they were (here: not there).
void SweepDatabaseWriteFaults(const testing::ScratchFolder& folder, const std::string& answers,
                              const std::string& complete, const std::string& successLine) {
  SCOPED_TRACE(answers);
  const std::string earlier = "an earlier output database";
  WriteFile("out.db", earlier);
  output_faults::FailNth(0);
  ASSERT_EQ(RunInProcess({"in.db", "-", "out.db"}, answers).status, 0);
  // For each of the database, camp.info and version.info in turn: write,
  // sync, close, rename, folder sync.
  constexpr int64_t kStepsPerFile = 5;
  ASSERT_EQ(output_faults::Performed(), 3 * kStepsPerFile);

  int64_t databaseFailures = 0;
  for (int64_t n = 1; n <= 3 * kStepsPerFile; ++n) {
    SCOPED_TRACE(n);
    WriteFile("out.db", earlier);
    std::filesystem::remove("camp.info");
    std::filesystem::remove("version.info");
    output_faults::FailNth(n);
    const InProcessRun run = RunInProcess({"in.db", "-", "out.db"}, answers);
    output_faults::FailNth(0);

    const bool databaseFailed = Count(run.transcript, "ERROR: unable to write output database out.db\n") == 1;
    EXPECT_EQ(Count(run.transcript, "Unable to produce matching") + (databaseFailed ? 1 : 0), 1u) << run.transcript;
    EXPECT_EQ(Count(run.diagnostics, "campdb: "), 1u) << run.diagnostics;
    EXPECT_NE(run.diagnostics.find(": Input/output error\n"), std::string::npos) << run.diagnostics;
    if (databaseFailed) {
      ++databaseFailures;
      EXPECT_LE(n, kStepsPerFile);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.transcript.find("Wrote"), std::string::npos);
      EXPECT_EQ(run.transcript.find(successLine), std::string::npos);
      // Only the folder sync comes after the new file is in place.
      EXPECT_EQ(ReadFile("out.db"), n == kStepsPerFile ? complete : earlier);
      EXPECT_FALSE(ReadFile("camp.info").has_value());
      EXPECT_FALSE(ReadFile("version.info").has_value());
    } else {
      EXPECT_EQ(run.status, 0);
      EXPECT_NE(run.transcript.find(successLine), std::string::npos);
      EXPECT_EQ(ReadFile("out.db"), complete);
      // The failed info file is reported where it was written: after the
      // database, before the line that counts the objects written.
      const std::string failed = n <= 2 * kStepsPerFile ? "camp.info" : "version.info";
      EXPECT_NE(run.transcript.find("Producing an updated version.info file\nUnable to produce matching " + failed +
                                    " file\nWrote"),
                std::string::npos)
          << run.transcript;
      EXPECT_EQ(run.diagnostics, "campdb: " + failed + ": Input/output error\n");
      // It is in place only when the folder sync after its rename failed;
      // the other one is written.
      EXPECT_EQ(ReadFile(failed).has_value(), n % kStepsPerFile == 0);
      EXPECT_TRUE(ReadFile(failed == "camp.info" ? "version.info" : "camp.info").has_value());
    }
    EXPECT_TRUE(run.transcript.ends_with("== finished tPrelimData ==\n"));
    EXPECT_FALSE(HasTemporaryFile(folder));
  }
  EXPECT_EQ(databaseFailures, kStepsPerFile);
}

TEST(OutputFile, EveryFailingStepIsReportedAndKeepsTheEarlierFile) {
  testing::ScratchFolder folder;
  testdb::Database db;
  db.SetGrid(2, 2);
  testdb::Ship shipyardVessel;
  db.Add(shipyardVessel);
  const std::string complete = testdb::ToBytes(db, testdb::Layout::Base);
  WriteFile("in.db", complete);

  SweepDatabaseWriteFaults(folder, "n C\n", complete, "DB CLEAN COMPLETE");
  SweepDatabaseWriteFaults(folder, "n E\nQ\n", complete, "Wrote 8 objects\n");

  // The report: whatever step fails is reported after the report is done.
  output_faults::FailNth(0);
  const InProcessRun report = RunInProcess({"in.db", "report.txt"}, "n R\n");
  ASSERT_EQ(report.status, 0);
  EXPECT_NE(report.transcript.find("finished with input file\nnow generating report\n"), std::string::npos);
  const int64_t reportOperations = output_faults::Performed();
  for (int64_t n = 1; n <= reportOperations; ++n) {
    output_faults::FailNth(n);
    const InProcessRun run = RunInProcess({"in.db", "report.txt"}, "n R\n");
    output_faults::FailNth(0);
    EXPECT_EQ(run.status, 1);
    const std::string error = "ERROR: unable to write report file report.txt\n";
    const auto at = run.transcript.find(error);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(run.transcript.find("== finished with sMiscObject array"), at + error.size());
  }
}

// A file written ahead ends up holding exactly the bytes put, whatever they
// are next to the bytes written ahead; and a failure of any one call, on the
// writing thread or after it, fails the file and keeps the earlier one.
TEST(OutputFile, WrittenAheadHoldsExactlyWhatWasPut) {
  testing::ScratchFolder folder;
  std::string likely(3 * 1048576 + 123, '\0');
  for (size_t i = 0; i < likely.size(); ++i) likely[i] = static_cast<char>(i * 131 / 7);
  std::string middle = likely;
  middle[2 * 1048576 + 5] ^= 1;
  // Each case: the bytes put, and the changes of plan made before (at,
  // and where in `likely` the bytes from there on come from; npos: none;
  // at npos: a pause).
  using Replans = std::vector<std::pair<uint64_t, size_t>>;
  constexpr size_t kNone = std::string::npos;
  const struct {
    const char* name;
    std::string put;
    Replans replans;
  } cases[] = {
      {"the same", likely, {}},
      {"one byte changed", middle, {}},
      {"shorter", likely.substr(0, 5000), {}},
      {"shorter, as planned", likely.substr(0, 5000), {{5000, kNone}}},
      {"longer", likely + "tail", {}},
      {"bytes taken out", likely.substr(0, 4000) + likely.substr(4100), {}},
      {"bytes taken out, as planned", likely.substr(0, 4000) + likely.substr(4100), {{4000, 4100}}},
      {"taken out twice, as planned",
       likely.substr(0, 4000) + likely.substr(4100, 2000000) + likely.substr(2004100 + 77),
       {{4000, 4100}, {2004000, 2004177}}},
      {"planned wrongly", likely, {{4000, 4100}, {10, kNone}}},
      // Planned once the thread has written and synced the first plan.
      {"planned late", likely.substr(0, 4000) + likely.substr(4100), {{kNone, 0}, {4000, 4100}}},
      {"nothing", "", {}},
  };
  const auto write = [&](std::string_view put, bool sameBytes, const Replans& replans = {}) {
    OutputFile file;
    if (!file.OpenReplacing("out.db", std::nullopt)) return false;
    file.WriteAhead(likely);
    for (const auto& [at, from] : replans) {
      if (at == kNone) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        continue;
      }
      file.WriteAheadFrom(at, from == kNone ? std::string_view() : std::string_view(likely).substr(from));
    }
    // In pieces of uneven length, as a writer puts them.
    for (size_t at = 0; at < put.size(); at += 70001) {
      const size_t count = std::min<size_t>(70001, put.size() - at);
      if (!file.Put(sameBytes ? likely.data() + at : put.data() + at, count)) return false;
    }
    return file.Finish();
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    output_faults::FailNth(0);
    ASSERT_TRUE(write(c.put, false, c.replans));
    EXPECT_EQ(ReadFile("out.db"), c.put);
  }
  ASSERT_TRUE(write(likely, true));
  EXPECT_EQ(ReadFile("out.db"), likely);

  // Without a change of plan, which the thread may meet before or after it
  // has written, the calls are the same in every run.
  output_faults::FailNth(0);
  ASSERT_TRUE(write(middle, false));
  const int64_t calls = output_faults::Performed();
  for (int64_t n = 1; n <= calls; ++n) {
    SCOPED_TRACE(n);
    WriteFile("out.db", "earlier");
    output_faults::FailNth(n);
    const bool written = write(middle, false);
    output_faults::FailNth(0);
    EXPECT_FALSE(written);
    // Only the folder sync comes after the new file is in place.
    EXPECT_EQ(ReadFile("out.db"), n == calls ? middle : "earlier");
    EXPECT_FALSE(HasTemporaryFile(folder));
  }
}

}  // namespace
}  // namespace campdb
