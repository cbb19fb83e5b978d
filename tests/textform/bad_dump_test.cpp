// Dumps that must be refused, each made from the sample's dump by one edit
// of its text, with the exact message; and what a refused --restore leaves:
// nothing written, status 1.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "dump_fixture.h"

namespace campdb::textform_test {
namespace {

using testing::ReadFile;
using testing::RunTool;
using testing::ScratchFolder;
using testing::WriteFile;

// Lines of the sample-base dump: 1 format, 2 header, 3 campaign, 4 map,
// 5-16 hexes, 17 political, 18-21 characters, 22-29 ships, 30-31 bids,
// 32-33 news, 34 unloaded.
struct BadDump {
  int line;          // 0: a line added at the end
  const char* from;  // replaced once in the line; nullptr: the whole line
  const char* to;    // nullptr: the line removed
  const char* message;
  bool endsHere = false;  // the dump ends right after `to`
  std::optional<Layout> layout = std::nullopt;
};

const std::vector<BadDump> kBadDumps = {
    // Values outside their field's width, or of the wrong type.
    {22, "\"bpv\":125,", "\"bpv\":3000000000,", "22: member \"bpv\": 3000000000 is out of range for a 32-bit integer"},
    {22, "\"bpv\":125,", "\"bpv\":18446744073709551615,",
     "22: member \"bpv\": 18446744073709551615 is out of range for a 32-bit integer"},
    {22, "\"bpv\":125,", "\"bpv\":1e400,", "22: malformed JSON (Problem while parsing a number)"},
    {22, "\"bpv\":125,", "\"bpv\":1.5,", "22: member \"bpv\": 1.5 is not an integer"},
    {22, "\"bpv\":125,", "\"bpv\":\"125\",", "22: member \"bpv\": expected an integer, found a string"},
    {22, "\"spare\":51", "\"spare\":300", "22: member \"bays[0].spare\": 300 is out of range for a byte (0 to 255)"},
    {22, "\"impulse\":[5,4]", "\"impulse\":[5,-1]",
     "22: member \"systemsBlock.impulse[1]\": -1 is out of range for a byte (0 to 255)"},
    {17, "\"tension\":61,", "\"tension\":65536,",
     "17: member \"tensions[1].tension\": 65536 is out of range for a 16-bit value (0 to 65535)"},
    // Hex strings and texts.
    {22, "\"leadRun\":\"a1a2a3a4a5a6\"", "\"leadRun\":\"a1a2a3a4a5a\"", "22: member \"leadRun\": odd-length hex string"},
    {22, "\"leadRun\":\"a1a2a3a4a5a6\"", "\"leadRun\":\"a1a2a3a4a5zz\"",
     "22: member \"leadRun\": not a hex string (\"z\" is no hex digit)"},
    {22, "\"leadRun\":\"a1a2a3a4a5a6\"", "\"leadRun\":\"a1a2a3a4a5\"", "22: member \"leadRun\": 5 bytes where 6 are needed"},
    {22, "\"shipName\":\"Resolute\"", "\"shipName\":\"R\\u0100\"", "22: member \"shipName\": code point U+0100 is above U+00FF"},
    {22, "\"shipName\":\"Resolute\"", "\"shipName\":\"R\xE2\x82\xAC\"", "22: member \"shipName\": code point U+20AC is above U+00FF"},
    {22, "\"shipName\":\"Resolute\"", "\"shipName\":\"R\\ud800\"", "22: malformed JSON (Problem while parsing a string)"},
    // Members missing, unknown, twice, or of the wrong shape.
    {22, "\"shipName\":", "\"shipNmae\":", "22: member \"shipName\" is missing"},
    {22, "\"bpv\":125,", "\"bpv\":125,\"colour\":1,", "22: unknown member \"colour\""},
    {18, "\"glicko\":1548,", "\"glicko\":1548,\"glicko\":1,", "18: member \"glicko\" is given twice"},
    {22, "\"record\":\"ship\",", "\"record\":\"ship\",\"tag\":\".?AVtShip@@\",", "22: unknown member \"tag\""},
    {18, "\"word\":7}", "\"word\":7,\"wrod\":7}", "18: unknown member \"bids[0].wrod\""},
    {18, "{\"run\":\"c1c2c3c4c5\",\"word\":7}", "5", "18: member \"bids[0]\": expected an object, found a number"},
    {18, "\"human\":{", "\"human\":7,\"x\":{", "18: member \"human\": expected an object, found a number"},
    {22, "\"hardpoints\":[[2,2],", "\"hardpoints\":[", "22: member \"systemsBlock.hardpoints\": 24 entries where 25 are needed"},
    {17, "{\"tension\":0,\"tensionTenth\":0},", "",
     "17: member \"tensions\": 255 cells do not fill a square; give \"matrixSize\""},
    {2, "\"record\":\"header\",", "", "2: member \"record\" is missing"},
    // Lines that are no record, or not where they stand.
    {4, "\"record\":\"map\"", "\"record\":\"mapp\"", "4: unknown record type \"mapp\""},
    {4, "\"record\":\"map\"", "\"record\":\"hex\"", "4: a \"hex\" record cannot come here: the \"map\" record comes next"},
    {22, "\"record\":\"ship\"", "\"record\":\"hex\"",
     "22: a \"hex\" record cannot come here: an object record or the \"unloaded\" record comes next"},
    {22, nullptr, "[1]", "22: a line must hold one JSON object, not an array"},
    {22, nullptr, "", "22: the line is empty"},
    {22, "\"bpv\":125,", "\"bpv\":125,,", "22: malformed JSON (The JSON document has an improper structure: missing or "
                                       "superfluous commas, braces, missing keys, etc.)"},
    // The format line, and the dump's end.
    {1, "\"version\":1", "\"version\":2", "1: dump format version 2 cannot be read; this campdb reads version 1"},
    {1, "campdb-dump", "campdb-dumb", "1: not a campdb dump: its first line does not name the format \"campdb-dump\""},
    {1, "\"base\"", "\"both\"", "1: member \"layout\": \"both\" is neither \"base\" nor \"ostrel\""},
    {1, nullptr, "{\"format\":\"campdb-dump\",\"version\":1,\"layout\":\"base\"}", "1: the dump is in the base layout, but --layout ostrel was given", false, Layout::Ostrel},
    {34, nullptr, nullptr, "34: the dump ends before its \"unloaded\" line: it is cut short"},
    {22, "\"shipType\":\"CR-Vanguard\"", "\"shipType\":\"CR-Van", "22: malformed JSON (A string is opened, but never closed.)",
     true},
    {0, nullptr, "{\"record\":\"news\"}", "35: nothing may follow the \"unloaded\" line"},
};

std::string Edited(const std::string& dump, const BadDump& bad) {
  std::vector<std::string> lines;
  std::istringstream in(dump);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (bad.line == 0) {
    lines.push_back(bad.to);
  } else {
    std::string& line = lines.at(static_cast<size_t>(bad.line - 1));
    if (bad.from != nullptr) {
      const size_t at = line.find(bad.from);
      EXPECT_NE(at, std::string::npos) << bad.from;
      if (at != std::string::npos) line.replace(at, std::string_view(bad.from).size(), bad.to);
      if (bad.endsHere) line.resize(at + std::string_view(bad.to).size());
    } else if (bad.to != nullptr) {
      line = bad.to;
    }
    if (bad.to == nullptr) lines.erase(lines.begin() + bad.line - 1);
    if (bad.endsHere) lines.resize(static_cast<size_t>(bad.line));
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  if (bad.endsHere) text.pop_back();
  return text;
}

class RefusedDump : public ::testing::TestWithParam<BadDump> {};

TEST_P(RefusedDump, IsRefusedWithItsMessage) {
  const BadDump& bad = GetParam();
  const auto sample = LoadSample("sample-base.db", Layout::Base);
  Database db;
  EXPECT_EQ(Restore(Edited(DumpOf(*sample), bad), db, bad.layout), bad.message);
}

INSTANTIATE_TEST_SUITE_P(Edits, RefusedDump, ::testing::ValuesIn(kBadDumps),
                         [](const ::testing::TestParamInfo<BadDump>& info) { return "Case" + std::to_string(info.index); });

// The command line: a dump refused, or not there, or an output that is the
// dump itself, leaves every file as it was, and says why on standard error
// only.
TEST(RestoreAction, ARefusedDumpChangesNoFile) {
  ScratchFolder folder;
  const auto sample = LoadSample("sample-base.db", Layout::Base);
  WriteFile("bad.jsonl", Edited(DumpOf(*sample), kBadDumps.front()));
  WriteFile("good.jsonl", DumpOf(*sample));
  WriteFile("out.db", "earlier");
  const std::vector<std::string> files = folder.Names();

  const struct {
    std::vector<std::string> args;
    int status;
    std::string diagnostics;
  } runs[] = {
      {{"--restore", "bad.jsonl", "out.db"}, 1,
       "campdb: bad.jsonl:22: member \"bpv\": 3000000000 is out of range for a 32-bit integer\n"},
      {{"--restore", "--layout", "ostrel", "good.jsonl", "out.db"}, 1,
       "campdb: good.jsonl:1: the dump is in the base layout, but --layout ostrel was given\n"},
      {{"--restore", "none.jsonl", "out.db"}, 2, "campdb: none.jsonl: No such file or directory\n"},
      {{"--restore", "good.jsonl", "./good.jsonl"}, 1,
       "campdb: ./good.jsonl: is the dump being restored, which is never written\n"},
      {{"--dump", "--layout=base", "out.db", "./out.db"}, 1,
       "campdb: warning: out.db: the file ends inside the header\n"
       "campdb: ./out.db: refers to the input database, which is never written\n"},
  };
  for (const auto& run : runs) {
    const auto result = RunTool(run.args, "");
    EXPECT_EQ(result.status, run.status) << run.args[1];
    EXPECT_EQ(result.transcript, "");
    EXPECT_EQ(result.diagnostics, run.diagnostics);
    EXPECT_EQ(folder.Names(), files);
    EXPECT_EQ(ReadFile("out.db"), "earlier");
  }
}

}  // namespace
}  // namespace campdb::textform_test
