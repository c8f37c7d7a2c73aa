// The encoder's own vocabulary, below its public interface (LzhEncoder.h): one parse step, and the coding of a
// given parse, which the tests use to make streams of a chosen shape. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qs::pak {

namespace detail {
// One parse step: len 1 is the literal data[at]; len 3..60 is a match dist (1..4096) bytes back.
struct LzhOp {
    uint16_t len;
    uint16_t dist;
};
// Codes a given parse without any care for the ending; for tests that need the misread ending on purpose.
std::vector<uint8_t> EncodeOpsRaw(const uint8_t* data, size_t size, const std::vector<LzhOp>& ops);
// Codes a given parse as EncodeLzh does, parsing its tail another way when it would end in the misread way.
std::vector<uint8_t> EncodeParsed(const uint8_t* data, size_t size, const std::vector<LzhOp>& ops);
// The greedy parse EncodeLzh would start from.
std::vector<LzhOp> GreedyParse(const uint8_t* data, size_t size);
}  // namespace detail

}  // namespace qs::pak
