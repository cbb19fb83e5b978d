// The health check of a campaign database: which layout it is in and how
// that was decided, what its header announces against what the file holds,
// every problem a reading of it meets, and what a Clean run would drop and
// why. It reads and changes nothing but the database it is given.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/database.h"
#include "format/layout.h"
#include "format/misc_object.h"
#include "console/console.h"
#include "maintenance/cleaner.h"

namespace campdb {

enum class Severity : uint8_t {
  Error,    // the load is incomplete: bytes Clean or Edit cannot carry
  Warning,  // the file loads, but something in it needs an operator
  Stale,    // a reference the objects no longer back, which Clean and the server live with
  Note,     // something a write will normalise
};
inline constexpr size_t kSeverities = static_cast<size_t>(Severity::Note) + 1;

// What was found. Each kind has one severity and one word (ProblemKindWord)
// that scripts may rely on.
enum class ProblemKind : uint8_t {
  // Errors.
  SizeMismatch,    // an object's two size words differ; loading stops there
  ObjectsMissing,  // the file ends before the objects the header announces
  HexesMissing,    // the file ends before the hexes the map announces
  RecordCut,       // the file ends inside a record's fixed fields
  LengthCut,       // a string, tag, tail or body is longer than the bytes left
  ListCut,         // a list stops at the end of the file short of its count
  NotADatabase,    // no layout reads the header and the campaign record
  // Warnings.
  IdsOutOfOrder,      // an object's id is below the one before it
  DuplicateId,        // an object has the id of an earlier one
  SizeTooSmall,       // a declared size smaller than the fields it holds
  UnrecognisedClass,  // an object whose class tag names no known kind
  TrailingBytes,      // bytes after the last object the header announces
  LayoutUnknown,      // the bytes do not tell the layout and none was given
  LastIdLow,          // the header's last id is below an object's id
  // Stale references.
  CaptainMissing,       // a ship's captain id names no object
  CaptainNotCharacter,  // a ship's captain id names an object that is no character
  ShipEntryMissing,     // a character's ship entry names no ship
  ShipEntryDiffers,     // a ship entry disagrees with the ship it names
  // Notes.
  NegativeLength,   // a length word stored negative; written back as 0
  NegativeCount,    // a count word stored negative; written back as 0
  TagClosingBytes,  // a known class tag not closed by "@@"; written back canonical
};
inline constexpr size_t kProblemKinds = static_cast<size_t>(ProblemKind::TagClosingBytes) + 1;

// What --repair does about a kind of problem, wherever it lies in the misc
// objects. Damage in the records before them (the header, the campaign, map,
// hex and political records) is never repaired: nothing is written then.
enum class Fix : uint8_t {
  Salvage,         // the objects after the damage are taken where they frame
                   // again, the bytes between go to the lost-and-found file,
                   // and the header's object count becomes the number written
  SortById,        // the objects are sorted by id, keeping the order of equals
  RaiseLastId,     // lastObjectId becomes the highest object id
  CopyShip,        // the entry takes the ship's bpv, hull class, type and name
  DropEntry,       // the entry is removed from the character
  Normalise,       // written back as every write does
  LeftAlone,       // reported, not changed
  NothingWritten,  // the repair cannot rebuild it and writes nothing
};

Severity SeverityOf(ProblemKind kind);
Fix FixOf(ProblemKind kind);
// "salvage", "sort-by-id", ..., "left-alone", "nothing-written".
std::string_view FixWord(Fix fix);
std::string_view SeverityWord(Severity severity);
std::string_view ProblemKindWord(ProblemKind kind);
// "news-story", "character", "ship", "bid" or "unrecognised".
std::string_view ClassWord(ObjectKind kind);
// Bytes of the file as a message shows them: in quotes, printable ASCII as
// it is and every other byte as \xNN, at most 40 of them.
std::string Shown(Text bytes);

struct Problem {
  ProblemKind kind = ProblemKind::RecordCut;
  // Position in the misc-object list (0-based); empty for anything else.
  std::optional<int64_t> index;
  // The object's id, when it has one.
  std::optional<int32_t> id;
  // The byte of the file the problem lies at; empty when it has no place.
  std::optional<size_t> offset;
  // The record it lies in: "header", "campaign record", "map record",
  // "hex 4", "political record", "object 11" or "file".
  std::string record;
  std::string message;  // one line
  // The order in which the check found it, which orders problems found at
  // the same place.
  size_t found = 0;
};

// An object Clean would drop.
struct CleanDrop {
  int64_t index = 0;
  std::optional<int32_t> id;
  ObjectKind kind = ObjectKind::Unrecognised;
  CleanReason reason = CleanReason::Unrecognised;
};

struct CheckReport {
  size_t fileSize = 0;
  // The layout read; empty when it could not be told and was not given (the
  // file is then read in the base layout, and there is no dry run).
  std::optional<Layout> layout;
  bool layoutGiven = false;
  // "given", or how the bytes told the layout, or why they could not.
  std::string layoutReason;

