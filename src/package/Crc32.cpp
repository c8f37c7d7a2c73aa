#include "package/Crc32.h"

#include <array>

namespace qs {

namespace {
constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}
constexpr std::array<uint32_t, 256> kTable = MakeTable();
}  // namespace

uint32_t Crc32UpdateLong(const void* buf, uint64_t len, uint32_t crc) {
    const auto* p = static_cast<const unsigned char*>(buf);
    crc = ~crc;
    for (uint64_t i = 0; i < len; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Crc32Update(const void* buf, uint16_t len, uint32_t crc) { return Crc32UpdateLong(buf, len, crc); }

}  // namespace qs
