// A drive that fills up, for the Windows-side suites (no size-limited drive can be mounted under Wine): a process-wide
// budget of bytes that BinFile writes may still take. Writes beyond it come out short, as on a full disk.
// Defined in WriteBudget.cpp, which takes the place of the program's unlimited write seam in the test programs.
#pragma once
#include <cstdint>

namespace qs::test {

// Negative, the default, means no limit.
void SetWriteBudgetForTesting(int64_t bytes);

}  // namespace qs::test
