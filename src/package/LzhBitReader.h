// The decoder's bit reader. It reads the stream as the LZHUF decoder's 16-bit bit buffer, refilled a byte at a
// time, would, but keeps 64 bits at hand so that most codes need no refill. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qs::lzh {

#if defined(__GNUC__)
#define QS_LZH_INLINE inline __attribute__((always_inline))
#define QS_LZH_NOINLINE __attribute__((noinline))
#else
#define QS_LZH_INLINE inline
#define QS_LZH_NOINLINE
#endif

// A read refills first when fewer bits than this are held, where the 16-bit buffer would.
constexpr int kRefillBelow = 8;

// What the buffer holds once the input ended and only the end marker's single 1 bit is left.
constexpr uint64_t kEndMarkerBits = uint64_t(1) << 63;

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

// Source supplies the packed bytes:
//   int FetchByte();                 the next byte, or -1 when the input ended (may ask the caller's source)
//   size_t Buffered() const;         bytes it holds already and may hand out without asking anyone
//   const uint8_t* Next() const;     where they are
//   void Skip(size_t n);             takes n of them
// The buffer is left-aligned and zero below the valid bits. Bytes the source holds already may be taken early
// (nobody can tell); the source is asked for more only where the 16-bit buffer would ask, and after the input
// ended the buffer holds exactly what the 16-bit one would, so the end rules see the same bits.
template <class Source>
class BitReader {
public:
    explicit BitReader(Source& source) : source_(source) {}
    BitReader(const BitReader&) = delete;
    BitReader& operator=(const BitReader&) = delete;

    int Avail() const { return avail_; }
    bool InputEnded() const { return ended_; }
    uint64_t Bits() const { return bits_; }
    // The next n (1..32) bits, not taken.
    unsigned Peek(int n) const { return unsigned(bits_ >> (64 - n)); }
    void Drop(int n) {
        bits_ <<= n;
        avail_ -= n;
    }
    // Puts back what a caller read from a copy of Bits(): the bits left and how many it took.
    void Set(uint64_t bits, int taken) {
        bits_ = bits;
        avail_ -= taken;
    }

    // Takes whole bytes the source holds already; never asks it for more.
    QS_LZH_INLINE void TopUp() {
        if (!ended_ && source_.Buffered() >= 8) {
            bits_ |= LoadBigEndian64(source_.Next()) >> avail_;
            const int taken = (63 - avail_) >> 3;
            source_.Skip(size_t(taken));
            avail_ += taken * 8;
        }
    }

    // At the start of every bit or byte read: top up, then refill like the 16-bit buffer.
    QS_LZH_INLINE void Refill() {
        TopUp();
        if (avail_ < kRefillBelow) {
            const int b = source_.FetchByte();
            if (b < 0) ended_ = true;
            bits_ |= uint64_t(b < 0 ? 0 : b) << (56 - avail_);
            avail_ += 8;
        }
    }

    // One bit, refilling first when needed.
    QS_LZH_INLINE unsigned Bit() {
        if (avail_ < kRefillBelow) Refill();
        const unsigned b = unsigned(bits_ >> 63);
        Drop(1);
        return b;
    }

    // The next 8 bits as one number, refilling first when needed.
    QS_LZH_INLINE unsigned Bits8() {
        if (avail_ < kRefillBelow) Refill();
        const unsigned v = Peek(8);
        Drop(8);
        return v;
    }

    // The input ended and nothing is left: a symbol cannot be finished.
    bool OutOfBits() const { return ended_ && bits_ == 0; }
    // The input ended and only the end marker is left: the stream is complete.
    bool AtEndMarker() const { return ended_ && bits_ == kEndMarkerBits; }

private:
    Source& source_;
    uint64_t bits_ = 0;
    int avail_ = 0;
    bool ended_ = false;
};

}  // namespace qs::lzh
