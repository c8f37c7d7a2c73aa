// Test data shared by the host tests of the packing and unpacking code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace qs::test {

// n bytes below range from a fixed seed: the same bytes on every run and every machine (mt19937 is specified).
inline std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed, int range = 256) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng() % range);
    return b;
}

}  // namespace qs::test
