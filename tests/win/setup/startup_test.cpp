#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "SetupFixture.h"

#include "WinRegistry.h"
#include "base/Bitness.h"
#include "base/Exceptions.h"
#include "framework/GdiGuards.h"
#include "base/Text.h"
#include "setup/SetupInstance.h"
#include "setup/SetupPages.h"

using namespace qs;
using namespace qs::test;

namespace {

class Startup : public SetupFixture {
protected:
    // An earlier installation in a folder that still holds Quilstr.exe.
    std::string InstalledFolder() {
        installed_ = std::make_unique<ScratchDir>("installed");
        WriteFileBytes(installed_->Path() + "Quilstr.exe", "MZ");
        return installed_->Path();
    }
    std::unique_ptr<ScratchDir> installed_;
};

}  // namespace

// ---- The mode table

TEST_F(Startup, FreshInstall_PackageAndNoRecord_ShowsWelcomeDelphiInstall) {
    WriteSizedPak("Quilstr.pak", "1.0", 5000);
    TSetupForm& f = Start();
    EXPECT_EQ(f.Mode(), SetupMode::FreshInstall);
    EXPECT_EQ(VisibleTabs(), (std::vector<int>{WelcomeSheet, DelphiSheet, InstallSheet}));
    EXPECT_EQ(f.Pages.ActivePage(), WelcomeSheet);
    EXPECT_EQ(f.LabelVersion.Caption(), "1.0");
    EXPECT_EQ(RunState(f).InstallSize(), 5000);
    EXPECT_EQ(RunState(f).SetupSize(), 3000);
    EXPECT_EQ(RunState(f).SpaceNeeded(), 8000);
    EXPECT_EQ(f.LabelSpaceNeeded.Caption(), "7 kB");
    EXPECT_EQ(RunState(f).SourceDir(), Media());
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(Startup, Update_OtherVersionInstalled_ShowsDelphiUpdateUninstall) {
    const std::string dir = InstalledFolder();
    SeedRecord("2.1", dir);
    WriteSizedPak("Quilstr.pak", "2.0", 10);  // older than the installed one: offered all the same
    TSetupForm& f = Start();
    EXPECT_EQ(f.Mode(), SetupMode::Update);
    EXPECT_EQ(VisibleTabs(), (std::vector<int>{DelphiSheet, UpdateSheet, UninstallSheet}));
    EXPECT_EQ(f.Pages.ActivePage(), UpdateSheet);
    EXPECT_EQ(f.LabelOldVersion.Caption(), "2.1");
    EXPECT_EQ(f.LabelInstallVersion.Caption(), "2.0");
    EXPECT_EQ(f.EditInstallDir.Text(), dir);
}

namespace {

// A label's text width in its font, and its box in its page.
SIZE TextSizeOf(const TLabel& label) {
    HWND h = label.Handle();
    SIZE text{};
    WindowDC dc(h);
    ScopedSelect font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
    const std::string caption = label.Caption();
    GetTextExtentPoint32A(dc.Get(), caption.c_str(), int(caption.size()), &text);
    return text;
}

RECT BoxInPage(const TLabel& label) {
    RECT r;
    GetWindowRect(label.Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(label.Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

// Versions of 32 characters, the longest the package and the record hold: the Update page has room for them
// whole, unless they are of the widest letters. On the Install page the version stops short of "Disk space available:", keeps its whole text (drawn
// cut, with "...") and gets a tooltip; a version that fits is as wide as its text, with no tooltip, as ever.
TEST_F(Startup, LongestVersions_WholeOnUpdatePage_CutBeforeNextLabelOnInstallPage) {
    const std::string installed = "1.9.9 build 2025 (final release)";
    const std::string offered = "2.0.1 build 202612 (new release)";
    ASSERT_EQ(installed.size(), 32u);
    ASSERT_EQ(offered.size(), 32u);
    SeedRecord(installed, InstalledFolder());
    WriteSizedPak("Quilstr.pak", offered, 10);
    TSetupForm& f = Start();
    ASSERT_EQ(f.Mode(), SetupMode::Update);
    EXPECT_EQ(f.LabelOldVersion.Caption(), installed);
    EXPECT_EQ(f.LabelInstallVersion.Caption(), offered);
    for (TLabel* label : {&f.LabelOldVersion, &f.LabelInstallVersion}) {
        SCOPED_TRACE(label->Caption());
        RECT page;
        GetClientRect(GetParent(label->Handle()), &page);
        const RECT r = BoxInPage(*label);
        EXPECT_GE(r.right - r.left, TextSizeOf(*label).cx);
        EXPECT_LE(r.right, page.right);
        EXPECT_FALSE(label->Cut());
        // The widest letters do not fit: cut at the page's edge with "...", whole in the tooltip.
        label->SetCaption(std::string(32, 'W'));
        EXPECT_TRUE(label->Cut());
        EXPECT_LE(BoxInPage(*label).right, page.right);
        EXPECT_TRUE(GetWindowLongA(label->Handle(), GWL_STYLE) & SS_ENDELLIPSIS);
    }

    EXPECT_EQ(f.LabelVersion.Caption(), offered);
    RECT r = BoxInPage(f.LabelVersion);
    RECT next = BoxInPage(ViewNamed<TLabel>(f, "Label23"));
    EXPECT_GT(TextSizeOf(f.LabelVersion).cx, r.right - r.left);
    EXPECT_EQ(r.right, next.left - setup_pages::kLabelGap);
    EXPECT_TRUE(f.LabelVersion.Cut());
    EXPECT_TRUE(GetWindowLongA(f.LabelVersion.Handle(), GWL_STYLE) & SS_ENDELLIPSIS);

    f.LabelVersion.SetCaption("1.0");
    r = BoxInPage(f.LabelVersion);
    EXPECT_EQ(r.right - r.left, TextSizeOf(f.LabelVersion).cx);
    EXPECT_FALSE(f.LabelVersion.Cut());
}

TEST_F(Startup, UninstallOnly_SameVersionOrEmptyVersion) {
    const std::string dir = InstalledFolder();
    for (const char* version : {"2.1", ""}) {
        SeedRecord("2.1", dir);
        WriteSizedPak("Quilstr.pak", version, 10);
        TSetupForm& f = Start();
        EXPECT_EQ(f.Mode(), SetupMode::UninstallOnly) << version;
        EXPECT_EQ(VisibleTabs(), std::vector<int>{UninstallSheet});
        EXPECT_EQ(f.Pages.ActivePage(), UninstallSheet);
        form_.reset();
    }
}

TEST_F(Startup, UninstallOnly_ProgramCopyAloneWithRecord_NoMessage) {
    SeedRecord("1.0", InstalledFolder());
    TSetupForm& f = Start();
    EXPECT_EQ(f.Mode(), SetupMode::UninstallOnly);
    EXPECT_EQ(VisibleTabs(), std::vector<int>{UninstallSheet});
    EXPECT_EQ(f.LabelOldVersion.Caption(), "1.0");
    EXPECT_EQ(f.LabelInstallVersion.Caption(), "");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Startup, Refusal_NoPackageNoRecord_MessageEndsAndWritesNothing) {
    TSetupForm& f = Start();
    EXPECT_EQ(f.Mode(), SetupMode::Refusal);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "File Quilstr.pak not found");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Quillostrand Setup");
    EXPECT_EQ(boxes_.Boxes()[0].flags & MB_ICONMASK, UINT(MB_ICONSTOP));
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand"));
    EXPECT_FALSE(PathExists(WindowsIni()));
}

TEST_F(Startup, Refusal_RecordWithoutProgramAndNoPackage) {
    // The copy started after the record went stale: its folder no longer holds Quilstr.exe.
    ScratchDir gone("gone");
    SeedRecord("1.0", gone.Path());
    Start();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "File Quilstr.pak not found");
}

TEST_F(Startup, FreshInstall_StaleRecordStillTicksRecordedDelphiFolder) {
    ScratchDir gone("stale");
    SeedRecord("1.0", gone.Path(), "C:\\Borland\\Delphi\\LIB");
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    WriteSizedPak("Delphi10.pak", "x", 10);
    TSetupForm& f = Start();
    EXPECT_EQ(f.Mode(), SetupMode::FreshInstall);
    // In the Program Files folder this program's registry view names: "C:\\Program Files (x86)" for a 32-bit
    // program on 64-bit Windows.
    // A 64-bit prefix that never ran 32-bit code has no such value: the program's default then.
    const auto pf = ReadSz(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    EXPECT_EQ(f.EditInstallDir.Text(), IncludeTrailingBackslash(pf.value_or("C:\\Program Files")) + "Quillostrand");
    EXPECT_TRUE(f.CheckDelphi10.Checked());
    EXPECT_EQ(f.EditDelphi10.Text(), "C:\\Borland\\Delphi\\LIB");
    EXPECT_TRUE(f.EditDelphi10.ReadOnly());
    EXPECT_TRUE(f.EditDelphi10.Enabled());
}

TEST_F(Startup, FreshInstall_RecordedVersionNone) {
    SeedRecord("None", InstalledFolder());
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    EXPECT_EQ(Start().Mode(), SetupMode::FreshInstall);
}

// ---- Start-up messages

TEST_F(Startup, WrongMagic_ErrorReportAndEnd) {
    std::string bytes = BuildPak("Quillostrand", "1.0", false, {});
    bytes[1] = 'X';
    WriteFileBytes(Media() + "Quilstr.pak", bytes);
    TSetupForm& f = Start();
    EXPECT_EQ(f.Mode(), SetupMode::Refusal);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "PAK file corrupt.");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Quillostrand Setup");
    EXPECT_EQ(boxes_.Boxes()[0].flags & MB_ICONMASK, UINT(MB_ICONSTOP));
    EXPECT_TRUE(Application().Terminated());
}

TEST_F(Startup, MissingOrDamagedDelphiPackages_OptionsSilentlyDisabled) {
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    std::string bad = BuildPak("x", "y", false, {});
    bad[0] = 'Z';
    WriteFileBytes(Media() + "Delphi20.pak", bad);
    TSetupForm& f = Start();
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(f.CheckDelphi10.Enabled());
    EXPECT_FALSE(f.CheckDelphi10.Checked());
    EXPECT_FALSE(f.CheckDelphi20.Enabled());
    EXPECT_FALSE(f.CheckDelphi20.Checked());
}

// ---- Proposed folders and detection

TEST_F(Startup, Delphi10SearchPath_FillsFolderButDisabledOptionStaysUnticked) {
    WritePrivateProfileStringA("Library", "SearchPath", "C:\\TOOLS;c:\\delphi\\lib", "DELPHI.INI");
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    TSetupForm& f = Start();
    EXPECT_EQ(f.EditDelphi10.Text(), "c:\\delphi\\lib");
    EXPECT_FALSE(f.CheckDelphi10.Checked());
    EXPECT_FALSE(f.CheckDelphi10.Enabled());
}

TEST_F(Startup, Delphi10SearchPath_TicksWhenPackagePresent) {
    WritePrivateProfileStringA("Library", "SearchPath", "C:\\DELPHI\\LIB;C:\\TOOLS", "DELPHI.INI");
    WriteSizedPak("Quilstr.pak", "1.0", 1000);
    WriteSizedPak("Delphi10.pak", "x", 4000);
    TSetupForm& f = Start();
    EXPECT_TRUE(f.CheckDelphi10.Checked());
    EXPECT_EQ(f.EditDelphi10.Text(), "C:\\DELPHI\\LIB");
    EXPECT_TRUE(f.EditDelphi10.Enabled());
    EXPECT_FALSE(f.EditDelphi10.ReadOnly());
    EXPECT_EQ(RunState(f).SpaceNeeded(), 1000 + 3000 + 4000);
}

TEST_F(Startup, Delphi20RootDir_AppendsLib) {
    WriteSz(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\2.0", "RootDir", "C:\\D2");
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    WriteSizedPak("Delphi20.pak", "x", 10);
    TSetupForm& f = Start();
    EXPECT_TRUE(f.CheckDelphi20.Checked());
    EXPECT_EQ(f.EditDelphi20.Text(), "C:\\D2\\LIB");
}

TEST_F(Startup, ProgramFilesDir_WithAndWithoutBackslashAndMissing) {
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                              KEY_ALL_ACCESS | RegistryViewFor(HKEY_LOCAL_MACHINE), nullptr, &k, nullptr),
              ERROR_SUCCESS);
    char saved[300];
    DWORD savedSize = sizeof saved;
    const bool had = RegQueryValueExA(k, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(saved),
                                      &savedSize) == ERROR_SUCCESS;
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    struct Case {
        const char* value;  // nullptr: missing
        const char* edit;
        char drive;  // 0: the one the box had (a drive that cannot be entered is not taken)
    } cases[] = {
        {"Z:\\tmp", "Z:\\tmp\\Quillostrand", 'z'},
        {"Q:\\Apps", "Q:\\Apps\\Quillostrand", 0},  // no such drive: start-up goes on quietly
        {"Z:\\tmp\\", "Z:\\tmp\\Quillostrand", 'z'},
        {"", "C:\\Program Files\\Quillostrand", 'c'},
        {nullptr, "C:\\Program Files\\Quillostrand", 'c'},
    };
    for (const Case& c : cases) {
        if (c.value)
            RegSetValueExA(k, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.value),
                           DWORD(strlen(c.value) + 1));
        else
            RegDeleteValueA(k, "ProgramFilesDir");
        TSetupForm& f = Start();
        EXPECT_EQ(f.EditInstallDir.Text(), c.edit) << (c.value ? c.value : "(missing)");
        EXPECT_EQ(f.EditDelphi10.Text(), std::string(c.edit) + "\\Delphi10");
        EXPECT_EQ(f.EditDelphi20.Text(), std::string(c.edit) + "\\Delphi20");
        if (c.drive)
            EXPECT_EQ(f.ComboInstallDrive.Drive(), c.drive);
        else
            EXPECT_NE(f.ComboInstallDrive.Drive(), 'q');
        EXPECT_TRUE(boxes_.Boxes().empty());
        EXPECT_EQ(f.LabelSpaceFree.Caption(), FormatKB(RunState(f).SpaceFree()));
        form_.reset();
    }
    if (had) RegSetValueExA(k, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved), savedSize);
    RegCloseKey(k);
}

