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

std::optional<RawValue> ReadRaw(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<RawValue> result;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
            ERROR_SUCCESS) {
            bytes.resize(size);
            result = RawValue{type, bytes};
        }
    }
    RegCloseKey(k);
    return result;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

void SetRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
    RegCloseKey(k);
}

void SetSz(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    SetRaw(root, key, name, REG_SZ, Sz(text));
}

void DeleteValue(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name.c_str());
    RegCloseKey(k);
}

std::optional<std::string> SzOf(HKEY root, const std::string& key, const std::string& name) {
    auto raw = ReadRaw(root, key, name);
    if (!raw) return std::nullopt;
    EXPECT_EQ(raw->type, DWORD(REG_SZ)) << name;
    std::string text = raw->bytes;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::string Sz(const std::string& text) { return text + '\0'; }

std::string CountedText(const std::string& text) { return std::string(1, char(text.size())) + text; }

std::string WindowsDir() {
    char buf[MAX_PATH];
    GetWindowsDirectoryA(buf, MAX_PATH);
    std::string dir = buf;
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

std::string DelphiIniPath() { return WindowsDir() + "DELPHI.INI"; }

std::string IniValue(const std::string& section, const std::string& key) {
    char buf[2048];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buf, sizeof buf, "DELPHI.INI");
    return buf;
}

void ResetSystemStores() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\QV");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quilstr.exe");
    DeleteRegTree(HKEY_CLASSES_ROOT, ".qst");
    DeleteRegTree(HKEY_CLASSES_ROOT, "QuillostrandProject");
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillostrand");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\Borland");
    // Profile writes are cached by the system; flush before the file goes.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "DELPHI.INI");
    RemoveTree(DelphiIniPath());
}

}  // namespace qs::test
