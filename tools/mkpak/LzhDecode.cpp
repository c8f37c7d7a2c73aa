#include "LzhEncoder.h"
#include "package/LzhMemory.h"

namespace qs::pak {

std::vector<uint8_t> DecodeLzh(const uint8_t* packed, size_t size) {
    TLZHCompressor lzh;
    lzh.SetReadBufSize(32768);
    lzh.SetWriteBufSize(32768);
    std::vector<uint8_t> out;
    out.reserve(size * 3);
    MemorySource source(packed, size);
    ReadFrom(lzh, source);
    AppendTo(lzh, out);
    lzh.Decompress();
    return out;
}

}  // namespace qs::pak
