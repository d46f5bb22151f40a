#include "format/guid.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>

namespace velmora {

std::string newGuid() {
  thread_local std::mt19937_64 engine{[] {
    std::random_device rd;
    std::seed_seq seq{rd(), rd(), rd(), rd(), rd(), rd(), rd(), rd()};
    return std::mt19937_64(seq);
  }()};
  std::array<std::uint8_t, 16> b{};
  for (auto& x : b) x = static_cast<std::uint8_t>(engine());
  b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);  // version 4: random
  b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char out[39];
  std::snprintf(out, sizeof out, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return out;
}

}  // namespace velmora
