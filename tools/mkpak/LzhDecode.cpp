#include <algorithm>
#include <cstring>

#include "LzhEncoder.h"
#include "package/LZH_OP.h"

namespace qs::pak {

std::vector<uint8_t> DecodeLzh(const uint8_t* packed, size_t size) {
    TLZHCompressor lzh;
    lzh.SetReadBufSize(32768);
    lzh.SetWriteBufSize(32768);
    size_t at = 0;
    std::vector<uint8_t> out;
    out.reserve(size * 3);
    lzh.OnGetBytes = [&](TLZHCompressor&, void* dta, uint16_t room, uint16_t& got) {
        const size_t n = std::min<size_t>(room, size - at);
        if (n) std::memcpy(dta, packed + at, n);
        at += n;
        got = static_cast<uint16_t>(n);
    };
    lzh.OnPutBytes = [&](TLZHCompressor&, const void* dta, uint16_t n, uint16_t& put) {
        const auto* p = static_cast<const uint8_t*>(dta);
        out.insert(out.end(), p, p + n);
        put = n;
    };
    lzh.Decompress();
    return out;
}

}  // namespace qs::pak
