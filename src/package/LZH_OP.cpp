#include "package/LZH_OP.h"
#include "package/LzhTree.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "framework/Exceptions.h"

namespace qs {

namespace {

// The decoder's own end-of-data signal; caught by the decoding loop, never seen by a caller.
class ECompress : public Exception {
public:
    ECompress() : Exception("") {}
};

constexpr int kRingAlloc = TLZHCompressor::N + TLZHCompressor::F - 1;  // 4155 bytes
constexpr uint16_t kMinBuf = 16;
constexpr uint16_t kMaxBuf = 32768;

uint16_t ClampBufSize(uint16_t size) { return std::clamp(size, kMinBuf, kMaxBuf); }

// Output blocks per decoding window: at least 32,768 bytes of them, so that moving the history to the front is
// rare even with small blocks.
uint32_t WindowBlocks(uint32_t writeSize) { return (kMaxBuf + writeSize - 1) / writeSize; }
constexpr uint32_t kWindowSlack = 16;  // room behind the window for a match copy's last piece

// Decoding tables of the upper 6 position bits and their code length, indexed by the first 8 code bits.
struct PositionTables {
    uint8_t code[256];
    uint8_t len[256];
};

constexpr PositionTables MakePositionTables() {
    PositionTables t{};
    int upper = 0;
    for (const lzh::PositionRange& r : lzh::kPositionRanges) {
        for (int v = r.from; v <= r.to; ++v) {
            t.code[v] = static_cast<uint8_t>(upper + (v - r.from) / r.per);
            t.len[v] = static_cast<uint8_t>(r.len);
        }
        upper += (r.to - r.from + 1) / r.per;
    }
    return t;
}

constexpr PositionTables kPos = MakePositionTables();
static_assert(kPos.code[255] == 63 && kPos.len[255] == 8 && kPos.code[32] == 1 && kPos.code[79] == 3);

#if defined(__GNUC__)
#define QS_ALWAYS_INLINE __attribute__((always_inline))
#define QS_NOINLINE __attribute__((noinline))
#else
#define QS_ALWAYS_INLINE
#define QS_NOINLINE
#endif

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

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

struct TLZHCompressor::State {
    uint16_t readBufSize = 1024;
    uint16_t writeBufSize = 1024;
    bool finished = true;

    uint8_t ring[kRingAlloc];
    // freq[T] is the sentinel; the entries after it hold 0xFFFF too, so the swap scan may read 8 at a time.
    uint16_t freq[T + 1 + kScanPad];
    uint16_t prnt[T + N_CHAR];
    uint16_t son[T];

    // The first kTopBits levels of the tree as one look-up by the next kTopBits stream bits. A swap that changes
    // son[] of a node the table passes (topAt[] set) makes it stale; it is made again before the next look-up.
    // Near the root swaps are rare, so that is seldom.
    TopEntry top[1 << kTopBits];
    uint8_t topAt[T];
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

