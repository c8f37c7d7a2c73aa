// The smallest file the bundle reader takes for a Windows program: "MZ", the PE signature and an optional header
// with its data directories, zeros elsewhere. For the tests and the fuzz target of the bundle format, which read
// only the headers' certificate-table entry.
#pragma once
#include <cstdint>
#include <vector>

namespace qs::test {

constexpr size_t kMiniPeAt = 64;                          // where "PE\0\0" lies
constexpr size_t kMiniPeSecurityDir = kMiniPeAt + 24 + 112 + 4 * 8;  // PE32+: data directory 4

// size bytes (at least 512) of a PE32+ image without a certificate table.
inline std::vector<uint8_t> MiniPe(size_t size = 512) {
    std::vector<uint8_t> pe(size < 512 ? 512 : size, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[60] = kMiniPeAt;
    pe[kMiniPeAt] = 'P';
    pe[kMiniPeAt + 1] = 'E';
    pe[kMiniPeAt + 24] = 0x0b;  // 0x20b: PE32+
    pe[kMiniPeAt + 25] = 0x02;
    return pe;
}

// Appends a certificate table of tableSize bytes after pad zero bytes, and names it in the headers, as a signing
// tool does.
inline void AppendCertificateTable(std::vector<uint8_t>& image, size_t pad, size_t tableSize) {
    image.resize(image.size() + pad, 0);
    const size_t at = image.size();
    image.resize(at + tableSize, 0xC5);
    for (int i = 0; i < 4; ++i) {
        image[kMiniPeSecurityDir + i] = uint8_t(at >> (8 * i));
        image[kMiniPeSecurityDir + 4 + i] = uint8_t(tableSize >> (8 * i));
    }
}

}  // namespace qs::test
