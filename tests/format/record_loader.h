// Reads a whole database image with the record readers alone, in file order,
// and writes it back with the record writers: header, campaign, map, the
// hexes the file holds, political record, then misc objects until the
// announced count is reached or the framing stops.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "format/database.h"
#include "format/run_settings.h"
#include "support/db_builder.h"

namespace campdb::testdb {

inline Variant VariantOf(Layout layout) { return layout == Layout::Ostrel ? Variant::Ostrel : Variant::Base; }

struct LoadedRecords {
  tPrelimData header;
  tCampaignObject campaign;
  tMapObject map;
  std::vector<std::unique_ptr<tMapHex>> hexes;
  tPoliticalObject political;
  std::vector<sMiscObject> slots;
  std::string console;  // what the framing printed
  bool inputAtEnd = false;

  Bytes Write() {
    ByteWriter out;
    header.Write(out);
    campaign.Write(out);
    map.Write(out);
    for (const auto& hex : hexes) hex->Write(out);
    political.Write(out);
    for (sMiscObject& slot : slots) WriteMiscObject(out, slot);
    return out.TakeBuffer();
  }
};

// `keys` answers the framing's wait after a size mismatch.
inline LoadedRecords LoadRecords(const Bytes& bytes, Layout layout, const std::string& keys = "k\n") {
  ResetRunSettings();
  Run().variant = VariantOf(layout);
  std::istringstream keyInput(keys);
  std::ostringstream printed;
  Console console(keyInput, printed);

  LoadedRecords db;
  ByteReader in(Span(bytes));
  db.header = tPrelimData(in);
  db.campaign = tCampaignObject(in);
  db.map = tMapObject(in);
  for (int64_t i = 0; i < db.map.HexesAnnounced() && in.Remaining() > 0; ++i)
    db.hexes.push_back(std::make_unique<tMapHex>(in));
  db.political = tPoliticalObject(in);
  const int64_t announced = int64_t{db.header.objectCount} - static_cast<int64_t>(db.hexes.size()) - 3;
  for (int64_t i = 0; i < announced; ++i) {
    sMiscObject slot;
    if (ReadMiscObject(in, slot, console) != FrameResult::Read) break;
    db.slots.push_back(std::move(slot));
  }
  db.console = printed.str();
  db.inputAtEnd = in.AtEnd();
  return db;
}

}  // namespace campdb::testdb
