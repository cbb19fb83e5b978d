// campdb --check as a command line: its option errors, its exit statuses,
// what goes to standard output and standard error, and the two forms of
// its findings.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "driver/actions.h"

namespace campdb {
namespace {

const std::string kExamples = std::string(CAMPDB_SOURCE_DIR) + "/examples/";

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Check(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunOptions(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CheckAction, OptionErrorsAndExitStatuses) {
  struct Case {
    std::vector<std::string> args;
    int status;
    // Standard error: empty, or a part of its one line.
    const char* err;
    bool output;  // whether findings are written to standard output
  };
  const std::string base = kExamples + "sample-base.db";
  const std::string damaged = kExamples + "sample-damaged.db";
  const Case cases[] = {
      {{"--check"}, 2, "--check takes one database; see campdb --help", false},
      {{"--check", base, base}, 2, "--check takes one database", false},
      {{"--check", "--shade", "econ", base}, 2, "--check does not take --shade", false},
      {{"--check", "--layout", "round", base}, 2, "--layout takes base or ostrel", false},
      {{"--check", base, "--layout"}, 2, "--layout takes base or ostrel", false},
      {{"--check", "--jsn", base}, 2, "unknown option --jsn; see campdb --help", false},
      {{"--check", "--map", base}, 2, "cannot be given together", false},
      {{"--check", "--version", base}, 2, "does not take --version", false},
      {{"--json", base}, 2, "an action is needed", false},
      {{"--check", kExamples + "no-such.db"}, 2, "no-such.db: No such file or directory", false},
      {{"--check", kExamples}, 2, "Is a directory", false},
      {{"--check", base}, 0, "", true},
      {{"--check", "--layout=base", "--json", base}, 0, "", true},
      {{"--check", "--layout", "ostrel", base}, 3, "", true},
      {{"--check", damaged}, 3, "", true},
      {{"--json", "--check", damaged}, 3, "", true},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += arg + " ";
    SCOPED_TRACE(line);
    const Outcome run = Check(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(!run.out.empty(), c.output);
    if (*c.err == '\0') {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_TRUE(run.err.starts_with("campdb: ")) << run.err;
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
  }
}

// The text form of the samples, as the README shows it.
TEST(CheckAction, TextOfTheSamples) {
  for (const char* sample : {"sample-base", "sample-damaged"}) {
    SCOPED_TRACE(sample);
    Outcome run = Check({"--check", kExamples + sample + ".db"});
    // The name as the README gives it.
    run.out.replace(0, run.out.find(kExamples) + kExamples.size(), "file      examples/");
    std::ifstream expected(std::string(CAMPDB_SOURCE_DIR) + "/tests/check/data/" + sample + ".txt");
    EXPECT_EQ(run.out, std::string(std::istreambuf_iterator<char>(expected), {}));
  }
}

TEST(CheckAction, JsonDocument) {
  const Outcome run = Check({"--check", "--json", kExamples + "sample-damaged.db"});
  const auto doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["layout"], "base");
  EXPECT_TRUE(doc["layoutReason"].is_string());
  EXPECT_EQ(doc["objectsAnnounced"], 18);
  EXPECT_EQ(doc["objectsLoaded"], 18);
  EXPECT_EQ(doc["complete"], false);
  ASSERT_EQ(doc["problems"].size(), 5u);
  for (const auto& problem : doc["problems"]) {
    for (const char* key : {"severity", "kind", "record", "message"}) EXPECT_TRUE(problem[key].is_string()) << key;
    for (const char* key : {"index", "id", "offset"}) EXPECT_TRUE(problem[key].is_number_integer()) << key;
  }
  EXPECT_EQ(doc["problems"][4]["kind"], "length-cut");
  EXPECT_EQ(doc["problems"][4]["index"], 17);
  EXPECT_EQ(doc["errors"], 1);
  EXPECT_EQ(doc["warnings"], 2);
  EXPECT_EQ(doc["stale"], 2);
  ASSERT_EQ(doc["cleanWouldDrop"].size(), 7u);
  EXPECT_EQ(doc["cleanWouldDrop"][3],
            nlohmann::json::parse(R"({"index": 12, "id": 1109, "class": "ship", "reason": "captain-missing"})"));
  EXPECT_EQ(doc["cleanWouldKeep"], 11);

  // A layout the bytes cannot tell: no dry run, and no index before the
  // object list.
  const Outcome empty = Check({"--check", "--json", "/dev/null"});
  EXPECT_EQ(empty.status, 3);
  const auto unknown = nlohmann::json::parse(empty.out);
  EXPECT_EQ(unknown["layout"], "unknown");
  EXPECT_TRUE(unknown["cleanWouldDrop"].is_null());
  EXPECT_EQ(unknown["problems"][0]["kind"], "layout-unknown");
  for (const auto& problem : unknown["problems"]) EXPECT_TRUE(problem["index"].is_null());
}

}  // namespace
}  // namespace campdb
