#include "LzhBitCoder.h"

namespace qs::pak::lzhenc {

void Coder::Put(uint32_t value, int len) {
    acc_ = (acc_ << len) | value;
    pending_ += len;
    while (pending_ >= 8) {
        pending_ -= 8;
        out_.push_back(static_cast<uint8_t>(acc_ >> pending_));
    }
    acc_ &= (uint64_t(1) << pending_) - 1;
}

void Coder::Symbol(unsigned c) {
    uint64_t code = 0;
    int len = 0;
    unsigned k = model.prnt[c + kTreeNodes];
    do {
        code |= uint64_t(k & 1) << len;
        ++len;
        k = model.prnt[k];
    } while (k != unsigned(kRootNode));
    if (len > 32) {
        Put(static_cast<uint32_t>(code >> 32), len - 32);
        Put(static_cast<uint32_t>(code), 32);
    } else {
        Put(static_cast<uint32_t>(code), len);
    }
    model.Update(c);
}

void Coder::Op(const uint8_t* at, detail::LzhOp op) {
    if (op.len == 1) {
        Symbol(*at);
    } else {
        Symbol(MatchSymbol(op.len));
        const unsigned p = op.dist - 1u;
        Put(lzh::kPositionTables.code[p >> 6], lzh::kPositionTables.codeLen[p >> 6]);
        Put(p & 63, 6);
    }
}

void Coder::Ops(const uint8_t* buf, size_t s, const std::vector<detail::LzhOp>& ops) {
    size_t at = s;
    for (const detail::LzhOp& op : ops) {
        Op(buf + at, op);
        at += op.len;
    }
}

void Coder::Restore(const Mark& m) {
    model = m.model;
    out_.resize(m.outSize);
    acc_ = m.acc;
    pending_ = m.pending;
}

std::vector<uint8_t> Coder::Finish() {
    Put(1, 1);
    if (pending_ > 0) Put(0, 8 - pending_);
    return std::move(out_);
}

}  // namespace qs::pak::lzhenc
