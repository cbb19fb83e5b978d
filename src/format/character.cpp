#include "format/character.h"

#include <algorithm>

#include "format/declared_size.h"
#include "format/run_settings.h"

namespace campdb {

namespace {

// The class tag (length word and 20 bytes) and the 108 fixed bytes of the
// fields up to unknown11, string length words included.
constexpr int64_t kFixedBytes = 132;
constexpr int64_t kBidEntryBytes = 9;
constexpr int64_t kShipEntryFixedBytes = 38;
// E-mail and address length words, two uninterpreted words, a 9-byte run and
// the homeworld pair.
constexpr int64_t kHumanFixedBytes = 33;
// A multiplayer character with fewer bytes than this after its fixed fields
// cannot hold the human-player section and is an AI player.
constexpr int64_t kHumanMinimum = 24;

// Compares the first n bytes of the name with the captain's name the way C
// strings compare: a zero byte in both ends the comparison, and a captain
// name shorter than n never matches.
bool MatchesCaptain(const std::string& name, const std::string& captain) {
  for (size_t i = 0; i < name.size(); ++i) {
    const char a = name[i];
    const char b = i < captain.size() ? captain[i] : '\0';
    if (a != b) return false;
    if (a == '\0') return true;
  }
  return true;
}

int64_t EntriesSize(const tServCharacter& c) {
  int64_t size = kBidEntryBytes * c.bidCount();
  for (const CharacterShipEntry& ship : c.ships) {
    size += kShipEntryFixedBytes + ship.shipType.Length() + ship.shipName.Length();
  }
  return size;
}

// Room to set aside for a list of `count` entries of at least `entryBytes`
// bytes each: no more than the rest of the input can hold, so a damaged
// count sets aside nothing beyond what the file backs.
size_t EntriesBacked(int32_t count, int64_t entryBytes, const ByteReader& in) {
  if (count <= 0) return 0;
  return std::min(static_cast<size_t>(count), in.Remaining() / static_cast<size_t>(entryBytes) + 1);
}

}  // namespace

tServCharacter::tServCharacter(ByteReader& in, int32_t size) : declaredSize(size), declaredSize2(size) {
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  objectId = ReadInt32(in);
  unknown1 = ReadInt32(in);
  word5 = ReadInt32(in);
  const int32_t bidCountRead = ReadInt32(in);
  bids.reserve(EntriesBacked(bidCountRead, kBidEntryBytes, in));
  for (int32_t i = 0; i < bidCountRead && in.MoreEntries(); ++i) {
    CharacterBidEntry& bid = bids.emplace_back();
    in.ReadBytes(bid.run);
    bid.word = ReadInt32(in);
  }
  const int32_t shipCountRead = ReadInt32(in);
  ships.reserve(EntriesBacked(shipCountRead, kShipEntryFixedBytes, in));
  for (int32_t i = 0; i < shipCountRead && in.MoreEntries(); ++i) {
    CharacterShipEntry& ship = ships.emplace_back();
    in.ReadBytes(ship.run);
    ship.shipId = ReadInt32(in);
    ship.bpv = ReadInt32(in);
    ship.hullClass = ReadInt32(in);
    ship.shipType = ReadCountedString(in);
    ship.typeTrailWord = ReadInt32(in);
    ship.shipName = ReadCountedString(in);
    ship.nameTrailWord = ReadInt32(in);
  }
  characterName = ReadCountedString(in);
  glicko = ReadInt32(in);
  prestige = ReadInt32(in);
  lifetimePrestige = ReadInt32(in);
  missionsFlown = ReadInt32(in);
  word15 = ReadInt32(in);
  in.ReadBytes(run16);
  hexColumn = ReadInt32(in);
  hexRow = ReadInt32(in);
  unknown6 = ReadInt32(in);
  in.ReadBytes(run20);
  unknown8 = ReadInt32(in);
  race = ReadInt32(in);
  rank = ReadInt32(in);
  race2 = ReadInt32(in);
  unknown11 = ReadInt32(in);

  int64_t remaining = int64_t{declaredSize} - kFixedBytes - characterName.Length() - EntriesSize(*this);
  const RunSettings& run = Run();
  if (run.singlePlayerCampaign) {
    // In a single-player campaign only the captain is human.
    isAI = !MatchesCaptain(characterName.bytes, run.publishedCaptainName.value_or(std::string()));
  } else {
    isAI = remaining < kHumanMinimum;
  }
  if (!isAI) {
    email = ReadCountedString(in);
    emailTrailWord = ReadInt32(in);
    ipAddress = ReadCountedString(in);
    ipTrailWord = ReadInt32(in);
    in.ReadBytes(homeRun);
    homeworldColumn = ReadInt32(in);
    homeworldRow = ReadInt32(in);
    remaining -= kHumanFixedBytes + email.Length() + ipAddress.Length();
  }
  tail = in.ReadRun(remaining);
}

int64_t tServCharacter::ContentSize() const {
  int64_t size = kFixedBytes + characterName.Length() + EntriesSize(*this);
  if (!isAI) size += kHumanFixedBytes + email.Length() + ipAddress.Length();
  return size + static_cast<int64_t>(tail.size());
}

void tServCharacter::AdjustDeclaredSize(int64_t delta) {
  declaredSize = AddToSize(declaredSize, delta);
  declaredSize2 = AddToSize(declaredSize2, delta);
}

void tServCharacter::Write(ByteWriter& out) const {
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, objectId);
  WriteInt32(out, unknown1);
  WriteInt32(out, word5);
  WriteInt32(out, bidCount());
  for (const CharacterBidEntry& bid : bids) {
    out.WriteBytes(bid.run);
    WriteInt32(out, bid.word);
  }
  WriteInt32(out, shipCount());
  for (const CharacterShipEntry& ship : ships) {
    out.WriteBytes(ship.run);
    WriteInt32(out, ship.shipId);
    WriteInt32(out, ship.bpv);
    WriteInt32(out, ship.hullClass);
    WriteCountedString(out, ship.shipType);
    WriteInt32(out, ship.typeTrailWord);
    WriteCountedString(out, ship.shipName);
    WriteInt32(out, ship.nameTrailWord);
  }
  WriteCountedString(out, characterName);
  WriteInt32(out, glicko);
  WriteInt32(out, prestige);
  WriteInt32(out, lifetimePrestige);
  WriteInt32(out, missionsFlown);
  WriteInt32(out, word15);
  out.WriteBytes(run16);
  WriteInt32(out, hexColumn);
  WriteInt32(out, hexRow);
  WriteInt32(out, unknown6);
  out.WriteBytes(run20);
  WriteInt32(out, unknown8);
  WriteInt32(out, race);
  WriteInt32(out, rank);
  WriteInt32(out, race2);
  WriteInt32(out, unknown11);
  if (!isAI) {
    WriteCountedString(out, email);
    WriteInt32(out, emailTrailWord);
    WriteCountedString(out, ipAddress);
    WriteInt32(out, ipTrailWord);
    out.WriteBytes(homeRun);
    WriteInt32(out, homeworldColumn);
    WriteInt32(out, homeworldRow);
  }
  out.WriteRun(tail);
}

}  // namespace campdb
