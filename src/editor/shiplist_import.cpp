// The shiplist import: after a ship has been given a new type, the matching
// line of the game's shiplist fills its hull class, battle point value,
// systems, hardpoints, drones, supplies and fighter bays.
//
// The shiplist is a TAB-separated text file: two header lines, then one line
// per ship type with the type name in column 3. It is read as raw bytes. A
// field runs up to the next TAB or the end of the file; a newline does not
// end it. Lines stay aligned only because the rest of every line is
// discarded before the next one is looked at.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"

namespace campdb {

namespace {

// A shiplist is a few hundred kilobytes; anything beyond this is not read.
constexpr size_t kMaxShiplistBytes = size_t{64} << 20;
// The rest of a line is discarded in one go of at most this many bytes.
constexpr size_t kDiscardLimit = 2046;

// Reads the whole file into memory, bounded by its size. A folder, or a name
// that cannot be opened, gives nothing. A pipe or device is opened without
// waiting for a writer and read up to the same bound. Why a file could not
// be opened or read is told on the console's error stream.
std::optional<std::string> ReadShiplistFile(const std::string& name, Console& console) {
  const auto refuse = [&](int error) {
    console.Diagnostic(Cat(name, ": ", std::strerror(error)));
    return std::nullopt;
  };
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return refuse(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    return refuse(error);
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

  size_t bound = kMaxShiplistBytes;
  if (S_ISREG(info.st_mode) && info.st_size >= 0 && static_cast<uint64_t>(info.st_size) < bound) {
    bound = static_cast<size_t>(info.st_size);
  }
  std::string data;
  data.reserve(bound);
  char chunk[65536];
  while (data.size() < bound) {
    const size_t want = std::min(sizeof chunk, bound - data.size());
    const ssize_t got = ::read(fd, chunk, want);
    if (got < 0 && errno == EINTR) continue;
    // A read error ends the file as well, and is told.
    if (got < 0) console.Diagnostic(Cat(name, ": ", std::strerror(errno)));
    if (got <= 0) break;
    data.append(chunk, static_cast<size_t>(got));
  }
  ::close(fd);
  return data;
}

// A cursor over the shiplist bytes. The end is reached by a read that finds
// no more bytes; reading the last byte of the file does not reach it.
class ShiplistReader {
 public:
  explicit ShiplistReader(std::string_view data) : data_(data) {}

  // Every byte up to the next TAB (which is consumed) or the end of the file.
  std::string_view ReadField() {
    const size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != '\t') ++pos_;
    const std::string_view field = data_.substr(start, pos_ - start);
    if (pos_ < data_.size()) {
      ++pos_;
    } else {
      atEnd_ = true;
    }
    return field;
  }

  // Takes up to 2046 bytes and the newline after them; a longer rest of
  // line is not fully discarded.
  void DiscardRestOfLine() {
    for (size_t taken = 0; taken < kDiscardLimit; ++taken) {
      if (pos_ >= data_.size()) {
        atEnd_ = true;
        return;
      }
      if (data_[pos_++] == '\n') return;
    }
    if (pos_ >= data_.size()) {
      atEnd_ = true;
    } else if (data_[pos_] == '\n') {
      ++pos_;
    }
  }

  bool AtEnd() const { return atEnd_; }

 private:
  std::string_view data_;
  size_t pos_ = 0;
  bool atEnd_ = false;
};

// A text field as the parser uses it: up to its first zero byte.
std::string_view FieldText(std::string_view field) {
  const size_t zero = field.find('\0');
  return zero == std::string_view::npos ? field : field.substr(0, zero);
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The decimal integer at the start of a field: white space skipped, an
// optional sign, digits up to the first non-digit; no digits gives 0. Digits
// beyond the 32-bit range wrap, so the low bytes are always those of the
// number written.
int32_t LeadingNumber(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  uint32_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(field[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

// Hull class words, whole and case-sensitive; the battlecruiser's is written
// with a space.
std::optional<int32_t> HullClassOfWord(std::string_view word) {
  static constexpr std::string_view kWords[] = {
      "SHUTTLE",       "PSEUDOFIGHTER",  "FREIGHTER",         "FRIGATE",
      "DESTROYER",     "WAR_DESTROYER",  "LIGHT_CRUISER",     "HEAVY_CRUISER",
      "NEW_HEAVY_CRUISER", "HEAVY BATTLECRUISER", "CARRIER",  "DREADNOUGHT",
      "BATTLESHIP",    "LISTENING_POST", "BASE_STATION",      "BATTLE_STATION",
      "STARBASE",      "MONSTER",        "PLANET",            "SPECIAL",
  };
  for (size_t code = 0; code < std::size(kWords); ++code) {
    if (kWords[code] == word) return static_cast<int32_t>(code);
  }
  return std::nullopt;
}

// The system pair that a system column fills, both values at once.
std::optional<SystemIndex> SystemOfColumn(int column) {
  switch (column) {
    case 102: return kProbes;
    case 113: return kShuttles;
    case 122: return kArmour;
    case 123: return kFHull;
    case 124: return kCHull;
    case 125: return kAHull;
    case 126: return kCargo;
    case 127: return kBarracks;
    case 128: return kRepair;
    case 130: return kCWarp;
    case 131: return kImpulse;
    case 132: return kApr;
    case 133: return kBtty;
    case 134: return kBridge;
    case 136: return kLabs;
    case 137: return kTrans;
    case 138: return kTrac;
    case 141: return kSensor;
    case 142: return kScanner;
    case 145: return kDamCtrl;
    case 146: return kExDam;
    default: return std::nullopt;
  }
}

constexpr int kHullColumn = 4;
constexpr int kBpvColumn = 5;
constexpr int kMarinesColumn = 17;
constexpr int kCloakColumn = 26;
constexpr int kFirstHardpointColumn = 27;  // three columns per hardpoint
constexpr int kLastHardpointColumn = kFirstHardpointColumn + 3 * block::kHardpointCount - 1;
constexpr int kBombsColumn = 104;
constexpr int kFirstBayColumn = 114;  // two columns per fighter bay
constexpr int kLastBayColumn = kFirstBayColumn + 2 * 4 - 1;
constexpr int kWarpColumn = 129;      // both the right and the left warp
constexpr int kLastColumn = 146;

void WriteWarning(Console& console, size_t rule, std::string_view message) {
  console.WriteLine();
  console.WriteLine(std::string(rule, '='));
  console.WriteUnusable(message);
  console.WriteLine("You will need to enter the ship system information using the edit menu");
  console.WriteLine(std::string(70, '='));
  console.WriteLine();
}

// Applies the columns of the matching line to a ship, one field at a time.
class LineImport {
 public:
  LineImport(tShip& ship, std::span<uint8_t> block, EditContext& context)
      : ship_(ship), block_(block), context_(context) {}

  // Reads and applies columns 4 to 146. Stops at once when a field reaches
  // the end of the file; that field is not applied.
  void ApplyLine(ShiplistReader& in) {
    for (int column = kHullColumn; column <= kLastColumn; ++column) {
      const std::string_view field = in.ReadField();
      if (in.AtEnd()) break;
      Apply(column, field);
    }
  }

 private:
  void Apply(int column, std::string_view field) {
    if (column >= kFirstHardpointColumn && column <= kLastHardpointColumn) {
      ApplyHardpoint((column - kFirstHardpointColumn) / 3, (column - kFirstHardpointColumn) % 3, field);
      return;
    }
    if (column >= kFirstBayColumn && column <= kLastBayColumn) {
      ApplyBay(ship_.bays[static_cast<size_t>((column - kFirstBayColumn) / 2)],
               (column - kFirstBayColumn) % 2 == 0, field);
      return;
    }
    if (const auto system = SystemOfColumn(column)) {
      SetPair(*system, LowByte(LeadingNumber(field)));
      return;
    }
    switch (column) {
      case kHullColumn:
        if (const auto code = HullClassOfWord(FieldText(field))) ship_.hullClass = *code;
        break;
      case kBpvColumn:
        ship_.bpv = LeadingNumber(field);
        ship_.bpv2 = ship_.bpv;
        break;
      case kMarinesColumn:
        Fill(ship_.marines, LowByte(LeadingNumber(field)));
        break;
      case kCloakColumn:
        Byte(block::kCloak) = LowByte(LeadingNumber(field));
        Byte(block::kCloak + 1) = Byte(block::kCloak);
        ResetDrones();
        break;
      case kBombsColumn:
        Fill(ship_.bombs, LowByte(LeadingNumber(field)));
        break;
      case kWarpColumn:
        SetPair(kRWarp, LowByte(LeadingNumber(field)));
        SetPair(kLWarp, LowByte(LeadingNumber(field)));
        break;
      default:
        break;  // a column the import does not use
    }
  }

  // The drones are rebuilt from the hardpoints that follow.
  void ResetDrones() {
    Byte(block::kDroneRackTotal) = 0;
    Byte(block::kDroneType) = 0;
    Byte(block::kDroneSpeed) = LowByte(context_.facts.currentEra);
    Byte(block::kDroneThird) = 2;
    Byte(block::kDroneStorageIntact) = 0;
    Byte(block::kDroneStorageWorking) = 0;
  }

  // A hardpoint has three columns: 0 weapon count, 1 weapon type, 2 not used.
  void ApplyHardpoint(int index, int column, std::string_view field) {
    const size_t pair = static_cast<size_t>(block::kHardpoints + 2 * index);
    const size_t entry = static_cast<size_t>(block::kSchematic + block::kSchematicStride * index);
    const std::span<uint8_t> bytes = block_;
    if (column == 0) {
      count_ = LowByte(LeadingNumber(field));
      bytes[pair] = count_;
      bytes[pair + 1] = count_;
    } else if (column == 1) {
      const std::string_view type = FieldText(field);
      if (type.substr(0, 3) == "Dro") {
        // Types B and C carry racks of six drones, every other type four;
        // a rack is stored with twice its size in reloads.
        const bool large = type.size() > 3 && (type[3] == 'B' || type[3] == 'C');
        const uint8_t rackSize = large ? 6 : 4;
        const auto storage = static_cast<uint8_t>(2 * rackSize * count_);
        Byte(block::kDroneRackTotal) = static_cast<uint8_t>(Byte(block::kDroneRackTotal) + count_);
        bytes[entry + 2] = count_;
        bytes[entry + 4] = rackSize;
        bytes[entry] = storage;
        Byte(block::kDroneStorageIntact) = static_cast<uint8_t>(Byte(block::kDroneStorageIntact) + storage);
        Byte(block::kDroneStorageWorking) = static_cast<uint8_t>(Byte(block::kDroneStorageWorking) + storage);
      } else {
        bytes[entry] = 0;
        bytes[entry + 2] = 0;
        bytes[entry + 4] = 0;
      }
    }
  }

  // Even column: the fighter count; odd column: the fighter type.
  void ApplyBay(FighterBay& bay, bool countColumn, std::string_view field) {
    if (countColumn) {
      const uint8_t count = LowByte(LeadingNumber(field));
      bay.maximum = count;
      bay.current = count;
      bay.third = count;
      return;
    }
    const std::string_view type = static_cast<int8_t>(bay.maximum) < 1 ? std::string_view() : FieldText(field);
    ReplaceText(ship_.head, bay.fighterType, type, context_.store);
    ReplaceText(ship_.head, bay.fighterType2, type, context_.store);
  }

  void SetPair(SystemIndex system, uint8_t value) {
    Byte(PairOffset(system)) = value;
    Byte(PairOffset(system) + 1) = value;
  }

  uint8_t& Byte(int offset) { return block_[static_cast<size_t>(offset)]; }

  static void Fill(SupplyLoad& load, uint8_t value) {
    load.intact = value;
    load.working = value;
    load.third = value;
  }

  tShip& ship_;
  std::span<uint8_t> block_;
  EditContext& context_;
  uint8_t count_ = 0;  // weapon count of the hardpoint being read
};

}  // namespace

void ImportFromShiplist(tShip& ship, std::span<uint8_t> block, EditContext& context) {
  Console& console = context.console;
  const auto name = console.Ask(TextQuestion{
      {"Enter the name of the shiplist file (this is needed needed to update the schematic info for the "
       "ship's new type)"},
      kNameText});
  if (!name) return;

  const auto contents = ReadShiplistFile(*name, console);
  if (!contents) {
    WriteWarning(console, 32, "WARNING: UNABLE TO OPEN SHIPLIST");
    return;
  }

  ShiplistReader in(*contents);
  in.DiscardRestOfLine();
  in.DiscardRestOfLine();

  // The line whose third column, up to its first zero byte, has exactly the
  // bytes of the ship type. A line that ends before its third column begins
  // has no type to compare.
  bool found = false;
  while (!in.AtEnd()) {
    in.ReadField();
    in.ReadField();
    if (in.AtEnd()) break;
    if (FieldText(in.ReadField()) == ship.shipType) {
      found = true;
      break;
    }
    in.DiscardRestOfLine();
  }
  if (!found) {
    WriteWarning(console, 55, "WARNING: UNABLE TO FIND SPECIFIED SHIP TYPE IN SHIPLIST");
    return;
  }

  LineImport(ship, block, context).ApplyLine(in);
}

}  // namespace campdb
