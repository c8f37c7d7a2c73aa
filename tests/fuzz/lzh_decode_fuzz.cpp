// libFuzzer entry for LzhDecodeOne (see FuzzTargets.h).
#include <cstdio>
#include <cstdlib>

#define QS_FUZZ_FAIL(what) (std::fprintf(stderr, "%s\n", what), std::abort())
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qs::fuzz::LzhDecodeOne(data, size);
    return 0;
}