  // The header's counts against what the file holds.
  int32_t recordsAnnounced = 0;  // the header's object count
  int64_t recordsRead = 0;       // campaign, map, political, hexes, objects
  int32_t columns = 0;
  int32_t rows = 0;
  int64_t hexesAnnounced = 0;
  int64_t hexesRead = 0;
  int64_t objectsAnnounced = 0;  // may be 0 or less
  int64_t objectsLoaded = 0;
  std::array<int64_t, 5> objectsByKind{};  // indexed by ObjectKind
  int64_t humanCharacters = 0;
  int64_t aiCharacters = 0;
  // Whether the load took every record whole, and the input bytes it did
  // not take (which Edit writes back and Clean drops).
  bool complete = true;
  size_t notLoadedFrom = 0;
  size_t bytesNotLoaded = 0;

  // In file order.
  std::vector<Problem> problems;

  // Clean's own decisions, object by object, when the layout is known.
  bool dryRun = false;
  std::vector<CleanDrop> drops;
  int64_t wouldKeep = 0;

  // Set when no layout reads the file as far as its map record: why it is
  // no campaign database, in a few words.
  std::optional<std::string> notADatabase;

  int64_t Count(Severity severity) const;
  int64_t Count(ProblemKind kind) const;
  // 3 when there is an error; else 1 when there is a warning; else 0 (stale
  // references and notes do not count).
  int ExitStatus() const;
};

// Checks the database whose bytes `db.source` holds: detects the layout
// unless `given`, loads it into `db` (which the caller may look at after),
// and reports.
CheckReport CheckDatabase(Database& db, std::optional<Layout> given);

// A character's ship entry as the checks compare it with the ship it
// names: the object that holds it, its place among the character's entries,
// and its copy of the ship's identity.
struct ShipEntryCopy {
  size_t object;
  uint32_t entry;
  int32_t shipId;
  int32_t bpv;
  int32_t hullClass;
  Text shipType;
  Text shipName;
};

// The ship entries of every character a load read, in list order, taken as
// the load read each character so that the checks need not read the
// characters again.
struct LoadedShipEntries {
  std::vector<ShipEntryCopy> entries;
};

// Loads the bytes `db.source` holds in `db.layout`, adding to `report` what
// the records before the misc objects hold (damage and notes); the misc
// objects are loaded and not looked at, but their characters' ship entries
// are kept in `entries`.
LoadOutcome LoadCheckingRecords(Database& db, CheckReport& report, LoadedShipEntries& entries);

// The checks that look at the loaded objects side by side: ids in order and
// unique, captains, characters' ship entries. `allLoaded` tells whether the
// list holds every object of the file (what is not found is then not "in
// the file"). `loaded`, when given, holds the entries of the list as the
// load read it (which must not have changed since); they are taken from it.
void CheckObjects(const Database& db, bool allLoaded, CheckReport& report, LoadedShipEntries* loaded = nullptr);

}  // namespace campdb
