// A multiplayer campaign with one object of every sort the cleaner decides
// on, in ascending object id order, and the objects a Clean run keeps.
#pragma once

#include <vector>

#include "support/db_builder.h"

namespace campdb::testing {

// An object of a class the tool does not know, its id where every body
// keeps it.
inline testdb::RawObject UnknownObject(int32_t id) {
  testdb::RawObject object;
  object.frame.tag = ".?AVtFleet@@";
  testdb::PutI32(object.body, 0x55);
  object.body += "LEADRN";
  testdb::PutI32(object.body, id);
  object.body += "payload of a kind nobody knows";
  return object;
}

struct MixedDatabase {
  testdb::Database db;
  std::vector<testdb::Bytes> kept;  // the objects a Clean run keeps, in order
  size_t total = 0;                 // misc objects in db
};

inline MixedDatabase MakeMixedDatabase() {
  MixedDatabase m;
  m.db.SetGrid(2, 2);
  m.db.political.Fill(3);
  auto add = [&](testdb::Bytes bytes, bool keep) {
    if (keep) m.kept.push_back(bytes);
    m.db.objects.push_back(std::move(bytes));
  };
  auto character = [](int32_t id, const char* name, bool human, std::vector<int32_t> hulls) {
    testdb::Character c;
    c.objectId = id;
    c.characterName = name;
    if (!human) c.human.reset();
    for (int32_t hull : hulls) {
      testdb::Character::ShipEntry entry;
      entry.hullClass = hull;
      c.ships.push_back(entry);
    }
    return testdb::ToBytes(c);
  };
  auto ship = [](int32_t id, int32_t captain, int32_t hull) {
    testdb::Ship s;
    s.objectId = id;
    s.captainId = captain;
    s.hullClass = hull;
    return testdb::ToBytes(s);
  };
  testdb::Bid bid;
  bid.objectId = 30;
  testdb::News news;
  news.objectId = 31;

  add(character(10, "Alice", true, {5}), true);    // human player
  add(character(11, "Bot", false, {16}), true);    // AI holding a starbase
  add(character(12, "Drone", false, {17}), false); // AI without base or planet
  add(ship(20, 10, 5), true);                      // a human's warship
  add(ship(21, 11, 16), true);                     // a starbase, whoever holds it
  add(ship(22, 11, 5), false);                     // an AI's warship
  add(ship(23, 12, 17), false);                    // hull 17 is no base
  add(ship(24, 0, 3), true);                       // a shipyard vessel
  add(testdb::ToBytes(bid), true);
  add(testdb::ToBytes(news), false);
  add(testdb::ToBytes(UnknownObject(32)), false);
  add(ship(33, 30, 5), false);                     // "captained" by a bid
  add(ship(34, 99, 5), false);                     // captain gone
  add(character(40, "Eve", true, {}), true);       // human without ships
  m.total = m.db.objects.size();
  return m;
}

}  // namespace campdb::testing
