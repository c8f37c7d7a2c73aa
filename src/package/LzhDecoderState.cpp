#include <algorithm>
#include <cstring>

#include "package/LzhDecoderState.h"
#include "package/LzhTree.h"

namespace qs {

using namespace lzh::decoder;

// Fills the entries of the prefixes that pass son[] pair q at the given depth; e.path holds the nodes above.
void TLZHCompressor::State::TopVisit(TopEntry& e, unsigned q, unsigned depth, unsigned prefix) {
    for (unsigned b = 0; b < 2; ++b) {
        const unsigned node = q + b;
        const unsigned at = (prefix << 1) | b;
        topAt[node] = 1;
        e.path[depth] = static_cast<uint16_t>(node);
        const unsigned next = son[node];
        if (next >= unsigned(lzh::kTreeNodes) || depth + 1 == unsigned(kTopBits)) {
            e.next = static_cast<uint16_t>(next);
            e.bits = static_cast<uint8_t>(depth + 1);
            const unsigned spread = unsigned(kTopBits) - (depth + 1);
            for (unsigned v = 0; v < (1u << spread); ++v) top[(at << spread) | v] = e;
        } else {
            TopVisit(e, next, depth + 1, at);
        }
    }
}

void TLZHCompressor::State::BuildTop() {
    std::memset(topAt, 0, sizeof topAt);
    TopEntry e{};
    TopVisit(e, son[lzh::kRootNode], 0, 0);
    topStale = false;
}

// The initial tree, its sentinels and an empty history.
void TLZHCompressor::State::StartModel() {
    std::memset(ring, 0, sizeof ring);
    std::memset(freq, 0, sizeof freq);
    std::memset(prnt, 0, sizeof prnt);
    std::memset(son, 0, sizeof son);
    lzh::StartTree(freq, son, prnt);
    topStale = true;
    std::fill(freq + lzh::kTreeNodes, freq + lzh::kTreeNodes + 1 + kScanPad, uint16_t(0xFFFF));
    std::memset(ring, ' ', lzh::kInitialSpaces);
}

}  // namespace qs