    void BuildTop();
    void TopVisit(TopEntry& e, unsigned q, unsigned depth, unsigned prefix);
};

// Fills the entries of the prefixes that pass son[] pair q at the given depth; e.path holds the nodes above.
void TLZHCompressor::State::TopVisit(TopEntry& e, unsigned q, unsigned depth, unsigned prefix) {
    for (unsigned b = 0; b < 2; ++b) {
        const unsigned node = q + b;
        const unsigned at = (prefix << 1) | b;
        topAt[node] = 1;
        e.path[depth] = static_cast<uint16_t>(node);
        const unsigned next = son[node];
        if (next >= unsigned(T) || depth + 1 == unsigned(kTopBits)) {
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
    TopVisit(e, son[R], 0, 0);
    topStale = false;
}

TLZHCompressor::TLZHCompressor(ByteRoute route) : s_(std::make_unique<State>()), route_(route) {}

TLZHCompressor::~TLZHCompressor() = default;

uint16_t TLZHCompressor::ReadBufSize() const { return s_->readBufSize; }
uint16_t TLZHCompressor::WriteBufSize() const { return s_->writeBufSize; }
bool TLZHCompressor::Finished() const { return s_->finished; }

void TLZHCompressor::SetReadBufSize(uint16_t size) {
    if (s_->finished) s_->readBufSize = ClampBufSize(size);
}

void TLZHCompressor::SetWriteBufSize(uint16_t size) {
    if (s_->finished) s_->writeBufSize = ClampBufSize(size);
}

void TLZHCompressor::GetBytes(void* buf, uint16_t count, uint16_t& delivered) {
    State& st = *s_;
    delivered = 0;
    if (count == 0) return;
    if (st.readPos >= st.readCount) {
        uint16_t got = 0;
        if (OnGetBytes) OnGetBytes(*this, st.inBuf.get(), st.runReadSize, got);
        // A source claiming more than the room it was given cannot make us read past the buffer.
        st.readCount = std::min<uint32_t>(got, st.runReadSize);
        st.readPos = 0;
    }
    const uint32_t n = std::min<uint32_t>(count, st.readCount - st.readPos);
    std::memcpy(buf, st.inBuf.get() + st.readPos, n);
    st.readPos += n;
    delivered = static_cast<uint16_t>(n);
}

void TLZHCompressor::PutBytes(const void* bytes, uint16_t count, uint16_t& taken) {
    State& st = *s_;
    const auto* p = static_cast<const uint8_t*>(bytes);
    uint32_t left = count;
    while (left > 0) {
        if (st.writePos == st.runWriteSize) {
            // Full: hand it over before the next byte. If the sink raises, the buffer stays full.
            uint16_t put = 0;
            if (OnPutBytes) OnPutBytes(*this, st.outBuf.get(), st.runWriteSize, put);
            st.writePos = 0;
        }
        const uint32_t n = std::min<uint32_t>(left, st.runWriteSize - st.writePos);
        std::memcpy(st.outBuf.get() + st.writePos, p, n);
        st.writePos += n;
        p += n;
        left -= n;
    }
    taken = count;
}

void TLZHCompressor::StartHuff() {
    State& st = *s_;
    lzh::StartTree(st.freq, st.son, st.prnt);
    st.topStale = true;
}

// Rebuilds the tree with halved frequencies once the root reaches MAX_FREQ.
void TLZHCompressor::Reconst() {
    State& st = *s_;
    lzh::RebuildTree(st.freq, st.son, st.prnt);
    st.topStale = true;
}

template <bool Direct>
void TLZHCompressor::RunLoop() {
    State& st = *s_;
    uint16_t* const freq = st.freq;
    uint16_t* const prnt = st.prnt;
    uint16_t* const son = st.son;
    uint8_t* const ring = st.ring;
    uint8_t* const topAt = st.topAt;
    uint8_t* const in = st.inBuf.get();
    uint8_t* const out = st.outBuf.get();
    const uint32_t readSize = st.runReadSize;
    const uint32_t writeSize = st.runWriteSize;

    // The bit buffer is kept 64 bits wide, left-aligned, zero below the valid bits. Bytes still in the input
    // buffer may be taken early (nobody can tell); the source is asked for more only where a 16-bit buffer
    // refilled a byte at a time would ask, and after the input ended the wide buffer holds exactly what the
    // 16-bit one would, so the end rule sees the same bits.
    uint64_t bits = 0;
    int avail = 0;
    bool exhausted = false;
    uint32_t rp = 0, rc = 0, wp = Direct ? N : 0;

    // The byte a 16-bit buffer refilled a byte at a time would take next: from the input buffer, or through the
    // source when that is used up; -1 when nothing came. Kept out of line and off the bit state.
    auto fetchOneByte = [&]() QS_NOINLINE -> int {
        uint16_t got = 0;
        if constexpr (Direct) {
            if (rp >= rc) {
                if (OnGetBytes) OnGetBytes(*this, in, static_cast<uint16_t>(readSize), got);
                rc = std::min<uint32_t>(got, readSize);
                rp = 0;
            }
            return rp < rc ? in[rp++] : -1;
        } else {
            uint8_t b = 0;
            GetBytes(&b, 1, got);
            return got ? b : -1;
        }
    };
    // Takes whole bytes still in the input buffer into the wide bit buffer; never calls the source.
    auto topUp = [&]() QS_ALWAYS_INLINE {
        if constexpr (Direct) {
            if (!exhausted && rc - rp >= 8) {
                bits |= LoadBigEndian64(in + rp) >> avail;
                const int taken = (63 - avail) >> 3;
                rp += taken;
                avail += taken * 8;
            }
        }
    };
    // At the start of every bit or byte read: top up from the input buffer, then refill like the 16-bit buffer.
    auto refill = [&]() QS_ALWAYS_INLINE {
        topUp();
        if (avail < 8) {
            const int b = fetchOneByte();
            if (b < 0) exhausted = true;
            bits |= uint64_t(b < 0 ? 0 : b) << (56 - avail);
            avail += 8;
        }
    };
    // Direct output goes into one window: N bytes of history, then whole blocks of writeSize, each handed over
    // in place once full and another byte comes. When the window is used up its last N bytes move to the front.
    // A match thus copies within one array and no separate ring is kept.
    uint32_t blockStart = N, blockEnd = N + writeSize;
    const uint32_t windowEnd = N + WindowBlocks(writeSize) * writeSize;
    auto flushOut = [&]() QS_NOINLINE {
        uint16_t put = 0;
        if (OnPutBytes) OnPutBytes(*this, out + blockStart, static_cast<uint16_t>(writeSize), put);
        blockStart = blockEnd;
        if (blockStart == windowEnd) {
            std::memmove(out, out + windowEnd - N, N);
            blockStart = N;
        }
        blockEnd = blockStart + writeSize;
        wp = blockStart;
    };
    auto putByte = [&](uint8_t b) QS_ALWAYS_INLINE {
        if constexpr (Direct) {
            if (wp == blockEnd) flushOut();
            out[wp++] = b;
        } else {
            uint16_t taken = 0;
            PutBytes(&b, 1, taken);
        }
    };

    // The last index above n whose frequency is below k (n + 1 is known to be): frequencies never decrease with
    // the index and the sentinel stops the scan. Such runs of equal frequencies are mostly short.
    auto lastBelow = [&](unsigned n, unsigned k) QS_ALWAYS_INLINE -> unsigned {
        unsigned p = n + 2;
#if defined(__SSE2__)
        const __m128i kv = _mm_set1_epi16(static_cast<short>(k));
        const __m128i zero = _mm_setzero_si128();
        for (;; p += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(freq + p));
            // k - freq saturates to 0 exactly where freq >= k.
            const unsigned notBelow =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(kv, v), zero)));
            if (notBelow) return p + (static_cast<unsigned>(__builtin_ctz(notBelow)) >> 1) - 1;
        }
#else
        while (freq[p] < k) ++p;
        return p - 1;
#endif
    };
    // Swaps node n, just counted up to k, with the last node above it whose frequency is below k; returns that
    // node's index. A swap of a node the top table was built from makes the table stale.
    auto moveUp = [&](unsigned n, unsigned k) QS_ALWAYS_INLINE -> unsigned {
        const unsigned l = lastBelow(n, k);
        lzh::SwapNodes(freq, son, prnt, n, l, k);
        if (topAt[n] | topAt[l]) st.topStale = true;
        return l;
    };
    uint16_t path[T + 8];  // nodes passed while decoding a symbol, depth 1 first; at most N_CHAR - 1 of them

