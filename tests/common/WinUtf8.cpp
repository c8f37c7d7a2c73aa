#include "WinUtf8.h"

#include <tlhelp32.h>

#include <algorithm>
#include <climits>

#include "base/Bitness.h"
#include "base/WideText.h"

namespace qs::test::utf8 {

using qs::Narrow;
using qs::Widen;

// ---- Windows

std::string WindowText(HWND hwnd) {
    wchar_t buf[2048];
    const int n = GetWindowTextW(hwnd, buf, int(std::size(buf)));
    return Narrow(std::wstring_view(buf, n > 0 ? size_t(n) : 0));
}

std::optional<std::string> ControlText(HWND hwnd, DWORD ms) {
    wchar_t buf[2048] = L"";
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(buf), reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, ms,
                             &len))
        return std::nullopt;
    return Narrow(std::wstring_view(buf, std::min<size_t>(len, std::size(buf) - 1)));
}

bool SetControlText(HWND hwnd, const std::string& text, DWORD ms) {
    const std::wstring wide = Widen(text);
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, ms,
                               &ignored) != 0;
}

// ---- Files

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

namespace {

std::string WithoutSlash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();  // never below a drive's root "C:\"
    return path;
}

// The entries of a folder other than "." and "..", with their attributes.
std::vector<std::pair<std::string, DWORD>> Entries(const std::string& folder) {
    std::vector<std::pair<std::string, DWORD>> out;
    std::string pattern = WithoutSlash(folder);
    pattern += pattern.back() == '\\' ? "*" : "\\*";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Widen(pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::string name = Narrow(fd.cFileName);
        if (name != "." && name != "..") out.push_back({name, fd.dwFileAttributes});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

void CollectTree(const std::string& folder, const std::string& shown, std::vector<std::string>& out) {
    for (const auto& [name, attr] : Entries(folder)) {
        if (attr & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(shown + name + "\\");
            CollectTree(WithoutSlash(folder) + "\\" + name, shown + name + "\\", out);
        } else {
            out.push_back(shown + name);
        }
    }
}

}  // namespace

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& [name, attr] : Entries(folder))
        if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(name);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> TreeBelow(const std::string& folder) {
    std::vector<std::string> out;
    CollectTree(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

void RemoveTree(const std::string& path) {
    const std::string p = WithoutSlash(path);
    const std::wstring wide = Widen(p);
    const DWORD attr = GetFileAttributesW(wide.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(wide.c_str());
        return;
    }
    for (const auto& entry : Entries(p)) RemoveTree(p + "\\" + entry.first);
    RemoveDirectoryW(wide.c_str());
}

// ---- Registry

std::optional<RawValue> ReadStored(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExW(root, Widen(key).c_str(), 0, KEY_QUERY_VALUE | qs::RegistryViewFor(root), &k) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName = Widen(name);
    const wchar_t* value = name.empty() ? nullptr : valueName.c_str();
    RawValue v;
    DWORD size = 0;
    LONG rc = RegQueryValueExW(k, value, nullptr, &v.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        v.bytes.resize(size);
        rc = RegQueryValueExW(k, value, nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()), &size);
        v.bytes.resize(size);
    }
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return v;
}

bool WriteStored(HKEY root, const std::string& key, const std::string& name, const RawValue& value) {
    HKEY k;
    if (RegCreateKeyExW(root, Widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | qs::RegistryViewFor(root), nullptr,
                        &k, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring valueName = Widen(name);
    const LONG rc = RegSetValueExW(k, name.empty() ? nullptr : valueName.c_str(), 0, value.type,
                                   reinterpret_cast<const BYTE*>(value.bytes.data()), DWORD(value.bytes.size()));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

std::optional<std::string> ReadSz(HKEY root, const std::string& key, const std::string& name) {
    const auto v = ReadStored(root, key, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring text(v->bytes.size() / sizeof(wchar_t), L'\0');
    std::copy(v->bytes.begin(), v->bytes.begin() + text.size() * sizeof(wchar_t), reinterpret_cast<char*>(text.data()));
    return Narrow(std::wstring_view(text.c_str()));
}

bool WriteSz(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    const std::wstring wide = Widen(text);
    const auto* bytes = reinterpret_cast<const char*>(wide.c_str());
    return WriteStored(root, key, name, RawValue{REG_SZ, std::string(bytes, (wide.size() + 1) * sizeof(wchar_t))});
}

// ---- Processes

std::string ImagePath(DWORD pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!h) return "";
    wchar_t buf[MAX_PATH * 2];
    DWORD size = DWORD(std::size(buf));
    const BOOL ok = QueryFullProcessImageNameW(h, 0, buf, &size);
    CloseHandle(h);
    return ok ? Narrow(std::wstring_view(buf, size)) : "";
}

std::optional<UINT> AnsiCodePageOf(HANDLE process) {
    // GetACP takes no argument and its answer fits a thread's exit code. It lies in the same module there as here,
    // though perhaps at another address: found through that module's base in the other process.
    const auto here = reinterpret_cast<const BYTE*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetACP"));
    HMODULE module = nullptr;
    const DWORD byAddress = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!here || !GetModuleHandleExW(byAddress, reinterpret_cast<LPCWSTR>(here), &module)) return std::nullopt;
    wchar_t moduleName[MAX_PATH];
    if (!GetModuleFileNameW(module, moduleName, MAX_PATH)) return std::nullopt;
    const wchar_t* baseName = wcsrchr(moduleName, L'\\') ? wcsrchr(moduleName, L'\\') + 1 : moduleName;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetProcessId(process));
    if (snap == INVALID_HANDLE_VALUE) return std::nullopt;
    const BYTE* there = nullptr;
    MODULEENTRY32W m{};
    m.dwSize = sizeof m;
    for (BOOL more = Module32FirstW(snap, &m); more; more = Module32NextW(snap, &m))
        if (_wcsicmp(m.szModule, baseName) == 0)
            there = m.modBaseAddr + (here - reinterpret_cast<const BYTE*>(module));
    CloseHandle(snap);
    if (!there) return std::nullopt;
    const auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<BYTE*>(there));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, nullptr, 0, nullptr);
    if (!thread) return std::nullopt;
    DWORD code = 0;
    const bool done = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    if (!done) return std::nullopt;
    return UINT(code);
}

}  // namespace qs::test::utf8
