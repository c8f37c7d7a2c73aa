// The building blocks of a package image that BuildPackage and CreatePackageFile share: the refusals, the header
// with its directory, one file packed, and the offsets. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "PakWriter.h"

namespace qs::pak {

constexpr size_t kMaxInt32 = static_cast<size_t>(std::numeric_limits<int32_t>::max());

// Refusals that need only the names (each with its extra name) and options; nothing is packed before these pass.
void CheckNames(const std::vector<std::pair<std::string, std::string>>& names, const PakOptions& options);

// Header and directory; the entries' sizes, offsets and CRCs as given (zeros to measure or reserve the room).
std::vector<uint8_t> PackageHead(const PakOptions& options, const std::vector<PakDirRecord>& dir);

// One file packed: its directory entry but for the offset, and its stream.
struct PackedFile {
    PakDirRecord dir;
    std::vector<uint8_t> stream;
};

// Packs one file; refuses one too large for the format.
PackedFile Pack(const std::string& name, const std::string& extraName, uint32_t dosTime,
                 const std::vector<uint8_t>& data, const PakOptions& options);

// Gives the next entry its offset; refuses a package past the format's signed 32-bit offsets.
void Place(PakDirRecord& e, size_t& offset);

}  // namespace qs::pak
