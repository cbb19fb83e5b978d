// The paths a damaged database or a hostile operator takes through the tool,
// run in-process with the console on string streams and the output
// database kept in memory. Shared by the fuzz targets and by the test that
// replays the inputs they once failed on, so both run exactly the same code.
//
// Header-only on purpose: the fuzz targets must not link the support
// library, whose allocation probe replaces operator new.
//
// The output database stays in memory, so the campaign info files that
// would follow it are never written (only one that is a device would be);
// callers still run these in a scratch folder, where the shiplist goes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

#include "console/console.h"
#include "driver/loader.h"
#include "editor/edit_menu.h"
#include "format/byte_stream.h"
#include "format/database.h"
#include "format/misc_object.h"
#include "format/run_settings.h"
#include "maintenance/cleaner.h"
#include "maintenance/writer.h"
#include "report/info_files.h"
#include "report/report_driver.h"
#include "report/report_stream.h"

namespace campdb::hostile {

struct Outcome {
  std::string console;  // everything the operator saw
  std::string report;   // the report text (report runs)
  std::string written;  // the output database bytes (clean and edit runs)
  // False when a misc object's two size words do not count the bytes its
  // writer produced after them.
  bool sizesConsistent = true;
};

// Bytes as the fuzzer hands them over.
inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline std::string ReadWholeFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Loads the database in the given layout and writes its report, as a Report
// run does, but into memory.
inline Outcome Report(Variant variant, std::span<const uint8_t> database) {
  ResetRunSettings();
  Run().variant = variant;
  Run().mode = RunMode::Report;
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  Database db;
  ByteReader reader(database);
  LoadDatabase(reader, db, console);
  ReportStream report;
  ReportDatabase(db, report, console);
  return Outcome{out.str(), report.Text(), {}, true};
}

// Loads the database and cleans it, as a Clean run does: every loaded object
// marked, the cleaner's decisions, then the whole database written into
// memory.
inline Outcome Clean(Variant variant, std::span<const uint8_t> database) {
  ResetRunSettings();
  Run().variant = variant;
  Run().mode = RunMode::Clean;
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  Database db;
  ByteReader reader(database);
  LoadDatabase(reader, db, console);
  for (auto& flag : db.deleteFlags) flag = 1;
  CleanDatabase(db, console);
  ByteWriter written;
  InfoFiles infoFiles;
  WriteRecords(db, written, console, infoFiles);
  return Outcome{out.str(), {}, written.TakeBuffer(), true};
}

// True when both size words of every object count the bytes written after
// them.
inline bool ObjectSizesConsistent(Database& db) {
  for (sMiscObject& slot : db.slots) {
    ByteWriter out;
    WriteMiscObject(out, slot);
    const std::string& bytes = out.Buffer();
    if (bytes.empty()) continue;
    if (bytes.size() < 8) return false;
    ByteReader reader(AsBytes(bytes));
    const int64_t first = ReadInt32(reader);
    const int64_t second = ReadInt32(reader);
    const auto after = static_cast<int64_t>(bytes.size()) - 8;
    if (first != after || second != after) return false;
  }
  return true;
}

// Loads a database and runs the whole edit menu on the operator's `script`,
// then writes the database into memory. Whatever shiplist file name the
// script types is opened in the working folder.
inline Outcome Edit(Variant variant, std::span<const uint8_t> database, std::string_view script) {
  ResetRunSettings();
  Run().variant = variant;
  Run().mode = RunMode::Edit;
  std::istringstream in{std::string(script)};
  std::ostringstream out;
  Console console(in, out);
  Database db;
  ByteReader reader(database);
  const LoadOutcome loaded = LoadDatabase(reader, db, console);
  EditMenu(db, console);
  // The input the load did not take follows the objects, as in an Edit run.
  ByteWriter written;
  InfoFiles infoFiles;
  WriteRecords(db, written, console, infoFiles, database.subspan(std::min(loaded.unloadedFrom, database.size())));
  return Outcome{out.str(), {}, written.TakeBuffer(), ObjectSizesConsistent(db)};
}

// --- the fuzz inputs --------------------------------------------------------

// A database input: the first byte picks the layout (its lowest bit set:
// Ostrel), the rest is the file.
struct DatabaseInput {
  Variant variant = Variant::Base;
  std::span<const uint8_t> file;
};

inline DatabaseInput SplitDatabaseInput(std::span<const uint8_t> data) {
  DatabaseInput input;
  if (data.empty()) return input;
  input.variant = (data[0] & 1) != 0 ? Variant::Ostrel : Variant::Base;
  input.file = data.subspan(1);
  return input;
}

// An edit input: the first byte picks the sample database (its lowest bit
// set: the Ostrel sample, in its layout), then comes the operator's script,
// then, after the marker, the bytes of the shiplist file. Without the marker
// the whole rest is the script and the shiplist is empty.
inline constexpr std::string_view kShiplistMarker = "\n#SHIPLIST#\n";
// The name the shiplist is stored under; scripts type it to the import's
// question.
inline constexpr std::string_view kShiplistName = "ships.txt";

struct EditInput {
  bool ostrelSample = false;
  std::string_view script;
  std::string_view shiplist;
};

inline EditInput SplitEditInput(std::span<const uint8_t> data) {
  EditInput input;
  if (data.empty()) return input;
  input.ostrelSample = (data[0] & 1) != 0;
  const std::string_view rest(reinterpret_cast<const char*>(data.data()) + 1, data.size() - 1);
  const auto marker = rest.find(kShiplistMarker);
  if (marker == std::string_view::npos) {
    input.script = rest;
  } else {
    input.script = rest.substr(0, marker);
    input.shiplist = rest.substr(marker + kShiplistMarker.size());
  }
  return input;
}

// Both paths a database input takes: its report, then a clean of it.
inline void RunDatabaseInput(std::span<const uint8_t> data) {
  const DatabaseInput input = SplitDatabaseInput(data);
  Report(input.variant, input.file);
  Clean(input.variant, input.file);
}

// An edit session on one of the two samples, with the shiplist in the
// working folder.
inline Outcome RunEditInput(std::span<const uint8_t> data, const std::string& baseSample,
                            const std::string& ostrelSample) {
  const EditInput input = SplitEditInput(data);
  {
    std::ofstream shiplist{std::string(kShiplistName), std::ios::binary | std::ios::trunc};
    shiplist.write(input.shiplist.data(), static_cast<std::streamsize>(input.shiplist.size()));
  }
  const std::string& sample = input.ostrelSample ? ostrelSample : baseSample;
  return Edit(input.ostrelSample ? Variant::Ostrel : Variant::Base, AsBytes(sample), input.script);
}

}  // namespace campdb::hostile
