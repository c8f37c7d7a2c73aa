// Packages whose header or directory lies: counts, sizes and offsets far past the end of the file, negative
// counts, 2^31-1 entries. Start-up and the install run give clear errors, and neither time nor memory grows with
// the numbers claimed (the scan reads at most the file; a hang would end in the suite's time-out).
#include "FaultFixture.h"

#include <psapi.h>  // after windows.h


using namespace qs;
using namespace qs::test;

namespace {

SIZE_T PeakMemory() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return c.PeakPagefileUsage;
}

// Header with the two text lengths as given (their texts as long as the file allows), then the rest.
std::string RawHeader(int32_t l1, const std::string& product, int32_t l2, const std::string& version) {
    std::string h = "QVPAK";
    h += std::string(2, '\0');
    PutI32(h, uint32_t(l1));
    h += product;
    PutI32(h, uint32_t(l2));
    h += version;
    return h;
}

class HostilePackage : public FaultFixture {
protected:
    // Starts the window on the media as they are; returns the boxes start-up showed.
    std::vector<std::string> StartUpMessages() {
        const size_t from = boxes_.Boxes().size();
        Start();
        std::vector<std::string> texts;
        for (size_t i = from; i < boxes_.Boxes().size(); ++i) texts.push_back(boxes_.Boxes()[i].text);
        return texts;
    }
};

}  // namespace

TEST_F(HostilePackage, MainPackageClaimsTooMuch_StartUpReportsAndEnds) {
    const std::string good = BuildPak("Quillostrand", "1.0", false, {PackRawEntry("Quilstr.exe", "x")});
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"2^31-1 entries", BuildPak("Quillostrand", "1.0", false, {PackRawEntry("Quilstr.exe", "x")}, true, 0x7FFFFFFF),
         "Read beyond end of file."},
        {"product length 2^31-1", RawHeader(0x7FFFFFFF, "Quillostrand", 3, "1.0") + std::string(5, '\0'),
         "Read beyond end of file."},
        {"negative product length", RawHeader(-5, "", 3, "1.0") + std::string(5, '\0'), "Read beyond end of file."},
        {"version length 2^31-1", RawHeader(12, "Quillostrand", 0x7FFFFFFF, "1.0") + std::string(5, '\0'),
         "Read beyond end of file."},
        {"negative version length", RawHeader(12, "Quillostrand", int32_t(0x80000000), "") + std::string(5, '\0'),
         "Read beyond end of file."},
        {"cut inside the directory", good.substr(0, good.size() - 30), "Read beyond end of file."},
    };
    const SIZE_T before = PeakMemory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Application().ClearTerminated();
        WriteFileBytes(Media() + "Quilstr.pak", c.bytes);
        const std::vector<std::string> shown = StartUpMessages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], c.message);
        EXPECT_TRUE(Application().Terminated());
        CloseForm();
    }
    // Nothing of the claimed sizes was ever allocated.
    EXPECT_LT(PeakMemory() - before, SIZE_T(64) << 20);
}

TEST_F(HostilePackage, DelphiPackageClaimsTooMuch_TreatedAsAbsent) {
    WriteMainPak();
    WriteFileBytes(Media() + "Delphi10.pak",
                   BuildPak("x", "", false, {PackRawEntry("HelpCtx.dcu", "d")}, true, 0x7FFFFFFF));
    WriteFileBytes(Media() + "Delphi20.pak", RawHeader(0x7FFFFFF0, "", 0, ""));
    TSetupForm& f = Start();
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(f.Mode(), SetupMode::FreshInstall);
    EXPECT_FALSE(f.CheckDelphi10.Enabled());
    EXPECT_FALSE(f.CheckDelphi20.Enabled());
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(HostilePackage, NegativeCount_NoFilesAnEmptyListAndTheInstallCompletes) {
    WriteFileBytes(Media() + "Quilstr.pak",
                   BuildPak("Quillostrand", "1.0", false, {PackRawEntry("Quilstr.exe", "x")}, true, -3));
    TSetupForm& f = StartFresh();
    EXPECT_EQ(RunState(f).InstallSize(), 0);
    EXPECT_EQ(InstallError(f), "");
    EXPECT_TRUE(RunState(f).InstallFiles().empty());
    EXPECT_TRUE(PathExists(Dir() + "App\\Setup.exe"));
    EXPECT_FALSE(PathExists(Dir() + "App\\Quilstr.exe"));
}

// Directories that pass the start-up scan but whose data are not where they claim: the package error at the
// install, the window usable, no record.
TEST_F(HostilePackage, DataClaimsPastTheEnd_PackageErrorAtInstall) {
    auto entry = [](int32_t offset, int32_t packed, bool setOffset, bool setPacked) {
        RawPakEntry e = PackRawEntry("Quilstr.exe", FaultContent(3000, 9));
        e.OverrideOffset = setOffset;
        e.DataOffset = offset;
        e.OverridePackedSize = setPacked;
        e.PackedSize = packed;
        return e;
    };
    const struct {
        const char* what;
        RawPakEntry e;
    } cases[] = {
        {"offset 2^31-1", entry(0x7FFFFFFF, 0, true, false)},
        {"offset far past the end", entry(0x40000000, 0, true, false)},
        {"negative offset", entry(-64, 0, true, false)},
        {"packed size 2^31-1", entry(0, 0x7FFFFFFF, false, true)},
        {"negative packed size", entry(0, int32_t(0x80000000), false, true)},
    };
    const SIZE_T before = PeakMemory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t boxesBefore = boxes_.Boxes().size();
        WritePak("Quilstr.pak", "1.0", {PackRawEntry("ReadMe.txt", "first"), c.e});
        TSetupForm& f = StartFresh(std::string("App") + std::to_string(&c - cases));
        EXPECT_EQ(boxes_.Boxes().size(), boxesBefore);
        EXPECT_EQ(InstallError(f), "CRC error in PAK file\rQuilstr.pak is corrupt\rPlease obtain the original "
                                   "QstSetup.exe file");
        ExpectUsableAfterFailure(f);
        CloseForm();
    }
    EXPECT_LT(PeakMemory() - before, SIZE_T(64) << 20);
}

// Unpacked sizes that lie (the sum wraps past 2^31): start-up and the install stay sound, the gauge within its
// range, and the files are what the packed data hold.
TEST_F(HostilePackage, UnpackedSizesThatWrap_StartUpAndInstallStaySound) {
    RawPakEntry a = PackRawEntry("Quilstr.exe", FaultContent(3000, 4));
    RawPakEntry b = PackRawEntry("ReadMe.txt", "read me");
    a.UnpackedSize = 0x7FFFFFFF;
    b.UnpackedSize = 0x7FFFFFFF;
    WritePak("Quilstr.pak", "1.0", {a, b});
    TSetupForm& f = StartFresh();
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(Application().Terminated());
    EXPECT_EQ(InstallError(f), "");
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\Quilstr.exe"), FaultContent(3000, 4));
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\ReadMe.txt"), "read me");
    EXPECT_GE(f.Gauge.PercentDone(), 0);
    EXPECT_LE(f.Gauge.PercentDone(), 100);
    EXPECT_TRUE(IsWindow(f.Handle()));
}
