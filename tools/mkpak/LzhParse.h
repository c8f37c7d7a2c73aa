// The encoder's two ways of cutting a block of input into literals and matches. Portable.
#pragma once
#include <cstddef>
#include <vector>

#include "LzhOps.h"
#include "LzhMatchFinder.h"
#include "LzhModel.h"

namespace qs::pak::lzhenc {

constexpr size_t kGreedyBlock = 8192;  // the greedy parse looks no further than this (the benchmark's yardstick)
constexpr size_t kBlock = 32768;       // bytes of the chosen parse priced with one set of cost estimates

// Appends the greedy parse of [s, e) to ops: the longest (then nearest) match at each position.
void GreedyBlock(MatchFinder& mf, size_t s, size_t e, std::vector<detail::LzhOp>& ops);

// Appends the least-cost parse of [s, e) to ops, priced from model as it stands at s and as the parse leaves it.
void OptimalBlock(MatchFinder& mf, const uint8_t* buf, size_t s, size_t e, const Model& model,
                  std::vector<detail::LzhOp>& ops);

}  // namespace qs::pak::lzhenc
