// For every sample database and every saved hostile input: --restore of its
// --dump writes exactly what an Edit that changes nothing writes, info files
// included, and the dump is JSON Lines that an independent parser reads.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "dump_fixture.h"

namespace campdb::textform_test {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RunTool;
using testing::ScratchFolder;
using testing::WriteFile;

struct Input {
  std::string name;
  std::string bytes;
  bool ostrel = false;
};

// The samples, and the saved inputs of the load fuzzer, whose first byte
// picks the layout (odd: Ostrel) and whose rest is the file.
std::vector<Input> Inputs() {
  std::vector<Input> inputs = {{"sample_base", ReadFile(SamplePath("sample-base.db")).value_or(""), false},
                               {"sample_ostrel", ReadFile(SamplePath("sample-ostrel.db")).value_or(""), true}};
  std::vector<fs::path> saved;
  for (const auto& entry : fs::directory_iterator(fs::path(CAMPDB_SOURCE_DIR) / "tests/regressions/load_database")) {
    saved.push_back(entry.path());
  }
  std::sort(saved.begin(), saved.end());
  for (const fs::path& path : saved) {
    const std::string bytes = ReadFile(path).value_or("");
    std::string name = path.filename().string();
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    inputs.push_back({name, bytes.empty() ? "" : bytes.substr(1), !bytes.empty() && (bytes[0] & 1) != 0});
  }
  return inputs;
}

// What a run in a folder of its own leaves: its exit status and the files.
struct Written {
  int status = -1;
  std::string database;
  std::string campInfo;
  std::string versionInfo;
};

Written UnchangedEdit(const Input& input) {
  ScratchFolder folder;
  WriteFile("in.db", input.bytes);
  const auto run = RunTool({"in.db", "-", "edit.db"}, input.ostrel ? "y\nE\nQ\n" : "n\nE\nQ\n");
  return {run.status, ReadFile("edit.db").value_or("<none>"), ReadFile("camp.info").value_or("<none>"),
          ReadFile("version.info").value_or("<none>")};
}

class DumpRoundTrip : public ::testing::TestWithParam<Input> {};

TEST_P(DumpRoundTrip, RestoreOfTheDumpWritesWhatAnUnchangedEditWrites) {
  const Input& input = GetParam();
  const Written edit = UnchangedEdit(input);

  ScratchFolder folder;
  WriteFile("in.db", input.bytes);
  const auto dumped = RunTool({"--dump", input.ostrel ? "--layout=ostrel" : "--layout=base", "in.db", "in.jsonl"}, "");
  // An Edit in a layout the bytes contradict writes nothing; the dump, whose
  // layout is given, still writes what the load took.
  const bool refused = edit.status == 1;
  // A damaged input is dumped as it is edited: whole, with status 3.
  if (!refused) {
    EXPECT_EQ(dumped.status, edit.status) << dumped.diagnostics;
  }
  EXPECT_EQ(dumped.transcript, "");
  // Without a dump name, or with "-", the dump goes to standard output.
  const auto toOutput = RunTool({"--dump", input.ostrel ? "--layout=ostrel" : "--layout=base", "in.db"}, "");
  EXPECT_EQ(toOutput.status, dumped.status);
  EXPECT_TRUE(toOutput.transcript == ReadFile("in.jsonl"));
  const auto restored = RunTool({"--restore", "in.jsonl", "out.db"}, "");
  EXPECT_EQ(restored.status, 0) << restored.diagnostics;
  EXPECT_EQ(restored.transcript, "");
  if (!refused) {
    // The info files are not written from a campaign record not read
    // whole, and the restore says so.
    EXPECT_EQ(restored.diagnostics.empty(), edit.campInfo != "<none>") << restored.diagnostics;
    EXPECT_TRUE(ReadFile("out.db") == edit.database);
    EXPECT_EQ(ReadFile("camp.info").value_or("<none>"), edit.campInfo);
    EXPECT_EQ(ReadFile("version.info").value_or("<none>"), edit.versionInfo);
  }

  // Every line is one JSON object that names its record; the first names
  // the format, the last holds the bytes the load did not take.
  std::istringstream lines(ReadFile("in.jsonl").value_or(""));
  std::vector<nlohmann::json> records;
  for (std::string line; std::getline(lines, line);) records.push_back(nlohmann::json::parse(line));
  ASSERT_GE(records.size(), 6u);
  EXPECT_EQ(records.front(), nlohmann::json::parse(std::string(R"({"format":"campdb-dump","version":1,"layout":")") +
                                                   (input.ostrel ? "ostrel" : "base") + "\"}"));
  EXPECT_EQ(records.back()["record"], "unloaded");
  for (size_t i = 1; i < records.size(); ++i) EXPECT_TRUE(records[i]["record"].is_string()) << i;
}

INSTANTIATE_TEST_SUITE_P(SamplesAndSavedInputs, DumpRoundTrip, ::testing::ValuesIn(Inputs()),
                         [](const ::testing::TestParamInfo<Input>& info) { return info.param.name; });

}  // namespace
}  // namespace campdb::textform_test
