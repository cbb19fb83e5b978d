// Writing the SQLite view of a database. The columns of a record's table
// come from its field list, walked by RowIo: once to declare the columns,
// then once per record to bind their values to the table's prepared
// statement. Lists inside a record become tables of their own, keyed by the
// record's id and the entry's position.
#include "sqlite/sqlite_writer.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "format/fields.h"
#include "format/name_tables.h"
#include "format/ship.h"

namespace campdb {

namespace {

// The pieces, texts and numbers, one after the other.
void Append(std::string& out, std::string_view text) { out += text; }
void Append(std::string& out, int64_t number) { out += std::to_string(number); }
void Append(std::string& out, size_t number) { out += std::to_string(number); }
template <class... Pieces>
std::string Cat(const Pieces&... pieces) {
  std::string out;
  (Append(out, pieces), ...);
  return out;
}

// A failure of SQLite, carried out of the writer to its one caller.
struct SqlFailure {
  std::string message;
};

[[noreturn]] void Fail(sqlite3* connection, std::string_view what) {
  throw SqlFailure{std::string(what) + ": " + sqlite3_errmsg(connection)};
}

void Exec(sqlite3* connection, const std::string& sql) {
  if (sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(connection, sql.substr(0, 60));
}

// "hexX" -> "hex_x", "rWarp" -> "r_warp", "era3Start" -> "era3_start".
std::string SnakeCase(std::string_view name) {
  std::string snake;
  for (const char c : name) {
    if (c >= 'A' && c <= 'Z') {
      if (!snake.empty() && snake.back() != '_') snake += '_';
      snake += static_cast<char>(c - 'A' + 'a');
    } else {
      snake += c;
    }
  }
  return snake;
}

// The coded values and the lookup tables that name them.
enum Lookup : int { kRaces, kHullClasses, kTerrains, kPlanets, kBases, kLookups, kNoLookup = kLookups };

constexpr std::array<std::string_view, kLookups> kLookupTables = {"races", "hull_classes", "terrains", "planets",
                                                                  "bases"};

// Which lookup table a field's code refers to, by the field's name; the
// same name means the same kind of code in every record.
Lookup LookupOf(std::string_view field) {
  static constexpr std::pair<std::string_view, Lookup> kCoded[] = {
      {"race", kRaces},       {"race2", kRaces},        {"captainRace", kRaces}, {"ownerRace", kRaces},
      {"cartelRace", kRaces}, {"otherRace", kRaces},     {"hullClass", kHullClasses}, {"terrain", kTerrains}, {"planet", kPlanets},
      {"base", kBases},
  };
  for (const auto& [name, lookup] : kCoded) {
    if (name == field) return lookup;
  }
  return kNoLookup;
}

// An id field of one table that refers to an object of another.
struct Reference {
  std::string_view field;
  std::string_view parent;  // "ships(object_id)"
  bool zeroIsNone = false;  // 0 stands for no object (a shipyard vessel's captain)
};

struct Column {
  std::string name;
  std::string declaration;  // type and constraints
  bool indexed = false;     // a foreign key, indexed once the rows are in
  Lookup lookup = kNoLookup;  // the lookup table of a coded column
  bool zeroIsNone = false;    // 0 is bound as NULL
};

// The name the report gives a code, without the separator it prints after
// some of them ("homeworld, ").
std::string_view CodeName(Lookup lookup, int32_t code, Layout layout) {
  std::string_view name;
  switch (lookup) {
    case kRaces: name = RaceName(code, layout); break;
    case kHullClasses: name = HullClassName(code); break;
    case kTerrains: name = TerrainName(code); break;
    case kPlanets: name = PlanetName(code); break;
    default: name = BaseName(code); break;
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == ',')) name.remove_suffix(1);
  return name;
}

// The codes each lookup table names: the name table's own, then every
// other code the file holds.
std::vector<int32_t> TableCodes(Lookup lookup, Layout layout) {
  std::vector<int32_t> codes;
  const auto bits = [&](int highest) {
    codes.push_back(0);
    for (int bit = 0; bit <= highest; ++bit) codes.push_back(int32_t{1} << bit);
  };
  switch (lookup) {
    case kRaces:
      for (int32_t code = 0; code < (IsOstrel(layout) ? 24 : 16); ++code) codes.push_back(code);
      break;
    case kHullClasses:
      for (int32_t code = 0; code < 20; ++code) codes.push_back(code);
      break;
    case kTerrains: bits(26); break;     // empty space .. no terrain
    case kPlanets: bits(11); break;      // homeworld .. asteroid base
    default: bits(4); break;             // starbase .. listening post
  }
  return codes;
}

// Latin-1 to UTF-8: every byte of a text is the character of that number.
void AppendUtf8(std::string& out, std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
}

class Statement {
 public:
  Statement(sqlite3* connection, const std::string& sql) : connection_(connection) {
    if (sqlite3_prepare_v2(connection, sql.c_str(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK) {
      Fail(connection, sql.substr(0, 60));
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(statement_); }

  sqlite3_stmt* get() const { return statement_; }
  void Check(int result) const {
    if (result != SQLITE_OK) Fail(connection_, "bind");
  }
  // Runs the statement with the values bound, then makes it ready for the
  // next row.
  void Step() {
    const int result = sqlite3_step(statement_);
    sqlite3_reset(statement_);
    if (result != SQLITE_DONE) Fail(connection_, "insert");
  }

 private:
  sqlite3* connection_;
  sqlite3_stmt* statement_ = nullptr;
};

// Codes seen in the rows, per lookup table.
using SeenCodes = std::array<std::unordered_set<int32_t>, kLookups>;

// Walks a record's field list to declare its table's columns (statement
// null) or to bind one record's values (statement given), in the same
// order. Lists and the tension matrix are left to tables of their own.
class RowIo {
 public:
  RowIo(std::span<const Reference> references, std::vector<Column>* columns) : references_(references), columns_(columns) {}
  // Binds the values from column `first` (0-based) of `columns` on.
  RowIo(const std::vector<Column>& columns, Statement& statement, int first, SeenCodes& seen)
      : bound_(&columns), statement_(&statement), at_(first), seen_(&seen) {}

  // A misc object's id is its table's key, bound ahead of the walk.
  void SkipObjectId() { skipId_ = true; }

  void Head(const ObjectHead& head) {
    Int32("declaredSize", head.declaredSize);
    Int32("leadWord", head.leadWord);
    Run("leadRun", head.leadRun);
    if (!skipId_) Int32("objectId", head.objectId);
  }
  void Int32(const char* name, int32_t value) {
    if (columns_ != nullptr) {
      const Lookup lookup = LookupOf(name);
      const Reference* reference = Find(name);
      std::string declaration = "INTEGER";
      if (lookup != kNoLookup) declaration += Cat(" REFERENCES ", kLookupTables[lookup], "(code)");
      if (reference != nullptr) declaration += Cat(" REFERENCES ", reference->parent);
      Declare(name, std::move(declaration), lookup != kNoLookup || reference != nullptr);
      columns_->back().lookup = lookup;
      columns_->back().zeroIsNone = reference != nullptr && reference->zeroIsNone;
      return;
    }
    const Column& column = (*bound_)[static_cast<size_t>(at_)];
    if (blank_) value = 0;
    if (column.zeroIsNone && value == 0) {
      statement_->Check(sqlite3_bind_null(statement_->get(), ++at_));
      return;
    }
    if (column.lookup != kNoLookup) (*seen_)[column.lookup].insert(value);
    statement_->Check(sqlite3_bind_int64(statement_->get(), ++at_, value));
  }
  void Int16(const char* name, int32_t value) { Int32(name, value); }
  void Byte(const char* name, uint8_t value) { Int32(name, value); }
  template <size_t N>
  void Run(const char* name, const std::array<uint8_t, N>& run) {
    Blob(name, Text(reinterpret_cast<const char*>(run.data()), N));
  }
  void String(const char* name, Text text) {
    if (columns_ != nullptr) return Declare(name, "TEXT");
    if (blank_) text = {};
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (plain) {
      statement_->Check(sqlite3_bind_text64(statement_->get(), ++at_, text.empty() ? "" : text.data(),
                                            text.size(), SQLITE_STATIC, SQLITE_UTF8));
      return;
    }
    std::string utf8;
    AppendUtf8(utf8, text);
    statement_->Check(sqlite3_bind_text64(statement_->get(), ++at_, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                          SQLITE_UTF8));
  }
  // Lists are tables of their own.
  template <class T, class Entry>
  void List(const char*, const std::vector<T>&, Entry&&) {}
  template <class T, size_t N, class Entry>
  void FixedList(const char* name, std::array<T, N>& list, Entry&& entry) {
    for (size_t i = 0; i < N; ++i) Nested(Cat(name, "_", i, "_"), [&] { entry(*this, list[i]); });
  }
  template <class Body>
  void Group(const char* name, Body&& body) {
    Nested(Cat(name, "_"), [&] { body(*this); });
  }
  // A section the record does not hold has its columns all the same, with
  // empty texts and zeros, and a column named after it that says so.
  template <class Decide, class Body>
  void Section(const char* name, bool present, Decide&&, Body&& body) {
    Int32(name, present ? 1 : 0);
    const bool blank = blank_;
    blank_ = blank || !present;
    body(*this);
    blank_ = blank;
  }
  void Matrix(const char*, int32_t size, const std::vector<TensionCell>&) { Int32("matrixSize", size); }
  // The systems block: every named value of its segment table as a column
  // (a pair as its intact and working values), then the whole block.
  void Block(const char* name, Text block) {
    for (const block::Segment& segment : block::kSegments) {
      const auto at = [&](int offset) -> int32_t {
        return offset < static_cast<int>(block.size()) ? static_cast<uint8_t>(block[static_cast<size_t>(offset)]) : 0;
      };
      // Names are wanted only to declare the columns.
      const std::string field = columns_ != nullptr ? std::string(segment.name) : std::string();
      if (segment.kind == block::SegmentKind::Byte) {
        Int32(field.c_str(), at(segment.offset));
      } else if (segment.kind == block::SegmentKind::Pair) {
        Int32(columns_ != nullptr ? (field + "Intact").c_str() : "", at(segment.offset));
        Int32(columns_ != nullptr ? (field + "Working").c_str() : "", at(segment.offset + 1));
      }
    }
    Blob(name, block);
  }
  void Tail(Text tail) { Blob("tail", tail); }

  void Blob(const char* name, Text bytes) {
    if (columns_ != nullptr) return Declare(name, "BLOB");
    if (blank_) bytes = {};
    if (bytes.empty()) {
      statement_->Check(sqlite3_bind_zeroblob(statement_->get(), ++at_, 0));
    } else {
      statement_->Check(
          sqlite3_bind_blob64(statement_->get(), ++at_, bytes.data(), bytes.size(), SQLITE_STATIC));
    }
  }

 private:
  const Reference* Find(std::string_view field) const {
    if (!prefix_.empty()) return nullptr;
    for (const Reference& reference : references_) {
      if (reference.field == field) return &reference;
    }
    return nullptr;
  }
  void Declare(const char* name, std::string declaration, bool indexed = false) {
    columns_->push_back({SnakeCase(prefix_ + name), std::move(declaration), indexed});
  }
  template <class Body>
  void Nested(const std::string& prefix, Body&& body) {
    const std::string outer = prefix_;
    prefix_ += prefix;
    body();
    prefix_ = outer;
  }

  std::span<const Reference> references_;
  std::vector<Column>* columns_ = nullptr;
  const std::vector<Column>* bound_ = nullptr;
  Statement* statement_ = nullptr;
  int at_ = 0;
  SeenCodes* seen_ = nullptr;
  bool skipId_ = false;
  bool blank_ = false;
  std::string prefix_;
};

// One table: its columns (those placed before the record's fields, then
// the fields'), created with the table and filled through one statement.
class Table {
 public:
  Table(std::string name, std::vector<Column> columns, std::string constraints = {})
      : name_(std::move(name)), columns_(std::move(columns)), constraints_(std::move(constraints)) {}

  // Adds the columns of a record's fields.
  template <class Record, class Walk>
  Table& Fields(Walk&& walk, std::span<const Reference> references = {}) {
    Record record{};
    RowIo io(references, &columns_);
    walk(record, io);
    return *this;
  }
  Table& Add(std::vector<Column> columns) {
    for (Column& column : columns) columns_.push_back(std::move(column));
    return *this;
  }

  void Create(sqlite3* connection) {
    std::string sql = Cat("CREATE TABLE ", name_, " (");
    std::string insert = Cat("INSERT INTO ", name_, " VALUES (");
    for (size_t i = 0; i < columns_.size(); ++i) {
      sql += Cat(i > 0 ? ", " : "", columns_[i].name, " ", columns_[i].declaration);
      insert += i > 0 ? ",?" : "?";
    }
    if (!constraints_.empty()) sql += ", " + constraints_;
    Exec(connection, sql + ")");
    statement_.emplace(connection, insert + ")");
  }
  void CreateIndexes(sqlite3* connection) const {
    for (const Column& column : columns_) {
      if (!column.indexed) continue;
      Exec(connection, Cat("CREATE INDEX ", name_, "_", column.name, " ON ", name_, "(", column.name, ")"));
    }
  }
  Statement& Insert() { return *statement_; }
  const std::vector<Column>& Columns() const { return columns_; }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::vector<Column> columns_;
  std::string constraints_;
  std::optional<Statement> statement_;
};

Column Key(std::string name) { return {std::move(name), "INTEGER PRIMARY KEY"}; }
Column Integer(std::string name) { return {std::move(name), "INTEGER"}; }
Column Coded(std::string name, Lookup lookup) {
  return {std::move(name), Cat("INTEGER REFERENCES ", kLookupTables[lookup], "(code)"), true, lookup};
}

constexpr Reference kShipReferences[] = {{"captainId", "characters(object_id)", true}};
constexpr Reference kShipEntryReferences[] = {{"shipId", "ships(object_id)"}};

std::string_view KindWord(ObjectKind kind) {
  static constexpr std::string_view kWords[] = {"news", "character", "ship", "bid", "unrecognised"};
  return kWords[static_cast<int>(kind)];
}

class SqliteWriter {
 public:
  SqliteWriter(const Database& db, sqlite3* connection, const SqliteSource& source,
               const std::function<void(int64_t)>& eachObject)
      : db_(db), connection_(connection), source_(source), eachObject_(eachObject), layout_(db.layout) {}

  void Write() {
    const auto walk = [this](auto& record, RowIo& io) { record.Fields(io, layout_); };
    const auto walkEntry = [](auto& entry, RowIo& io) { entry.Fields(io); };
    const auto walkObject = [this](auto& record, RowIo& io) {
      io.SkipObjectId();
      record.Fields(io, layout_);
    };
    const std::vector<Column> objectKey = {Key("object_id"), {"list_index", "INTEGER NOT NULL"}};

    Table header("header", {});
    header.Fields<tPrelimData>(walk);
    Table campaign("campaign", {});
    campaign.Fields<tCampaignObject>(walk).Add({Integer("current_era"), Integer("current_year"),
                                                Integer("turn_of_year"), {"calendar_date", "TEXT"}});
    Table missions("campaign_missions", {Key("position"), {"mission", "TEXT"}});
    Table playable("playable_races", {Key("position"), Coded("race", kRaces)});
    Table map("hex_map", {});
    map.Fields<tMapObject>(walk);
    Table hexes("hexes", {Key("hex_index"), Integer("map_column"), Integer("map_row")});
    hexes.Fields<tMapHex>(walk);
    Table political("political", {});
    political.Fields<tPoliticalObject>(walk);
    Table tensions("tensions", {Coded("race", kRaces), Coded("other_race", kRaces),
                                Integer("tension"), Integer("tension_tenth")},
                   "PRIMARY KEY (race, other_race)");
    Table characters("characters", objectKey);
    characters.Fields<tServCharacter>(walkObject);
    // The entries' own key is (character_id, position), which serves the
    // character_id foreign key as its index.
    Table characterBids("character_bids",
                        {{"character_id", "INTEGER NOT NULL REFERENCES characters(object_id)"}, Integer("position")},
                        "PRIMARY KEY (character_id, position)");
    characterBids.Fields<CharacterBidEntry>(walkEntry);
    Table characterShips("character_ships",
                         {{"character_id", "INTEGER NOT NULL REFERENCES characters(object_id)"}, Integer("position")},
                         "PRIMARY KEY (character_id, position)");
    characterShips.Fields<CharacterShipEntry>(walkEntry, kShipEntryReferences);
    Table ships("ships", objectKey);
    ships.Fields<tShip>(walkObject, kShipReferences);
    Table bids("bids", objectKey);
    bids.Fields<tAuctionItem>(walkObject);
    Table news("news", objectKey);
    news.Fields<tNewsStory>(walkObject);
    Table unrecognised("unrecognised", {Key("list_index"), {"object_id", "INTEGER UNIQUE"},
                                        {"class_tag", "TEXT"}, {"bytes", "BLOB"}});
    Table duplicates("duplicates", {Key("list_index"), Integer("object_id"), {"class", "TEXT"}, {"bytes", "BLOB"}});
    std::deque<Table> lookups;
    for (const std::string_view name : kLookupTables) {
      lookups.emplace_back(std::string(name), std::vector<Column>{Key("code"), {"name", "TEXT NOT NULL"}});
    }
    Table sourceTable("campdb_source", {{"file", "TEXT"}, Integer("size"), {"layout", "TEXT"},
                                        {"tool_version", "TEXT"}, Integer("complete"), {"reason", "TEXT"}});

    std::vector<Table*> tables = {&header,     &campaign,       &missions, &playable,   &map,
                                  &hexes,      &political,      &tensions, &characters, &characterBids,
                                  &characterShips, &ships,      &bids,     &news,       &unrecognised,
                                  &duplicates, &sourceTable};
    for (Table& lookup : lookups) tables.push_back(&lookup);

    Exec(connection_, "BEGIN");
    for (Table* table : tables) table->Create(connection_);

    Row(header, db_.header, walk);
    Row(campaign, db_.campaign, walk, [&](Statement& s, int at) {
      const tCampaignObject& c = db_.campaign;
      const int64_t year = int64_t{c.baseYear} + YearOffset(c.currentTurn, c.turnsPerYear);
      const int64_t turn = TurnOfYear(c.currentTurn, c.turnsPerYear);
      date_ = Cat(year, ".", turn);
      s.Check(sqlite3_bind_int64(s.get(), at + 1, db_.facts.currentEra));
      s.Check(sqlite3_bind_int64(s.get(), at + 2, year));
      s.Check(sqlite3_bind_int64(s.get(), at + 3, turn));
      s.Check(sqlite3_bind_text(s.get(), at + 4, date_.c_str(), -1, SQLITE_STATIC));
    });
    for (size_t i = 0; i < db_.campaign.missionList.size(); ++i) {
      Statement& s = missions.Insert();
      s.Check(sqlite3_bind_int64(s.get(), 1, static_cast<int64_t>(i)));
      RowIo(missions.Columns(), s, 1, seen_).String("mission", db_.campaign.missionList[i]);
      s.Step();
    }
    for (size_t i = 0; i < db_.campaign.playableRaces.size(); ++i) {
      Statement& s = playable.Insert();
      s.Check(sqlite3_bind_int64(s.get(), 1, static_cast<int64_t>(i)));
      RowIo(playable.Columns(), s, 1, seen_).Int32("race", db_.campaign.playableRaces[i]);
      s.Step();
    }
    Row(map, db_.map, walk);
    const int64_t columns = db_.map.columns;
    for (size_t i = 0; i < db_.hexes.size(); ++i) {
      Statement& s = hexes.Insert();
      const auto index = static_cast<int64_t>(i);
      s.Check(sqlite3_bind_int64(s.get(), 1, index));
      if (columns > 0) {
        s.Check(sqlite3_bind_int64(s.get(), 2, index % columns));
        s.Check(sqlite3_bind_int64(s.get(), 3, index / columns));
      } else {
        s.Check(sqlite3_bind_null(s.get(), 2));
        s.Check(sqlite3_bind_null(s.get(), 3));
      }
      RowIo io(hexes.Columns(), s, 3, seen_);
      WalkFields(db_.hexes[i], io, layout_);
      s.Step();
    }
    Row(political, db_.political, walk);
    const int64_t size = db_.political.matrixSize;
    for (size_t i = 0; i < db_.political.cells.size(); ++i) {
      Statement& s = tensions.Insert();
      RowIo io(tensions.Columns(), s, 0, seen_);
      io.Int32("race", static_cast<int32_t>(static_cast<int64_t>(i) / size));
      io.Int32("otherRace", static_cast<int32_t>(static_cast<int64_t>(i) % size));
      io.Int32("tension", db_.political.cells[i].tension);
      io.Int32("tensionTenth", db_.political.cells[i].tensionTenth);
      s.Step();
    }

    const std::vector<uint8_t> duplicate = Duplicates();
    MiscObject scratch;
    const auto* bytes = reinterpret_cast<const char*>(db_.source.data.get());
    for (int64_t i = 0; i < db_.ObjectCount(); ++i) {
      if (eachObject_) eachObject_(i);
      const ObjectEntry& entry = db_.Entry(i);
      if (duplicate[static_cast<size_t>(i)] != 0) {
        Statement& s = duplicates.Insert();
        s.Check(sqlite3_bind_int64(s.get(), 1, i));
        s.Check(sqlite3_bind_int64(s.get(), 2, entry.id));
        s.Check(sqlite3_bind_text(s.get(), 3, KindWord(entry.kind).data(), -1, SQLITE_STATIC));
        RowIo(duplicates.Columns(), s, 3, seen_).Blob("bytes", Text(bytes + entry.start, entry.end - entry.start));
        s.Step();
        continue;
      }
      const MiscObject& object = db_.ReadObject(i, scratch);
      std::visit(
          [&](const auto& record) {
            using Record = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<Record, UnrecognisedObject>) {
              Statement& s = unrecognised.Insert();
              s.Check(sqlite3_bind_int64(s.get(), 1, i));
              if (entry.id == -1) {
                s.Check(sqlite3_bind_null(s.get(), 2));
              } else {
                s.Check(sqlite3_bind_int64(s.get(), 2, entry.id));
              }
              RowIo io(unrecognised.Columns(), s, 2, seen_);
              io.String("classTag", ClassTagOfBytes(record.bytes));
              io.Blob("bytes", record.bytes);
              s.Step();
            } else if constexpr (std::is_same_v<Record, tServCharacter>) {
              ObjectRow(characters, i, record);
              for (size_t k = 0; k < record.bids.size(); ++k) EntryRow(characterBids, record, k, record.bids[k]);
              for (size_t k = 0; k < record.ships.size(); ++k) {
                EntryRow(characterShips, record, k, record.ships[k]);
              }
            } else if constexpr (std::is_same_v<Record, tShip>) {
              ObjectRow(ships, i, record);
            } else if constexpr (std::is_same_v<Record, tAuctionItem>) {
              ObjectRow(bids, i, record);
            } else {
              ObjectRow(news, i, record);
            }
          },
          object);
    }

    for (size_t lookup = 0; lookup < kLookups; ++lookup) {
      std::vector<int32_t> codes = TableCodes(static_cast<Lookup>(lookup), layout_);
      codes.insert(codes.end(), seen_[lookup].begin(), seen_[lookup].end());
      std::sort(codes.begin(), codes.end());
      codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
      for (const int32_t code : codes) {
        Statement& s = lookups[lookup].Insert();
        const std::string_view name = CodeName(static_cast<Lookup>(lookup), code, layout_);
        s.Check(sqlite3_bind_int64(s.get(), 1, code));
        s.Check(sqlite3_bind_text(s.get(), 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC));
        s.Step();
      }
    }
    {
      Statement& s = sourceTable.Insert();
      s.Check(sqlite3_bind_text(s.get(), 1, source_.file.data(), static_cast<int>(source_.file.size()), SQLITE_STATIC));
      s.Check(sqlite3_bind_int64(s.get(), 2, source_.size));
      const std::string_view layout = LayoutName(layout_);
      s.Check(sqlite3_bind_text(s.get(), 3, layout.data(), static_cast<int>(layout.size()), SQLITE_STATIC));
      s.Check(sqlite3_bind_text(s.get(), 4, source_.toolVersion.data(), static_cast<int>(source_.toolVersion.size()),
                                SQLITE_STATIC));
      s.Check(sqlite3_bind_int64(s.get(), 5, source_.complete ? 1 : 0));
      if (source_.complete) {
        s.Check(sqlite3_bind_null(s.get(), 6));
      } else {
        s.Check(sqlite3_bind_text(s.get(), 6, source_.reason.data(), static_cast<int>(source_.reason.size()),
                                  SQLITE_STATIC));
      }
      s.Step();
    }

    for (Table* table : tables) table->CreateIndexes(connection_);
    CreateViews();
    Exec(connection_, "COMMIT");
  }

 private:
  template <class Record, class Walk, class More>
  void Row(Table& table, const Record& record, Walk&& walk, More&& more) {
    Statement& s = table.Insert();
    RowIo io(table.Columns(), s, 0, seen_);
    walk(const_cast<Record&>(record), io);
    more(s, sqlite3_bind_parameter_count(s.get()) - 4);
    s.Step();
  }
  template <class Record, class Walk>
  void Row(Table& table, const Record& record, Walk&& walk) {
    Statement& s = table.Insert();
    RowIo io(table.Columns(), s, 0, seen_);
    walk(const_cast<Record&>(record), io);
    s.Step();
  }
  template <class Record>
  void ObjectRow(Table& table, int64_t index, const Record& record) {
    Statement& s = table.Insert();
    s.Check(sqlite3_bind_int64(s.get(), 1, record.head.objectId));
    s.Check(sqlite3_bind_int64(s.get(), 2, index));
    RowIo io(table.Columns(), s, 2, seen_);
    io.SkipObjectId();
    const_cast<Record&>(record).Fields(io, layout_);
    s.Step();
  }
  template <class Entry>
  void EntryRow(Table& table, const tServCharacter& owner, size_t position, const Entry& entry) {
    Statement& s = table.Insert();
    s.Check(sqlite3_bind_int64(s.get(), 1, owner.head.objectId));
    s.Check(sqlite3_bind_int64(s.get(), 2, static_cast<int64_t>(position)));
    RowIo io(table.Columns(), s, 2, seen_);
    const_cast<Entry&>(entry).Fields(io);
    s.Step();
  }

  // One byte per object: 1 when an object before it holds its id. An object
  // of unrecognised class too short to hold an id has none.
  std::vector<uint8_t> Duplicates() const {
    const auto count = static_cast<size_t>(db_.ObjectCount());
    std::vector<std::pair<int32_t, uint32_t>> ids;
    ids.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const ObjectEntry& entry = db_.objects[i];
      if (entry.kind == ObjectKind::Unrecognised && entry.id == -1) continue;
      ids.emplace_back(entry.id, static_cast<uint32_t>(i));
    }
    std::sort(ids.begin(), ids.end());
    std::vector<uint8_t> duplicate(count, 0);
    for (size_t k = 1; k < ids.size(); ++k) {
      if (ids[k].first == ids[k - 1].first) duplicate[ids[k].second] = 1;
    }
    return duplicate;
  }

  // The class tag an unrecognised object holds: after its two size words,
  // a length word (read as 0 when negative) and that many bytes.
  static Text ClassTagOfBytes(Text bytes) {
    if (bytes.size() < 12) return {};
    int32_t length = 0;
    std::memcpy(&length, bytes.data() + 8, 4);
    if (length <= 0) return {};
    return bytes.substr(12, std::min<size_t>(static_cast<size_t>(length), bytes.size() - 12));
  }

  void CreateViews() {
    // Only the Ostrel layout stores the cartel of a hex.
    const bool ostrel = IsOstrel(layout_);
    const std::string cartel = ostrel ? "x.cartel_race, k.name AS cartel" : "NULL AS cartel_race, NULL AS cartel";
    const std::string cartelJoin = ostrel ? "LEFT JOIN races k ON k.code = x.cartel_race " : "";
    Exec(connection_,
         "CREATE VIEW players AS SELECT c.object_id, c.character_name, c.race, r.name AS race_name, c.rank, "
         "c.prestige, c.lifetime_prestige, c.glicko, c.missions_flown, c.email, c.hex_column, c.hex_row, "
         "(SELECT COUNT(*) FROM ships s WHERE s.captain_id = c.object_id) AS ships "
         "FROM characters c LEFT JOIN races r ON r.code = c.race WHERE c.human = 1");
    Exec(connection_,
         "CREATE VIEW fleet AS SELECT s.object_id, s.ship_name, s.ship_type, s.bpv, s.hull_class, "
         "h.name AS hull_class_name, s.race, r.name AS race_name, s.captain_id, "
         "CASE WHEN s.captain_id IS NULL THEN NULL ELSE COALESCE(c.character_name, CAST(s.captain_id AS TEXT)) END "
         "AS captain FROM ships s LEFT JOIN hull_classes h ON h.code = s.hull_class "
         "LEFT JOIN races r ON r.code = s.race LEFT JOIN characters c ON c.object_id = s.captain_id");
    Exec(connection_,
         "CREATE VIEW map AS SELECT x.hex_index, x.map_column, x.map_row, x.hex_x, x.hex_y, x.owner_race, "
         "o.name AS owner, " + cartel + ", x.terrain, t.name AS terrain_name, x.planet, "
         "p.name AS planet_name, x.base, b.name AS base_name, x.econ_max, x.econ_current, x.dv_max, x.dv_current "
         "FROM hexes x LEFT JOIN races o ON o.code = x.owner_race " + cartelJoin +
         "LEFT JOIN terrains t ON t.code = x.terrain LEFT JOIN planets p ON p.code = x.planet "
         "LEFT JOIN bases b ON b.code = x.base");
  }

  const Database& db_;
  sqlite3* connection_;
  const SqliteSource& source_;
  const std::function<void(int64_t)>& eachObject_;
  Layout layout_;
  SeenCodes seen_;
  std::string date_;
};

}  // namespace

std::string WriteSqliteTables(const Database& db, sqlite3* connection, const SqliteSource& source,
                              const std::function<void(int64_t)>& eachObject) {
  try {
    SqliteWriter(db, connection, source, eachObject).Write();
  } catch (const SqlFailure& failure) {
    sqlite3_exec(connection, "ROLLBACK", nullptr, nullptr, nullptr);
    return failure.message;
  } catch (const std::bad_alloc&) {
    return "out of memory";
  }
  return {};
}

std::string WriteSqliteFile(const Database& db, const std::string& path, const SqliteSource& source,
                            const std::function<void(int64_t)>& eachObject) {
  sqlite3* connection = nullptr;
  const int opened = sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (opened != SQLITE_OK) {
    std::string reason = connection != nullptr ? sqlite3_errmsg(connection) : sqlite3_errstr(opened);
    sqlite3_close(connection);
    return reason;
  }
  // The file is new and is moved into place only once complete, so it
  // needs no journal and no sync of its own; the caller syncs it.
  std::string reason;
  for (const char* pragma : {"PRAGMA page_size = 16384", "PRAGMA journal_mode = OFF", "PRAGMA synchronous = OFF", "PRAGMA locking_mode = EXCLUSIVE",
                             "PRAGMA cache_size = -32768", "PRAGMA user_version = 1"}) {
    if (reason.empty() && sqlite3_exec(connection, pragma, nullptr, nullptr, nullptr) != SQLITE_OK) {
      reason = sqlite3_errmsg(connection);
    }
  }
  if (reason.empty()) reason = WriteSqliteTables(db, connection, source, eachObject);
  if (sqlite3_close(connection) != SQLITE_OK && reason.empty()) reason = "the file could not be closed";
  return reason;
}

}  // namespace campdb
