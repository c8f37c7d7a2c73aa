// Reading a named resource out of a Windows program's file on any machine: mkpak looks into the Setup.exe of a
// media folder for the package key it carries (RCDATA "PAKKEY"), as that Setup.exe will on the customer's machine.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs::pak {

// The bytes of the resource of numeric type `type` (10 for RCDATA) named `name` (ASCII, letter case ignored), in
// its first language; nullopt when the image has no such resource. Raises qs::Exception for a file that is not a
// Windows image or whose resource table does not fit inside it.
std::optional<std::vector<uint8_t>> FindNamedResource(const std::vector<uint8_t>& image, uint16_t type,
                                                      const std::string& name);

}  // namespace qs::pak
