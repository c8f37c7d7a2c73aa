#include "LzhEncoder.h"
#include "package/LzhTree.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <limits>

#include "package/LZH_OP.h"

namespace qs::pak {

using detail::LzhOp;

namespace {

constexpr int N = TLZHCompressor::N;
constexpr int F = TLZHCompressor::F;
constexpr int N_CHAR = TLZHCompressor::N_CHAR;
constexpr int T = TLZHCompressor::T;
constexpr int R = TLZHCompressor::R;
constexpr int MAX_FREQ = TLZHCompressor::MAX_FREQ;
constexpr int kMinMatch = TLZHCompressor::THRESHOLD + 1;
constexpr size_t kWindow = N;           // distances 1..4096
constexpr size_t kPrefix = N;           // the window as it stands before the first byte
constexpr size_t kGreedyBlock = 8192;   // the greedy parse looks no further than this (the benchmark's yardstick)
constexpr size_t kBlock = 32768;        // bytes of the chosen parse priced with one set of cost estimates
constexpr int kGreedyChain = 96;        // candidates the greedy parse looks at per position
constexpr int kOptimalChain = 256;      // and the chosen parse: a nearer match of each length saves position bits
constexpr int kPricings = 2;            // least-cost parses of a block, each priced from the one before
constexpr int kNiceLength = 40;         // a match this long is taken as found: no search inside it

// Encoding side of the position code: the code of each upper 6-bit value and its length, from the ranges the
// decoder's table is made from.
struct PositionCodes {
    uint8_t code[64];
    uint8_t len[64];
};

constexpr PositionCodes MakePositionCodes() {
    PositionCodes p{};
    int upper = 0;
    for (const lzh::PositionRange& r : lzh::kPositionRanges) {
        for (int v = r.from; v <= r.to; v += r.per, ++upper) {
            p.code[upper] = static_cast<uint8_t>(v >> (8 - r.len));
            p.len[upper] = static_cast<uint8_t>(r.len);
        }
    }
    return p;
}
constexpr PositionCodes kPosCodes = MakePositionCodes();
static_assert(kPosCodes.code[0] == 0 && kPosCodes.len[0] == 3 && kPosCodes.code[1] == 2 &&
              kPosCodes.len[63] == 8 && kPosCodes.code[63] == 255);

inline int PositionBits(unsigned dist) { return kPosCodes.len[(dist - 1) >> 6] + 6; }

// The adaptive Huffman model, the same as the decoder's.
struct Model {
    uint16_t freq[T + 1];
    uint16_t prnt[T + N_CHAR];
    uint16_t son[T];

    void Start() {
        std::memset(this, 0, sizeof *this);
        lzh::StartTree(freq, son, prnt);
    }

    void Reconst() { lzh::RebuildTree(freq, son, prnt); }

    void Update(unsigned c) {
        if (freq[R] == MAX_FREQ) Reconst();
        lzh::CountUp(freq, son, prnt, prnt[c + T]);
    }

    // Price of every symbol in 1/16 bits: the mean of its code length in the tree and of the information its
    // frequency carries. The tree's integer lengths flip as frequencies drift within a block; the mean prices
    // symbols near a flip between the two and gives a slightly smaller parse than either alone.
    void Costs(uint32_t* cost) const {
        uint8_t len[N_CHAR];
        CodeLengths(len);
        for (int i = 0; i < N_CHAR; ++i) {
            const double info = std::log2(double(freq[R]) / double(freq[prnt[i + T]]));
            cost[i] = static_cast<uint32_t>(8.0 * info + 8.0 * len[i] + 0.5);
        }
    }

    // Current code length of every symbol. A parent always lies above its children in the table.
    void CodeLengths(uint8_t* symLen) const {
        uint8_t depth[T];
        depth[R] = 0;
        for (int n = R; n >= 0; --n) {
            const unsigned s = son[n];
            if (s >= unsigned(T)) {
                symLen[s - T] = depth[n];
            } else {
                depth[s] = depth[s + 1] = static_cast<uint8_t>(depth[n] + 1);
            }
        }
    }

