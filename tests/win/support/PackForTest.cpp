#include "LzhEncoder.h"
#include "WinTestSupport.h"

namespace qs::test {

std::string PackForTest(const std::string& content) {
    const auto packed = qs::pak::EncodeLzh(reinterpret_cast<const uint8_t*>(content.data()), content.size());
    return std::string(packed.begin(), packed.end());
}

}  // namespace qs::test
