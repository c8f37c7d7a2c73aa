#include "LzhEnding.h"

#include <algorithm>

#include "LzhEncoder.h"

namespace qs::pak::lzhenc {

using detail::LzhOp;

namespace {

// Longest match at pos within [pos, e), nearest first, by looking at every distance (used for short tails only).
LzhOp LongestAt(const uint8_t* buf, size_t pos, size_t e) {
    LzhOp best{1, 0};
    const int maxLen = static_cast<int>(std::min<size_t>(kLongestMatch, e - pos));
    for (size_t d = 1; d <= kWindow && d <= pos; ++d) {
        int len = 0;
        while (len < maxLen && buf[pos - d + len] == buf[pos + len]) ++len;
        if (len >= kShortestMatch && len > best.len) best = {static_cast<uint16_t>(len), static_cast<uint16_t>(d)};
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
        } else if (cut - at >= size_t(kShortestMatch)) {
            out.push_back({static_cast<uint16_t>(cut - at), op.dist});
            at = cut;
        } else {
            for (; at < cut; ++at) out.push_back({1, 0});
        }
    }
    return out;
}

// Finds a parse of the last block [s, e) that does not end in the misread way; coder is reset to start for every
// try. Returns false when none of the tried parses does.
bool MendEnding(Coder& coder, const Coder::Mark& start, const uint8_t* buf, size_t s, size_t e,
                const std::vector<LzhOp>& ops) {
    auto tryOps = [&](const std::vector<LzhOp>& variant) {
        coder.Restore(start);
        coder.Ops(buf, s, variant);
        return !coder.BadEnding();
    };
    // The last match taken from elsewhere with a position code of another length changes only the bit count.
    if (!ops.empty() && ops.back().len >= kShortestMatch) {
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

}  // namespace

// Only about the last kMendTail bytes are coded again for each try (MendEnding re-parses at most 512 bytes, plus
// the match that crosses that point).
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
    coder.Ops(buf, s, head);
    const Coder::Mark mark = coder.Save();
    coder.Ops(buf, tailStart, tail);
    if (coder.BadEnding() && !MendEnding(coder, mark, buf, tailStart, e, tail))
        throw ELzhEncode("These data cannot be packed: every parse of their end is misread by the decoder");
}

}  // namespace qs::pak::lzhenc
