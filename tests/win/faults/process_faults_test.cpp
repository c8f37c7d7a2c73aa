// Faults that need the real Setup.exe as a process of its own: killed in the middle of an install, and started
// from a folder with a library planted beside it.
#include <gtest/gtest.h>

#include <cctype>

#include "../setup/SetupFixture.h"
#include "FaultFixture.h"

#include <psapi.h>  // after windows.h
#include "SetupProcess.h"
#include "base/Text.h"

using namespace qs;
using namespace qs::test;

namespace {

constexpr DWORD kLong = 120000;  // generous: the machine may be busy with other builds

class ProcessFaults : public ::testing::Test {
protected:
    void SetUp() override {
        CleanRegistry();
        media_ = std::make_unique<ScratchDir>("procmedia");
        target_ = std::make_unique<ScratchDir>("proctarget");
        ASSERT_TRUE(CopyFileA(SetupExePath().c_str(), (Media() + "Setup.exe").c_str(), FALSE)) << SetupExePath();
    }
    void TearDown() override {
        CleanRegistry();
        target_.reset();
        media_.reset();
    }
    static void CleanRegistry() {
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
        DeleteShellEntries();
    }
    std::string Media() const { return media_->Path(); }
    std::string App() const { return target_->Path() + "App\\"; }

    // Chooses the install folder, clears the shortcut ticks and presses the install button, as a user does.
    void StartInstall(SetupProcess& p) {
        ASSERT_TRUE(p.ClickTab("Install"));
        HWND now = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                now = p.Child("Button", "Install Quillostrand now!!!");
                return now && IsWindowVisible(now);
            },
            kLong))
            << "the Install page did not show";
        HWND edit = nullptr;
        for (HWND e : p.Children("Edit")) {
            const std::string t = SetupProcess::Text(e);
            if (t.size() >= 13 && t.compare(t.size() - 13, 13, "\\Quillostrand") == 0) edit = e;
        }
        ASSERT_NE(edit, nullptr) << "no install folder box";
        const std::string folder = App().substr(0, App().size() - 1);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        ASSERT_EQ(SetupProcess::Text(edit), folder);
        for (const char* box : {"Put link to Quillostrand on the Desktop", "Include Quillostrand in the Programs Menu",
                                "Include Quillostrand in the Start Menu"})
            if (HWND b = p.Child("Button", box)) SendMessageA(b, BM_SETCHECK, BST_UNCHECKED, 0);
        PostMessageA(now, BM_CLICK, 0, 0);
    }

    bool AnyFileIn(const std::string& folder) const {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool file = false;
        do file = file || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (!file && FindNextFileA(h, &fd));
        FindClose(h);
        return file;
    }

    std::unique_ptr<ScratchDir> media_, target_;
};

constexpr int kBigFiles = 16;
constexpr size_t kBigSize = 2u << 20;

std::string BigName(int i) { return "Part" + std::to_string(i) + ".bin"; }

}  // namespace

TEST_F(ProcessFaults, KilledMidInstall_StartedAgainOffersFreshInstallAndCompletes) {
    // 16 files of 2 MB: the install takes long enough to be caught in the middle.
    const std::string content = FaultContent(kBigSize, 77);
    RawPakEntry big = PackRawEntry("Quilstr.exe", content);  // packed once, stored under every name
    std::vector<RawPakEntry> entries = {big};
    for (int i = 0; i < kBigFiles; ++i) {
        big.FileName = BigName(i);
        entries.push_back(big);
    }
    WriteFileBytes(Media() + "Quilstr.pak", BuildPak("Quillostrand", "3.0", false, entries));

    {
        SetupProcess first(Media() + "Setup.exe", Media());
        ASSERT_TRUE(first.Started());
        ASSERT_TRUE(first.WaitWindow(kLong)) << "no setup window; boxes: " << ::testing::PrintToString(first.BoxTexts());
        EXPECT_EQ(first.Tabs(), (std::vector<std::string>{"Welcome", "Delphi", "Install"}));
        StartInstall(first);
        ASSERT_TRUE(WaitUntil([&] { return AnyFileIn(App()); }, kLong)) << "the install did not start";
        first.Kill();
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey)) << "the install finished before it was killed";
        EXPECT_FALSE(PathExists(App() + "Setup.exe"));
    }

    SetupProcess again(Media() + "Setup.exe", Media());
    ASSERT_TRUE(again.WaitWindow(kLong)) << "no setup window; boxes: " << ::testing::PrintToString(again.BoxTexts());
    // The same mode as before: the interrupted run left no record behind.
    EXPECT_EQ(again.Tabs(), (std::vector<std::string>{"Welcome", "Delphi", "Install"}));
    StartInstall(again);
    ASSERT_TRUE(WaitUntil(
        [&] {
            HWND run = again.Child("Button", "Run Quillostrand");
            return (run && IsWindowVisible(run)) || !again.BoxTexts().empty();
        },
        4 * kLong))
        << "the install did not finish";
    EXPECT_TRUE(again.BoxTexts().empty()) << ::testing::PrintToString(again.BoxTexts());
    EXPECT_TRUE(ReadFileBytes(App() + "Quilstr.exe") == content);
    for (int i = 0; i < kBigFiles; ++i) {
        WIN32_FILE_ATTRIBUTE_DATA a{};
        ASSERT_TRUE(GetFileAttributesExA((App() + BigName(i)).c_str(), GetFileExInfoStandard, &a)) << BigName(i);
        EXPECT_EQ(a.nFileSizeLow, kBigSize) << BigName(i);
    }
    EXPECT_TRUE(ReadFileBytes(App() + BigName(kBigFiles - 1)) == content);
    EXPECT_TRUE(PathExists(App() + "Setup.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    PostMessageA(again.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitExit(30000));
}

namespace {

// The loaded modules of a process whose file name is name (letter case ignored), by full path.
std::vector<std::string> ModulesNamed(DWORD pid, const std::string& name) {
    std::vector<std::string> found;
    HANDLE proc = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!proc) return found;
    HMODULE mods[512];
    DWORD needed = 0;
    if (EnumProcessModules(proc, mods, sizeof mods, &needed)) {
        for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
            char path[MAX_PATH] = {};
            GetModuleFileNameExA(proc, mods[i], path, MAX_PATH);
            std::string p = path;
            const std::string base = AsciiLower(p.substr(p.find_last_of('\\') + 1));
            if (base == AsciiLower(name)) found.push_back(p);
        }
    }
    CloseHandle(proc);
    return found;
}

