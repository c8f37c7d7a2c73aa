// The test programs' side of the file layer's write seam (base/WriteLimit.h): linked into every Windows-side
// test program as an object, so the linker never takes the program's unlimited seam from the library.
#include "WriteBudget.h"

#include "base/WriteLimit.h"

namespace {
int64_t g_writeBudget = -1;
}

namespace qs::test {
void SetWriteBudgetForTesting(int64_t bytes) { g_writeBudget = bytes; }
}  // namespace qs::test

namespace qs::detail {

uint32_t WriteLimitAllows(uint32_t n) { return g_writeBudget >= 0 && n > g_writeBudget ? uint32_t(g_writeBudget) : n; }

void WriteLimitSpent(uint32_t n) {
    if (g_writeBudget >= 0) g_writeBudget -= n;
}

}  // namespace qs::detail
