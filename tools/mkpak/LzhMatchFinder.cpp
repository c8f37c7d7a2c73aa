#include "LzhMatchFinder.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qs::pak::lzhenc {

namespace {

// Bytes that agree at a and b, 2 known, at most maxLen: eight at a time while that many are left (the first
// differing byte of two little-endian words is in the lowest differing bits).
int MatchLength(const uint8_t* a, const uint8_t* b, int maxLen) {
    int len = 2;
    while (len + 8 <= maxLen) {
        uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) return len + (__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
    while (len < maxLen && a[len] == b[len]) ++len;
    return len;
}

}  // namespace

MatchFinder::MatchFinder(const uint8_t* buf, size_t end) : buf_(buf), end_(end), head_(size_t(1) << kHashBits, kNone) {
    std::fill(std::begin(prev_), std::end(prev_), kNone);
}

void MatchFinder::InsertUpTo(size_t p) {
    for (; inserted_ < p; ++inserted_) {
        if (inserted_ + 2 >= end_) continue;
        const unsigned h = Hash(inserted_);
        prev_[inserted_ & (kWindow - 1)] = head_[h];
        head_[h] = static_cast<uint32_t>(inserted_);
    }
}

int MatchFinder::Find(size_t pos, int maxLen, int maxChain, Step* steps) const {
    if (maxLen < kShortestMatch) return 0;
    int best = kShortestMatch - 1;
    int count = 0;
    const uint8_t* b = buf_ + pos;
    uint32_t cand = head_[Hash(pos)];
    // kNone lies farther back than any window.
    for (int chain = maxChain; pos - cand <= kWindow && chain > 0; --chain) {
        const uint8_t* a = buf_ + cand;
        if (a[best] == b[best] && a[0] == b[0] && a[1] == b[1]) {
            const int len = MatchLength(a, b, maxLen);
            if (len > best) {
                steps[count++] = {static_cast<uint16_t>(len), static_cast<uint16_t>(pos - size_t(cand))};
                best = len;
                if (len >= maxLen) break;
            }
        }
        cand = prev_[cand & (kWindow - 1)];
    }
    return count;
}

}  // namespace qs::pak::lzhenc
