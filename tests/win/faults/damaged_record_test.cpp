// An install record written by hand with damaged values: wrong types, short and missing lists, lengths far beyond
// the data. Start-up never fails on it; the uninstall deletes only what was actually read (a length byte above 12
// counts as 12, a short or missing list counts the entries there are) and never anything outside its folder.
#include "FaultFixture.h"

#include "FileListBytes.h"
#include "base/Exceptions.h"

using namespace qs;
using namespace qs::test;

namespace {

class DamagedRecord : public FaultFixture {
protected:
    void SetUp() override {
        FaultFixture::SetUp();
        app_ = Dir() + "App\\";
        CreateDirectoryA(app_.c_str(), nullptr);
        for (const char* f : {"Quilstr.exe", "QUILSTR1.EXE", "ReadMe.txt", "Keep.txt"}) WriteFileBytes(app_ + f, f);
        WriteFileBytes(Dir() + "V.TXT", "keep me");  // short enough for a 12-character slot to reach it
    }

    // A value of the install record.
    static void SetRaw(const char* name, DWORD type, const std::string& bytes) {
        test::SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, name, type, bytes);
    }
    static void SetDword(const char* name, uint32_t v) { SetRaw(name, REG_DWORD, DwordBytes(v)); }
    // A sound record of version 1.0 in App, without lists.
    void SeedBase() { SeedRecord("1.0", app_); }

    // The uninstall-only window (no packages), answering Yes; returns the error the run ended with, or "".
    std::string Uninstall() {
        for (const char* p : {"Quilstr.pak", "Delphi10.pak", "Delphi20.pak"}) DeleteFileA((Media() + p).c_str());
        TSetupForm& f = Start();
        EXPECT_EQ(f.Mode(), SetupMode::UninstallOnly);
        f.SelfRemoval = [](const std::string&, const std::string&) {};
        boxes_.SetAnswer(IDYES);
        try {
            f.UninstallBtnClick();
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    }
    std::string app_;
};

}  // namespace

