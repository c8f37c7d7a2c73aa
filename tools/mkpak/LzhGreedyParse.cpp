#include <algorithm>

#include "LzhParse.h"

namespace qs::pak::lzhenc {

namespace {
constexpr int kGreedyChain = 96;  // candidates the greedy parse looks at per position
}

void GreedyBlock(MatchFinder& mf, size_t s, size_t e, std::vector<detail::LzhOp>& ops) {
    Step steps[kLongestMatch];
    size_t i = s;
    while (i < e) {
        mf.InsertUpTo(i);
        const int n = mf.Find(i, static_cast<int>(std::min<size_t>(kLongestMatch, e - i)), kGreedyChain, steps);
        if (n > 0) {
            ops.push_back({steps[n - 1].len, steps[n - 1].dist});
            i += steps[n - 1].len;
        } else {
            ops.push_back({1, 0});
            ++i;
        }
    }
}

}  // namespace qs::pak::lzhenc
