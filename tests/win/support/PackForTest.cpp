#include "LzhEncoder.h"
#include "WinTestSupport.h"

namespace qs::test {

std::string PackForTest(const std::string& content) {
    const auto packed = qs::pak::EncodeLzh(reinterpret_cast<const uint8_t*>(content.data()), content.size());
    return std::string(packed.begin(), packed.end());
}

RawPakEntry PackRawEntry(const std::string& name, const std::string& content, uint32_t dosTime) {
    RawPakEntry e;
    e.FileName = name;
    e.Packed = PackForTest(content);
    e.UnpackedSize = int32_t(content.size());
    e.FileCRC = Crc32UpdateLong(content.data(), content.size(), 0);
    e.FileTime = dosTime;
    return e;
}

}  // namespace qs::test
