#include "format/political.h"

#include <algorithm>

#include "format/declared_size.h"

namespace campdb {

namespace {

// The tag's length word, two uninterpreted words, a 6-byte run, objectId
// and matrixSize.
constexpr int64_t kFixedBytes = 26;
constexpr int64_t kCellBytes = 3;

}  // namespace

tPoliticalObject::tPoliticalObject(ByteReader& in) {
  declaredSize = ReadInt32(in);
  declaredSize2 = ReadInt32(in);
  classTag = ReadCountedString(in);
  leadWord = ReadInt32(in);
  in.ReadBytes(leadRun);
  objectId = ReadInt32(in);
  idTrailWord = ReadInt32(in);
  matrixSize = std::max(ReadInt32(in), 0);
  // Cells are taken while the file holds them; nothing is set aside for a
  // matrix larger than what is left of the input.
  const int64_t wanted = int64_t{matrixSize} * matrixSize;
  cells.reserve(static_cast<size_t>(std::min<int64_t>(wanted, static_cast<int64_t>(in.Remaining() / kCellBytes + 1))));
  for (int64_t i = 0; i < wanted && in.MoreEntries(); ++i) {
    TensionCell cell;
    cell.tension = ReadInt16(in);
    cell.tensionTenth = in.ReadByte();
    cells.push_back(cell);
  }
  tail = in.ReadRun(int64_t{declaredSize} - classTag.Length() - kFixedBytes -
                    kCellBytes * static_cast<int64_t>(cells.size()));
}

void tPoliticalObject::Write(ByteWriter& out) const {
  WriteFrame(out, declaredSize, declaredSize2, classTag);
  WriteInt32(out, leadWord);
  out.WriteBytes(leadRun);
  WriteInt32(out, objectId);
  WriteInt32(out, idTrailWord);
  WriteInt32(out, matrixSize);
  for (const TensionCell& cell : cells) {
    WriteInt16(out, cell.tension);
    out.WriteByte(cell.tensionTenth);
  }
  out.WriteRun(tail);
}

}  // namespace campdb
