// The repair: one damaged file per kind of fix with the fixes it reports,
// and what every repair promises, over those files, the samples and the
// saved fuzz inputs: the output checks clean but for what is left, every
// byte of the misc objects is in the output or the lost-and-found file,
// a second repair finds nothing, a healthy file comes out as Edit writes it.
#include "repair/repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "console/console.h"
#include "maintenance/info_files.h"
#include "maintenance/writer.h"
#include "support/db_builder.h"

namespace campdb::testdb {
namespace {

void SetSource(campdb::Database& db, const Bytes& bytes) {
  db.source.data = std::make_unique<uint8_t[]>(bytes.size());
  if (!bytes.empty()) std::memcpy(db.source.data.get(), bytes.data(), bytes.size());
  db.source.size = bytes.size();
}

Bytes Written(const campdb::Database& db, Text unloaded = {}) {
  ByteWriter out;
  InfoFiles info;
  std::istringstream in;
  std::ostringstream transcript;
  Console console(in, transcript);
  WriteRecords(db, out, info, console, unloaded);
  return out.TakeBuffer();
}

struct Repaired {
  campdb::Database db;
  RepairReport report;
  Bytes out;
  Bytes lost;
};

std::unique_ptr<Repaired> Repair(const Bytes& bytes, campdb::Layout layout) {
  auto r = std::make_unique<Repaired>();
  SetSource(r->db, bytes);
  r->report = RepairDatabase(r->db, layout);
  if (!r->report.writable) return r;
  r->out = Written(r->db);
  ByteWriter lost;
  WriteLostAndFound(r->report, r->db.source.Bytes(), lost);
  r->lost = lost.TakeBuffer();
  return r;
}

// What the repair promises for any input it writes.
void ExpectPromises(const Bytes& input, campdb::Layout layout) {
  const auto r = Repair(input, layout);
  if (!r->report.writable) {
    EXPECT_TRUE(r->report.fixes.empty());
    EXPECT_FALSE(r->report.left.empty());
    return;
  }
  // The output checks with no error and no warning but those left.
  campdb::Database checked;
  SetSource(checked, r->out);
  for (const Problem& problem : CheckDatabase(checked, layout).problems) {
    EXPECT_EQ(FixOf(problem.kind), Fix::LeftAlone) << ProblemKindWord(problem.kind) << ": " << problem.message;
  }
  // The objects taken and the lost ranges tile the misc-object list.
  campdb::Database plain;
  SetSource(plain, input);
  plain.layout = layout;
  LoadObserver quiet;
  const LoadOutcome outcome = LoadDatabase(plain, quiet);
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
  for (const ObjectEntry& object : r->db.objects) ranges.emplace_back(object.start, object.end);
  for (const LostRange& lost : r->report.lost) ranges.emplace_back(lost.offset, lost.offset + lost.length);
  std::sort(ranges.begin(), ranges.end());
  uint64_t at = plain.objects.empty() ? outcome.unloadedFrom : plain.objects.front().start;
  for (const auto& [from, to] : ranges) {
    EXPECT_EQ(from, at);
    at = to;
  }
  EXPECT_EQ(at, input.size());
  // Every object written as it was read is in the output byte for byte.
  for (int64_t i = 0; i < r->db.ObjectCount(); ++i) {
    const ObjectEntry& object = r->db.Entry(i);
    if (r->db.KeptObject(i) != nullptr || !object.verbatim) continue;
    EXPECT_NE(r->out.find(input.substr(object.start, object.end - object.start)), Bytes::npos) << "object " << i;
  }
  // The lost-and-found file holds the lost bytes.
  std::istringstream lines(r->lost);
  size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    const auto range = nlohmann::json::parse(line);
    const std::string hex = range["bytes"];
    ASSERT_EQ(hex.size(), 2 * range["length"].get<size_t>());
    for (size_t k = 0; k < hex.size(); k += 2) {
      ASSERT_EQ(std::stoi(hex.substr(k, 2), nullptr, 16), static_cast<uint8_t>(input[range["offset"].get<size_t>() + k / 2]));
    }
  }
  EXPECT_EQ(count, r->report.lost.size());
  // A second repair finds nothing to do.
  const auto again = Repair(r->out, layout);
  EXPECT_TRUE(again->report.fixes.empty()) << again->report.fixes.front().done;
  EXPECT_EQ(again->out, r->out);
  EXPECT_EQ(again->report.left.size(), r->report.left.size());
}

template <class Record>
Bytes Made(int32_t id, std::function<void(Record&)> shape = {}) {
  Record record;
  record.objectId = id;
  if (shape) shape(record);
  return ToBytes(record);
}

struct Case {
  const char* name;
  std::function<void(testdb::Database&)> shape;
  std::function<void(const testdb::Database&, Bytes&)> bytes;  // applied to the bytes made
  int status;
  // The report: "fixed:" or "left:" and the kind, in report order.
  const char* report;
};

std::vector<Case> DamagedFiles() {
  const auto same = [](const testdb::Database&, Bytes&) {};
  const auto news = [](int32_t id, std::function<void(News&)> shape = {}) { return Made<News>(id, shape); };
  return {
      {"size words differ",
       [&](testdb::Database& d) {
         d.objects.push_back(news(13, [](News& n) { n.frame.size2 = 3; }));
         d.objects.push_back(news(14));
       },
       same, 1, "fixed:size-mismatch fixed:size-mismatch"},
      {"more objects announced", [](testdb::Database& d) { d.header.objectCount = 3 + 4 + 5; }, same, 1,
       "fixed:objects-missing"},
      {"cut inside a ship", [&](testdb::Database& d) { d.objects.push_back(Made<Ship>(13)); },
       [](const testdb::Database&, Bytes& b) { b.resize(b.size() - 100); }, 1, "fixed:record-cut fixed:record-cut"},
      {"story longer than the file",
       [&](testdb::Database& d) { d.objects.push_back(news(13, [](News& n) { n.storyText = Str::Stored(1000, "abc"); })); },
       same, 1, "fixed:length-cut fixed:length-cut"},
      {"ship entries cut",
       [&](testdb::Database& d) {
         d.objects.push_back(Made<Character>(13, [](Character& c) {
           c.shipCountWord = 3;
           c.ships.resize(1);
         }));
       },
       // Up to the end of the first of its entries.
       [](const testdb::Database& d, Bytes& b) { b.resize(b.size() - d.objects.back().size() + 108); }, 1,
       "fixed:list-cut fixed:list-cut"},
      {"fields past the declared size",
       [&](testdb::Database& d) {
         d.objects.push_back(news(13, [](News& n) { n.frame.size = n.frame.size2 = 30; }));
         d.objects.push_back(news(14));
       },
       same, 1, "fixed:size-too-small fixed:size-too-small"},
      {"bytes inserted into a story",
       [&](testdb::Database& d) { d.objects.push_back(news(13)); },
       [&](const testdb::Database&, Bytes& b) { b.insert(b.size() - news(13).size() - 5, "INSERT"); }, 1, "fixed:size-mismatch"},
      {"an object after those announced",
       [&](testdb::Database& d) {
         d.header.objectCount = 3 + 4 + 3;
         d.objects.push_back(news(13));
       },
       same, 1, "fixed:trailing-bytes"},
      {"bytes after the last object", [](testdb::Database&) {}, [](const testdb::Database&, Bytes& b) { b += "trailing bytes"; }, 1,
       "fixed:trailing-bytes"},
      {"ids out of order", [&](testdb::Database& d) { d.objects.push_back(news(5)); }, same, 1,
       "fixed:ids-out-of-order"},
      {"last id low", [](testdb::Database& d) { d.header.lastObjectId = 11; }, same, 1, "fixed:last-id-low"},
      {"ship entry differs",
       [](testdb::Database& d) {
         d.objects[0] = Made<Character>(10, [](Character& c) {
           c.ships.resize(1);
           c.ships[0].shipId = 11;
           c.ships[0].shipName = "Old name";
         });
       },
       same, 1, "fixed:ship-entry-differs"},
      {"ship entry names no ship",
       [](testdb::Database& d) {
         d.objects[0] = Made<Character>(10, [](Character& c) {
           c.ships.resize(2);
           c.ships[0].shipId = 12;
           c.ships[1].shipId = 11;
           c.ships[1].bpv = Ship().bpv;
         });
       },
       same, 1, "fixed:ship-entry-missing"},
      {"negative length",
       [&](testdb::Database& d) { d.objects.push_back(news(13, [](News& n) { n.storyText = Str::Stored(-4); })); },
       same, 1, "fixed:negative-length"},
      {"duplicate id", [&](testdb::Database& d) { d.objects.push_back(news(12)); }, same, 4, "left:duplicate-id"},
      {"captain missing",
       [&](testdb::Database& d) { d.objects.push_back(Made<Ship>(13, [](Ship& s) { s.captainId = 99; })); }, same, 4,
       "left:captain-missing"},
      {"unrecognised class",
       [](testdb::Database& d) {
         RawObject object{Frame{".?AVtOther@@", {}, {}, {}}, Bytes(20, '\0')};
         object.body[10] = 13;  // its id
         d.Add(object);
       },
       same, 4,
       "left:unrecognised-class"},
      {"hexes cut", [](testdb::Database&) {},
       [](const testdb::Database& d, Bytes& b) {
         b.resize(ToBytes(d.header).size() + ToBytes(d.campaign, Layout::Base).size() + ToBytes(d.map).size() + 10);
       }, 4, "left:record-cut left:hexes-missing left:record-cut"},
  };
}

std::string ReportKinds(const RepairReport& report) {
  std::string kinds;
  for (const RepairFix& fix : report.fixes) kinds += Cat(kinds.empty() ? "" : " ", "fixed:", ProblemKindWord(fix.kind));
  for (const Problem& left : report.left) kinds += Cat(kinds.empty() ? "" : " ", "left:", ProblemKindWord(left.kind));
  return kinds;
}

TEST(Repair, OneDamagedFilePerFix) {
  for (const Case& c : DamagedFiles()) {
    SCOPED_TRACE(c.name);
    testdb::Database d = SmallHealthy();
    c.shape(d);
    Bytes bytes = ToBytes(d, Layout::Base);
    c.bytes(d, bytes);
    const auto r = Repair(bytes, campdb::Layout::Base);
    EXPECT_EQ(ReportKinds(r->report), c.report);
    EXPECT_EQ(r->report.Status(), c.status);
    ExpectPromises(bytes, campdb::Layout::Base);
  }
}

Bytes ReadFile(const std::filesystem::path& name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(Repair, PromisesOverSamplesAndSavedInputs) {
  const std::filesystem::path root(CAMPDB_SOURCE_DIR);
  for (const char* sample : {"sample-base", "sample-ostrel", "sample-damaged"}) {
    SCOPED_TRACE(sample);
    const Bytes bytes = ReadFile(root / "examples" / (std::string(sample) + ".db"));
    const campdb::Layout layout = sample == std::string("sample-ostrel") ? campdb::Layout::Ostrel : campdb::Layout::Base;
    ExpectPromises(bytes, layout);
    // A repair of a healthy file writes what an unchanged Edit writes.
    if (sample == std::string("sample-damaged")) continue;
    const auto r = Repair(bytes, layout);
    EXPECT_EQ(r->report.Status(), 0);
    campdb::Database edited;
    SetSource(edited, bytes);
    edited.layout = layout;
    LoadObserver quiet;
    LoadDatabase(edited, quiet);
    EXPECT_EQ(r->out, Written(edited, edited.unloaded));
  }
  for (const auto& file : std::filesystem::directory_iterator(root / "tests/regressions/load_database")) {
    SCOPED_TRACE(file.path().filename().string());
    const Bytes bytes = ReadFile(file.path());
    for (const campdb::Layout layout : {campdb::Layout::Base, campdb::Layout::Ostrel}) {
      ExpectPromises(bytes.empty() ? bytes : bytes.substr(1), layout);
    }
  }
}

}  // namespace
}  // namespace campdb::testdb
