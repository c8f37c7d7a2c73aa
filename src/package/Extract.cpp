#include "package/Extract.h"

#include <cstring>

#include "base/Exceptions.h"
#include "base/FileSys.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "package/Crc32.h"
#include "package/PakFormat.h"

namespace qs {

const char* const kDestinationErrorText = "CRC error in destination file.\rTry installing again";

std::string PackageErrorText(const std::string& pakName) {
    return "CRC error in PAK file\r" + pakName + " is corrupt\rPlease obtain the original QstSetup.exe file";
}

void CreateFolderChain(const std::string& folder) {
    // The first three characters are the drive root ("C:\"), taken as existing.
    for (size_t i = 3; i < folder.size(); ++i) {
        if (folder[i] != '\\') continue;
        const std::string part = folder.substr(0, i);
        if (!SetCurrentDir(part)) CreateDir(part);
    }
}

void TPackageExtractor::Attach(TLZHCompressor& decoder) {
    decoder.OnGetBytes = [this](TLZHCompressor& s, void* dta, uint16_t n, uint16_t& got) {
        LZHCompressorGetBytes(s, dta, n, got);
    };
    decoder.OnPutBytes = [this](TLZHCompressor& s, const void* dta, uint16_t n, uint16_t& put) {
        LZHCompressorPutBytes(s, dta, n, put);
    };
}

void TPackageExtractor::LZHCompressorGetBytes(TLZHCompressor&, void* DTA, uint16_t NBytes, uint16_t& Bytes_Got) {
    const uint32_t want = PackedLeft > 0 ? (uint32_t(PackedLeft) < NBytes ? uint32_t(PackedLeft) : NBytes) : 0;
    Bytes_Got = 0;
    if (want == 0) return;
    if (!PakFile) throw EInOutError(6);  // no extraction running: as for a closed file
    const uint32_t got = PakFile->ReadSome(DTA, want);
    Bytes_Got = uint16_t(got);
    PackedLeft -= int32_t(got);
    PackedCRC = Crc32Update(DTA, Bytes_Got, PackedCRC);
}

void TPackageExtractor::LZHCompressorPutBytes(TLZHCompressor&, const void* DTA, uint16_t NBytes, uint16_t& Bytes_Put) {
    Bytes_Put = 0;
    if (NBytes > UnpackedLeft) throw Exception(PackageErrorText(PakName));
    OutFile.WriteExact(DTA, NBytes);
    Bytes_Put = NBytes;
    UnpackedLeft -= NBytes;
    UnpackedCRC = Crc32Update(DTA, Bytes_Put, UnpackedCRC);
    progress_.AdvanceProgress(Bytes_Put);
}

namespace {

// Reads the whole directory once, before anything is written: every name must be a plain file name and every
// entry must lie inside the file, so a hostile package can neither escape the folder nor leave half its files.
std::vector<PakDirRecord> ReadDirectory(BinFile& pak, int32_t count, bool hasExtraName, const std::string& pakName) {
    std::vector<PakDirRecord> entries;
    if (count <= 0) return entries;
    PakFileInput in(pak);
    // Every entry takes at least 25 bytes; a count beyond that is damage, refused before any entry is read.
    if (int64_t(count) > in.Remaining() / (1 + kPakFixedPartSize)) throw Exception(PackageErrorText(pakName));
    for (int32_t i = 0; i < count; ++i) {
        PakDirRecord e = ReadPakDirRecord(in, hasExtraName);
        if (!IsPlainFileName(e.name) || !IsValidUtf8(e.name) || e.dataOffset < 0 || e.packedSize < 0) throw Exception(PackageErrorText(pakName));
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace

std::vector<uint8_t> TPackageExtractor::ExtractPackage(TLZHCompressor& decoder, const std::string& sourceDir,
                                                       const std::string& pakName, const std::string& destDir,
                                                       int32_t dirPos, bool hasExtraName) {
    BinFile pak;
    pak.OpenRead(sourceDir + pakName);
    std::vector<uint8_t> list = ExtractPackage(decoder, pak, pakName, destDir, dirPos, hasExtraName);
    pak.Close();
    return list;
}

std::vector<uint8_t> TPackageExtractor::ExtractPackage(TLZHCompressor& decoder, BinFile& pak,
                                                       const std::string& pakName, const std::string& destDir,
                                                       int32_t dirPos, bool hasExtraName) {
    const std::string dest = IncludeTrailingBackslash(destDir);
    struct Closer {  // the output file is released on every path out; the package is the caller's
        TPackageExtractor& x;
        ~Closer() {
            try { x.OutFile.Close(); } catch (...) {}
            x.PakFile = nullptr;
        }
    } closer{*this};

    PakFile = &pak;
    PakName = pakName;
    PakFile->Seek(dirPos);
    progress_.SetBusyText("Creating directory structure...");
    CreateFolderChain(dest);

    const int32_t count = PakFile->ReadI32();
    const std::vector<PakDirRecord> entries = ReadDirectory(*PakFile, count, hasExtraName, pakName);
    std::vector<uint8_t> list(entries.size() * kSlotSize, 0);

    for (size_t i = 0; i < entries.size(); ++i) {
        const PakDirRecord& e = entries[i];
        PackedLeft = e.packedSize;
        UnpackedLeft = e.unpackedSize;
        PakFile->Seek(e.dataOffset);
        progress_.SetBusyText("Decompressing " + e.name + "...");

        uint8_t* slot = &list[i * kSlotSize];
        const std::string upper = AsciiUpper(e.name).substr(0, kSlotSize - 1);
        slot[0] = uint8_t(upper.size());
        std::memcpy(slot + 1, upper.data(), upper.size());

        const std::string target = dest + e.name;
        OutFile.Create(target);
        PackedCRC = 0;
        UnpackedCRC = 0;
        decoder.Decompress();

        // The stored time is set through the handle still open for writing: reopening every file only to stamp
        // it doubled the cost of a small file. A failure leaves the time at which the file was written.
        OutFile.SetLastWriteTimeFromDos(e.dosTime);
        OutFile.Close();
        if (e.dataCrc != PackedCRC || PackedLeft != 0) throw Exception(PackageErrorText(pakName));
        if (e.fileCrc != UnpackedCRC) throw Exception(kDestinationErrorText);
    }
    return list;
}

}  // namespace qs
