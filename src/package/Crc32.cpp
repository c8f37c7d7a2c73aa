#include "package/Crc32.h"

#include <array>
#include <cstring>

namespace qs {

namespace {

// Eight tables for slicing-by-8: the checksum runs beside the decoder on every byte written, so it must cost
// little next to it. Table 0 is the classic byte-at-a-time table.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}
constexpr Tables kT = MakeTables();

inline uint32_t Load32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

uint32_t Crc32UpdateLong(const void* buf, uint64_t len, uint32_t crc) {
    const auto* p = static_cast<const unsigned char*>(buf);
    crc = ~crc;
    while (len >= 8) {
        const uint32_t lo = Load32(p) ^ crc;
        const uint32_t hi = Load32(p + 4);
        crc = kT[7][lo & 0xFF] ^ kT[6][(lo >> 8) & 0xFF] ^ kT[5][(lo >> 16) & 0xFF] ^ kT[4][lo >> 24] ^
              kT[3][hi & 0xFF] ^ kT[2][(hi >> 8) & 0xFF] ^ kT[1][(hi >> 16) & 0xFF] ^ kT[0][hi >> 24];
        p += 8;
        len -= 8;
    }
    while (len--) crc = kT[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Crc32Update(const void* buf, uint16_t len, uint32_t crc) { return Crc32UpdateLong(buf, len, crc); }

}  // namespace qs
