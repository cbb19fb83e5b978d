// campdb --repair as a command line: its statuses, the files it writes or
// leaves alone, and its two forms of report.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "driver/scratch.h"

namespace campdb::testing {
namespace {

TEST(RepairAction, StatusesAndFiles) {
  const fs::path examples = fs::path(CAMPDB_SOURCE_DIR) / "examples";
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* err;           // a part of standard error's one line, or ""
    std::vector<std::string> files;  // the folder afterwards
  };
  const std::vector<std::string> inputs = {"base.db", "damaged.db"};
  const std::vector<Case> cases = {
      {{"--repair", "base.db"}, 16, "--repair takes a database and", inputs},
      {{"--repair", "--lost-found", "base.db", "out.db"}, 16, "--repair takes", inputs},
      {{"--check", "--dry-run", "base.db"}, 2, "--check does not take --dry-run", inputs},
      {{"--repair", "missing.db", "out.db"}, 8, "missing.db: No such file", inputs},
      {{"--repair", "damaged.db", "./damaged.db"}, 8, "is the database being repaired", inputs},
      {{"--repair", "damaged.db", "no/out.db"}, 8, "no/out.db", inputs},
      {{"--repair", "--dry-run", "damaged.db", "out.db"}, 5, "", inputs},
      {{"--repair", "base.db", "out.db"}, 0, "", {"base.db", "camp.info", "damaged.db", "out.db", "version.info"}},
      {{"--repair", "damaged.db", "out.db"}, 5, "",
       {"base.db", "camp.info", "damaged.db", "out.db", "out.db.lost.jsonl", "version.info"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    ScratchFolder folder;
    fs::copy_file(examples / "sample-base.db", "base.db");
    fs::copy_file(examples / "sample-damaged.db", "damaged.db");
    const ToolRun run = RunTool(c.args, "");
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.diagnostics.find(c.err), std::string::npos) << run.diagnostics;
    EXPECT_EQ(std::count(run.diagnostics.begin(), run.diagnostics.end(), '\n'), *c.err != '\0' ? 1 : 0);
    EXPECT_EQ(folder.Names(), c.files);
    if (c.args[0] == "--repair" && c.status < 8) {
      EXPECT_NE(run.transcript.find(" left; "), std::string::npos) << run.transcript;
    }
  }
  // The JSON report, and a repair of the repaired file: nothing to do but
  // the problems left (a missing captain, an object of unknown class).
  ScratchFolder folder;
  fs::copy_file(examples / "sample-damaged.db", "damaged.db");
  const ToolRun run = RunTool({"--repair", "--json", "--lost-found=lost.jsonl", "damaged.db", "out.db"}, "");
  const auto report = nlohmann::json::parse(run.transcript);
  EXPECT_EQ(report["status"], run.status);
  EXPECT_EQ(report["lostFound"], "lost.jsonl");
  EXPECT_FALSE(report["fixes"].empty());
  EXPECT_TRUE(ReadFile("lost.jsonl").has_value());
  EXPECT_EQ(RunTool({"--repair", "out.db", "again.db"}, "").status, 4);
  EXPECT_EQ(ReadFile("again.db"), ReadFile("out.db"));
}

}  // namespace
}  // namespace campdb::testing
