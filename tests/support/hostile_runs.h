// The runs a damaged database or a hostile operator gets from the tool,
// through its own entry point (RunProgram, as main calls it) in this
// process, with the console on string streams. Shared by the fuzz targets
// and by the test that replays the inputs they once failed on, so both run
// exactly what the tool runs.
//
// Header-only on purpose: the fuzz targets must not link the support
// library, whose allocation probe replaces operator new.
//
// The runs work in the current folder, which PrepareWorkingFolder sets up:
// the input database is written there, the edit runs' shiplist too, and
// camp.info and version.info are links to /dev/null, so that the info
// files are written at their place every run and never synced to disk. A
// database input's runs write their output to /dev/null as well; an edit
// run writes out.db, whose framing is then checked.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "format/database.h"
#include "format/fields.h"

namespace campdb::hostile {

// Bytes as the fuzzer hands them over.
inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline std::string ReadWholeFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteWholeFile(const std::string& name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void PrepareWorkingFolder() {
  for (const char* name : {"camp.info", "version.info"}) {
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    std::filesystem::create_symlink("/dev/null", name, ignored);
  }
}

struct Outcome {
  int status = -1;
  std::string transcript;   // standard output
  std::string diagnostics;  // standard error
};

// The tool as `campdb ARGS`, its standard input holding `input`.
inline Outcome Run(std::vector<std::string> args, std::string_view input) {
  args.insert(args.begin(), "campdb");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::istringstream in{std::string(input)};
  std::ostringstream out;
  std::ostringstream err;
  Outcome outcome;
  outcome.status = RunProgram(static_cast<int>(args.size()), argv.data(), in, out, err);
  outcome.transcript = out.str();
  outcome.diagnostics = err.str();
  return outcome;
}

// True when every record of a database file takes exactly the bytes its
// declared size counts: the fixed records read field by field, the misc
// objects by their framing alone, one after another to the end of the file,
// as many as the header announces. (Their bodies are not read: whether a
// character holds the human-player section is decided by its name in a
// single-player campaign, which an edit may have changed since it was read.)
inline bool DeclaredSizesHold(std::string_view file, Layout layout) {
  ByteReader in(AsBytes(file));
  TextStore store;
  CampaignFacts facts;
  const ReadContext context{layout, &facts, &store};
  bool holds = true;
  const auto framed = [&](auto& record) {
    const size_t start = in.Position();
    ReadRecord(in, record, context);
    holds = holds && in.Position() == start + 8 + static_cast<size_t>(record.head.declaredSize);
  };
  tPrelimData header;
  ReadRecord(in, header, context);
  tCampaignObject campaign;
  framed(campaign);
  tMapObject map;
  framed(map);
  for (int64_t i = 0; i < map.HexesAnnounced() && holds; ++i) {
    tMapHex hex;
    framed(hex);
  }
  tPoliticalObject political;
  framed(political);
  int64_t objects = 0;
  while (holds && in.Remaining() > 0) {
    const int32_t size = ReadInt32(in);
    holds = size >= 0 && ReadInt32(in) == size && static_cast<size_t>(size) <= in.Remaining();
    if (holds) in.ReadRun(size);
    ++objects;
  }
  return holds && !in.WantedPastEnd() && objects == int64_t{header.objectCount} - map.HexesAnnounced() - 3;
}

// --- the fuzz inputs --------------------------------------------------------

// A database input: the first byte picks the layout (its lowest bit set:
// Ostrel), the rest is the file. It is reported on, then cleaned.
inline std::vector<Outcome> RunDatabaseInput(std::span<const uint8_t> data) {
  const bool ostrel = !data.empty() && (data[0] & 1) != 0;
  const auto file = data.empty() ? data : data.subspan(1);
  WriteWholeFile("in.db", std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));
  const std::string variant = ostrel ? "y\n" : "n\n";
  return {Run({"in.db", "/dev/null"}, variant + "R\n"), Run({"in.db", "-", "/dev/null"}, variant + "C\n")};
}

// An edit input: the first byte picks the sample database (its lowest bit
// set: the Ostrel sample, in its layout), then comes the operator's script,
// then, after the marker, the bytes of the shiplist file. Without the marker
// the whole rest is the script and the shiplist is empty.
inline constexpr std::string_view kShiplistMarker = "\n#SHIPLIST#\n";
// The name the shiplist is stored under; scripts type it to the import's
// question.
inline constexpr std::string_view kShiplistName = "ships.txt";

struct EditOutcome {
  Outcome run;
  std::string written;  // out.db, as the run left it
  bool sizesHold = true;
};

// An edit session on one of the two sample databases (their file names),
// with the shiplist in the working folder.
inline EditOutcome RunEditInput(std::span<const uint8_t> data, const std::string& baseSample,
                                const std::string& ostrelSample) {
  const bool ostrel = !data.empty() && (data[0] & 1) != 0;
  const std::string_view rest =
      data.empty() ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data.data()) + 1, data.size() - 1);
  const auto marker = rest.find(kShiplistMarker);
  WriteWholeFile(std::string(kShiplistName),
                 marker == std::string_view::npos ? std::string_view() : rest.substr(marker + kShiplistMarker.size()));
  ::unlink("out.db");
  EditOutcome outcome;
  outcome.run = Run({ostrel ? ostrelSample : baseSample, "-", "out.db"},
                    std::string(ostrel ? "y\nE\n" : "n\nE\n").append(rest.substr(0, marker)));
  outcome.written = ReadWholeFile("out.db");
  outcome.sizesHold = DeclaredSizesHold(outcome.written, ostrel ? Layout::Ostrel : Layout::Base);
  return outcome;
}

}  // namespace campdb::hostile
