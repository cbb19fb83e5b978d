#include "format/map.h"

#include "format/declared_size.h"
#include "format/run_settings.h"

namespace campdb {

namespace {

// Fixed bytes the map record's declared size counts besides the tag's bytes:
// the tag's length word, two uninterpreted words and a 6-byte run, unknown1,
// columns and rows.
constexpr int64_t kMapFixedBytes = 30;
// The same for a hex in the base layout: the tag's length word, the leading
// words and runs, the coordinates, owner, terrain, planet, base, the four
// economic and defensive values and the four trailing words.
constexpr int64_t kHexFixedBytes = 83;
// The twelve words only the Ostrel layout stores.
constexpr int64_t kHexOstrelBytes = 48;

}  // namespace

tMapObject::tMapObject(ByteReader& in) {
  declaredSize = ReadInt32(in);
  declaredSize2 = ReadInt32(in);
  classTag = ReadCountedString(in);
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  idWord = ReadInt32(in);
  unknown1 = ReadInt32(in);
  columns = ReadInt32(in);
  rows = ReadInt32(in);
  tail = in.ReadRun(int64_t{declaredSize} - classTag.Length() - kMapFixedBytes);
}

int64_t tMapObject::HexesAnnounced() const {
  const int64_t count = int64_t{columns} * rows;
  return count < 0 ? 0 : count;
}

void tMapObject::Write(ByteWriter& out) const {
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, idWord);
  WriteInt32(out, unknown1);
  WriteInt32(out, columns);
  WriteInt32(out, rows);
  out.WriteRun(tail);
}

tMapHex::tMapHex(ByteReader& in) {
  const bool ostrel = Run().Ostrel();
  declaredSize = ReadInt32(in);
  declaredSize2 = ReadInt32(in);
  classTag = ReadCountedString(in);
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  idWord = ReadInt32(in);
  in.ReadBytes(hexRun);
  hexX = ReadInt32(in);
  hexY = ReadInt32(in);
  if (ostrel) {
    ostrelWords[0] = ReadInt32(in);
    ostrelWords[1] = ReadInt32(in);
  }
  ownerRace = ReadInt32(in);
  if (ostrel) {
    ostrelWords[2] = ReadInt32(in);
    cartelRace = ReadInt32(in);
  } else {
    // The base layout has no cartels of its own: an empire's cartel is its
    // code + 8, every other owner's is 23.
    cartelRace = ownerRace >= 8 ? 23 : ownerRace + 8;
  }
  terrain = ReadInt32(in);
  planet = ReadInt32(in);
  base = ReadInt32(in);
  econMax = ReadInt32(in);
  econCurrent = ReadInt32(in);
  if (ostrel) {
    ostrelWords[3] = ReadInt32(in);
    ostrelWords[4] = ReadInt32(in);
  }
  dvMax = ReadInt32(in);
  if (ostrel) {
    ostrelWords[5] = ReadInt32(in);
    cartelDvMax = ReadInt32(in);
    ostrelWords[6] = ReadInt32(in);
    ostrelWords[7] = ReadInt32(in);
  } else {
    cartelDvMax = dvMax;
  }
  dvCurrent = ReadInt32(in);
  if (ostrel) {
    ostrelWords[8] = ReadInt32(in);
    cartelDvCurrent = ReadInt32(in);
  } else {
    cartelDvCurrent = dvCurrent;
  }
  for (int32_t& word : trailingWords) word = ReadInt32(in);
  tail = in.ReadRun(int64_t{declaredSize} - classTag.Length() - kHexFixedBytes - (ostrel ? kHexOstrelBytes : 0));
}

void tMapHex::Write(ByteWriter& out) const {
  const bool ostrel = Run().Ostrel();
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, idWord);
  out.WriteBytes(hexRun);
  WriteInt32(out, hexX);
  WriteInt32(out, hexY);
  if (ostrel) {
    WriteInt32(out, ostrelWords[0]);
    WriteInt32(out, ostrelWords[1]);
  }
  WriteInt32(out, ownerRace);
  if (ostrel) {
    WriteInt32(out, ostrelWords[2]);
    WriteInt32(out, cartelRace);
  }
  WriteInt32(out, terrain);
  WriteInt32(out, planet);
  WriteInt32(out, base);
  WriteInt32(out, econMax);
  WriteInt32(out, econCurrent);
  if (ostrel) {
    WriteInt32(out, ostrelWords[3]);
    WriteInt32(out, ostrelWords[4]);
  }
  WriteInt32(out, dvMax);
  if (ostrel) {
    WriteInt32(out, ostrelWords[5]);
    WriteInt32(out, cartelDvMax);
    WriteInt32(out, ostrelWords[6]);
    WriteInt32(out, ostrelWords[7]);
  }
  WriteInt32(out, dvCurrent);
  if (ostrel) {
    WriteInt32(out, ostrelWords[8]);
    WriteInt32(out, cartelDvCurrent);
  }
  for (int32_t word : trailingWords) WriteInt32(out, word);
  out.WriteRun(tail);
}

}  // namespace campdb
