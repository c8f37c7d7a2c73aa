#include "Machine.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "Driver.h"

namespace e2e {

const char* const kDelphi2Key = "Software\\Borland\\Delphi\\2.0";
const char* const kTransferKey = "Software\\Borland\\Delphi\\2.0\\Transfer";

// ---- Files

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) throw Failure("cannot write " + path);
}

void MakeFolders(const std::string& path) {
    const std::string p = WithSlash(path);
    for (size_t i = 3; i < p.size(); ++i)
        if (p[i] == '\\') CreateDirectoryA(p.substr(0, i).c_str(), nullptr);
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string TempDir() {
    char buf[MAX_PATH];
    GetTempPathA(MAX_PATH, buf);
    return WithSlash(buf);
}

std::string WindowsDir() {
    char buf[MAX_PATH];
    GetWindowsDirectoryA(buf, MAX_PATH);
    return WithSlash(buf);
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

// ---- Registry

std::vector<std::string> SlotNames(const std::string& list) {
    std::vector<std::string> names;
    for (size_t at = 0; at + 13 <= list.size(); at += 13)
        names.push_back(list.substr(at + 1, std::min<size_t>(uint8_t(list[at]), 12)));
    return names;
}

// ---- DELPHI.INI

std::string IniPath() { return WindowsDir() + "DELPHI.INI"; }

std::string IniRead(const std::string& section, const std::string& key) {
    char buf[1024];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, "DELPHI.INI");
    return buf;
}

void IniWrite(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), "DELPHI.INI"))
        throw Failure("cannot write DELPHI.INI");
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
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        throw Failure("no shell link object");
    IPersistFile* file = nullptr;
    std::optional<Link> result;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            Link l;
            char buf[MAX_PATH * 2];
            WIN32_FIND_DATAA fd;
            if (SUCCEEDED(link->GetPath(buf, sizeof buf, &fd, SLGP_RAWPATH))) l.target = buf;
            if (SUCCEEDED(link->GetWorkingDirectory(buf, sizeof buf))) l.workingDir = buf;
            if (SUCCEEDED(link->GetDescription(buf, sizeof buf))) l.description = buf;
            if (SUCCEEDED(link->GetArguments(buf, sizeof buf))) l.arguments = buf;
            if (SUCCEEDED(link->GetIconLocation(buf, sizeof buf, &l.iconIndex))) l.iconPath = buf;
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
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "DELPHI.INI");
    DeleteFileA(IniPath().c_str());
    for (const auto& l : LinkPaths()) DeleteFileA(l.c_str());
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
