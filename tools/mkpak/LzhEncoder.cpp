#include "LzhEncoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "LzhBitCoder.h"
#include "LzhEnding.h"
#include "LzhMatchFinder.h"
#include "LzhOps.h"
#include "LzhParse.h"

namespace qs::pak {

using detail::LzhOp;
using namespace lzhenc;

namespace {

// The window before the first byte: the decoder's ring starts with 4,036 spaces from position 0 and zeros from
// 4036, where writing begins; so going back from the first byte there are spaces, then 60 zeros.
std::vector<uint8_t> WithPrefix(const uint8_t* data, size_t size) {
    std::vector<uint8_t> buf(kPrefix + size);
    std::memset(buf.data(), 0, kWindowSize - lzh::kInitialSpaces);
    std::memset(buf.data() + (kWindowSize - lzh::kInitialSpaces), ' ', lzh::kInitialSpaces);
    if (size) std::memcpy(buf.data() + kPrefix, data, size);
    return buf;
}

}  // namespace

std::vector<uint8_t> EncodeLzh(const uint8_t* data, size_t size, const LzhEncodeOptions& options) {
    // The match finder keeps 32-bit positions, its largest value meaning "none".
    if (size >= std::numeric_limits<uint32_t>::max() - kPrefix) throw ELzhEncode("These data are too large to pack");
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    const size_t end = buf.size();
    MatchFinder mf(buf.data(), end);
    Coder coder;
    coder.Reserve(size / 2 + 16);

    std::vector<LzhOp> ops;
    size_t s = kPrefix;
    do {
        const size_t e = std::min(end, s + (options.parse == LzhParse::Greedy ? kGreedyBlock : kBlock));
        ops.clear();
        if (options.parse == LzhParse::Greedy)
            GreedyBlock(mf, s, e, ops);
        else
            OptimalBlock(mf, buf.data(), s, e, coder.model, ops);
        if (e == end) {
            EncodeLast(coder, buf.data(), s, e, ops);
            break;
        }
        coder.Ops(buf.data(), s, ops);
        s = e;
    } while (true);

    std::vector<uint8_t> packed = coder.Finish();
    if (options.verify) {
        const std::vector<uint8_t> check = DecodeLzh(packed);
        if (check.size() != size || (size && std::memcmp(check.data(), data, size) != 0))
            throw ELzhEncode("Packed data do not decode to the original (internal error)");
    }
    return packed;
}

namespace detail {

std::vector<uint8_t> EncodeOpsRaw(const uint8_t* data, size_t size, const std::vector<LzhOp>& ops) {
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    Coder coder;
    coder.Ops(buf.data(), kPrefix, ops);
    return coder.Finish();
}

std::vector<uint8_t> EncodeParsed(const uint8_t* data, size_t size, const std::vector<LzhOp>& ops) {
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    Coder coder;
    EncodeLast(coder, buf.data(), kPrefix, buf.size(), ops);
    return coder.Finish();
}

std::vector<LzhOp> GreedyParse(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    MatchFinder mf(buf.data(), buf.size());
    std::vector<LzhOp> ops;
    for (size_t s = kPrefix; s < buf.size(); s += kGreedyBlock)
        GreedyBlock(mf, s, std::min(buf.size(), s + kGreedyBlock), ops);
    return ops;
}

}  // namespace detail

}  // namespace qs::pak
