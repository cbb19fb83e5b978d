#include "format/header.h"

namespace campdb {

tPrelimData::tPrelimData(ByteReader& in) {
  in.ReadBytes(saveVersion);
  objectCount = ReadInt32(in);
  lastObjectId = ReadInt32(in);
}

void tPrelimData::Write(ByteWriter& out) const {
  out.WriteBytes(saveVersion);
  WriteInt32(out, objectCount);
  WriteInt32(out, lastObjectId);
}

}  // namespace campdb