// Tells Wine to prefer a library file found beside the program over its own copy, for one program (Wine's
// per-program settings in the registry); removed again on destruction.
class PreferNativeLibrary {
public:
    PreferNativeLibrary(const std::string& exe, const char* library) : key_(std::string(kBase) + exe) {
        WriteSz(HKEY_CURRENT_USER, key_ + "\\DllOverrides", library, "native,builtin");
    }
    ~PreferNativeLibrary() { DeleteRegTree(HKEY_CURRENT_USER, key_); }

private:
    static constexpr const char* kBase = "Software\\Wine\\AppDefaults\\";
    std::string key_;
};

}  // namespace

// Setup.exe is usually started from a downloads folder full of strangers' files. Wine itself prefers its own
// copies of system libraries; told to prefer files found beside the program (as Windows does for a library that
// is not one of its known ones), a program that searches its own folder takes the planted "uxtheme.dll" (the
// control proves it). Setup.exe restricts the search to the system folder when its entry runs, and loads the
// libraries outside the system's known ones (common controls, msimg32, which pull in the theme library) only
// after that, so neither they nor their own imports come from the program's folder.
TEST_F(ProcessFaults, PlantedLibraryBesideSetup_NotLoaded) {
    ASSERT_TRUE(CopyFileA(DosPath(QS_PLANTED_DLL).c_str(), (Media() + "uxtheme.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(DosPath(QS_LOAD_CONTROL_EXE).c_str(), (Media() + "LoadControl.exe").c_str(), FALSE));
    WriteFileBytes(Media() + "Quilstr.pak",
                   BuildPak("Quillostrand", "1.0", false, {PackRawEntry("Quilstr.exe", "program")}));
    const std::string marker = Media() + "uxtheme.dll.loaded";
    PreferNativeLibrary preferControl("LoadControl.exe", "uxtheme");
    PreferNativeLibrary preferSetup("Setup.exe", "uxtheme");

    {
        Process control(Quote(Media() + "LoadControl.exe"), Media());
        ASSERT_TRUE(control.WaitExit(kLong));
    }
    ASSERT_TRUE(PathExists(marker)) << "the planted library is not taken even without a restriction: the test "
                                       "proves nothing here";
    ASSERT_TRUE(DeleteFileA(marker.c_str()));

    SetupProcess setup(Media() + "Setup.exe", Media());
    ASSERT_TRUE(setup.WaitWindow(kLong)) << ::testing::PrintToString(setup.BoxTexts());
    // Let it show its pages (themed drawing loads the library).
    ASSERT_TRUE(setup.ClickTab("Install"));
    Sleep(2000);
    const std::vector<std::string> uxtheme = ModulesNamed(setup.Pid(), "uxtheme.dll");
    // The library is loaded, and from the system folder.
    EXPECT_FALSE(uxtheme.empty());
    for (const std::string& p : uxtheme) EXPECT_EQ(AsciiLower(p).find(AsciiLower(Media())), std::string::npos) << p;
    EXPECT_FALSE(PathExists(marker));
    PostMessageA(setup.Window(), WM_CLOSE, 0, 0);
    setup.WaitExit(30000);
    EXPECT_FALSE(PathExists(marker));
}
