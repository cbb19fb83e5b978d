// Scripted runs of the built tool, kept as data. Each folder
// tests/sessions/NAME/ may hold:
//
//   args     the command line, one argument per line (an empty line is an
//            empty argument); none when the file is missing
//   stdin    what standard input holds; nothing when the file is missing
//   setup    a shell script run in the empty scratch folder first, with
//            $FIXTURES naming the folder of test databases (see
//            session_fixtures.h)
//   options  lines of "report NAME" (the report file to keep, report.txt
//            by default), "file-size-limit BYTES" (no file the tool writes
//            may grow beyond it), "not-as-root" (a run that only means
//            something for an operator without every right) and
//            "also-at-terminal" (the session is run once more with a
//            pseudo-terminal as standard input, given stdin's lines: it
//            must print the same and leave the same files, say nothing on
//            standard error, and end with status 0)
//
// The run must give exactly tests/expected/NAME.stdout, NAME.stderr (empty
// when missing) and NAME.report (the report file; none when missing), and
// NAME.result: the exit status and every file left in the scratch folder,
// with its size and checksum (the CRC that cksum(1) prints), or the name of
// an earlier file with the same bytes.
//
// CAMPDB_UPDATE_EXPECTED=1 writes the expected files from the runs instead,
// for review with git diff. The README's walkthroughs must show exactly the
// transcripts and the report of the sessions that run their commands.
#include <gtest/gtest.h>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/scratch.h"
#include "driver/session_fixtures.h"

namespace campdb::testing {
namespace {

const fs::path kSource = CAMPDB_SOURCE_DIR;
const fs::path kSessions = kSource / "tests" / "sessions";
const fs::path kExpected = kSource / "tests" / "expected";

bool Updating() {
  const char* update = std::getenv("CAMPDB_UPDATE_EXPECTED");
  return update != nullptr && std::string(update) == "1";
}

std::vector<std::string> SessionNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kSessions, error)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The fixture databases, written once for the whole test program and
// removed when it ends.
class Fixtures {
 public:
  static const fs::path& Folder() {
    static Fixtures fixtures;
    return fixtures.folder_;
  }

 private:
  Fixtures() {
    std::string pattern = (fs::temp_directory_path() / "campdb-fixtures-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    WriteSessionFixtures(folder_);
  }
  ~Fixtures() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path folder_;
};

// The CRC of cksum(1): CRC-32 with polynomial 0x04C11DB7, most significant
// bit first, over the bytes and then their count, inverted.
uint32_t Cksum(const std::string& bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i << 24;
      for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) != 0 ? (c << 1) ^ 0x04C11DB7u : c << 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0;
  const auto add = [&](uint8_t byte) { crc = (crc << 8) ^ table[(crc >> 24) ^ byte]; };
  for (const char c : bytes) add(static_cast<uint8_t>(c));
  for (uint64_t n = bytes.size(); n != 0; n >>= 8) add(static_cast<uint8_t>(n & 0xFF));
  return ~crc;
}

// The exit status and every file the scratch folder holds after the run.
std::string Result(const ToolRun& run) {
  std::string result = run.signal != 0 ? "ended by signal " + std::to_string(run.signal) + "\n"
                                       : "exit status " + std::to_string(run.status) + "\n";
  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(".")) paths.push_back(entry.path().lexically_relative("."));
  std::sort(paths.begin(), paths.end());
  std::map<std::string, std::string> firstWithBytes;
  for (const fs::path& path : paths) {
    const std::string name = path.generic_string();
    const fs::file_status status = fs::symlink_status(path);
    std::string what;
    if (fs::is_symlink(status)) {
      what = "a link to " + fs::read_symlink(path).string();
    } else if (fs::is_directory(status)) {
      what = "a folder";
    } else if (fs::is_regular_file(status)) {
      const std::string bytes = ReadFile(path).value_or("");
      const auto [first, isNew] = firstWithBytes.emplace(bytes, name);
      what = isNew ? std::to_string(bytes.size()) + " bytes, cksum " + std::to_string(Cksum(bytes))
                   : "the same bytes as " + first->second;
    } else {
      what = "a special file";
    }
    result += name + ": " + what + "\n";
  }
  return result;
}

