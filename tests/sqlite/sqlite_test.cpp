// campdb --sqlite: the samples read back with SQLite agree with what the
// check and the report find in the same files, and the output file follows
// the rules of every file the tool writes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <sstream>

#include "check/check.h"
#include "console/console.h"
#include "driver/actions.h"
#include "driver/mixed_database.h"
#include "driver/scratch.h"
#include "report/report_driver.h"
#include "report/report_stream.h"

namespace campdb {
namespace {

const std::string kExamples = std::string(CAMPDB_SOURCE_DIR) + "/examples/";

int RunAction(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  return RunOptions(args, out, err);
}

// The rows of a query, the columns of each joined by '|', texts as the
// file's bytes (each character below U+0100 one byte).
std::vector<std::string> Query(sqlite3* db, const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
      const auto* text = sqlite3_column_text(statement, i);
      const int size = sqlite3_column_bytes(statement, i);
      if (i > 0) row += '|';
      for (int k = 0; k < size; ++k) {
        const auto byte = text[k];
        if (byte >= 0xC0 && k + 1 < size) {
          row += static_cast<char>(((byte & 0x1F) << 6) | (text[++k] & 0x3F));
        } else {
          row += static_cast<char>(byte);
        }
      }
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  return rows;
}

TEST(SqliteAction, SamplesAgreeWithTheCheckAndTheReport) {
  testing::ScratchFolder scratch;
  // Besides the samples, one object of every sort, with captains that are
  // missing or no character and ship entries that name no ship.
  const testdb::Bytes mixed = testdb::ToBytes(testing::MakeMixedDatabase().db, testdb::Layout::Base);
  testing::WriteFile("mixed.db", std::string(mixed.begin(), mixed.end()));
  size_t danglingSeen = 0;
  for (const auto& [name, status] : {std::pair{"sample-base.db", 0}, {"sample-ostrel.db", 0},
                                     {"sample-damaged.db", 3}, {"mixed.db", 0}}) {
    SCOPED_TRACE(name);
    const std::string file = name == std::string("mixed.db") ? name : kExamples + name;
    ASSERT_EQ(RunAction({"--sqlite", file, "out.sqlite"}), status);
    sqlite3* out = nullptr;
    ASSERT_EQ(sqlite3_open_v2("out.sqlite", &out, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(Query(out, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    EXPECT_EQ(Query(out, "SELECT complete FROM campdb_source"), std::vector<std::string>{status == 0 ? "1" : "0"});

    Database db;
    const std::string bytes = *testing::ReadFile(file);
    db.source.data = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), db.source.data.get());
    db.source.size = bytes.size();
    const CheckReport report = CheckDatabase(db, std::nullopt);

    // The references no object backs are exactly the check's: a ship's
    // captain (by the ship's id), a character's ship entry (by its owner).
    std::vector<std::string> dangling;
    for (const Problem& problem : report.problems) {
      if (problem.kind == ProblemKind::CaptainMissing || problem.kind == ProblemKind::CaptainNotCharacter) {
        dangling.push_back(Cat("ships|", *problem.id));
      } else if (problem.kind == ProblemKind::ShipEntryMissing) {
        dangling.push_back(Cat("character_ships|", *problem.id));
      }
    }
    std::sort(dangling.begin(), dangling.end());
    danglingSeen += dangling.size();
    EXPECT_EQ(Query(out,
                    "SELECT f.\"table\", CASE f.\"table\" WHEN 'ships' THEN f.rowid ELSE (SELECT character_id "
                    "FROM character_ships c WHERE c.rowid = f.rowid) END FROM pragma_foreign_key_check f ORDER BY 1, 2"),
              dangling);

    // Every object in the table of its kind.
    const auto& kinds = report.objectsByKind;
    EXPECT_EQ(Query(out, "SELECT (SELECT COUNT(*) FROM news), (SELECT COUNT(*) FROM characters), (SELECT COUNT(*) "
                         "FROM ships), (SELECT COUNT(*) FROM bids), (SELECT COUNT(*) FROM unrecognised), "
                         "(SELECT COUNT(*) FROM players), (SELECT COUNT(*) FROM hexes)"),
              std::vector<std::string>{Cat(kinds[0], "|", kinds[1], "|", kinds[2], "|", kinds[3], "|", kinds[4], "|",
                                           report.humanCharacters, "|", db.hexCount())});

    // Each character's and ship's line of the report, made again from the
    // tables and views.
    ReportStream stream;
    std::istringstream nothing;
    std::ostringstream transcript;
    Console console(nothing, transcript);
    ReportDatabase(db, stream, console);
    std::vector<std::string> reported;
    std::istringstream lines(stream.Text());
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("Human ") || line.starts_with("AI ")) {
        reported.push_back(line.substr(line.find(" (")));
      } else if (line.starts_with("Ship ") || line.starts_with("Shipyard vessel ")) {
        reported.push_back(line);
      }
    }
    std::vector<std::string> made = Query(
        out,
        "SELECT ' (' || r.name || ') in hex (' || hex_row || ',' || hex_column || '), glicko ' || glicko || "
        "', prestige ' || prestige || ', lifetime ' || lifetime_prestige || ', missions ' || missions_flown || "
        "', bids in on ' || (SELECT COUNT(*) FROM character_bids b WHERE b.character_id = c.object_id) || "
        "' ships' || CASE human WHEN 1 THEN ', email ' || email || ', IP ' || ip_address || ', homeworld (' || "
        "homeworld_column || ',' || homeworld_row || ')' ELSE ', homeworld (0,0)' END "
        "FROM characters c JOIN races r ON r.code = c.race "
        "UNION ALL SELECT CASE WHEN captain_id IS NULL THEN 'Shipyard vessel ' ELSE 'Ship ' END || object_id || "
        "':' || ship_type || ', ' || ship_name || ', bpv ' || bpv || ', class ' || hull_class_name || ', race ' || "
        "race_name || COALESCE(', captained by ' || captain_id, '') FROM fleet");
    std::sort(made.begin(), made.end());
    std::sort(reported.begin(), reported.end());
    ASSERT_EQ(made.size(), reported.size());
    for (size_t i = 0; i < made.size(); ++i) {
      // A ship's line goes on with its systems.
      EXPECT_TRUE(reported[i] == made[i] || reported[i].starts_with(made[i] + ",")) << reported[i] << "\n" << made[i];
    }
    sqlite3_close(out);
  }
  EXPECT_GE(danglingSeen, 4u);  // every kind the check names is among them
}

TEST(SqliteAction, OutputFileRules) {
  testing::ScratchFolder scratch;
  const std::string sample = kExamples + "sample-base.db";
  testing::WriteFile("copy.db", *testing::ReadFile(sample));
  testing::WriteFile("old.sqlite", "not yet a database");
  const struct {
    std::vector<std::string> args;
    int status;
  } kRuns[] = {
      {{"--sqlite", sample}, 2},
      {{"--sqlite", "--json", sample, "x.sqlite"}, 2},
      {{"--sqlite", "missing.db", "x.sqlite"}, 2},
      {{"--sqlite", "copy.db", "./copy.db"}, 1},
      {{"--sqlite", sample, "no-such-folder/x.sqlite"}, 1},
      {{"--sqlite", sample, "/dev/null"}, 1},
      {{"--sqlite", sample, "-"}, 2},
      {{"--sqlite", sample, "old.sqlite"}, 0},
  };
  for (const auto& run : kRuns) EXPECT_EQ(RunAction(run.args), run.status) << run.args.back();
  EXPECT_EQ(testing::ReadFile("copy.db"), testing::ReadFile(sample));
  EXPECT_EQ(testing::ReadFile("old.sqlite")->substr(0, 15), "SQLite format 3");
  EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"copy.db", "old.sqlite"}));
}

}  // namespace
}  // namespace campdb
