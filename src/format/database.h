// The whole in-memory image of one campaign database, and the reading of it
// from the bytes of a database file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "format/campaign.h"
#include "format/header.h"
#include "format/layout.h"
#include "format/map.h"
#include "format/misc_object.h"
#include "format/political.h"
#include "format/text_store.h"

namespace campdb {

// The bytes of a whole database file, as read.
struct ByteImage {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;

  std::span<const uint8_t> Bytes() const { return {data.get(), size}; }
};

struct Database {
  Layout layout = Layout::Base;
  // The input the records' texts point into, and the store of the texts that
  // did not come from it; both live as long as the records. (A misc object
  // read again from the input may keep a few bytes in the store: a systems
  // block cut short by the end of the file.)
  ByteImage source;
  mutable TextStore store;

  tPrelimData header;
  tCampaignObject campaign;
  // What the campaign record, as read, tells the records after it.
  CampaignFacts facts;
  tMapObject map;
  // The hexes held: columns * rows of them in a well-formed file, fewer when
  // the file ends early.
  std::vector<tMapHex> hexes;
  tPoliticalObject political;
  // The misc objects read, in file order, as where each lies in the input:
  // an object is read again from there when it is wanted, so that a large
  // database takes little more memory than its file. `capacity` is the
  // number the header announces (objectCount - hexes - 3, at least 0);
  // `loadedCount` the number read, until Clean sets it to the number it
  // keeps.
  std::vector<ObjectEntry> objects;
  int64_t capacity = 0;
  int64_t loadedCount = 0;
  // One byte per object; 1 means the object is not written to the output.
  std::vector<uint8_t> deleteFlags;
  // The input bytes the load did not take: from the object whose framing
  // failed, or from the end of the last record read, to the end.
  Text unloaded;
  // Finds loaded objects by id.
  ObjectIndex index;
  // After a load alongside another database (`like`, see LoadDatabase),
  // which this names (only to be told apart, never read through): for
  // each object, 1 + the index of the object of `like` whose very bytes it
  // holds, or 0. Empty otherwise, and once the list is rearranged.
  const Database* loadedAlongside = nullptr;
  std::vector<uint32_t> sameBytesAs;

  int64_t hexCount() const { return static_cast<int64_t>(hexes.size()); }
  int64_t ObjectCount() const { return static_cast<int64_t>(objects.size()); }
  const ObjectEntry& Entry(int64_t index) const { return objects[static_cast<size_t>(index)]; }
  // The loaded object at `index`: the one kept for editing, or else
  // `scratch`, read again from the input (and valid as long as the input
  // and until `scratch` is used again).
  const MiscObject& ReadObject(int64_t index, MiscObject& scratch) const;
  // The object at `index`, read once and kept from now on, so that changes
  // made to it are what the writer writes.
  MiscObject& EditObject(int64_t index);
  // The object kept for editing at `index`, or nullptr.
  const MiscObject* KeptObject(int64_t index) const;
  // A new object at the end of the list, made in memory rather than read
  // (a restored dump's); once its record is filled in, Reindex tells the
  // list its kind and id.
  MiscObject& AppendObject();
  // Makes the object list anew: `order` gives, for each object of the new
  // list, its present index, or -1 for the next of `added` (records made in
  // memory), in turn. An object kept for editing goes with its object; every
  // object is loaded and none is marked, and the id index is made anew.
  void Rearrange(const std::vector<int64_t>& order, std::vector<MiscObject>&& added);
  // Takes every kept object's kind, id and kind of player again, and makes
  // the id index anew.
  void Reindex();
  // The index of the loaded object with the id, or -1.
  int64_t FindObjectById(int32_t id) const { return index.Find(objects, id); }

 private:
  std::unordered_map<int64_t, MiscObject> kept_;
};

// The records of the file in the order the load takes them.
enum class LoadStep { Header, Campaign, Map, Hexes, Political };

// Told what the load does, step by step, so that an interactive run can
// narrate it; every hook does nothing by default.
class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  virtual void Finished(LoadStep) {}
  // The number of misc objects the header announces (may be 0 or less).
  virtual void ObjectsAnnounced(int64_t) {}
  // A framed record was read: the campaign, map or political record, hex
  // `index`, or misc object `index`, from byte `start` up to `end`.
  virtual void RecordRead(LoadStep /*step*/, int64_t /*index*/, size_t /*start*/, size_t /*end*/) {}
  virtual void ObjectRead(int64_t /*index*/, const ObjectFrame& /*frame*/, size_t /*end*/) {}
  // Misc object `index` as read, just before ObjectRead tells of it (not for
  // one that takes its counterpart's entry without being read); valid only
  // during the call.
  virtual void ObjectParsed(int64_t /*index*/, const MiscObject& /*object*/) {}
  // The framing of the next object failed; the load stops after this.
  virtual void FrameFailed(const ObjectFrame&) {}
};

// What a load took of the input, and where and why it stopped short.
struct LoadOutcome {
  // Objects the header announces after the hexes (may be 0 or less).
  int64_t announced = 0;
  // How the misc-object list ended: Read when it was not cut short, else
  // the framing failure at object `stopIndex` (0-based) that ended it.
  FrameResult stop = FrameResult::Read;
  int64_t stopIndex = 0;
  // The first byte the load did not take: where the object whose framing
  // failed began, or else the byte after the last record read.
  size_t unloadedFrom = 0;
  // Some read, or some list, wanted more bytes than the file had left.
  bool wantedPastEnd = false;

  // Where the end of the input was first met, when it was: the record being
  // read, and for the hexes and the misc objects which one (0-based; for
  // the hexes, the one the list would have taken next when it stopped).
  enum class Part { None, Header, Campaign, Map, Hexes, Political, Objects };
  Part endMetIn = Part::None;
  int64_t endMetAt = 0;
  int64_t hexesAnnounced = 0;
  int64_t loaded = 0;    // misc objects loaded
  size_t inputSize = 0;  // bytes in the whole input

  // A complete load took every record whole; bytes after the last
  // announced object do not make it incomplete.
  bool Complete() const { return stop == FrameResult::Read && !wantedPastEnd; }
};

// Reads `db.source` in `db.layout`: the header, the campaign record, the map
// record and its hexes, the political record, then the misc objects the
// header announces. Hexes stop once the input has run out; misc objects stop
// at the first one that fails to frame. Every object gets a deleteFlags
// byte of 0, and the id index is made.
//
// `like`, when given, is another database loaded before, of which nothing
// was edited: an object whose bytes are those of the object of `like` that
// lies at the same place in the list (as far as objects added and removed
// allow) is not read again but takes that object's entry. Reading the same
// bytes under the same layout and campaign facts gives the same object, so
// the load is the same as without `like`, only quicker when the two files
// share most of their objects.
LoadOutcome LoadDatabase(Database& db, LoadObserver& observer, const Database* like = nullptr);

}  // namespace campdb
