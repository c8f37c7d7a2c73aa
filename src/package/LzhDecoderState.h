// Inside the decoder: the state of TLZHCompressor between and during runs, and the constants its layout
// depends on. Only the decoder's own sources include this.
#pragma once
#include <cstdint>
#include <memory>

#include "package/LZH_OP.h"
#include "package/LzhFormat.h"

namespace qs {

namespace lzh::decoder {

constexpr int kRingAlloc = lzh::kWindowSize + lzh::kLongestMatch - 1;  // 4155 bytes
constexpr int kScanPad = 8;
constexpr int kTopBits = 4;

// What the first kTopBits bits of a symbol code lead to: the nodes passed (depth 1 onwards), how many bits that
// took (fewer when a leaf is reached early), and son[] of the last node passed.
struct TopEntry {
    uint16_t path[8];
    uint16_t next;
    uint8_t bits;
};
static_assert(kTopBits <= 8);

}  // namespace lzh::decoder

struct TLZHCompressor::State {
    uint16_t readBufSize = 1024;
    uint16_t writeBufSize = 1024;
    bool finished = true;

    uint8_t ring[lzh::decoder::kRingAlloc];
    // freq[T] is the sentinel; the entries after it hold 0xFFFF too, so the swap scan may read 8 at a time.
    uint16_t freq[lzh::kTreeNodes + 1 + lzh::decoder::kScanPad];
    uint16_t prnt[lzh::kTreeNodes + lzh::kSymbolCount];
    uint16_t son[lzh::kTreeNodes];

    // The first kTopBits levels of the tree as one look-up by the next kTopBits stream bits. A swap that changes
    // son[] of a node the table passes (topAt[] set) makes it stale; it is made again before the next look-up.
    // Near the root swaps are rare, so that is seldom.
    lzh::decoder::TopEntry top[1 << lzh::decoder::kTopBits];
    uint8_t topAt[lzh::kTreeNodes];
    bool topStale = true;

    // Run state. Positions are 0-based here (the first free byte, the next unread byte).
    std::unique_ptr<uint8_t[]> inBuf;
    std::unique_ptr<uint8_t[]> outBuf;
    uint32_t outStart = 0;  // where the block not yet handed over begins in outBuf
    uint16_t runReadSize = 0;
    uint16_t runWriteSize = 0;
    uint32_t readPos = 0;
    uint32_t readCount = 0;
    uint32_t writePos = 0;

    void StartModel();
    void BuildTop();
    void TopVisit(lzh::decoder::TopEntry& e, unsigned q, unsigned depth, unsigned prefix);

    // Decodes symbols into out until the end marker or the end of the input (or a failing source or sink).
    template <class Input, class Output>
    void Run(Input& in, Output& out);

    template <class Input>
    unsigned DecodeChar(Input& in, uint16_t* path, unsigned& depth);
    void UpdateFreq(unsigned c, const uint16_t* path, unsigned depth);
    template <class Input>
    static unsigned DecodePosition(Input& in);
    unsigned LastBelow(unsigned n, unsigned k) const;
    unsigned MoveUp(unsigned n, unsigned k);
};

}  // namespace qs
