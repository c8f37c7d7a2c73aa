// Extraction of one package into one folder: the folder chain, every file decoded through the decoder's two
// events, both CRC-32 checks, file times, progress, and the installed-file list. Portable: the window's part
// (busy text and gauge) comes in through ExtractProgress.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/BinFile.h"
#include "package/LZH_OP.h"

namespace qs {

// What the extraction shows while it works. The setup window sets LabelBusy (and repaints at once) and advances
// its gauge; tests and tools count.
class ExtractProgress {
public:
    virtual ~ExtractProgress() = default;
    virtual void SetBusyText(const std::string& text) = 0;
    virtual void AdvanceProgress(uint32_t bytesWritten) = 0;
};

constexpr size_t kSlotSize = 13;  // one installed-file list slot: length byte + up to 12 characters

// Owns the state of one extraction (PakFile, OutFile, PackedLeft, PackedCRC, UnpackedCRC) and the decoder's
// two event handlers. The setup window keeps one and binds its decoder's events to it at start-up.
class TPackageExtractor {
public:
    explicit TPackageExtractor(ExtractProgress& progress) : progress_(progress) {}

    // Binds the decoder's OnGetBytes/OnPutBytes to the two handlers below.
    void Attach(TLZHCompressor& decoder);

    // Unpacks sourceDir + pakName into destDir with the given decoder (its events bound by Attach).
    // Returns the installed-file list: EntryCount slots of 13 bytes (empty for EntryCount 0 or less).
    // Raises the package error ("CRC error in PAK file\r<name> is corrupt\rPlease obtain the original
    // QstSetup.exe file") for damaged packed data or a name that is not a plain file name (checked for the whole
    // directory before anything is written), the destination error ("CRC error in destination file.\rTry
    // installing again"), and EInOutError for file-system failures.
    std::vector<uint8_t> ExtractPackage(TLZHCompressor& decoder, const std::string& sourceDir,
                                        const std::string& pakName, const std::string& destDir, int32_t dirPos,
                                        bool hasExtraName);
    // The same from a package the caller holds open (a signed build keeps each checked package open, writing
    // denied to others, so the bytes extracted are the bytes checked). pak stays open.
    std::vector<uint8_t> ExtractPackage(TLZHCompressor& decoder, BinFile& pak, const std::string& pakName,
                                        const std::string& destDir, int32_t dirPos, bool hasExtraName);

    void LZHCompressorGetBytes(TLZHCompressor& Sender, void* DTA, uint16_t NBytes, uint16_t& Bytes_Got);
    // Writes the bytes whole: a write that cannot complete raises "Disk full", and bytes past the entry's listed
    // size raise the package error.
    void LZHCompressorPutBytes(TLZHCompressor& Sender, const void* DTA, uint16_t NBytes, uint16_t& Bytes_Put);

private:
    ExtractProgress& progress_;
    BinFile* PakFile = nullptr;  // the package being extracted, while ExtractPackage runs
    BinFile OutFile;
    int32_t PackedLeft = 0;
    int64_t UnpackedLeft = 0;  // of the entry's listed size: a damaged entry is never written past it
    std::string PakName;       // for the package error
    uint32_t PackedCRC = 0;
    uint32_t UnpackedCRC = 0;
};

// The package error's message for pakName.
std::string PackageErrorText(const std::string& pakName);
extern const char* const kDestinationErrorText;

// Creates the folder chain of folder (which ends in "\"): the first three characters are taken as the existing
// drive root; every further prefix ending before a "\" that cannot be entered is created.
void CreateFolderChain(const std::string& folder);

}  // namespace qs
