// Faults of the media and the destination, on real files under Wine: packages on write-protected media, a
// destination that fills up, a destination file another program holds open.
#include "FaultFixture.h"

#include "base/BinFile.h"
#include "package/Extract.h"
#include "package/PakFormat.h"

#include <vector>

using namespace qs;
using namespace qs::test;

namespace {

class MediaFaults : public FaultFixture {
protected:
    void TearDown() override {
        // Write access back, or the scratch folder could not be removed.
        SetFileAttributesA(Media().c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const char* p : {"Quilstr.pak", "Setup.exe", "Delphi10.pak"})
            SetFileAttributesA((Media() + p).c_str(), FILE_ATTRIBUTE_NORMAL);
        FaultFixture::TearDown();
    }
};

}  // namespace

// Write-protected media: the files and the folder are marked read-only, and since the tests may run with rights
// that pass over those marks, each file is also held open by this process for reading with write sharing denied,
// so that any open asking for write access fails as it does on a CD.
TEST_F(MediaFaults, ReadOnlyMedia_StartUpAndInstallWork) {
    WriteMainPak();
    WritePak("Delphi10.pak", "1.0", {PackRawEntry("HelpCtx.dcu", FaultContent(900, 3))});
    std::vector<HANDLE> holds;
    for (const char* p : {"Quilstr.pak", "Setup.exe", "Delphi10.pak"}) {
        ASSERT_TRUE(SetFileAttributesA((Media() + p).c_str(), FILE_ATTRIBUTE_READONLY));
        holds.push_back(CreateFileA((Media() + p).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(holds.back(), INVALID_HANDLE_VALUE);
    }
    ASSERT_TRUE(SetFileAttributesA(Media().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    struct Release {
        std::vector<HANDLE>& h;
        ~Release() {
            for (HANDLE x : h) CloseHandle(x);
        }
    } release{holds};
    // The media really refuse writing: a package cannot be opened for it, and a scan that opened its files for
    // reading and writing (the mode before start-up) fails.
    HANDLE h = CreateFileA((Media() + "Quilstr.pak").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    const OpenMode before = FileModeForReading();
    SetFileModeForReading(OpenMode::ReadWrite);
    EXPECT_THROW(ScanPackage(Media() + "Quilstr.pak", PakRole::Main), EInOutError);
    SetFileModeForReading(before);

    TSetupForm& f = StartFresh();
    EXPECT_EQ(RunState(f).InstallVersion(), "1.0");
    EXPECT_TRUE(f.CheckDelphi10.Enabled());
    f.CheckDelphi10.SetChecked(true);
    f.EditDelphi10.SetText(Dir() + "D10");
    EXPECT_EQ(InstallError(f), "");
    ExpectInstalled(Dir() + "App\\");
    EXPECT_EQ(ReadFileBytes(Dir() + "D10\\HelpCtx.dcu"), FaultContent(900, 3));
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\Setup.exe"), std::string(3000, 'S'));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// A drive with room for only part of the files: each budget runs out in another place (inside the first file's
// first block, after a whole block, inside the last file).
TEST_F(MediaFaults, DestinationFillsUp_DestinationErrorNoRecordAndInstallWithRoomSucceeds) {
    WriteMainPak();
    for (int64_t budget : {int64_t(1000), int64_t(32768), int64_t(70000 + 5000 + 3)}) {
        SCOPED_TRACE(budget);
        const std::string sub = "Full" + std::to_string(budget);
        TSetupForm& f = StartFresh(sub);
        SetWriteBudgetForTesting(budget);
        const std::string error = InstallError(f);
        SetWriteBudgetForTesting(-1);
        EXPECT_EQ(error, "Disk full");
        ExpectUsableAfterFailure(f);
        EXPECT_NE(f.LabelBusy.Caption().find("Decompressing "), std::string::npos);
        EXPECT_LE(f.Gauge.Progress(), budget);
        EXPECT_FALSE(PathExists(Dir() + sub + "\\Setup.exe"));  // the run stopped before the copy

        // The user makes room and starts the setup program again: the same mode, and the install completes over
        // the part written before.
        CloseForm();
        TSetupForm& g = StartFresh(sub);
        EXPECT_EQ(InstallError(g), "");
        EXPECT_EQ(g.Pages.ActivePage(), FinishedSheet);
        ExpectInstalled(Dir() + sub + "\\");
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
        CloseForm();
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
    }
}

// The extraction on its own: the full drive gives the destination error, and the same extractor and decoder then
// unpack the package whole once there is room (a failed run leaves the decoder ready for the next).
TEST_F(MediaFaults, DestinationFillsUp_SameDecoderExtractsWholeAfterwards) {
    WriteMainPak();
    struct Quiet : ExtractProgress {
        void SetBusyText(const std::string&) override {}
        void AdvanceProgress(uint32_t n) override { bytes += n; }
        uint64_t bytes = 0;
    } progress;
    TPackageExtractor x(progress);
    TLZHCompressor decoder;
    decoder.SetReadBufSize(32768);
    decoder.SetWriteBufSize(32768);
    x.Attach(decoder);
    const PackageSummary sum = ScanPackage(Media() + "Quilstr.pak", PakRole::Main);
    SetWriteBudgetForTesting(40000);
    try {
        x.ExtractPackage(decoder, Media(), "Quilstr.pak", Dir() + "X", sum.DirPos, sum.HasExtraName);
        ADD_FAILURE() << "a full drive went unnoticed";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Disk full");
    }
    SetWriteBudgetForTesting(-1);
    EXPECT_LE(progress.bytes, 40000u);  // only whole blocks count
    const std::vector<uint8_t> list =
        x.ExtractPackage(decoder, Media(), "Quilstr.pak", Dir() + "X", sum.DirPos, sum.HasExtraName);
    EXPECT_EQ(list.size(), 3u * 13);
    ExpectInstalled(Dir() + "X\\");
}

// Another program has a destination file open without sharing: the framework's input/output error with the
// system's code, the busy text naming the file that failed, the window usable; once the file is free, the install
// succeeds.
TEST_F(MediaFaults, DestinationFileHeldOpen_InputOutputErrorWindowUsable) {
    WriteMainPak();
    CreateDirectoryA((Dir() + "App").c_str(), nullptr);
    WriteFileBytes(Dir() + "App\\Quilstr.hlp", "old help, open in the help viewer");
    HANDLE held = CreateFileA((Dir() + "App\\Quilstr.hlp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    TSetupForm& f = StartFresh();
    EXPECT_EQ(InstallError(f), "I/O error 32");  // ERROR_SHARING_VIOLATION
    ExpectUsableAfterFailure(f);
    EXPECT_EQ(f.LabelBusy.Caption(), "Decompressing Quilstr.hlp...");
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\Quilstr.exe"), FaultContent(70000, 1));  // the file before it stays
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\Quilstr.hlp"), "old help, open in the help viewer");

    CloseForm();
    TSetupForm& g = StartFresh();
    EXPECT_EQ(InstallError(g), "");
    ExpectInstalled(Dir() + "App\\");
}
