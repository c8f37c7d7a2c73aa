// Where the decoder's bytes go: literals and match copies out of the last 4,096 bytes. Two kinds with the same
// two operations, Put(byte) and CopyMatch(pos, len): a window that keeps the history in its own output buffer,
// and a ring that hands every byte to a sink one at a time. Portable.
#pragma once
#include <cstdint>
#include <cstring>

#include "package/LzhBitReader.h"
#include "package/LzhFormat.h"

namespace qs::lzh {


// Room behind the window for a match copy's last piece.
constexpr uint32_t kWindowSlack = 16;

// Output blocks per window: at least 32,768 bytes of them, so that moving the history to the front is rare even
// with small blocks.
inline uint32_t WindowBlocks(uint32_t blockSize) { return (32768 + blockSize - 1) / blockSize; }

// Bytes a window's buffer needs for blocks of blockSize.
inline uint32_t WindowBufferSize(uint32_t blockSize) {
    return kWindowSize + WindowBlocks(blockSize) * blockSize + kWindowSlack;
}

// The output buffer is one window: the window's 4,096 bytes of history, then whole blocks of blockSize, each handed to
// the sink in place once full and another byte comes. When the window is used up its last the window's 4,096 bytes move to
// the front. A match thus copies within one array and no separate ring is kept.
// Sink: void Hand(const uint8_t* block, uint32_t count) (out of line).
template <class Sink>
class OutputWindow {
public:
    // buffer holds WindowBufferSize(blockSize) bytes, its first 4,096 the history before the first byte.
    OutputWindow(Sink& sink, uint8_t* buffer, uint32_t blockSize)
        : sink_(sink),
          out_(buffer),
          blockSize_(blockSize),
          windowEnd_(kWindowSize + WindowBlocks(blockSize) * blockSize),
          blockEnd_(kWindowSize + blockSize) {}
    OutputWindow(const OutputWindow&) = delete;
    OutputWindow& operator=(const OutputWindow&) = delete;

    QS_LZH_INLINE void Put(uint8_t b) {
        if (wp_ == blockEnd_) HandBlock();
        out_[wp_++] = b;
    }

    // Copies len bytes from pos + 1 bytes back.
    QS_LZH_INLINE void CopyMatch(unsigned pos, unsigned len) {
        if (wp_ + len > blockEnd_) {
            for (unsigned k = 0; k < len; ++k) Put(out_[wp_ - pos - 1]);
            return;
        }
        uint8_t* o = out_ + wp_;
        const uint8_t* from = o - pos - 1;
        wp_ += len;
        if (pos >= 15) {
            // 16 at a time: a piece never reads what the same piece writes, and the last one may run past the
            // match into bytes not yet made (the window has room behind its end).
            for (unsigned k = 0; k < len; k += 16) std::memcpy(o + k, from + k, 16);
        } else {
            for (unsigned k = 0; k < len; ++k) o[k] = from[k];
        }
    }

    // The block not yet handed over: where it starts in the buffer and how many bytes it holds.
    uint32_t PendingStart() const { return blockStart_; }
    uint32_t PendingCount() const { return wp_ - blockStart_; }

private:
    QS_LZH_NOINLINE void HandBlock() {
        sink_.Hand(out_ + blockStart_, blockSize_);
        blockStart_ = blockEnd_;
        if (blockStart_ == windowEnd_) {
            std::memmove(out_, out_ + windowEnd_ - kWindowSize, kWindowSize);
            blockStart_ = kWindowSize;
        }
        blockEnd_ = blockStart_ + blockSize_;
        wp_ = blockStart_;
    }

    Sink& sink_;
    uint8_t* const out_;
    const uint32_t blockSize_;
    const uint32_t windowEnd_;
    uint32_t blockStart_ = kWindowSize;
    uint32_t blockEnd_;
    uint32_t wp_ = kWindowSize;
};

// The history as a ring of the window's 4,096 bytes, every byte handed to the sink on its own.
// Sink: void PutByte(uint8_t b).
template <class Sink>
class OutputRing {
public:
    // ring holds the window's 4,096 bytes of history; writing starts at start.
    OutputRing(Sink& sink, uint8_t* ring, unsigned start) : sink_(sink), ring_(ring), r_(start) {}
    OutputRing(const OutputRing&) = delete;
    OutputRing& operator=(const OutputRing&) = delete;

    void Put(uint8_t b) {
        sink_.PutByte(b);
        ring_[r_] = b;
        r_ = (r_ + 1) & (kWindowSize - 1);
    }

    void CopyMatch(unsigned pos, unsigned len) {
        unsigned from = (r_ - pos - 1) & (kWindowSize - 1);
        for (unsigned k = 0; k < len; ++k) {
            Put(ring_[from]);
            from = (from + 1) & (kWindowSize - 1);
        }
    }

private:
    Sink& sink_;
    uint8_t* const ring_;
    unsigned r_;
};

}  // namespace qs::lzh
