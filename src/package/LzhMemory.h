// The decoder's two events over memory, for the tools, benchmarks and tests (Setup.exe itself reads a package file
// and writes the installed files: Extract.h). Portable, header only.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "package/LZH_OP.h"

namespace qs {

// Bytes in memory, read front to back: each call gets as much as it asks for, or at most chunk bytes when chunk
// is not 0 (a short read is not the end of the input). The bytes must outlive the reads.
class MemorySource {
public:
    MemorySource(const uint8_t* data, size_t size, size_t chunk = 0) : data_(data), size_(size), chunk_(chunk) {}
    explicit MemorySource(const std::vector<uint8_t>& bytes, size_t chunk = 0)
        : MemorySource(bytes.data(), bytes.size(), chunk) {}

    uint16_t Take(void* dta, uint16_t room) {
        size_t n = std::min<size_t>(room, size_ - at_);
        if (chunk_) n = std::min(n, chunk_);
        if (n) std::memcpy(dta, data_ + at_, n);
        at_ += n;
        return static_cast<uint16_t>(n);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t chunk_;
    size_t at_ = 0;
};

// The decoder takes its input from source, which must outlive its runs.
inline void ReadFrom(TLZHCompressor& lzh, MemorySource& source) {
    lzh.OnGetBytes = [&source](TLZHCompressor&, void* dta, uint16_t room, uint16_t& got) {
        got = source.Take(dta, room);
    };
}

// The decoder appends its output to out, which must outlive its runs.
inline void AppendTo(TLZHCompressor& lzh, std::vector<uint8_t>& out) {
    lzh.OnPutBytes = [&out](TLZHCompressor&, const void* dta, uint16_t n, uint16_t& put) {
        const auto* p = static_cast<const uint8_t*>(dta);
        out.insert(out.end(), p, p + n);
        put = n;
    };
}

}  // namespace qs
