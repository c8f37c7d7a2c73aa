#include <gtest/gtest.h>
#include <windows.h>

#include "PakBytes.h"
#include "WinFolderFiles.h"
#include "WinTestSupport.h"
#include "base/Exceptions.h"
#include "package/Extract.h"
#include "package/PakFormat.h"

using namespace qs;
using namespace qs::test;

namespace {

class CountingProgress : public ExtractProgress {
public:
    void SetBusyText(const std::string& text) override { texts.push_back(text); }
    void AdvanceProgress(uint32_t n) override {
        total += n;
        ++calls;
    }
    std::vector<std::string> texts;
    uint64_t total = 0;
    int calls = 0;
};

RawPakEntry Entry(const std::string& name, const std::string& content, uint32_t time = 0x5A8F6000) {
    return PackRawEntry(name, content, time);
}

std::string Text(size_t n) {
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i) s[i] = char('a' + (i * 7 + i / 13) % 26);
    return s;
}

class Extraction : public ::testing::Test {
protected:
    void SetUp() override {
        src_ = std::make_unique<ScratchDir>("src");
        dst_ = std::make_unique<ScratchDir>("dst");
        decoder_.SetReadBufSize(32768);
        decoder_.SetWriteBufSize(32768);
        extractor_.Attach(decoder_);
        SetFileModeForReading(OpenMode::ReadOnly);
    }
    // Writes the package and extracts it into dest.
    std::vector<uint8_t> Run(const std::vector<RawPakEntry>& entries, const std::string& dest, bool extra = false) {
        WriteFileBytes(src_->Path() + "Quilstr.pak", BuildPak("Quillostrand", "1.0", extra, entries));
        return Extract(dest);
    }
    std::vector<uint8_t> Extract(const std::string& dest) {
        const PackageSummary s = ScanPackage(src_->Path() + "Quilstr.pak", PakRole::Main);
        return extractor_.ExtractPackage(decoder_, src_->Path(), "Quilstr.pak", dest, s.DirPos, s.HasExtraName);
    }
    std::string Dst() const { return dst_->Path(); }
    // Expects the package error of Quilstr.pak.
    void ExpectPackageError(const std::vector<RawPakEntry>& entries) {
        try {
            Run(entries, Dst() + "out");
            ADD_FAILURE() << "accepted";
        } catch (const EInOutError& e) {
            ADD_FAILURE() << "input/output error instead: " << e.Message();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), PackageErrorText("Quilstr.pak"));
        }
    }

    std::unique_ptr<ScratchDir> src_, dst_;
    TLZHCompressor decoder_;
    CountingProgress progress_;
    TPackageExtractor extractor_{progress_};
};

}  // namespace

TEST_F(Extraction, WritesFilesListAndProgress) {
    const std::string big = Text(100000);
    const auto list = Run({Entry("Quilstr.exe", big), Entry("Empty.txt", ""), Entry("ReadMe.txt", "hi")}, Dst() + "App");
    EXPECT_TRUE(ReadFileBytes(Dst() + "App\\Quilstr.exe") == big);
    EXPECT_EQ(ReadFileBytes(Dst() + "App\\Empty.txt"), "");
    EXPECT_EQ(ReadFileBytes(Dst() + "App\\ReadMe.txt"), "hi");
    ASSERT_EQ(list.size(), 3u * 13);
    EXPECT_EQ(list[0], 11);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&list[1]), 11), "QUILSTR.EXE");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&list[14]), 9), "EMPTY.TXT");
    EXPECT_EQ(progress_.total, big.size() + 2);  // the gauge's total is every byte written
    EXPECT_EQ(progress_.calls, 4 + 1 + 1);       // 100000 = 3 full blocks + rest; 0 for the empty file
    EXPECT_EQ(progress_.texts, (std::vector<std::string>{"Creating directory structure...", "Decompressing Quilstr.exe...",
                                                         "Decompressing Empty.txt...", "Decompressing ReadMe.txt..."}));
}

TEST_F(Extraction, ExtraNamesAreSkipped) {
    RawPakEntry e = Entry("A.txt", "alpha");
    e.ExtraName = "whatever the packer kept";
    Run({e, Entry("B.txt", "beta")}, Dst(), true);
    EXPECT_EQ(ReadFileBytes(Dst() + "A.txt"), "alpha");
    EXPECT_EQ(ReadFileBytes(Dst() + "B.txt"), "beta");
}

TEST_F(Extraction, FolderChains) {
    // A deep new chain, with and without a final backslash.
    Run({Entry("x.txt", "x")}, Dst() + "a\\b\\c\\d");
    EXPECT_EQ(ReadFileBytes(Dst() + "a\\b\\c\\d\\x.txt"), "x");
    Run({Entry("y.txt", "y")}, Dst() + "a\\b\\e\\");
    EXPECT_TRUE(PathExists(Dst() + "a\\b\\e\\y.txt"));
    // The folder exists already.
    EXPECT_NO_THROW(Run({Entry("z.txt", "z")}, Dst() + "a"));
    // A folder that cannot be created: a file stands in its way.
    WriteFileBytes(Dst() + "blocker", "file");
    EXPECT_THROW(Run({Entry("w.txt", "w")}, Dst() + "blocker\\sub"), EInOutError);
}

