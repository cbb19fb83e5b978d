#include "textform/json_out.h"

#include <array>

namespace campdb::textform {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Bytes that stand for themselves inside a JSON string: printable ASCII
// other than the quote and the backslash.
constexpr std::array<bool, 256> MakePlainTable() {
  std::array<bool, 256> plain{};
  for (int b = 0x20; b < 0x7F; ++b) plain[static_cast<size_t>(b)] = b != '"' && b != '\\';
  return plain;
}
constexpr std::array<bool, 256> kPlain = MakePlainTable();

// Two hex digits per byte, looked up at once.
constexpr std::array<std::array<char, 2>, 256> MakeHexTable() {
  std::array<std::array<char, 2>, 256> table{};
  for (size_t b = 0; b < 256; ++b) table[b] = {kHexDigits[b >> 4], kHexDigits[b & 15]};
  return table;
}
constexpr std::array<std::array<char, 2>, 256> kHexPairs = MakeHexTable();

}  // namespace

void JsonOut::Bytes(Text bytes) {
  Put('"');
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    // The longest stretch that needs no escape goes out in one piece.
    const auto* plain = p;
    while (p < end && kPlain[*p]) ++p;
    if (p > plain) out_.WriteBytes(plain, static_cast<size_t>(p - plain));
    if (p == end) break;
    const uint8_t b = *p++;
    switch (b) {
      case '"': Put("\\\""); break;
      case '\\': Put("\\\\"); break;
      case '\b': Put("\\b"); break;
      case '\f': Put("\\f"); break;
      case '\n': Put("\\n"); break;
      case '\r': Put("\\r"); break;
      case '\t': Put("\\t"); break;
      default:
        if (b >= 0x80) {
          // U+0080 .. U+00FF in UTF-8.
          const uint8_t pair[2] = {static_cast<uint8_t>(0xC0 | (b >> 6)), static_cast<uint8_t>(0x80 | (b & 0x3F))};
          out_.WriteBytes(pair, 2);
        } else {
          // The other control characters, and DEL.
          const char escape[6] = {'\\', 'u', '0', '0', kHexDigits[b >> 4], kHexDigits[b & 15]};
          Put(std::string_view(escape, 6));
        }
    }
  }
  Put('"');
}

void JsonOut::Hex(const uint8_t* data, size_t size) {
  Put('"');
  // In pieces through a small buffer, so that a long run (a large tail, the
  // bytes a load could not take) is never held twice over in memory.
  char buffer[4096];
  size_t fill = 0;
  for (size_t i = 0; i < size; ++i) {
    buffer[fill] = kHexPairs[data[i]][0];
    buffer[fill + 1] = kHexPairs[data[i]][1];
    fill += 2;
    if (fill == sizeof buffer) {
      Put(std::string_view(buffer, fill));
      fill = 0;
    }
  }
  Put(std::string_view(buffer, fill));
  Put('"');
}

}  // namespace campdb::textform