// Compares `actual` with the expected file, or writes it there; no
// `actual` goes with no file.
void Check(const std::string& session, const std::string& extension, const std::optional<std::string>& actual) {
  const fs::path path = kExpected / (session + "." + extension);
  if (Updating()) {
    if (actual) {
      WriteFile(path, *actual);
    } else {
      fs::remove(path);
    }
    return;
  }
  const std::optional<std::string> expected = ReadFile(path);
  EXPECT_EQ(actual, expected) << "tests/expected/" << path.filename().string()
                              << (expected ? "" : " is missing (CAMPDB_UPDATE_EXPECTED=1 writes it)");
}

struct Options {
  std::string report = "report.txt";
  ToolLimits limits;
  bool notAsRoot = false;
  bool alsoAtTerminal = false;
};

Options ReadOptions(const fs::path& file) {
  Options options;
  for (const std::string& line : SplitLines(ReadFile(file).value_or(""))) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "report") {
      words >> options.report;
    } else if (key == "file-size-limit") {
      rlim_t bytes = 0;
      words >> bytes;
      options.limits.fileSize = bytes;
    } else if (key == "not-as-root") {
      options.notAsRoot = true;
    } else if (key == "also-at-terminal") {
      options.alsoAtTerminal = true;
    } else if (!key.empty()) {
      ADD_FAILURE() << "unknown option " << line << " in " << file;
    }
  }
  return options;
}

// Runs the tool with a pseudo-terminal as its standard input, which takes
// `input` (whole lines, without echo) and then ends: each end-of-file
// character ends one read, so a few of them outlast the tool's last reads.
ToolRun RunAtTerminal(const std::vector<std::string>& args, const std::string& input, const ToolLimits& limits) {
  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) std::abort();
  termios modes{};
  ::tcgetattr(slave, &modes);
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  ::tcsetattr(slave, TCSANOW, &modes);
  const std::string typed = input + std::string(16, '\x04');
  if (::write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) std::abort();
  ToolRun run = FinishTool(StartTool(args, slave, limits));
  ::close(master);
  return run;
}

class Session : public ::testing::TestWithParam<std::string> {};

TEST_P(Session, GivesTheExpectedOutputsAndFiles) {
  const std::string name = GetParam();
  const fs::path folder = kSessions / name;
  const Options options = ReadOptions(folder / "options");
  if (options.notAsRoot && ::geteuid() == 0) GTEST_SKIP() << "an operator with every right cannot be refused";

  const auto setUp = [&] {
    if (!fs::exists(folder / "setup")) return;
    ::setenv("FIXTURES", Fixtures::Folder().c_str(), 1);
    const std::string command = "/bin/sh '" + (folder / "setup").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "the setup of " << name << " failed";
  };
  ScratchFolder scratch;
  setUp();
  const std::vector<std::string> args = SplitLines(ReadFile(folder / "args").value_or(""));
  const std::string input = ReadFile(folder / "stdin").value_or("");
  const ToolRun run = RunTool(args, input, options.limits);

  Check(name, "stdout", run.transcript);
  Check(name, "stderr", run.diagnostics.empty() ? std::nullopt : std::optional(run.diagnostics));
  Check(name, "report", fs::is_regular_file(options.report) ? ReadFile(options.report) : std::nullopt);
  Check(name, "result", Result(run));

  if (!options.alsoAtTerminal) return;
  const std::string files = Result(run).substr(Result(run).find('\n'));
  ScratchFolder again;
  setUp();
  const ToolRun atTerminal = RunAtTerminal(args, input, options.limits);
  EXPECT_EQ(atTerminal.transcript, run.transcript);
  EXPECT_EQ(atTerminal.diagnostics, "");
  EXPECT_EQ(Result(atTerminal), "exit status 0" + files);
}

