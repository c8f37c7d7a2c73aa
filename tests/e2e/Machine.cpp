#include "Machine.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "DelphiIni.h"
#include "Driver.h"
#include "base/WideText.h"

namespace e2e {

const char* const kDelphi2Key = "Software\\Borland\\Delphi\\2.0";
const char* const kTransferKey = "Software\\Borland\\Delphi\\2.0\\Transfer";

// ---- Files

using qs::Narrow;
using qs::Widen;

bool Exists(const std::string& path) { return qs::test::utf8::Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
    const DWORD a = qs::test::utf8::Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    uint8_t buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes.insert(bytes.end(), buf, buf + n);
    CloseHandle(h);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw Failure("cannot write " + path + " (error " + std::to_string(GetLastError()) + ")");
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != bytes.size()) throw Failure("cannot write " + path);
}

void MakeFolders(const std::string& path) {
    const std::string p = WithSlash(path);
    for (size_t i = 3; i < p.size(); ++i)
        if (p[i] == '\\') CreateDirectoryW(Widen(p.substr(0, i)).c_str(), nullptr);
    if (!IsFolder(p))
        throw Failure("cannot make the folder " + p + " (error " + std::to_string(GetLastError()) + ")");
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string TempDir() {
    wchar_t buf[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, buf);
    return WithSlash(Narrow(buf));
}

std::string WindowsDir() {
    wchar_t buf[MAX_PATH];
    GetWindowsDirectoryW(buf, MAX_PATH);
    return WithSlash(Narrow(buf));
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

// ---- Registry

std::string AnsiBytesOf(const std::string& text) {
    const auto bytes = qs::ToAnsi(text);
    if (!bytes) throw Failure("\"" + text + "\" has no exact form in the ANSI code page " + std::to_string(GetACP()));
    return *bytes;
}

std::vector<std::string> SlotNames(const std::string& list) {
    std::vector<std::string> names;
    for (size_t at = 0; at + 13 <= list.size(); at += 13)
        names.push_back(list.substr(at + 1, std::min<size_t>(uint8_t(list[at]), 12)));
    return names;
}

// ---- DELPHI.INI

std::string IniPath() { return WindowsDir() + "DELPHI.INI"; }

std::string IniRead(const std::string& section, const std::string& key) {
    return qs::test::DelphiIniValue(section, key).value_or("");
}

void IniWrite(const std::string& section, const std::string& key, const std::string& value) {
    if (!qs::test::WriteDelphiIni(section, key, value)) throw Failure("cannot write DELPHI.INI");
}

// ---- Shortcuts

std::string ShellFolder(const std::string& valueName) {
    const std::string dir =
        ReadSz(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", valueName)
            .value_or("");
    if (dir.empty()) throw Failure("no shell folder " + valueName + " in the registry");
    return WithSlash(dir);
}

std::vector<std::string> LinkPaths() {
    return {ShellFolder("Desktop") + "Quillostrand.lnk", ShellFolder("Start Menu") + "Quillostrand.lnk",
            ShellFolder("Programs") + "Quillostrand.lnk"};
}

std::optional<Link> ReadLink(const std::string& path) {
    if (!Exists(path)) return std::nullopt;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        throw Failure("no shell link object");
    IPersistFile* file = nullptr;
    std::optional<Link> result;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(Widen(path).c_str(), STGM_READ))) {
            Link l;
            wchar_t buf[MAX_PATH * 2];
            const int size = int(std::size(buf));
            WIN32_FIND_DATAW fd;
            if (SUCCEEDED(link->GetPath(buf, size, &fd, SLGP_RAWPATH))) l.target = Narrow(buf);
            if (SUCCEEDED(link->GetWorkingDirectory(buf, size))) l.workingDir = Narrow(buf);
            if (SUCCEEDED(link->GetDescription(buf, size))) l.description = Narrow(buf);
            if (SUCCEEDED(link->GetArguments(buf, size))) l.arguments = Narrow(buf);
            if (SUCCEEDED(link->GetIconLocation(buf, size, &l.iconIndex))) l.iconPath = Narrow(buf);
            // The show command as stored in the file's header: Wine's loader reports a stored 0 as 1.
            const auto raw = ReadBytes(path);
            l.showCmd = raw.size() >= 0x40 ? int(raw[0x3C] | (raw[0x3D] << 8)) : -1;
            link->GetHotkey(&l.hotKey);
            result = l;
        }
        file->Release();
    }
    link->Release();
    if (!result) throw Failure(path + " is not a shortcut");
    return result;
}

// ---- Clean slate

void CleanMachine(const std::vector<std::string>& extraFolders) {
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\QV\\Quillostrand");
    qs::test::DeleteShellEntries();
    DeleteRegTree(HKEY_LOCAL_MACHINE, kDelphi2Key);
    DeleteRegTree(HKEY_CURRENT_USER, kDelphi2Key);
    // The profile functions cache files; flush before deleting, so that no stale copy is written back.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, L"DELPHI.INI");
    DeleteFileW(Widen(IniPath()).c_str());
    for (const auto& l : LinkPaths()) DeleteFileW(Widen(l).c_str());
    for (const auto& f : extraFolders) RemoveTree(f);
}

std::string InstallTraces() {
    std::string found;
    if (KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand")) found += " install record;";
    if (KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) found += " uninstall entry;";
    if (KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey)) found += " App Paths entry;";
    if (KeyExists(HKEY_CLASSES_ROOT, ".qst")) found += " .qst;";
    if (KeyExists(HKEY_CLASSES_ROOT, "QuillostrandProject")) found += " QuillostrandProject;";
    for (const auto& l : LinkPaths())
        if (Exists(l)) found += " " + l + ";";
    return found;
}

}  // namespace e2e
