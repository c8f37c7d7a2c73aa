// The encoder's bit coder: symbols coded from the model (which each one then updates), position codes, and the
// end marker. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "LzhOps.h"
#include "LzhModel.h"

namespace qs::pak::lzhenc {

// Model plus the bits written so far; copied whole to try another ending.
class Coder {
public:
    Model model;

    Coder() { model.Start(); }

    void Put(uint32_t value, int len);  // len <= 32
    void Symbol(unsigned c);
    // One parse step; at points at the bytes it covers.
    void Op(const uint8_t* at, detail::LzhOp op);
    // Every op of a parse of the bytes from buf + s on.
    void Ops(const uint8_t* buf, size_t s, const std::vector<detail::LzhOp>& ops);

    // The stream would end in the way the decoder misreads if it ended here.
    bool BadEnding() const { return pending_ == 0 && model.RootOneBranchIsLeaf(); }

    // Where a block starts, to code it again another way.
    struct Mark {
        Model model;
        size_t outSize;
        uint64_t acc;
        int pending;
    };
    Mark Save() const { return {model, out_.size(), acc_, pending_}; }
    void Restore(const Mark& m);

    void Reserve(size_t bytes) { out_.reserve(bytes); }
    // The end marker (a 1 bit, then 0 bits to the byte end) and the stream.
    std::vector<uint8_t> Finish();

private:
    std::vector<uint8_t> out_;
    uint64_t acc_ = 0;  // pending bits, right-aligned
    int pending_ = 0;   // 0..7 between calls
};

}  // namespace qs::pak::lzhenc