TEST_F(DamagedRecord, ListSizeOfWrongTypeOrMissing_CannotUninstallNothingDeleted) {
    const std::string list = ListSlot("QUILSTR.EXE") + ListSlot("README.TXT");
    const struct {
        const char* what;
        DWORD type;
        std::string size;
    } cases[] = {
        {"text", REG_SZ, std::string("26\0", 3)},
        {"two bytes", REG_BINARY, std::string("\x1A\x00", 2)},
        {"eight bytes", REG_BINARY, std::string("\x1A\0\0\0\0\0\0\0", 8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SeedBase();
        SetRaw("InstallFiles", REG_BINARY, list);
        SetRaw("InstallFilesSize", c.type, c.size);
        EXPECT_EQ(Uninstall(), "Cannot uninstall!\rUninstall data has been removed from the registry.");
        EXPECT_TRUE(PathExists(app_ + "Quilstr.exe"));
        EXPECT_TRUE(PathExists(app_ + "ReadMe.txt"));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
        CloseForm();
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
    }
}

TEST_F(DamagedRecord, ListSizesAndLengthBytesThatLie_OnlyWhatWasReadIsDeleted) {
    const struct {
        const char* what;
        uint32_t size;
        bool withList;
        std::string list;
        std::vector<std::string> gone, kept;
    } cases[] = {
        {"size 2^31-16 over two slots", 0x7FFFFFF0, true, ListSlot("README.TXT") + ListSlot("QUILSTR1.EXE"),
         {"ReadMe.txt", "QUILSTR1.EXE"}, {"Keep.txt"}},
        {"size of three slots over one", 39, true, ListSlot("README.TXT"), {"ReadMe.txt"},
         {"QUILSTR1.EXE", "Keep.txt"}},
        {"list missing", 26, false, "", {}, {"ReadMe.txt", "QUILSTR1.EXE", "Keep.txt"}},
        {"negative size", 0xFFFFFFFF, true, ListSlot("README.TXT"), {}, {"ReadMe.txt", "Keep.txt"}},
        {"length byte 255", 13, true, ListSlot("QUILSTR1.EXE", 255), {"QUILSTR1.EXE"}, {"ReadMe.txt", "Keep.txt"}},
        {"length byte 13 past a 12-character name", 13, true, ListSlot("QUILSTR1.EXE", 13), {"QUILSTR1.EXE"},
         {"Keep.txt"}},
        {"parent folder and drive names", 39, true, ListSlot("..\\V.TXT") + ListSlot("C:V.TXT") + ListSlot(".."),
         {}, {"ReadMe.txt", "Keep.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* f : {"Quilstr.exe", "QUILSTR1.EXE", "ReadMe.txt", "Keep.txt"}) WriteFileBytes(app_ + f, f);
        SeedBase();
        SetDword("InstallFilesSize", c.size);
        if (c.withList) SetRaw("InstallFiles", REG_BINARY, c.list);
        EXPECT_EQ(Uninstall(), "");
        for (const std::string& g : c.gone) EXPECT_FALSE(PathExists(app_ + g)) << g;
        for (const std::string& k : c.kept) EXPECT_TRUE(PathExists(app_ + k)) << k;
        EXPECT_EQ(ReadFileBytes(Dir() + "V.TXT"), "keep me");
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));  // the run went on to its end
        CloseForm();
    }
}

TEST_F(DamagedRecord, DelphiListsDamaged_MainListStillHandled) {
    SeedRecord("1.0", app_, Dir() + "D10", Dir() + "D20");
    CreateDirectoryA((Dir() + "D10").c_str(), nullptr);
    WriteFileBytes(Dir() + "D10\\HelpCtx.dcu", "d");
    SetDword("InstallFilesSize", 13);
    SetRaw("InstallFiles", REG_BINARY, ListSlot("README.TXT"));
    SetRaw("Delphi10FilesSize", REG_SZ, std::string("13\0", 3));  // unreadable: the Delphi 1.0 list is empty
    SetRaw("Delphi10Files", REG_BINARY, ListSlot("HELPCTX.DCU"));
    SetDword("Delphi20FilesSize", 0x7FFFFFFF);                     // its list missing
    EXPECT_EQ(Uninstall(), "");
    EXPECT_FALSE(PathExists(app_ + "ReadMe.txt"));
    EXPECT_TRUE(PathExists(Dir() + "D10\\HelpCtx.dcu"));
}

// Start-up on damaged identity values: never an error, and a mode that follows from what could be read.
TEST_F(DamagedRecord, StartUpOnDamagedVersionAndFolder_ChoosesAModeWithoutError) {
    WriteMainPak("2.0");
    const struct {
        const char* what;
        const char* name;
        DWORD type;
        std::string bytes;
        SetupMode mode;
    } cases[] = {
        {"version empty", "Version", REG_BINARY, "", SetupMode::FreshInstall},
        {"version length byte 255 over 3 characters", "Version", REG_BINARY, "\xFF" "1.0", SetupMode::Update},
        {"version 300 bytes", "Version", REG_BINARY, "\x20" + std::string(299, 'v'), SetupMode::FreshInstall},
        {"version as a number", "Version", REG_DWORD, std::string("\x03\0\0\0", 4), SetupMode::Update},
        {"folder as a number", "InstallDir", REG_DWORD, std::string("\x03\0\0\0", 4), SetupMode::FreshInstall},
        {"folder length byte 255", "InstallDir", REG_BINARY, "", SetupMode::Update},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t boxesBefore = boxes_.Boxes().size();
        SeedBase();
        std::string bytes = c.bytes;
        if (std::string(c.what) == "folder length byte 255") bytes = "\xFF" + app_;
        SetRaw(c.name, c.type, bytes);
        TSetupForm& f = Start();
        EXPECT_EQ(boxes_.Boxes().size(), boxesBefore);
        EXPECT_FALSE(Application().Terminated());
        EXPECT_EQ(f.Mode(), c.mode);
        EXPECT_LE(RunState(f).OldVersion().size(), 32u);
        CloseForm();
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
    }
}