    // The decoder misreads a stream whose last code ends on a byte boundary while the root's 1-branch is a leaf.
    bool RootOneBranchIsLeaf() const { return son[son[R] + 1] >= T; }
};

// Model plus the bits written so far; copied whole to try another ending.
struct Coder {
    Model model;
    std::vector<uint8_t> out;
    uint64_t acc = 0;  // pending bits, right-aligned
    int pending = 0;   // 0..7 between calls

    void Put(uint32_t value, int len) {  // len <= 32
        acc = (acc << len) | value;
        pending += len;
        while (pending >= 8) {
            pending -= 8;
            out.push_back(static_cast<uint8_t>(acc >> pending));
        }
        acc &= (uint64_t(1) << pending) - 1;
    }

    void Symbol(unsigned c) {
        uint64_t code = 0;
        int len = 0;
        unsigned k = model.prnt[c + T];
        do {
            code |= uint64_t(k & 1) << len;
            ++len;
            k = model.prnt[k];
        } while (k != unsigned(R));
        if (len > 32) {
            Put(static_cast<uint32_t>(code >> 32), len - 32);
            Put(static_cast<uint32_t>(code), 32);
        } else {
            Put(static_cast<uint32_t>(code), len);
        }
        model.Update(c);
    }

    void Op(const uint8_t* at, LzhOp op) {
        if (op.len == 1) {
            Symbol(*at);
        } else {
            Symbol(static_cast<unsigned>(op.len) + 253);  // lengths 3..60 are symbols 256..313
            const unsigned p = op.dist - 1u;
            Put(kPosCodes.code[p >> 6], kPosCodes.len[p >> 6]);
            Put(p & 63, 6);
        }
    }

    bool BadEnding() const { return pending == 0 && model.RootOneBranchIsLeaf(); }

    // Where a block starts, to code it again another way.
    struct Mark {
        Model model;
        size_t outSize;
        uint64_t acc;
        int pending;
    };
    Mark Save() const { return {model, out.size(), acc, pending}; }
    void Restore(const Mark& m) {
        model = m.model;
        out.resize(m.outSize);
        acc = m.acc;
        pending = m.pending;
    }

    std::vector<uint8_t> Finish() {
        Put(1, 1);
        if (pending > 0) Put(0, 8 - pending);
        return std::move(out);
    }
};

// The window before the first byte: the decoder's ring starts with 4,036 spaces from position 0 and zeros from
// 4036, where writing begins; so going back from the first byte there are spaces, then 60 zeros.
std::vector<uint8_t> WithPrefix(const uint8_t* data, size_t size) {
    std::vector<uint8_t> buf(kPrefix + size);
    std::memset(buf.data(), 0, N - TLZHCompressor::kInitialSpaces);
    std::memset(buf.data() + (N - TLZHCompressor::kInitialSpaces), ' ', TLZHCompressor::kInitialSpaces);
    if (size) std::memcpy(buf.data() + kPrefix, data, size);
    return buf;
}

struct Step {
    uint16_t len;   // lengths above the previous step's, up to this, are found dist back
    uint16_t dist;
};

// Hash chains over the window: nearest candidates first, so each longer match found is the nearest of its length.
class MatchFinder {
public:
    // Positions fit 32 bits: a package file is under 2 GB, and the window before it adds 4 KB.
    MatchFinder(const uint8_t* buf, size_t end) : buf_(buf), end_(end), head_(size_t(1) << kHashBits, kNone) {
        std::fill(std::begin(prev_), std::end(prev_), kNone);
    }

    void InsertUpTo(size_t p) {
        for (; inserted_ < p; ++inserted_) {
            if (inserted_ + 2 >= end_) continue;
            const unsigned h = Hash(inserted_);
            prev_[inserted_ & (kWindow - 1)] = head_[h];
            head_[h] = static_cast<uint32_t>(inserted_);
        }
    }

