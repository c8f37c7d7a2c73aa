// The media folder a user starts Setup.exe from: the program and the packages, made here with the packing
// library from the demo application's files, in good or damaged versions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct MediaFile {
    std::string name;
    std::vector<uint8_t> data;
    uint32_t dosTime = 0;  // DOS date and time the package gives the file
};

struct Package {
    std::string fileName;  // "Quilstr.pak", "Delphi10.pak", "Delphi20.pak"
    std::vector<MediaFile> files;
    std::vector<uint8_t> image;
};

// Where the built programs and the demo files are (DOS paths).
struct Sources {
    std::string setupExe, quilstrExe, demoDir;
    // Setup.exe with the tests' vendor key, and the folder of packages mkpak signed for it ("" when not built).
    std::string keyedSetupExe, signedMedia;
};

// The DOS date and time every file of the packages made here carries (2024-05-17 10:30:00).
extern const uint32_t kFileTime;

// "Quilstr.pak" of a version: the application, its help file, read-me, sample project and a sample library
// large enough to watch the gauge move. Other versions have another read-me, one more file and no sample project.
Package MakeQuilstrPak(const Sources& src, const std::string& version);
Package MakeDelphiPak(const Sources& src, int delphi);  // 10 or 20

// Damaged copies of a package image.
std::vector<uint8_t> WithWrongMagic(std::vector<uint8_t> image);
std::vector<uint8_t> WithWrongProduct(std::vector<uint8_t> image);  // "Quillostrand" -> "Quillostrant"
// One bit flipped in the middle of the packed data of entry index: its DataCRC no longer matches.
std::vector<uint8_t> WithDamagedData(std::vector<uint8_t> image, size_t index);

// Makes folder hold Setup.exe and the given package images (name, bytes) and nothing else.
void LayOutMedia(const std::string& folder, const Sources& src,
                 const std::vector<std::pair<std::string, std::vector<uint8_t>>>& packages);

}  // namespace e2e
