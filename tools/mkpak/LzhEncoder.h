// The packing side of the LZH streams that TLZHCompressor decodes: LZSS over the 4,096-byte window with the
// adaptive Huffman model mirrored from the decoder, position codes from the same tables, and the end marker
// (a 1 bit, then 0 bits to the byte end). Portable C++.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Exceptions.h"

namespace qs::pak {

// How the input is cut into literals and matches.
enum class LzhParse {
    Greedy,   // the longest (then nearest) match at each position; the benchmark's yardstick
    Optimal,  // least-cost parse per 32 KB block, priced from the adaptive model as the block's parse leaves it
};

struct LzhEncodeOptions {
    LzhParse parse = LzhParse::Optimal;
    bool verify = true;  // decode the result with TLZHCompressor and compare; ELzhEncode on a difference
};

// Raised when a stream cannot be made (a stream that would not decode to its input is never returned).
class ELzhEncode : public Exception {
public:
    using Exception::Exception;
};

// Packs size bytes at data into one stream. Streams never end in the way the decoder misreads (the last code
// ending on a byte boundary while the root's 1-branch is a leaf): the tail is parsed another way instead.
std::vector<uint8_t> EncodeLzh(const uint8_t* data, size_t size, const LzhEncodeOptions& options = {});
inline std::vector<uint8_t> EncodeLzh(const std::vector<uint8_t>& data, const LzhEncodeOptions& options = {}) {
    return EncodeLzh(data.data(), data.size(), options);
}

// Unpacks one stream with TLZHCompressor (32,768-byte buffers).
std::vector<uint8_t> DecodeLzh(const uint8_t* packed, size_t size);
inline std::vector<uint8_t> DecodeLzh(const std::vector<uint8_t>& packed) {
    return DecodeLzh(packed.data(), packed.size());
}

}  // namespace qs::pak
