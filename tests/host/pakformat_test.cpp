#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "PakBytes.h"
#include "base/Exceptions.h"
#include "package/PakFormat.h"

using namespace qs;
using qs::test::BuildPak;
using qs::test::RawPakEntry;

namespace {

class PakFile : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        path_ = "/tmp/qs-pakformat-" + std::to_string(getpid()) + ".pak";
        std::ofstream(path_, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return path_;
    }
    void TearDown() override {
        if (!path_.empty()) std::remove(path_.c_str());
    }
    std::string path_;
};

std::vector<RawPakEntry> TwoEntries() {
    RawPakEntry a;
    a.FileName = "Quilstr.exe";
    a.UnpackedSize = 1000;
    a.Packed = "\x80";
    RawPakEntry b;
    b.FileName = "Quilstr.hlp";
    b.ExtraName = "help";
    b.UnpackedSize = 24;
    b.Packed = "\x80";
    return {a, b};
}

}  // namespace

TEST_F(PakFile, ScanPackage_MainPackage_KeepsVersionPositionAndTotal) {
    const std::string bytes = BuildPak("Quillostrand", "2.1", false, TwoEntries());
    const PackageSummary s = ScanPackage(Write(bytes), PakRole::Main);
    EXPECT_EQ(s.VersionText, "2.1");
    EXPECT_EQ(s.DirPos, 7 + 4 + 12 + 4 + 3 + 1);
    EXPECT_FALSE(s.HasExtraName);
    EXPECT_EQ(s.EntryCount, 2);
    EXPECT_EQ(s.TotalSize, 1024);
}

TEST_F(PakFile, ScanPackage_ExtraNamesOnAndOff) {
    EXPECT_EQ(ScanPackage(Write(BuildPak("Quillostrand", "1", true, TwoEntries())), PakRole::Main).TotalSize, 1024);
    EXPECT_TRUE(ScanPackage(path_, PakRole::Main).HasExtraName);
    EXPECT_EQ(ScanPackage(Write(BuildPak("x", "y", false, TwoEntries())), PakRole::Delphi10).TotalSize, 1024);
}

TEST_F(PakFile, ScanPackage_ZeroEntriesTotalsZero) {
    const PackageSummary s = ScanPackage(Write(BuildPak("Quillostrand", "3.0", false, {})), PakRole::Main);
    EXPECT_EQ(s.TotalSize, 0);
    EXPECT_EQ(s.EntryCount, 0);
}

TEST_F(PakFile, ScanPackage_ProductNameEndings) {
    struct Case {
        const char* product;
        bool accepted;
    } cases[] = {
        {"Quillostrand", true},         {"Quillostrand\r\n", true}, {"Quillostrand\n", false},
        {"quillostrand", false},        {"Quillostrand ", false},   {"", false},
        {"Quillostrand\r\n\r\n", false}, {"QuillostrandQuillostrandQuillostrand", false},
    };
    for (const Case& c : cases) {
        Write(BuildPak(c.product, "1.0", false, {}));
        if (c.accepted) {
            EXPECT_NO_THROW(ScanPackage(path_, PakRole::Main)) << c.product;
        } else {
            EXPECT_THROW(ScanPackage(path_, PakRole::Main), EWrongProduct) << c.product;
        }
    }
}

TEST_F(PakFile, ScanPackage_VersionKeepsCrLfAndIsCutTo32) {
    EXPECT_EQ(ScanPackage(Write(BuildPak("Quillostrand", "2.0\r\n", false, {})), PakRole::Main).VersionText, "2.0\r\n");
    const std::string longVersion(40, '7');
    EXPECT_EQ(ScanPackage(Write(BuildPak("Quillostrand", longVersion, false, {})), PakRole::Main).VersionText,
              std::string(32, '7'));
}

TEST_F(PakFile, ScanPackage_WrongMagicNamesThePackage) {
    std::string bytes = BuildPak("Quillostrand", "1", false, {});
    bytes[0] = 'X';
    Write(bytes);
    const std::pair<PakRole, const char*> roles[] = {{PakRole::Main, "PAK file corrupt"},
                                                     {PakRole::Delphi10, "File Delphi10.pak is corrupt"},
                                                     {PakRole::Delphi20, "File Delphi20.pak is corrupt"}};
    for (const auto& [role, text] : roles) {
        try {
            ScanPackage(path_, role);
            ADD_FAILURE() << text;
        } catch (const EWrongProduct&) {
            ADD_FAILURE() << "magic reported as product";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), text);
        }
    }
}

TEST_F(PakFile, ScanPackage_TruncatedAnywhereReadsBeyondEnd) {
    const std::string bytes = BuildPak("Quillostrand", "1.0", true, TwoEntries());
    // Every cut before the end of the directory must fail cleanly; cuts in the packed data do not matter here.
    const size_t dirEnd = bytes.size() - 2;
    for (size_t cut = 5; cut < dirEnd; ++cut) {
        Write(bytes.substr(0, cut));
        try {
            ScanPackage(path_, PakRole::Main);
            ADD_FAILURE() << "cut at " << cut << " accepted";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), "Read beyond end of file") << cut;
        } catch (const EWrongProduct&) {
            // A cut inside the product name leaves a different name: also a refusal.
        }
    }
}

TEST_F(PakFile, ScanPackage_HugeLengthsAndCountsFailWithoutAllocating) {
    std::string bytes = BuildPak("Quillostrand", "1.0", false, {}, true, 0x7FFFFFFF);
    EXPECT_THROW(ScanPackage(Write(bytes), PakRole::Main), EInOutError);
    std::string huge = "QVPAK";
    huge += std::string(2, '\0');
    qs::test::PutI32(huge, 0x7FFFFFF0);
    EXPECT_THROW(ScanPackage(Write(huge), PakRole::Main), EInOutError);
    std::string negative = "QVPAK";
    negative += std::string(2, '\0');
    qs::test::PutI32(negative, 0xFFFFFFF0);
    EXPECT_THROW(ScanPackage(Write(negative), PakRole::Delphi20), EInOutError);
}

TEST_F(PakFile, ScanPackage_NegativeCountMeansNoEntries) {
    const PackageSummary s = ScanPackage(Write(BuildPak("Quillostrand", "1", false, {}, true, -5)), PakRole::Main);
    EXPECT_EQ(s.TotalSize, 0);
}

TEST(PlainFileName, AcceptsOrdinaryNames) {
    for (const char* ok : {"Quilstr.exe", "a", "HelpCtx.dcu", "long name with blanks.txt", "CONSOLE.TXT", "com10",
                           "lpt0.txt", ".hidden", "name.", "12345678901234567890.hlp"})
        EXPECT_TRUE(IsPlainFileName(ok)) << ok;
    EXPECT_TRUE(IsPlainFileName(std::string(255, 'a')));
}

TEST(PlainFileName, RefusesEverythingThatIsNotAPlainName) {
    for (const char* bad : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:x", "x:", "con", "CON", "Con.txt", "nul.dat",
                            "PRN", "aux.", "COM1", "com9.log", "LPT1", "lpt9.txt", "tab\tname", "new\nline",
                            "\x7f", "NUL .txt", "...", ". ."})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    EXPECT_FALSE(IsPlainFileName(std::string(256, 'a')));
}
