// The LZHUF adaptive Huffman tree's operations, the position code's tables and the match symbols, shared by the
// decoder and the packing tool's encoder so that both sides build, update and rebuild exactly the same tree and
// read the same codes. Portable; arrays as the decoder lays them out: freq[T + 1] (entry T the 0xFFFF sentinel),
// son[T], prnt[T + N_CHAR].
#pragma once
#include <cstdint>
#include <cstring>

#include "package/LzhFormat.h"

namespace qs::lzh {

// The decoder's symbol and node counts, under the names the tree code uses.

// The position code's upper 6 bits by ranges of the code's first 8 bits: the first and last 8-bit value of each
// range, how many values each upper value takes there, and the code length of the upper part.
struct PositionRange {
    int from, to, per, len;
};
constexpr PositionRange kPositionRanges[] = {{0, 31, 32, 3},    {32, 79, 16, 4}, {80, 143, 8, 5},
                                             {144, 191, 4, 6}, {192, 239, 2, 7}, {240, 255, 1, 8}};

// Match lengths 3..60 are coded as symbols 256..313: symbol = length + kMatchSymbolOffset.
constexpr unsigned kMatchSymbolOffset = 256 - kShortestMatch;
static_assert(kMatchSymbolOffset == 253);

// Both sides of the position code, made from the ranges in one pass. Decoding: the upper 6 position bits and
// the length of their code, indexed by the code's first 8 bits. Encoding: the code of each upper value and its
// length. A range's codes are len bits long, so its first 8-bit values share a code per 2^(8 - len) of them.
struct PositionTables {
    uint8_t upper[256];
    uint8_t upperLen[256];
    uint8_t code[64];
    uint8_t codeLen[64];
};

constexpr PositionTables MakePositionTables() {
    PositionTables t{};
    int first = 0;  // the upper value of a range's first code
    for (const PositionRange& r : kPositionRanges) {
        for (int v = r.from; v <= r.to; ++v) {
            const int u = first + (v - r.from) / r.per;
            t.upper[v] = static_cast<uint8_t>(u);
            t.upperLen[v] = t.codeLen[u] = static_cast<uint8_t>(r.len);
            t.code[u] = static_cast<uint8_t>(v >> (8 - r.len));
        }
        first += (r.to - r.from + 1) / r.per;
    }
    return t;
}
constexpr PositionTables kPositionTables = MakePositionTables();
static_assert(kPositionTables.upper[255] == 63 && kPositionTables.upperLen[255] == 8 &&
              kPositionTables.upper[32] == 1 && kPositionTables.upper[79] == 3);
static_assert(kPositionTables.code[0] == 0 && kPositionTables.codeLen[0] == 3 && kPositionTables.code[1] == 2 &&
              kPositionTables.codeLen[63] == 8 && kPositionTables.code[63] == 255);

#if defined(__GNUC__)
#define QS_TREE_INLINE inline __attribute__((always_inline))
#else
#define QS_TREE_INLINE inline
#endif

// Node n, just counted up to k, trades places with node l (the last one above it whose frequency is below k):
// frequencies, children and the children's parent links.
QS_TREE_INLINE void SwapNodes(uint16_t* freq, uint16_t* son, uint16_t* prnt, unsigned n, unsigned l, unsigned k) {
    freq[n] = freq[l];
    freq[l] = static_cast<uint16_t>(k);
    const unsigned i = son[n];
    prnt[i] = static_cast<uint16_t>(l);
    if (i < unsigned(kTreeNodes)) prnt[i + 1] = static_cast<uint16_t>(l);
    const unsigned j = son[l];
    son[l] = static_cast<uint16_t>(i);
    prnt[j] = static_cast<uint16_t>(n);
    if (j < unsigned(kTreeNodes)) prnt[j + 1] = static_cast<uint16_t>(n);
    son[n] = static_cast<uint16_t>(j);
}

// The model update from node q (a symbol's leaf node) up to the root by the parent links: each node is counted
// up, and one that now outweighs the next trades places with the last node of its old weight. The leaf's node
// may be node 0; only the root's parent link is 0.
inline void CountUp(uint16_t* freq, uint16_t* son, uint16_t* prnt, unsigned q) {
    do {
        const unsigned k = ++freq[q];
        if (k > freq[q + 1]) {
            unsigned l = q + 1;
            while (k > freq[l + 1]) ++l;
            SwapNodes(freq, son, prnt, q, l, k);
            q = l;
        }
        q = prnt[q];
    } while (q != 0);
}

// The initial tree: every symbol with frequency 1, inner nodes pairing them from the bottom up.
inline void StartTree(uint16_t* freq, uint16_t* son, uint16_t* prnt) {
    for (int i = 0; i < kSymbolCount; ++i) {
        freq[i] = 1;
        son[i] = static_cast<uint16_t>(i + kTreeNodes);
        prnt[i + kTreeNodes] = static_cast<uint16_t>(i);
    }
    for (int i = 0, j = kSymbolCount; j <= kRootNode; i += 2, ++j) {
        freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        son[j] = static_cast<uint16_t>(i);
        prnt[i] = prnt[i + 1] = static_cast<uint16_t>(j);
    }
    freq[kTreeNodes] = 0xFFFF;
    prnt[kRootNode] = 0;
}

// Rebuilds the tree with halved frequencies (once the root reaches 32768): leaves collected in index order,
// inner nodes inserted in frequency order, parents recomputed.
inline void RebuildTree(uint16_t* freq, uint16_t* son, uint16_t* prnt) {
    int j = 0;
    for (int i = 0; i < kTreeNodes; ++i) {
        if (son[i] >= kTreeNodes) {
            freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
            son[j] = son[i];
            ++j;
        }
    }
    for (int i = 0, k = kSymbolCount; k < kTreeNodes; i += 2, ++k) {
        const uint16_t f = static_cast<uint16_t>(freq[i] + freq[i + 1]);
        freq[k] = f;
        int l = k - 1;
        while (f < freq[l]) --l;
        ++l;
        std::memmove(&freq[l + 1], &freq[l], (k - l) * sizeof(freq[0]));
        freq[l] = f;
        std::memmove(&son[l + 1], &son[l], (k - l) * sizeof(son[0]));
        son[l] = static_cast<uint16_t>(i);
    }
    for (int i = 0; i < kTreeNodes; ++i) {
        const int k = son[i];
        prnt[k] = static_cast<uint16_t>(i);
        if (k < kTreeNodes) prnt[k + 1] = static_cast<uint16_t>(i);
    }
}

}  // namespace qs::lzh
