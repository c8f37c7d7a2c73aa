#include "SystemTestSupport.h"

#include "system/SheLink.h"

namespace qs::test {

namespace {

// COM for the whole program, on the thread that runs the tests, as the program entry does it.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // Under Wine every saved shortcut starts the menu builder, which makes launchers on the host and, while it
        // lingers, rewrites "Shell Folders" behind the next test's back. Switch it off for this program's children.
        if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
            saved_ = ReadRaw(HKEY_CURRENT_USER, kOverrides, kBuilder);
            SetRaw(HKEY_CURRENT_USER, kOverrides, kBuilder, REG_SZ, std::string(1, '\0'));
            switched_ = true;
        }
        qs::InitCom();
    }
    void TearDown() override {
        qs::DoneCom();
        if (!switched_) return;
        if (saved_)
            SetRaw(HKEY_CURRENT_USER, kOverrides, kBuilder, saved_->type, saved_->bytes);
        else
            DeleteValue(HKEY_CURRENT_USER, kOverrides, kBuilder);
    }

private:
    static constexpr char kOverrides[] = "Software\\Wine\\DllOverrides";
    static constexpr char kBuilder[] = "winemenubuilder.exe";
    std::optional<RawValue> saved_;
    bool switched_ = false;
};
::testing::Environment* const kCom = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

std::string WindowsDir() {
    char buf[MAX_PATH];
    GetWindowsDirectoryA(buf, MAX_PATH);
    std::string dir = buf;
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

std::string DelphiIniPath() { return WindowsDir() + "DELPHI.INI"; }

void ResetSystemStores() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\QV");
    DeleteShellEntries();
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\Borland");
    // Profile writes are cached by the system; flush before the file goes.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "DELPHI.INI");
    RemoveTree(DelphiIniPath());
}

}  // namespace qs::test
