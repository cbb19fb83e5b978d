// Edits of a dump's text, restored: every value the dump leaves out is
// recomputed from what the text now holds (sizes, counts, the matrix size),
// every value it gives is kept as given, and the database written loads
// back whole.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "dump_fixture.h"
#include "format/fields.h"

namespace campdb::textform_test {
namespace {

using Json = nlohmann::ordered_json;
using Lines = std::vector<Json>;

// The line of a record of `type` whose objectId is `id`.
Json& Line(Lines& lines, const std::string& type, int id) {
  for (Json& line : lines) {
    if (line.value("record", "") == type && line.value("objectId", -1) == id) return line;
  }
  ADD_FAILURE() << "no " << type << " " << id;
  return lines.front();
}
Json& Only(Lines& lines, const std::string& type) {
  for (Json& line : lines) {
    if (line.value("record", "") == type) return line;
  }
  ADD_FAILURE() << "no " << type;
  return lines.front();
}
void Remove(Lines& lines, const std::string& type, int id) {
  const Json& line = Line(lines, type, id);
  lines.erase(lines.begin() + (&line - lines.data()));
}

// A database's objects, by id; each is kept once looked at, so that the
// reference stays good.
template <class Record>
const Record& Object(Database& db, int32_t id) {
  for (int64_t i = 0; i < db.ObjectCount(); ++i) {
    const MiscObject& object = db.EditObject(i);
    if (const auto* record = std::get_if<Record>(&object); record != nullptr && record->head.objectId == id) {
      return *record;
    }
  }
  ADD_FAILURE() << "no object " << id;
  static const Record none{};
  return none;
}
const tShip& Ship(Database& db, int32_t id) { return Object<tShip>(db, id); }
const tServCharacter& Character(Database& db, int32_t id) { return Object<tServCharacter>(db, id); }

struct TextEdit {
  const char* what;
  std::function<void(Lines&)> edit;
  // The database before the edit, and restored after it.
  std::function<void(Database&, Database&)> check;
  bool sizesFollowTheFields = true;  // false where a size is given
};

const std::vector<TextEdit> kEdits = {
    {"members in any order read as in the order written",
     [](Lines& l) {
       // Every object of every line, at every depth, with its members reversed.
       const std::function<Json(const Json&)> reversed = [&](const Json& value) {
         if (value.is_array()) {
           Json out = Json::array();
           for (const Json& item : value) out.push_back(reversed(item));
           return out;
         }
         if (!value.is_object()) return value;
         Json out = Json::object();
         std::vector<std::pair<std::string, Json>> members;
         for (const auto& [key, member] : value.items()) members.emplace_back(key, reversed(member));
         for (auto it = members.rbegin(); it != members.rend(); ++it) out[it->first] = it->second;
         return out;
       };
       for (Json& line : l) line = reversed(line);
     },
     [](Database& before, Database& after) { EXPECT_TRUE(WrittenBytes(after) == WrittenBytes(before)); }},
    {"a longer ship name grows that ship's declared size",
     [](Lines& l) { Line(l, "ship", 1101)["shipName"] = "Resolute of the Long Watch"; },
     [](Database& before, Database& after) {
       EXPECT_EQ(Ship(after, 1101).shipName, "Resolute of the Long Watch");
       EXPECT_EQ(Ship(after, 1101).head.declaredSize, Ship(before, 1101).head.declaredSize + 18);
     }},
    {"a long name of bytes above 0x7F is kept byte for byte",
     [](Lines& l) {
       std::string name;
       for (int i = 0; i < 3000; ++i) name += "\xC3\xA9";  // U+00E9, the byte 0xE9
       Line(l, "character", 1001)["characterName"] = name;
     },
     [](Database& before, Database& after) {
       EXPECT_EQ(Character(after, 1001).characterName, std::string(3000, '\xE9'));
       EXPECT_EQ(Character(after, 1001).head.declaredSize, Character(before, 1001).head.declaredSize + 3000 - 9);
     }},
    {"a raised prestige changes nothing else",
     [](Lines& l) { Line(l, "character", 1002)["prestige"] = 9999; },
     [](Database& before, Database& after) {
       EXPECT_EQ(Character(after, 1002).prestige, 9999);
       EXPECT_EQ(Character(after, 1002).head.declaredSize, Character(before, 1002).head.declaredSize);
     }},
    {"a removed object line lowers the header's object count",
     [](Lines& l) { Remove(l, "news", 1301); },
     [](Database& before, Database& after) {
       EXPECT_EQ(after.objects.size(), before.objects.size() - 1);
       EXPECT_EQ(after.header.objectCount, before.header.objectCount - 1);
     }},
    {"an added mission is counted and grows the campaign's size",
     [](Lines& l) { Only(l, "campaign")["missionList"].push_back("Extra_06.scr"); },
     [](Database& before, Database& after) {
       EXPECT_EQ(after.campaign.missionList.size(), before.campaign.missionList.size() + 1);
       EXPECT_EQ(after.campaign.head.declaredSize, before.campaign.head.declaredSize + 4 + 12);
     }},
    {"a removed playable race shrinks the campaign by its word",
     [](Lines& l) { Only(l, "campaign")["playableRaces"].erase(0); },
     [](Database& before, Database& after) {
       EXPECT_EQ(after.campaign.head.declaredSize, before.campaign.head.declaredSize - 4);
     }},
    {"a character without its human section is an AI player",
     [](Lines& l) { Line(l, "character", 1001).erase("human"); },
     [](Database& before, Database& after) {
       const HumanPlayer& human = Character(before, 1001).human;
       EXPECT_TRUE(Character(after, 1001).isAI());
       EXPECT_EQ(Character(after, 1001).head.declaredSize,
                 Character(before, 1001).head.declaredSize - 33 - static_cast<int32_t>(human.email.size()) -
                     static_cast<int32_t>(human.ipAddress.size()));
     }},
    {"tensions cut to nine cells make a 3 x 3 matrix",
     [](Lines& l) {
       Json& cells = Only(l, "political")["tensions"];
       cells.erase(cells.begin() + 9, cells.end());
     },
     [](Database& before, Database& after) {
       EXPECT_EQ(after.political.matrixSize, 3);
       EXPECT_EQ(after.political.head.declaredSize, before.political.head.declaredSize - 3 * (256 - 9));
     }},
    {"a matrix size given is kept whatever the cells",
     [](Lines& l) {
       Json& political = Only(l, "political");
       political["tensions"].erase(political["tensions"].begin() + 10, political["tensions"].end());
       political["matrixSize"] = 4;
     },
     [](Database&, Database& after) {
       EXPECT_EQ(after.political.matrixSize, 4);
       EXPECT_EQ(after.political.cells.size(), 10u);
     },
     false},
    {"a fighter type given to a bay grows the ship",
     [](Lines& l) { Line(l, "ship", 1102)["bays"][3]["fighterType2"] = "Dart"; },
     [](Database& before, Database& after) {
       EXPECT_EQ(Ship(after, 1102).head.declaredSize, Ship(before, 1102).head.declaredSize + 4);
     }},
    {"a tail given to a bid is counted",
     [](Lines& l) { Line(l, "bid", 1201)["tail"] = "00ff10"; },
     [](Database& before, Database& after) {
       const auto& bid = Object<tAuctionItem>(after, 1201);
       EXPECT_EQ(bid.tail, std::string("\x00\xff\x10", 3));
       EXPECT_EQ(bid.head.declaredSize, Object<tAuctionItem>(before, 1201).head.declaredSize + 3);
     }},
    {"a longer class tag given to a hex is written and counted",
     [](Lines& l) { Line(l, "hex", 100)["tag"] = ".?AVtMapHexX@@"; },
     [](Database& before, Database& after) {
       EXPECT_EQ(after.hexes[0].head.tag, ".?AVtMapHexX@@");
       EXPECT_EQ(after.hexes[0].head.declaredSize, before.hexes[0].head.declaredSize + 1);
     }},
    {"a declared size given is both size words",
     [](Lines& l) { Line(l, "news", 1302)["declaredSize"] = 999; },
     [](Database&, Database& after) {
       EXPECT_EQ(Object<tNewsStory>(after, 1302).head.declaredSize, 999);
       EXPECT_EQ(Object<tNewsStory>(after, 1302).head.declaredSize2, 999);
     },
     false},
    {"a second size word given stands beside the size recomputed",
     [](Lines& l) { Only(l, "map")["declaredSize2"] = -7; },
     [](Database& before, Database& after) {
       EXPECT_EQ(after.map.head.declaredSize, before.map.head.declaredSize);
       EXPECT_EQ(after.map.head.declaredSize2, -7);
     },
     false},
    {"an object count given is kept when an object goes",
     [](Lines& l) {
       Only(l, "header")["objectCount"] = 77;
       Remove(l, "bid", 1202);
     },
     [](Database&, Database& after) { EXPECT_EQ(after.header.objectCount, 77); }, false},
    {"unloaded bytes given are written after the objects",
     [](Lines& l) { l.back()["bytes"] = "c0ffee"; },
     [](Database&, Database& after) {
       EXPECT_TRUE(WrittenBytes(after).ends_with("\xc0\xff\xee"));
     },
     false},
};

class DumpRecompute : public ::testing::TestWithParam<TextEdit> {};

TEST_P(DumpRecompute, ValuesLeftOutAreRecomputedAndValuesGivenKept) {
  const TextEdit& row = GetParam();
  const auto before = LoadSample("sample-base.db", Layout::Base);
  Lines lines;
  std::istringstream dump(DumpOf(*before));
  for (std::string line; std::getline(dump, line);) lines.push_back(Json::parse(line));
  row.edit(lines);
  std::string edited;
  for (const Json& line : lines) edited += line.dump() + "\n";

  Database after;
  const auto error = Restore(edited, after);
  ASSERT_FALSE(error.has_value()) << *error;
  row.check(*before, after);
  if (!row.sizesFollowTheFields) return;
  // Every declared size counts its record's bytes, so the file written
  // loads back whole.
  EXPECT_EQ(after.campaign.head.declaredSize, RecordSize(after.campaign, after.layout));
  EXPECT_EQ(after.political.head.declaredSize, RecordSize(after.political, after.layout));
  for (int64_t i = 0; i < after.ObjectCount(); ++i) {
    MiscObject scratch;
    const MiscObject& object = after.ReadObject(i, scratch);
    std::visit(
        [&](const auto& record) {
          if constexpr (!std::is_same_v<std::decay_t<decltype(record)>, UnrecognisedObject>) {
            EXPECT_EQ(record.head.declaredSize, RecordSize(record, after.layout));
            EXPECT_EQ(record.head.declaredSize2, record.head.declaredSize);
          }
        },
        object);
  }
  LoadOutcome outcome;
  const auto reloaded = testdb::LoadBytes(WrittenBytes(after), testdb::Layout::Base, &outcome);
  EXPECT_TRUE(outcome.Complete());
  EXPECT_EQ(reloaded->objects.size(), after.objects.size());
  EXPECT_TRUE(WrittenBytes(*reloaded) == WrittenBytes(after));
}

INSTANTIATE_TEST_SUITE_P(TextEdits, DumpRecompute, ::testing::ValuesIn(kEdits),
                         [](const ::testing::TestParamInfo<TextEdit>& info) { return "Edit" + std::to_string(info.index); });

}  // namespace
}  // namespace campdb::textform_test
