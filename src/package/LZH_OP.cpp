#include "package/LZH_OP.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Exceptions.h"
#include "package/LzhBitReader.h"
#include "package/LzhDecoderState.h"
#include "package/LzhOutputWindow.h"
#include "package/LzhTree.h"

namespace qs {

using namespace lzh::decoder;

namespace {

// The decoder's own end-of-data signal; caught by the decoding loop, never seen by a caller.
class ECompress : public Exception {
public:
    ECompress() : Exception("") {}
};

constexpr uint16_t kMinBuf = 16;
constexpr uint16_t kMaxBuf = 32768;

uint16_t ClampBufSize(uint16_t size) { return std::clamp(size, kMinBuf, kMaxBuf); }

// A symbol's decoding tops the bit buffer up first when it holds fewer bits than this.
constexpr int kTopUpBelow = 32;
// Tree levels passed in one stretch, without a refill, while the buffer holds enough bits for all of them.
constexpr int kBulkLevels = 24;

}  // namespace

// The byte sources and sinks: inline through the events and the run's own buffers, or one byte at a time
// through the virtual GetBytes and PutBytes.
struct TLZHCompressor::Routes {
    class InlineSource {
    public:
        InlineSource(TLZHCompressor& owner, uint8_t* buf, uint32_t size) : owner_(owner), buf_(buf), size_(size) {}
        size_t Buffered() const { return rc_ - rp_; }
        const uint8_t* Next() const { return buf_ + rp_; }
        void Skip(size_t n) { rp_ += uint32_t(n); }
        // Kept out of line and off the bit reader's state.
        QS_LZH_NOINLINE int FetchByte() {
            if (rp_ >= rc_) {
                uint16_t got = 0;
                if (owner_.OnGetBytes) owner_.OnGetBytes(owner_, buf_, static_cast<uint16_t>(size_), got);
                // A source claiming more than the room it was given cannot make us read past the buffer.
                rc_ = std::min<uint32_t>(got, size_);
                rp_ = 0;
            }
            return rp_ < rc_ ? buf_[rp_++] : -1;
        }

    private:
        TLZHCompressor& owner_;
        uint8_t* const buf_;
        const uint32_t size_;
        uint32_t rp_ = 0, rc_ = 0;
    };

    class OverrideSource {
    public:
        explicit OverrideSource(TLZHCompressor& owner) : owner_(owner) {}
        static constexpr size_t Buffered() { return 0; }
        static constexpr const uint8_t* Next() { return nullptr; }
        static void Skip(size_t) {}
        QS_LZH_NOINLINE int FetchByte() {
            uint8_t b = 0;
            uint16_t got = 0;
            owner_.GetBytes(&b, 1, got);
            return got ? b : -1;
        }

    private:
        TLZHCompressor& owner_;
    };

    class InlineSink {
    public:
        explicit InlineSink(TLZHCompressor& owner) : owner_(owner) {}
        void Hand(const uint8_t* block, uint32_t count) {
            uint16_t put = 0;
            if (owner_.OnPutBytes) owner_.OnPutBytes(owner_, block, static_cast<uint16_t>(count), put);
        }

    private:
        TLZHCompressor& owner_;
    };

    class OverrideSink {
    public:
        explicit OverrideSink(TLZHCompressor& owner) : owner_(owner) {}
        void PutByte(uint8_t b) {
            uint16_t taken = 0;
            owner_.PutBytes(&b, 1, taken);
        }