    try {
        unsigned r = N - F;
        for (;;) {
            // DecodeChar: the first levels by one look-up when the bits are at hand, then one bit per level,
            // noting the nodes passed.
            unsigned depth = 0;
            unsigned q = son[R];
            if (avail < 32) topUp();
            if (avail >= kTopBits + 8 && !exhausted) {
                if (st.topStale) st.BuildTop();
                const TopEntry& e = st.top[bits >> (64 - kTopBits)];
                std::memcpy(path, e.path, sizeof e.path);
                depth = e.bits;
                q = e.next;
                bits <<= depth;
                avail -= int(depth);
            }
            if (!exhausted && avail >= 8 + 24) {
                // Enough bits for 24 levels without a refill, and no end check needed before the input ends.
                const unsigned stop = depth + 24;
                uint64_t b = bits;
                while (q < T && depth < stop) {
                    const unsigned node = q + unsigned(b >> 63);
                    path[depth++] = static_cast<uint16_t>(node);
                    q = son[node];
                    b <<= 1;
                }
                avail -= int(depth - (stop - 24));
                bits = b;
            }
            while (q < T) {
                if (avail < 8) refill();
                const unsigned node = q + unsigned(bits >> 63);
                path[depth++] = static_cast<uint16_t>(node);
                q = son[node];
                bits <<= 1;
                --avail;
                if (exhausted && bits == 0) throw ECompress();
            }
            const unsigned c = q - T;

            // UpdateFreq. The nodes to count up are the ones just passed. After a swap the symbol's subtree sits
            // elsewhere; its parents are followed by the links until they meet the path passed again (a swap
            // only moves nodes of lower frequency than the ones above it, so the path above stays as it was).
            if (freq[R] == MAX_FREQ) {
                Reconst();  // the top table is stale after it anyway
                lzh::CountUp(freq, son, prnt, prnt[c + T]);
            } else {
                unsigned j = depth;
                while (j > 0) {
                    unsigned n = path[--j];
                    unsigned k = ++freq[n];
                    if (k <= freq[n + 1]) continue;
                    n = moveUp(n, k);
                    for (;;) {
                        const unsigned p = prnt[n];
                        if (j > 0 && p == path[j - 1]) break;
                        if (p == R) {
                            j = 0;
                            break;
                        }
                        if (j > 0) --j;
                        k = ++freq[p];
                        n = k > freq[p + 1] ? moveUp(p, k) : p;
                    }
                }
                ++freq[R];  // the root never moves
            }

            if (c < 256) {
                putByte(static_cast<uint8_t>(c));
                if constexpr (!Direct) {
                    ring[r] = static_cast<uint8_t>(c);
                    r = (r + 1) & (N - 1);
                }
            } else {
                // DecodePosition: 8 bits, then the rest of the upper part one bit at a time, as one read when the
                // buffer holds enough for every one of those reads to need no refill.
                if (avail < 8) refill();
                unsigned i = unsigned(bits >> 56);
                bits <<= 8;
                avail -= 8;
                const unsigned more = kPos.len[i] - 2u;
                const unsigned upper = kPos.code[i];
                if (avail >= 8 + int(more)) {
                    i = (i << more) | unsigned(bits >> (64 - more));
                    bits <<= more;
                    avail -= int(more);
                } else {
                    for (unsigned m = 0; m < more; ++m) {
                        if (avail < 8) refill();
                        i = (i << 1) | unsigned(bits >> 63);
                        bits <<= 1;
                        --avail;
                    }
                }
                const unsigned pos = (upper << 6) | (i & 63);
                const unsigned len = c - 253;
                if constexpr (Direct) {
                    if (wp + len <= blockEnd) {
                        uint8_t* o = out + wp;
                        const uint8_t* from = o - pos - 1;
                        wp += len;
                        if (pos >= 15) {
                            // 16 at a time: a piece never reads what the same piece writes, and the last one may
                            // run past the match into bytes not yet made (the window has room behind its end).
                            for (unsigned k = 0; k < len; k += 16) std::memcpy(o + k, from + k, 16);
                        } else {
                            for (unsigned k = 0; k < len; ++k) o[k] = from[k];
                        }
                    } else {
                        for (unsigned k = 0; k < len; ++k) putByte(out[wp - pos - 1]);
                    }
                } else {
                    unsigned from = (r - pos - 1) & (N - 1);
                    for (unsigned k = 0; k < len; ++k) {
                        const uint8_t b = ring[from];
                        putByte(b);
                        ring[r] = b;
                        from = (from + 1) & (N - 1);
                        r = (r + 1) & (N - 1);
                    }
                }
            }
            // The end marker: input used up and nothing but its single 1 bit left.
            if (exhausted && bits == (uint64_t(0x8000) << 48)) break;
        }
    } catch (...) {
        // The end signal, a failing source or sink: the run simply ends here.
    }
    if constexpr (Direct) {
        st.outStart = blockStart;
        st.writePos = wp - blockStart;
    }
}

