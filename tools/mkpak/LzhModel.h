// The encoder's copy of the decoder's adaptive Huffman model, with the prices and code lengths the parses need,
// and the constants of the window every encoder unit shares. Portable.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "package/LzhFormat.h"
#include "package/LzhTree.h"

namespace qs::pak::lzhenc {

using lzh::kLongestMatch, lzh::kMaxFrequency, lzh::kRootNode, lzh::kShortestMatch, lzh::kSymbolCount,
    lzh::kTreeNodes, lzh::kWindowSize;
constexpr size_t kWindow = kWindowSize;  // distances 1..4096
constexpr size_t kPrefix = kWindowSize;  // the window as it stands before the first byte

// Bits of a match's position code for a distance of 1..4096.
inline int PositionBits(unsigned dist) { return lzh::kPositionTables.codeLen[(dist - 1) >> 6] + 6; }

// The symbol of a match of len bytes.
constexpr unsigned MatchSymbol(unsigned len) { return len + lzh::kMatchSymbolOffset; }

// The adaptive Huffman model, the same as the decoder's.
struct Model {
    uint16_t freq[kTreeNodes + 1];
    uint16_t prnt[kTreeNodes + kSymbolCount];
    uint16_t son[kTreeNodes];

    void Start() {
        std::memset(this, 0, sizeof *this);
        lzh::StartTree(freq, son, prnt);
    }

    void Reconst() { lzh::RebuildTree(freq, son, prnt); }

    void Update(unsigned c) {
        if (freq[kRootNode] == kMaxFrequency) Reconst();
        lzh::CountUp(freq, son, prnt, prnt[c + kTreeNodes]);
    }

    // Price of every symbol in 1/16 bits: the mean of its code length in the tree and of the information its
    // frequency carries. The tree's integer lengths flip as frequencies drift within a block; the mean prices
    // symbols near a flip between the two and gives a slightly smaller parse than either alone.
    void Costs(uint32_t* cost) const {
        uint8_t len[kSymbolCount];
        CodeLengths(len);
        for (int i = 0; i < kSymbolCount; ++i) {
            const double info = std::log2(double(freq[kRootNode]) / double(freq[prnt[i + kTreeNodes]]));
            cost[i] = static_cast<uint32_t>(8.0 * info + 8.0 * len[i] + 0.5);
        }
    }

    // Current code length of every symbol. A parent always lies above its children in the table.
    void CodeLengths(uint8_t* symLen) const {
        uint8_t depth[kTreeNodes];
        depth[kRootNode] = 0;
        for (int n = kRootNode; n >= 0; --n) {
            const unsigned s = son[n];
            if (s >= unsigned(kTreeNodes)) {
                symLen[s - kTreeNodes] = depth[n];
            } else {
                depth[s] = depth[s + 1] = static_cast<uint8_t>(depth[n] + 1);
            }
        }
    }

    // The decoder misreads a stream whose last code ends on a byte boundary while the root's 1-branch is a leaf.
    bool RootOneBranchIsLeaf() const { return son[son[kRootNode] + 1] >= kTreeNodes; }
};

}  // namespace qs::pak::lzhenc
