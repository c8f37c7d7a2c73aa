// The program's side of the write seam: no limit. Nothing else may live in this file, or a test program that
// defines the seam itself would link both.
#include "base/WriteLimit.h"

namespace qs::detail {

uint32_t WriteLimitAllows(uint32_t n) { return n; }
void WriteLimitSpent(uint32_t) {}

}  // namespace qs::detail
