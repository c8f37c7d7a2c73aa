// The file layer's seam for a drive that fills up. Both back ends' WriteSome ask how much of a write of n bytes
// may go through and report what was written. The program links WriteLimit.cpp, which lets every byte through;
// a test program that needs a full drive defines both functions in one of its own sources instead, and the linker
// then never takes WriteLimit.cpp from the library, so the test's budget is not part of Setup.exe.
#pragma once
#include <cstdint>

namespace qs::detail {

uint32_t WriteLimitAllows(uint32_t n);
void WriteLimitSpent(uint32_t n);

}  // namespace qs::detail
