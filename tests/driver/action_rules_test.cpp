// The rules every action shares, from the command line of the built tool:
// which lines are option lines, the one-line errors with status 2, "-" as
// standard input for what an action reads and standard output for the text
// it writes, where the info files of a written database go, and what
// --clean and --restore refuse.
#include <gtest/gtest.h>

#include "driver/scratch.h"

namespace campdb::testing {
namespace {

const fs::path kExamples = fs::path(CAMPDB_SOURCE_DIR) / "examples";

TEST(ActionRules, OptionsDashesAndInfoFiles) {
  struct Case {
    std::vector<std::string> args;
    const char* stdinFile;  // the file standard input holds, or ""
    int status;
    const char* err;  // a part of the one line on standard error; "" for none
    const char* out;  // the start of standard output; "" for none
    std::vector<std::string> made;  // the files the run leaves, besides the inputs
  };
  const Case cases[] = {
      {{"-V"}, "", 2, "unknown option -V", "", {}},
      {{"-x", "base.db"}, "", 2, "unknown option -x; see campdb --help (a file named -x is given as ./-x)", "", {}},
      {{"--report", "-q", "base.db"}, "", 2, "unknown option -q", "", {}},
      {{"--clean", "--json", "--quiet", "base.db", "o.db"}, "", 2, "cannot be given together", "", {}},
      {{"--clean", "base.db", "-"}, "", 2, "never to standard output", "", {}},
      {{"--report", "--json", "base.db"}, "", 2, "--report does not take --json", "", {}},
      {{"--clean", "--no-info=1", "base.db", "o.db"}, "", 2, "--no-info takes no value", "", {}},
      {{"--check", "-"}, "base.db", 0, "", "file", {}},
      {{"--dump", "-"}, "base.db", 0, "", "{\"format\":\"campdb-dump\"", {}},
      {{"--map", "-", "-"}, "base.db", 0, "", "<?xml", {}},
      {{"--report", "-"}, "base.db", 0, "", "save version:", {}},
      {{"--report", "base.db", "-"}, "", 0, "", "save version:", {}},
      {{"--restore", "-", "sub/r.db"}, "base.jsonl", 0, "", "", {"sub/camp.info", "sub/r.db", "sub/version.info"}},
      {{"--restore", "-", "r.db"}, "spread.jsonl", 1, "each record of a dump must stand on one line", "", {}},
      {{"--clean", "-", "sub/c.db"}, "base.db", 0, "", "cleaned standard input: kept 11 of 16 objects",
       {"sub/c.db", "sub/camp.info", "sub/version.info"}},
      {{"--clean", "--info-dir", "info", "--quiet", "base.db", "sub/c.db"}, "", 0, "", "",
       {"info/camp.info", "info/version.info", "sub/c.db"}},
      {{"--clean", "--no-info", "--json", "base.db", "c.db"}, "", 0, "", "{", {"c.db"}},
      {{"--clean", "--info-dir", "nowhere", "base.db", "c.db"}, "", 1, "nowhere: No such file or directory", "", {}},
      {{"--clean", "damaged.db", "c.db"}, "", 3, "Clean writes nothing from a damaged database", "", {}},
      {{"--clean", "--layout", "ostrel", "base.db", "c.db"}, "", 1, "nothing was written", "", {}},
      {{"--report", "--layout", "ostrel", "base.db", "r.txt"}, "", 1, "nothing was written", "", {}},
      {{"--clean", "/dev/null", "c.db"}, "", 2, "cannot tell its layout", "", {}},
      {{"--report", "damaged.db", "r.txt"}, "", 3, "the file ends inside object 18", "", {"r.txt"}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += arg + " ";
    SCOPED_TRACE(line);
    ScratchFolder folder;
    for (const char* sample : {"base", "damaged"}) {
      fs::copy(kExamples / ("sample-" + std::string(sample) + ".db"), std::string(sample) + ".db");
    }
    fs::create_directories("sub");
    fs::create_directories("info");
    ASSERT_EQ(RunTool({"--dump", "base.db", "base.jsonl"}, "").status, 0);
    WriteFile("spread.jsonl", "{\n  \"format\": \"campdb-dump\",\n  \"version\": 1,\n  \"layout\": \"base\"\n}\n");
    const std::vector<std::string> before = {"base.db", "base.jsonl", "damaged.db", "info", "spread.jsonl", "sub"};
    const ToolRun run = RunTool(c.args, *c.stdinFile != '\0' ? *ReadFile(c.stdinFile) : "");
    EXPECT_EQ(run.status, c.status);
    if (*c.err == '\0') {
      EXPECT_EQ(run.diagnostics, "");
    } else {
      EXPECT_TRUE(run.diagnostics.starts_with("campdb: ")) << run.diagnostics;
      EXPECT_NE(run.diagnostics.find(c.err), std::string::npos) << run.diagnostics;
    }
    EXPECT_TRUE(run.transcript.starts_with(c.out)) << run.transcript;
    if (*c.out == '\0') {
      EXPECT_EQ(run.transcript, "");
    }
    std::vector<std::string> made;
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
      const std::string name = entry.path().lexically_relative(".").string();
      if (!entry.is_directory() && std::find(before.begin(), before.end(), name) == before.end()) made.push_back(name);
    }
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, c.made);
  }
}

}  // namespace
}  // namespace campdb::testing
