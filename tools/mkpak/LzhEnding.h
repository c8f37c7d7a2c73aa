// The ending repair: the decoder misreads a stream whose last code ends on a byte boundary while the root's
// 1-branch is a leaf, so the end of a parse that would end that way is parsed another way. Portable.
#pragma once
#include <cstddef>
#include <vector>

#include "LzhBitCoder.h"

namespace qs::pak::lzhenc {

// Codes the last ops of a stream, [s, e) of buf, mending the ending when needed. Raises ELzhEncode when no tried
// parse of the end decodes right.
void EncodeLast(Coder& coder, const uint8_t* buf, size_t s, size_t e, const std::vector<detail::LzhOp>& ops);

}  // namespace qs::pak::lzhenc