    // Matches at pos no longer than maxLen among the nearest maxChain candidates; fills steps (at most F entries)
    // and returns their count.
    int Find(size_t pos, int maxLen, int maxChain, Step* steps) const {
        if (maxLen < kMinMatch) return 0;
        int best = kMinMatch - 1;
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

private:
    // Bytes that agree at a and b, 2 known, at most maxLen: eight at a time while that many are left (the first
    // differing byte of two little-endian words is in the lowest differing bits).
    static int MatchLength(const uint8_t* a, const uint8_t* b, int maxLen) {
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

void GreedyBlock(MatchFinder& mf, size_t s, size_t e, std::vector<LzhOp>& ops) {
    Step steps[F];
    size_t i = s;
    while (i < e) {
        mf.InsertUpTo(i);
        const int n = mf.Find(i, static_cast<int>(std::min<size_t>(F, e - i)), kGreedyChain, steps);
        if (n > 0) {
            ops.push_back({steps[n - 1].len, steps[n - 1].dist});
            i += steps[n - 1].len;
        } else {
            ops.push_back({1, 0});
            ++i;
        }
    }
}

// Matches of every position of a block, found once and priced as often as wanted.
struct BlockMatches {
    std::vector<Step> steps;
    std::vector<uint32_t> first;  // steps of position i: [first[i], first[i + 1])
};

void FindBlockMatches(MatchFinder& mf, size_t s, size_t e, BlockMatches& bm) {
    bm.steps.clear();
    bm.first.assign(1, 0);
    Step steps[F];
    // Positions inside a long match get no matches of their own: searching there costs more time than the few
    // bytes a parse through them would save.
    size_t searchFrom = s;
    for (size_t i = s; i < e; ++i) {
        if (i >= searchFrom) {
            mf.InsertUpTo(i);
            const int count = mf.Find(i, static_cast<int>(std::min<size_t>(F, e - i)), kOptimalChain, steps);
            bm.steps.insert(bm.steps.end(), steps, steps + count);
            if (count > 0 && steps[count - 1].len >= kNiceLength) searchFrom = i + steps[count - 1].len;
        }
        bm.first.push_back(static_cast<uint32_t>(bm.steps.size()));
    }
}

// Least-cost parse of [s, e) for the given symbol costs (in 1/16 bits).
void CheapestParse(const uint8_t* buf, size_t s, size_t e, const BlockMatches& bm, const uint32_t* symCost,
                   std::vector<LzhOp>& ops) {
    const size_t n = e - s;
    // Cost and last step of the cheapest way found to each position, side by side: one store for a better way.
    struct Way {
        uint32_t cost;
        LzhOp last;
    };
    std::vector<Way> way(n + 1, Way{std::numeric_limits<uint32_t>::max(), {0, 0}});
    way[0].cost = 0;
    for (size_t at = 0; at < n; ++at) {
        const uint32_t c = way[at].cost;
        const uint32_t lit = c + symCost[buf[s + at]];
        if (lit < way[at + 1].cost) way[at + 1] = {lit, {1, 0}};
        Way* to = &way[at];
        int len = kMinMatch;
        for (uint32_t k = bm.first[at]; k < bm.first[at + 1]; ++k) {
            const Step st = bm.steps[k];
            const uint32_t base = c + 16u * static_cast<uint32_t>(PositionBits(st.dist));
            for (; len <= st.len; ++len) {
                const uint32_t cc = base + symCost[len + 253];
                if (cc <= to[len].cost) to[len] = {cc, {static_cast<uint16_t>(len), st.dist}};
            }
        }
    }
    const size_t mark = ops.size();
    for (size_t at = n; at > 0; at -= way[at].last.len) ops.push_back(way[at].last);
    std::reverse(ops.begin() + static_cast<std::ptrdiff_t>(mark), ops.end());
}

// Parse of [s, e): priced first with the model as it stands at the block start, then again (kPricings - 1 times)
// with the model as it would stand after coding the previous parse. Prices from the end of the block are the
// true marginal cost of a symbol in a frequency-counting model (coding one more of it makes all of them
// cheaper), which beats tracking the model's state along the block.
void OptimalBlock(MatchFinder& mf, const uint8_t* buf, size_t s, size_t e, const Model& model,
                  std::vector<LzhOp>& ops) {
    BlockMatches bm;
    FindBlockMatches(mf, s, e, bm);
    uint32_t cost[N_CHAR];
    model.Costs(cost);
    std::vector<LzhOp> parse;
    CheapestParse(buf, s, e, bm, cost, parse);
    for (int pricing = 1; pricing < kPricings; ++pricing) {
        Model after = model;
        size_t at = s;
        for (const LzhOp& op : parse) {
            after.Update(op.len == 1 ? buf[at] : op.len + 253u);
            at += op.len;
        }
        after.Costs(cost);
        parse.clear();
        CheapestParse(buf, s, e, bm, cost, parse);
    }
    ops.insert(ops.end(), parse.begin(), parse.end());
}

// Longest match at pos within [pos, e), nearest first, by looking at every distance (used for short tails only).
LzhOp LongestAt(const uint8_t* buf, size_t pos, size_t e) {
    LzhOp best{1, 0};
    const int maxLen = static_cast<int>(std::min<size_t>(F, e - pos));
    for (size_t d = 1; d <= kWindow && d <= pos; ++d) {
        int len = 0;
        while (len < maxLen && buf[pos - d + len] == buf[pos + len]) ++len;
        if (len >= kMinMatch && len > best.len) best = {static_cast<uint16_t>(len), static_cast<uint16_t>(d)};
    }
    return best;
}

// The parse of the last block cut at cut: a match that crosses it is shortened, or becomes literals.
std::vector<LzhOp> CutAt(const std::vector<LzhOp>& ops, size_t s, size_t cut) {
    std::vector<LzhOp> out;
    size_t at = s;
    for (const LzhOp& op : ops) {
        if (at >= cut) break;
        if (at + op.len <= cut) {
            out.push_back(op);
            at += op.len;
        } else if (cut - at >= size_t(kMinMatch)) {
            out.push_back({static_cast<uint16_t>(cut - at), op.dist});
            at = cut;
        } else {
            for (; at < cut; ++at) out.push_back({1, 0});
        }
    }
    return out;
}

void EncodeOps(Coder& coder, const uint8_t* buf, size_t s, const std::vector<LzhOp>& ops) {
    size_t at = s;
    for (const LzhOp& op : ops) {
        coder.Op(buf + at, op);
        at += op.len;
    }
}

// Finds a parse of the last block [s, e) that does not end in the misread way; coder is reset to start for every
// try. Returns false when none of the tried parses does.
bool MendEnding(Coder& coder, const Coder::Mark& start, const uint8_t* buf, size_t s, size_t e,
                const std::vector<LzhOp>& ops) {
    auto tryOps = [&](const std::vector<LzhOp>& variant) {
        coder.Restore(start);
        EncodeOps(coder, buf, s, variant);
        return !coder.BadEnding();
    };
    // The last match taken from elsewhere with a position code of another length changes only the bit count.
    if (!ops.empty() && ops.back().len >= kMinMatch) {
        const size_t q = e - ops.back().len;
        const int used = PositionBits(ops.back().dist);
        for (size_t d = 1; d <= kWindow && d <= q; ++d) {
            if (PositionBits(static_cast<unsigned>(d)) == used) continue;
            bool same = true;
            for (size_t k = 0; k < ops.back().len && same; ++k) same = buf[q - d + k] == buf[q + k];
            if (!same) continue;
            std::vector<LzhOp> variant = ops;
            variant.back().dist = static_cast<uint16_t>(d);
            if (tryOps(variant)) return true;
        }
    }
    // Otherwise re-parse a growing tail: as literals, then greedily.
    const size_t maxTail = std::min<size_t>(e - s, 512);
    for (size_t t = 1; t <= maxTail; ++t) {
        const std::vector<LzhOp> head = CutAt(ops, s, e - t);
        std::vector<LzhOp> variant = head;
        variant.insert(variant.end(), t, LzhOp{1, 0});
        if (variant.size() != ops.size() || !std::equal(variant.begin(), variant.end(), ops.begin(),
                                                       [](LzhOp a, LzhOp b) { return a.len == b.len; })) {
            if (tryOps(variant)) return true;
        }
        variant = head;
        for (size_t at = e - t; at < e;) {
            const LzhOp op = LongestAt(buf, at, e);
            variant.push_back(op);
            at += op.len;
        }
        if (tryOps(variant)) return true;
    }
    return false;
}

// Codes the last ops of a stream, [s, e), mending the ending when needed. Only about the last kMendTail bytes are
// coded again for each try (MendEnding re-parses at most 512 bytes, plus the match that crosses that point).
void EncodeLast(Coder& coder, const uint8_t* buf, size_t s, size_t e, const std::vector<LzhOp>& ops) {
    constexpr size_t kMendTail = 1024;
    size_t split = 0, at = s, tailStart = s;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (e - at > kMendTail) {
            split = i + 1;
            tailStart = at + ops[i].len;
        }
        at += ops[i].len;
    }
    const std::vector<LzhOp> head(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(split));
    const std::vector<LzhOp> tail(ops.begin() + static_cast<std::ptrdiff_t>(split), ops.end());
    EncodeOps(coder, buf, s, head);
    const Coder::Mark mark = coder.Save();
    EncodeOps(coder, buf, tailStart, tail);
    if (coder.BadEnding() && !MendEnding(coder, mark, buf, tailStart, e, tail))
        throw ELzhEncode("These data cannot be packed: every parse of their end is misread by the decoder");
}

}  // namespace

std::vector<uint8_t> EncodeLzh(const uint8_t* data, size_t size, const LzhEncodeOptions& options) {
    // The match finder keeps 32-bit positions, its largest value meaning "none".
    if (size >= std::numeric_limits<uint32_t>::max() - kPrefix) throw ELzhEncode("These data are too large to pack");
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    const size_t end = buf.size();
    MatchFinder mf(buf.data(), end);
    Coder coder;
    coder.model.Start();
    coder.out.reserve(size / 2 + 16);

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
        EncodeOps(coder, buf.data(), s, ops);
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

std::vector<uint8_t> DecodeLzh(const uint8_t* packed, size_t size) {
    TLZHCompressor lzh;
    lzh.SetReadBufSize(32768);
    lzh.SetWriteBufSize(32768);
    size_t at = 0;
    std::vector<uint8_t> out;
    out.reserve(size * 3);
    lzh.OnGetBytes = [&](TLZHCompressor&, void* dta, uint16_t room, uint16_t& got) {
        const size_t n = std::min<size_t>(room, size - at);
        if (n) std::memcpy(dta, packed + at, n);
        at += n;
        got = static_cast<uint16_t>(n);
    };
    lzh.OnPutBytes = [&](TLZHCompressor&, const void* dta, uint16_t n, uint16_t& put) {
        const auto* p = static_cast<const uint8_t*>(dta);
        out.insert(out.end(), p, p + n);
        put = n;
    };
    lzh.Decompress();
    return out;
}

namespace detail {

std::vector<uint8_t> EncodeOpsRaw(const uint8_t* data, size_t size, const std::vector<LzhOp>& ops) {
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    Coder coder;
    coder.model.Start();
    EncodeOps(coder, buf.data(), kPrefix, ops);
    return coder.Finish();
}

std::vector<uint8_t> EncodeParsed(const uint8_t* data, size_t size, const std::vector<LzhOp>& ops) {
    const std::vector<uint8_t> buf = WithPrefix(data, size);
    Coder coder;
    coder.model.Start();
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