    private:
        TLZHCompressor& owner_;
    };
};

// The last index above n whose frequency is below k (n + 1 is known to be): frequencies never decrease with the
// index and the sentinel stops the scan. Such runs of equal frequencies are mostly short.
QS_LZH_INLINE unsigned TLZHCompressor::State::LastBelow(unsigned n, unsigned k) const {
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
}

// Swaps node n, just counted up to k, with the last node above it whose frequency is below k; returns that
// node's index. A swap of a node the top table was built from makes the table stale.
QS_LZH_INLINE unsigned TLZHCompressor::State::MoveUp(unsigned n, unsigned k) {
    const unsigned l = LastBelow(n, k);
    lzh::SwapNodes(freq, son, prnt, n, l, k);
    if (topAt[n] | topAt[l]) topStale = true;
    return l;
}

// One symbol: the first levels by one look-up when the bits are at hand, then one bit per level, noting the
// nodes passed in path (depth of them).
template <class Input>
QS_LZH_INLINE unsigned TLZHCompressor::State::DecodeChar(Input& in, uint16_t* path, unsigned& depth) {
    depth = 0;
    unsigned q = son[lzh::kRootNode];
    if (in.Avail() < kTopUpBelow) in.TopUp();
    if (in.Avail() >= kTopBits + lzh::kRefillBelow && !in.InputEnded()) {
        if (topStale) BuildTop();
        const TopEntry& e = top[in.Peek(kTopBits)];
        std::memcpy(path, e.path, sizeof e.path);
        depth = e.bits;
        q = e.next;
        in.Drop(int(depth));
    }
    if (!in.InputEnded() && in.Avail() >= lzh::kRefillBelow + kBulkLevels) {
        // No refill and no end check needed for these levels.
        const unsigned stop = depth + kBulkLevels;
        uint64_t b = in.Bits();
        while (q < lzh::kTreeNodes && depth < stop) {
            const unsigned node = q + unsigned(b >> 63);
            path[depth++] = static_cast<uint16_t>(node);
            q = son[node];
            b <<= 1;
        }
        in.Set(b, int(depth - (stop - kBulkLevels)));
    }
    while (q < lzh::kTreeNodes) {
        const unsigned node = q + in.Bit();
        path[depth++] = static_cast<uint16_t>(node);
        q = son[node];
        if (in.OutOfBits()) throw ECompress();
    }
    return q - lzh::kTreeNodes;
}

// Counts symbol c up. The nodes to count up are the ones just passed. After a swap the symbol's subtree sits
// elsewhere; its parents are followed by the links until they meet the path passed again (a swap only moves
// nodes of lower frequency than the ones above it, so the path above stays as it was).
QS_LZH_INLINE void TLZHCompressor::State::UpdateFreq(unsigned c, const uint16_t* path, unsigned depth) {
    if (freq[lzh::kRootNode] == lzh::kMaxFrequency) {
        lzh::RebuildTree(freq, son, prnt);
        topStale = true;
        lzh::CountUp(freq, son, prnt, prnt[c + lzh::kTreeNodes]);
        return;
    }
    unsigned j = depth;
    while (j > 0) {
        unsigned n = path[--j];
        unsigned k = ++freq[n];
        if (k <= freq[n + 1]) continue;
        n = MoveUp(n, k);
        for (;;) {
            const unsigned p = prnt[n];
            if (j > 0 && p == path[j - 1]) break;
            if (p == lzh::kRootNode) {
                j = 0;
                break;
            }
            if (j > 0) --j;
            k = ++freq[p];
            n = k > freq[p + 1] ? MoveUp(p, k) : p;
        }
    }
    ++freq[lzh::kRootNode];  // the root never moves
}

// A match's position: 8 bits, then the rest of the upper part, as one read when the buffer holds enough for
// every one of those reads to need no refill, else one bit at a time.
template <class Input>
QS_LZH_INLINE unsigned TLZHCompressor::State::DecodePosition(Input& in) {
    unsigned i = in.Bits8();
    const unsigned more = lzh::kPositionTables.upperLen[i] - 2u;
    const unsigned upper = lzh::kPositionTables.upper[i];
    if (in.Avail() >= lzh::kRefillBelow + int(more)) {
        i = (i << more) | in.Peek(int(more));
        in.Drop(int(more));
    } else {
        for (unsigned m = 0; m < more; ++m) i = (i << 1) | in.Bit();
    }
    return (upper << 6) | (i & 63);
}

template <class Input, class Output>
void TLZHCompressor::State::Run(Input& in, Output& out) {
    uint16_t path[lzh::kTreeNodes + 8];  // nodes passed while decoding a symbol, depth 1 first; at most N_CHAR - 1 of them
    try {
        for (;;) {
            unsigned depth = 0;
            const unsigned c = DecodeChar(in, path, depth);
            UpdateFreq(c, path, depth);
            if (c < 256) {
                out.Put(static_cast<uint8_t>(c));
            } else {
                const unsigned pos = DecodePosition(in);
                out.CopyMatch(pos, c - lzh::kMatchSymbolOffset);
            }
            if (in.AtEndMarker()) break;
        }
    } catch (...) {
        // The end signal, a failing source or sink: the run simply ends here.
    }
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

void TLZHCompressor::Decompress() {
    State& st = *s_;
    if (!st.finished) return;
    // Buffers first: an allocation failure then leaves the component idle.
    st.runReadSize = st.readBufSize;
    st.runWriteSize = st.writeBufSize;
    const bool direct = route_ == ByteRoute::Inline;
    st.inBuf.reset(new uint8_t[st.runReadSize]);
    st.outBuf.reset(new uint8_t[direct ? lzh::WindowBufferSize(st.runWriteSize) : st.runWriteSize]);
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
    st.StartModel();

    if (direct) {
        // The window's history as the ring holds it before the first byte: ring[(4036 + k) mod 4096] at k.
        std::memcpy(st.outBuf.get(), st.ring + lzh::kInitialSpaces, lzh::kWindowSize - lzh::kInitialSpaces);
        std::memcpy(st.outBuf.get() + (lzh::kWindowSize - lzh::kInitialSpaces), st.ring, lzh::kInitialSpaces);
        Routes::InlineSource source(*this, st.inBuf.get(), st.runReadSize);
        Routes::InlineSink sink(*this);
        lzh::BitReader<Routes::InlineSource> in(source);
        lzh::OutputWindow<Routes::InlineSink> out(sink, st.outBuf.get(), st.runWriteSize);
        st.Run(in, out);
        st.outStart = out.PendingStart();
        st.writePos = out.PendingCount();
    } else {
        Routes::OverrideSource source(*this);
        Routes::OverrideSink sink(*this);
        lzh::BitReader<Routes::OverrideSource> in(source);
        lzh::OutputRing<Routes::OverrideSink> out(sink, st.ring, lzh::kWindowSize - lzh::kLongestMatch);
        st.Run(in, out);
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
