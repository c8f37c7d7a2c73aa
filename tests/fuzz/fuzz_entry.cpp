// libFuzzer entry: compiled once per target, QS_FUZZ_TARGET naming the check of FuzzTargets.h it runs.
#include <cstdio>
#include <cstdlib>

#define QS_FUZZ_FAIL(what) (std::fprintf(stderr, "%s\n", what), std::abort())
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qs::fuzz::QS_FUZZ_TARGET(data, size);
    return 0;
}
