// Reads a whole database image with the format library alone, in file order,
// and writes it back with the record writers: header, campaign, map, the
// hexes the file holds, political record, then misc objects until the
// announced count is reached or the framing stops. Also one record at a time.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "format/database.h"
#include "format/fields.h"
#include "support/db_builder.h"

namespace campdb::testdb {

inline campdb::Layout ToolLayout(Layout layout) {
  return layout == Layout::Ostrel ? campdb::Layout::Ostrel : campdb::Layout::Base;
}

// A database loaded from a copy of the bytes, which it keeps; alongside `like` when given.
inline std::unique_ptr<campdb::Database> LoadBytes(const Bytes& bytes, Layout layout, LoadOutcome* outcome = nullptr,
                                                   const campdb::Database* like = nullptr) {
  auto db = std::make_unique<campdb::Database>();
  db->layout = ToolLayout(layout);
  db->source.data = std::make_unique<uint8_t[]>(bytes.size());
  if (!bytes.empty()) std::memcpy(db->source.data.get(), bytes.data(), bytes.size());
  db->source.size = bytes.size();
  LoadObserver quiet;
  const LoadOutcome loaded = LoadDatabase(*db, quiet, like);
  if (outcome != nullptr) *outcome = loaded;
  return db;
}

// Every record of a loaded database written back, in file order.
inline Bytes WriteAll(const campdb::Database& db) {
  ByteWriter out;
  WriteRecord(out, db.header, db.layout);
  WriteRecord(out, db.campaign, db.layout);
  WriteRecord(out, db.map, db.layout);
  for (const tMapHex& hex : db.hexes) WriteRecord(out, hex, db.layout);
  WriteRecord(out, db.political, db.layout);
  MiscObject scratch;
  for (int64_t i = 0; i < db.ObjectCount(); ++i) WriteObject(out, db.ReadObject(i, scratch), db.layout);
  return out.TakeBuffer();
}

// Reads one record that stands in a fixed place (its reader starts at the
// size words) and writes it back. The reader must take exactly its bytes.
template <typename R>
Bytes ReadWrite(const Bytes& bytes, Layout layout = Layout::Base) {
  ByteReader in(Span(bytes));
  TextStore store;
  R record;
  ReadRecord(in, record, ReadContext{ToolLayout(layout), nullptr, &store});
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_FALSE(in.WantedPastEnd());
  ByteWriter out;
  WriteRecord(out, record, ToolLayout(layout));
  return out.TakeBuffer();
}

// Reads one misc object through the framing, as in a multiplayer campaign
// unless `facts` says otherwise; the object must take exactly the bytes
// unless `whole` is false.
inline MiscObject ReadOneObject(const Bytes& bytes, const CampaignFacts& facts = {}, bool whole = true) {
  ByteReader in(Span(bytes));
  static TextStore store;
  const ObjectFrame frame = ReadObjectFrame(in);
  EXPECT_EQ(frame.result, FrameResult::Read);
  MiscObject object = ReadObjectBody(in, frame, ReadContext{campdb::Layout::Base, &facts, &store});
  if (whole) {
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_FALSE(in.WantedPastEnd());
  }
  return object;
}

// Reads one misc object through the framing and writes it back.
inline Bytes ReadWriteObject(const Bytes& bytes, const CampaignFacts& facts = {}) {
  const MiscObject object = ReadOneObject(bytes, facts);
  ByteWriter out;
  WriteObject(out, object, campdb::Layout::Base);
  return out.TakeBuffer();
}

}  // namespace campdb::testdb
