// The encoder's match finder: hash chains over the window, nearest candidates first, so that each longer match
// found is the nearest of its length. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "LzhModel.h"

namespace qs::pak::lzhenc {

// One match found: lengths above the previous step's, up to len, are found dist back.
struct Step {
    uint16_t len;
    uint16_t dist;
};

class MatchFinder {
public:
    // Positions fit 32 bits: a package file is under 2 GB, and the window before it adds 4 KB. buf holds end
    // bytes and outlives the finder.
    MatchFinder(const uint8_t* buf, size_t end);

    // Enters every position before p into the chains.
    void InsertUpTo(size_t p);

    // Matches at pos no longer than maxLen among the nearest maxChain candidates; fills steps (at most F entries)
    // and returns their count.
    int Find(size_t pos, int maxLen, int maxChain, Step* steps) const;

private:
    static constexpr int kHashBits = 15;
    static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    unsigned Hash(size_t p) const {
        const uint32_t v = uint32_t(buf_[p]) | uint32_t(buf_[p + 1]) << 8 | uint32_t(buf_[p + 2]) << 16;
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const uint8_t* buf_;
    size_t end_;
    std::vector<uint32_t> head_;
    uint32_t prev_[kWindow];
    size_t inserted_ = 0;
};

}  // namespace qs::pak::lzhenc