void TLZHCompressor::Decompress() {
    State& st = *s_;
    if (!st.finished) return;
    // Buffers first: an allocation failure then leaves the component idle.
    st.runReadSize = st.readBufSize;
    st.runWriteSize = st.writeBufSize;
    const bool direct = route_ == ByteRoute::Inline;
    st.inBuf.reset(new uint8_t[st.runReadSize]);
    st.outBuf.reset(new uint8_t[direct ? N + WindowBlocks(st.runWriteSize) * st.runWriteSize + kWindowSlack
                                       : st.runWriteSize]);
    st.finished = false;

    auto endRun = [&] {
        st.inBuf.reset();
        st.outBuf.reset();
        st.finished = true;
        if (OnPressFinished) {
            if (ProcessMessages) ProcessMessages();
            OnPressFinished(*this);
        }
    };

    st.readPos = st.readCount = st.writePos = st.outStart = 0;
    std::memset(st.ring, 0, sizeof st.ring);
    std::memset(st.freq, 0, sizeof st.freq);
    std::memset(st.prnt, 0, sizeof st.prnt);
    std::memset(st.son, 0, sizeof st.son);
    StartHuff();
    std::fill(st.freq + T, st.freq + T + 1 + kScanPad, uint16_t(0xFFFF));
    std::memset(st.ring, ' ', kInitialSpaces);

    if (direct) {
        // The window's history as the ring holds it before the first byte: ring[(4036 + k) mod 4096] at k.
        std::memcpy(st.outBuf.get(), st.ring + kInitialSpaces, N - kInitialSpaces);
        std::memcpy(st.outBuf.get() + (N - kInitialSpaces), st.ring, kInitialSpaces);
        RunLoop<true>();
    } else {
        RunLoop<false>();
    }

    try {
        uint16_t put = 0;
        if (OnPutBytes) OnPutBytes(*this, st.outBuf.get() + st.outStart, static_cast<uint16_t>(st.writePos), put);
    } catch (...) {
        endRun();
        throw;
    }
    endRun();
}

}  // namespace qs
