// The constants of the LZHUF stream format, which the decoder, its Huffman tree and the packing tool's encoder
// share. A leaf: it includes nothing.
#pragma once

namespace qs::lzh {

constexpr int kWindowSize = 4096;    // the ring of history: a match reaches at most this far back
constexpr int kLongestMatch = 60;
constexpr int kShortestMatch = 3;    // shorter runs go as literals
constexpr int kSymbolCount = 256 - kShortestMatch + 1 + kLongestMatch;  // 256 literals and the match lengths: 314
constexpr int kTreeNodes = kSymbolCount * 2 - 1;                        // 627
constexpr int kRootNode = kTreeNodes - 1;                               // 626
constexpr int kMaxFrequency = 0x8000;  // the root's count at which the tree is rebuilt with halved counts
constexpr int kInitialSpaces = kWindowSize - kLongestMatch;  // ring bytes 0..4035 start as spaces

}  // namespace qs::lzh
