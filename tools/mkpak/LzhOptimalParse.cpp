#include <algorithm>
#include <limits>

#include "LzhParse.h"

namespace qs::pak::lzhenc {

using detail::LzhOp;

namespace {

constexpr int kOptimalChain = 256;  // candidates per position: a nearer match of each length saves position bits
constexpr int kPricings = 2;        // least-cost parses of a block, each priced from the one before
constexpr int kNiceLength = 40;     // a match this long is taken as found: no search inside it

// Matches of every position of a block, found once and priced as often as wanted.
struct BlockMatches {
    std::vector<Step> steps;
    std::vector<uint32_t> first;  // steps of position i: [first[i], first[i + 1])
};

void FindBlockMatches(MatchFinder& mf, size_t s, size_t e, BlockMatches& bm) {
    bm.steps.clear();
    bm.first.assign(1, 0);
    Step steps[kLongestMatch];
    // Positions inside a long match get no matches of their own: searching there costs more time than the few
    // bytes a parse through them would save.
    size_t searchFrom = s;
    for (size_t i = s; i < e; ++i) {
        if (i >= searchFrom) {
            mf.InsertUpTo(i);
            const int count = mf.Find(i, static_cast<int>(std::min<size_t>(kLongestMatch, e - i)), kOptimalChain, steps);
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
        int len = kShortestMatch;
        for (uint32_t k = bm.first[at]; k < bm.first[at + 1]; ++k) {
            const Step st = bm.steps[k];
            const uint32_t base = c + 16u * static_cast<uint32_t>(PositionBits(st.dist));
            for (; len <= st.len; ++len) {
                const uint32_t cc = base + symCost[MatchSymbol(unsigned(len))];
                if (cc <= to[len].cost) to[len] = {cc, {static_cast<uint16_t>(len), st.dist}};
            }
        }
    }
    const size_t mark = ops.size();
    for (size_t at = n; at > 0; at -= way[at].last.len) ops.push_back(way[at].last);
    std::reverse(ops.begin() + static_cast<std::ptrdiff_t>(mark), ops.end());
}

}  // namespace

// Priced first with the model as it stands at the block start, then again (kPricings - 1 times) with the model as
// it would stand after coding the previous parse. Prices from the end of the block are the true marginal cost of
// a symbol in a frequency-counting model (coding one more of it makes all of them cheaper), which beats tracking
// the model's state along the block.
void OptimalBlock(MatchFinder& mf, const uint8_t* buf, size_t s, size_t e, const Model& model,
                  std::vector<LzhOp>& ops) {
    BlockMatches bm;
    FindBlockMatches(mf, s, e, bm);
    uint32_t cost[kSymbolCount];
    model.Costs(cost);
    std::vector<LzhOp> parse;
    CheapestParse(buf, s, e, bm, cost, parse);
    for (int pricing = 1; pricing < kPricings; ++pricing) {
        Model after = model;
        size_t at = s;
        for (const LzhOp& op : parse) {
            after.Update(op.len == 1 ? buf[at] : MatchSymbol(op.len));
            at += op.len;
        }
        after.Costs(cost);
        parse.clear();
        CheapestParse(buf, s, e, bm, cost, parse);
    }
    ops.insert(ops.end(), parse.begin(), parse.end());
}

}  // namespace qs::pak::lzhenc
