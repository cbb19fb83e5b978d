// campdb --map as a command line: its exit statuses, its lines on standard
// error, and the picture it leaves (or does not leave) behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "driver/actions.h"
#include "support/db_builder.h"

namespace campdb::testdb {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(MapAction, ExitStatusesDiagnosticsAndTheFileWritten) {
  const fs::path dir = fs::temp_directory_path() / ("campdb-map-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const auto put = [&](const std::string& name, const Bytes& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
  };
  testdb::Database source;
  source.SetGrid(4, 3);
  source.Add(News{});
  const Bytes whole = ToBytes(source, Layout::Base);
  const std::string good = put("good.db", whole);
  const std::string objectsCut = put("objects-cut.db", whole.substr(0, whole.size() - 10));
  const std::string hexesCut = put("hexes-cut.db", whole.substr(0, whole.find(".?AVtMapHex@@") + 200));
  const std::string noHexes = put("no-hexes.db", ToBytes(testdb::Database{}, Layout::Ostrel));
  const std::string empty = put("empty.db", "");
  const std::string picture = (dir / "map.svg").string();

  const struct {
    std::vector<std::string> args;
    int status;
    std::string error;  // what standard error holds ("" for nothing)
    bool written;
  } cases[] = {
      {{"--map", good, picture}, 0, "", true},
      {{"--map", "--shade", "dv", "--layout", "base", good, picture}, 0, "", true},
      {{"--map", objectsCut, picture}, 3, "campdb: warning: " + objectsCut + ": the file ends inside object 1", true},
      {{"--map", hexesCut, picture}, 3, "map.svg: The map is not drawn: the file holds only 3 of its 12 hexes", true},
      {{"--map", noHexes, picture}, 0, "campdb: " + picture + ": The map has no hexes (0 columns by 0 rows).\n", true},
      {{"--map", "--layout", "base", empty, picture}, 3, "campdb: warning: " + empty + ": the file ends", true},
      {{"--map", empty, picture}, 2, "cannot tell its layout", false},
      {{"--map", (dir / "missing.db").string(), picture}, 2, "missing.db: No such file or directory", false},
      {{"--map", good, (dir / "no-dir/map.svg").string()}, 1, "no-dir/map.svg: No such file or directory", false},
      {{"--map", good, (dir / "." / "good.db").string()}, 1, "refers to the input database", false},
      {{"--map", good}, 2, "--map takes a database and the picture to write", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    fs::remove(picture);
    std::ostringstream out, err;
    EXPECT_EQ(RunOptions(c.args, out, err), c.status);
    EXPECT_EQ(out.str(), "");
    if (c.error.empty()) {
      EXPECT_EQ(err.str(), "");
    } else {
      EXPECT_NE(err.str().find(c.error), std::string::npos) << err.str();
    }
    EXPECT_EQ(fs::exists(picture), c.written);
    if (c.written) {
      EXPECT_TRUE(Slurp(picture).ends_with("</svg>\n"));
    }
  }
  EXPECT_EQ(Slurp(good), whole);
  // Only the databases are left: no temporary file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace campdb::testdb
