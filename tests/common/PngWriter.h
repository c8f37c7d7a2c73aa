// PNG pictures of window pixels, for the screenshots of the toolkit's tests and of the end-to-end driver.
// Portable: no Win32 types.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qs::test {

// Encodes top-down pixels 0x..RRGGBB (the top byte is ignored, as in a 32-bit DIB) as a 24-bit RGB PNG.
std::vector<uint8_t> EncodePng(const uint32_t* pixels, int width, int height);
// Encodes them and writes the file; false when it cannot be written.
bool WritePngFile(const std::string& path, const uint32_t* pixels, int width, int height);

}  // namespace qs::test