TEST_F(Extraction, ZeroEntries_CreatesChainAndEmptyList) {
    EXPECT_TRUE(Run({}, Dst() + "new\\folder").empty());
    EXPECT_TRUE(PathExists(Dst() + "new\\folder"));
}

TEST_F(Extraction, LongNameOnDiskAndCutInSlot_DuplicateNamesLeaveTheLater) {
    const auto list = Run({Entry("ABCDEFGHIJ-klmnopq.txt", "long"), Entry("same.txt", "first"), Entry("same.txt", "second")}, Dst());
    EXPECT_EQ(ReadFileBytes(Dst() + "ABCDEFGHIJ-klmnopq.txt"), "long");
    EXPECT_EQ(list[0], 12);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&list[1]), 12), "ABCDEFGHIJ-K");
    EXPECT_EQ(ReadFileBytes(Dst() + "same.txt"), "second");
    EXPECT_TRUE(std::equal(list.begin() + 13, list.begin() + 26, list.begin() + 26));
}

TEST_F(Extraction, FileTimeIsTheStoredLocalTime) {
    const uint32_t dos = (uint32_t(0x4A21) << 16) | 0x7C2F;  // 2017-01-01 15:33:30
    Run({Entry("t.txt", "t", dos)}, Dst());
    EXPECT_EQ(LocalDosTimeOf(Dst() + "t.txt"), dos);
}

TEST_F(Extraction, DamagedPackedByte_PackageErrorEvenWhenFileAlsoWrong) {
    RawPakEntry e = Entry("a.txt", Text(5000));
    e.Packed[e.Packed.size() / 2] ^= 0x20;
    const uint32_t goodCrc = Crc32UpdateLong(Entry("a.txt", Text(5000)).Packed.data(), e.Packed.size(), 0);
    e.OverrideDataCRC = true;
    e.DataCRC = goodCrc;  // the directory still names the original packed bytes
    ExpectPackageError({e});
}

TEST_F(Extraction, WrongFileCrc_DestinationErrorFileStays) {
    RawPakEntry e = Entry("a.txt", "alpha");
    e.FileCRC ^= 0x80000000u;
    try {
        Run({Entry("first.txt", "1"), e, Entry("never.txt", "n")}, Dst());
        FAIL();
    } catch (const Exception& ex) {
        EXPECT_EQ(ex.Message(), "CRC error in destination file.\rTry installing again");
    }
    EXPECT_EQ(ReadFileBytes(Dst() + "a.txt"), "alpha");
    EXPECT_TRUE(PathExists(Dst() + "first.txt"));
    EXPECT_FALSE(PathExists(Dst() + "never.txt"));
}

TEST_F(Extraction, PackageCutShortInsideData_PackageErrorNotIoError) {
    const std::string bytes = BuildPak("Quillostrand", "1.0", false, {Entry("a.txt", Text(20000))});
    WriteFileBytes(src_->Path() + "Quilstr.pak", bytes.substr(0, bytes.size() - 100));
    try {
        Extract(Dst());
        FAIL();
    } catch (const EInOutError& e) {
        FAIL() << e.Message();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), PackageErrorText("Quilstr.pak"));
    }
}

TEST_F(Extraction, UnsafeNames_RefusedWithNothingWritten) {
    for (const char* name : {"..\\escape.txt", "..", "sub\\file.txt", "a/b", "C:evil.txt", "", "CON", "lpt1.txt",
                             "nul.dat", "tab\tname", "..."}) {
        ExpectPackageError({Entry("good.txt", "first"), Entry(name, "payload")});
        EXPECT_FALSE(PathExists(Dst() + "out\\good.txt")) << name;
        EXPECT_FALSE(PathExists(Dst() + "escape.txt")) << name;
    }
}

TEST_F(Extraction, CountBeyondTheFile_ErrorsNotCrashes) {
    // A count far beyond what the file can hold.
    WriteFileBytes(src_->Path() + "Quilstr.pak", BuildPak("Quillostrand", "1.0", false, {Entry("a.txt", "a")}, true, 0x7FFFFFFF));
    try {
        extractor_.ExtractPackage(decoder_, src_->Path(), "Quilstr.pak", Dst(), 7 + 4 + 12 + 4 + 3 + 1, false);
        FAIL();
    } catch (const Exception&) {
    }
    EXPECT_FALSE(PathExists(Dst() + "a.txt"));
}

// A damaged entry that unpacks to more than its listed size: nothing past that size reaches the disk.
TEST_F(Extraction, EntryUnpackingPastItsListedSize_PackageErrorAndFileNoLonger) {
    RawPakEntry e = Entry("big.txt", Text(50000));
    e.UnpackedSize = 3000;
    ExpectPackageError({e});
    EXPECT_LE(ReadFileBytes(Dst() + "out\\big.txt").size(), 3000u);
}
