// QstSetup.exe, the one-file download: QstSetupStub.exe with Setup.exe and the packages of a media folder
// appended (the layout is stub/BundleFormat.h, whose reader the stub uses). Portable C++; the SHA-256 comes from
// the caller's crypto library (OpenSSL in mkpak, the system's in the Windows tests).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qs::pak {

struct BundleFile {
    std::string name;  // 8.3, as the stub writes it into its folder
    std::vector<uint8_t> data;
};

using Sha256Function = std::function<void(const uint8_t* data, size_t size, uint8_t (&digest)[32])>;

// The media files a bundle carries, in the order it carries them: Setup.exe, then each package followed by its
// signature. Setup.exe and Quilstr.pak must be there; the others go in where present.
const std::vector<std::string>& BundleNames();

// The bundle: stub, files in the order given, directory, trailer; the same bytes for the same input. Refuses
// (qs::Exception) a stub that is not a Windows program, one that is signed (sign the bundle instead) or already
// carries a payload; names that are not plain 8.3-sized names or come twice (letter case ignored); no Setup.exe;
// more files than the stub takes.
std::vector<uint8_t> BuildBundle(const std::vector<uint8_t>& stub, const std::vector<BundleFile>& files,
                                 const Sha256Function& sha256);

// The files of BundleNames found in folder (letter case ignored), each read whole and stored under the name
// BundleNames gives it. Refuses a folder without Setup.exe or Quilstr.pak, a package that is not one, and a
// signature whose package is missing.
std::vector<BundleFile> ReadMediaFolder(const std::string& folder);

}  // namespace qs::pak
