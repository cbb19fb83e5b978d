// Ship objects for the editor tests: the bytes of one framed ship built field
// by field from the file layout, a reader for them, and a scripted console.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "console/console.h"
#include "format/byte_stream.h"
#include "format/ship.h"

namespace campdb::testing {

struct BayFields {
  uint8_t current = 0, maximum = 0, third = 0, spare = 0x5A;
  std::string type, type2;
};

struct ShipFields {
  int32_t objectId = 100;
  int32_t race = 1;
  int32_t hullClass = 7;
  int32_t bpv = 125;
  std::string shipType = "F-CA";
  std::string shipName = "Fury";
  std::array<uint8_t, 449> block{};
  std::array<uint8_t, 9> supplies{};
  std::array<BayFields, 4> bays{};
  std::string tail;

  ShipFields() {
    // Neighbouring block bytes differ, so a stray store shows.
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
  }
};

inline void PutInt32(std::string& out, int32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * k)) & 0xFF));
}

inline void PutCounted(std::string& out, const std::string& s) {
  PutInt32(out, static_cast<int32_t>(s.size()));
  out += s;
}

// The framed object: both size words, the class tag, the body.
inline std::string ShipBytes(const ShipFields& fields) {
  std::string body;
  PutCounted(body, ".?AVtShip@@");
  PutInt32(body, 0x11223344);
  body += "\x01\x02\x03\x04\x05\x06";
  PutInt32(body, fields.objectId);
  PutInt32(body, -5);
  body += "\x0a\x0b\x0c\x0d\x0e";
  PutInt32(body, 7);  // captain
  body += '\x77';
  for (int32_t word : {fields.race, fields.hullClass, fields.bpv, fields.bpv}) PutInt32(body, word);
  PutCounted(body, fields.shipType);
  PutCounted(body, fields.shipName);
  body.append(fields.block.begin(), fields.block.end());
  body.append(fields.supplies.begin(), fields.supplies.end());
  for (const BayFields& bay : fields.bays) {
    for (uint8_t b : {bay.current, bay.maximum, bay.third, bay.spare}) body += static_cast<char>(b);
    PutCounted(body, bay.type);
    PutCounted(body, bay.type2);
  }
  body += fields.tail;
  std::string framed;
  PutInt32(framed, static_cast<int32_t>(body.size()));
  PutInt32(framed, static_cast<int32_t>(body.size()));
  return framed + body;
}

// Reads a framed ship the way the object framing does.
inline std::unique_ptr<tShip> ReadShip(const std::string& bytes) {
  ByteReader in({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  const int32_t size = ReadInt32(in);
  ReadInt32(in);
  ReadCountedString(in);
  return std::make_unique<tShip>(in, size);
}

inline std::string WrittenBytes(tShip& ship) {
  ByteWriter out;
  ship.Write(out);
  return out.TakeBuffer();
}

// A console answering from a script and keeping its transcript and its
// diagnostics.
struct Script {
  explicit Script(std::string input) : in(std::move(input)), console(in, out, &err) {}
  std::string Transcript() const { return out.str(); }
  bool Shows(const std::string& part) const { return out.str().find(part) != std::string::npos; }
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

}  // namespace campdb::testing