TEST_F(Startup, FreeSpaceIsComputedAtStartAndNeverNegative) {
    WriteSizedPak("Quilstr.pak", "1.0", 10);
    TSetupForm& f = Start();
    EXPECT_GT(RunState(f).SpaceFree(), 0);
    EXPECT_EQ(f.LabelSpaceFree.Caption(), FormatKB(RunState(f).SpaceFree()));
    EXPECT_EQ(f.LabelSpaceFree.Color(), GetSysColor(COLOR_BTNFACE));
}

// A second copy with no window of the first to show (the first still starting up, or ending) waits for its turn
// and gets it as soon as the first is gone: never ends unseen. (The window case is tried end to end.)
TEST(SetupInstance, SecondWaitsWhileTheFirstHoldsTheName_RunsOnceItIsGone) {
    auto first = std::make_unique<TSetupInstance>();
    ASSERT_TRUE(first->WaitForTurn());
    std::promise<bool> turn;
    std::future<bool> second = turn.get_future();
    std::thread other([&turn] {
        TSetupInstance instance;  // another thread: a mutex lets its owner thread in again, never another
        turn.set_value(instance.WaitForTurn());
    });
    EXPECT_EQ(second.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    first.reset();
    ASSERT_EQ(second.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(second.get());
    other.join();
}