INSTANTIATE_TEST_SUITE_P(Sessions, Session, ::testing::ValuesIn(SessionNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) == 0; }, '_');
                           return name;
                         });

// An expected file whose session has gone would never be looked at again.
TEST(SessionFiles, EveryExpectedFileHasItsSession) {
  const std::vector<std::string> names = SessionNames();
  for (const auto& entry : fs::directory_iterator(kExpected)) {
    const fs::path file = entry.path().filename();
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), file.stem().string())) << file;
  }
}

// --- the README's walkthroughs ------------------------------------------------

// What printf makes of its format: the README's answers use only \n.
std::string Printf(const std::string& format) {
  std::string text;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '\\' || i + 1 == format.size()) {
      text += format[i];
      continue;
    }
    const char c = format[++i];
    text += c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return text;
}

// One command shown in the README, with the transcript shown after it and,
// when the README goes on to show it, the start of its report.
struct ShownRun {
  std::string command;
  std::vector<std::string> args;
  std::string input;
  std::string transcript;
  std::string reportStart;
};

// The indented block that starts at `at`, its indent removed; `at` is left
// at the first line after it. Blank lines inside the block belong to it.
std::string IndentedBlock(const std::vector<std::string>& lines, size_t& at) {
  std::string block;
  std::string blanks;
  for (; at < lines.size(); ++at) {
    if (lines[at].empty()) {
      blanks += "\n";
    } else if (lines[at].starts_with("    ")) {
      block += blanks + lines[at].substr(4) + "\n";
      blanks.clear();
    } else {
      break;
    }
  }
  return block;
}

std::vector<ShownRun> ShownRuns() {
  const std::string prefix = "    $ printf '";
  const std::string tool = "' | ./build/campdb ";
  const std::vector<std::string> lines = SplitLines(ReadFile(kSource / "README.md").value_or(""));
  std::vector<ShownRun> runs;
  for (size_t at = 0; at < lines.size();) {
    const std::string& line = lines[at];
    if (line == "The report begins:" && !runs.empty()) {
      for (++at; at < lines.size() && lines[at].empty();) ++at;
      runs.back().reportStart = IndentedBlock(lines, at);
      continue;
    }
    const auto split = line.find(tool);
    // A run whose output goes elsewhere shows no transcript to compare.
    if (!line.starts_with(prefix) || split == std::string::npos || line.find(" >", split) != std::string::npos) {
      ++at;
      continue;
    }
    ShownRun run;
    run.command = line.substr(6);
    run.input = Printf(line.substr(prefix.size(), split - prefix.size()));
    std::istringstream words(line.substr(split + tool.size()));
    for (std::string word; words >> word;) run.args.push_back(word);
    ++at;
    run.transcript = IndentedBlock(lines, at);
    runs.push_back(std::move(run));
  }
  return runs;
}

TEST(Readme, WalkthroughsShowWhatTheirSessionsGive) {
  const std::vector<ShownRun> runs = ShownRuns();
  EXPECT_GE(runs.size(), 3u);
  for (const ShownRun& run : runs) {
    SCOPED_TRACE(run.command);
    const std::vector<std::string> names = SessionNames();
    const auto session = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
      return SplitLines(ReadFile(kSessions / name / "args").value_or("")) == run.args &&
             ReadFile(kSessions / name / "stdin").value_or("") == run.input;
    });
    ASSERT_NE(session, names.end()) << "no session in tests/sessions runs this command";
    EXPECT_EQ(run.transcript, ReadFile(kExpected / (*session + ".stdout")).value_or(""));
    if (!run.reportStart.empty()) {
      EXPECT_TRUE(ReadFile(kExpected / (*session + ".report")).value_or("").starts_with(run.reportStart))
          << "the README shows a report that tests/expected/" << *session << ".report does not begin with";
    }
  }
}

}  // namespace
}  // namespace campdb::testing
