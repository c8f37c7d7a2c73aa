#include "system/InstallRecord.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "base/Exceptions.h"
#include "base/FileSys.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "system/DelphiTransfer.h"
#include "system/InstalledFileList.h"
#include "system/Registry.h"
#include "system/ShellKeys.h"
#include "package/Product.h"

namespace qs {

namespace {

constexpr size_t kMaxVersion = 32;
constexpr char kCannotUninstall[] = "Cannot uninstall!\rUninstall data has been removed from the registry.";

// The list with each name in the system code page, the form the record has always held; a name that code page
// cannot hold keeps its bytes.
std::vector<uint8_t> AnsiFileList(std::vector<uint8_t> list) {
    for (size_t slot = 0; slot + kSlotSize <= list.size(); slot += kSlotSize) {
        const size_t n = std::min<size_t>(list[slot], kSlotSize - 1);
        const std::string name(list.begin() + ptrdiff_t(slot + 1), list.begin() + ptrdiff_t(slot + 1 + n));
        std::optional<std::string> bytes;
        try {
            bytes = AnsiCut(name, kSlotSize - 1);
        } catch (const EConvertError&) {
        }
        if (!bytes) continue;
        std::fill_n(list.begin() + ptrdiff_t(slot), kSlotSize, uint8_t(0));
        list[slot] = uint8_t(bytes->size());
        std::copy(bytes->begin(), bytes->end(), list.begin() + ptrdiff_t(slot + 1));
    }
    return list;
}

// A list of the recorded size; a value shorter than that, or missing, gives the bytes there are.
std::vector<uint8_t> ReadList(const RegKey& key, const std::string& name, uint32_t recordedSize) {
    if (int32_t(recordedSize) <= 0) return {};
    return ReadBinary(key, name, recordedSize);
}

// One package's folder and list as the record held them before this run.
struct EarlierPackage {
    std::optional<std::string> Dir;
    std::vector<uint8_t> Files;
};

EarlierPackage ReadEarlierPackage(const RegKey& record, PakRole role) {
    EarlierPackage p;
    if (!record) return p;
    const std::string name = FactsOf(role).RecordName;
    p.Dir = ReadCountedText(record, name + "Dir");
    if (const auto size = ReadNumber(record, name + "FilesSize")) p.Files = ReadList(record, name + "Files", *size);
    return p;
}

// The run's list in the record's form. An update writes nothing away: the files only the earlier version had stay
// in the same folder, and stay listed, so that the uninstall removes them too.
std::vector<uint8_t> RecordList(const std::vector<uint8_t>& files, const std::string& folder, const EarlierPackage& earlier) {
    const std::vector<uint8_t> list = AnsiFileList(files);
    if (!earlier.Dir || AsciiUpper(IncludeTrailingBackslash(*earlier.Dir)) != AsciiUpper(IncludeTrailingBackslash(folder)))
        return list;
    const std::string dir = IncludeTrailingBackslash(folder);
    return WithEarlierFiles(list, earlier.Files, FromAnsi, [&](const std::string& name) { return FileExists(dir + name); });
}

void WriteList(const RegKey& key, const std::string& prefix, const std::vector<uint8_t>& list) {
    WriteNumber(key, prefix + "FilesSize", uint32_t(list.size()));
    WriteBinary(key, prefix + "Files", list);
}

// A Delphi package's folder and list, only when its option is ticked: unticked ones keep an earlier run's values.
void WriteDelphiPackage(const RegKey& key, const std::string& prefix, const PackageRecord& p,
                        const EarlierPackage& earlier) {
    if (!p.Chosen) return;
    WriteCountedText(key, prefix + "Dir", p.Dir);
    WriteList(key, prefix, RecordList(p.Files, p.Dir, earlier));
}

// The version as the record can hold it: a character the system code page lacks shows as "?" there. Only the
// version is shown from it again; nothing is looked up by it.
std::string RecordVersion(const std::string& version) {
    if (ToAnsi(version)) return version;
    std::string shown;
    for (size_t i = 0; i < version.size();) {
        size_t next = i + 1;
        while (next < version.size() && (static_cast<unsigned char>(version[next]) & 0xC0) == 0x80) ++next;
        const std::string one = version.substr(i, next - i);
        shown += ToAnsi(one) ? one : "?";
        i = next;
    }
    return shown;
}

std::string Quoted(const std::string& path) { return '"' + path + '"'; }

}  // namespace

void WriteInstallRecord(const InstallRecordInput& in) {
    const std::string folder = CutText(in.InstallPath);
    {
        const RegKey earlier = RegKey::Open(HKEY_LOCAL_MACHINE, kRecordKey, KEY_QUERY_VALUE);
        EarlierPackage before[kPackageCount];
        for (const PakRole role : kPakRoles) before[IndexOf(role)] = ReadEarlierPackage(earlier, role);
        const RegKey record = RegKey::Create(HKEY_LOCAL_MACHINE, kRecordKey, KEY_WRITE);
        WriteCountedText(record, "Version", RecordVersion(CutText(in.InstallVersion, kMaxVersion)));
        WriteCountedText(record, "InstallDir", folder);
        WriteList(record, FactsOf(PakRole::Main).RecordName,
                  RecordList(in.Of(PakRole::Main).Files, folder, before[IndexOf(PakRole::Main)]));
        for (const PakRole role : kDelphiRoles)
            WriteDelphiPackage(record, FactsOf(role).RecordName, in.Of(role), before[IndexOf(role)]);
    }

    WriteShellKeys(folder);
    // Without this the shell shows the new icon and commands only after the next logon.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

    if (in.Of(PakRole::Delphi10).Chosen) AddDelphi10Transfer(folder);
    if (in.Of(PakRole::Delphi20).Chosen) AddDelphi20Transfer(folder);

    const RegKey entry = RegKey::Create(HKEY_LOCAL_MACHINE, kUninstallEntryKey, KEY_ALL_ACCESS);
    WriteText(entry, "DisplayName", kProductName);
    WriteText(entry, "UninstallString", CutText(Quoted(folder + "Setup.exe")));
    // What today's list of programs shows; the uninstall deletes the whole key, so none of it is left behind.
    WriteText(entry, "DisplayIcon", CutText(folder + kProgramFile + ",0"));
    WriteText(entry, "DisplayVersion", CutText(in.InstallVersion, kMaxVersion));
    WriteText(entry, "InstallLocation", folder);
    WriteNumber(entry, "EstimatedSize", in.SpaceNeeded > 0 ? uint32_t(in.SpaceNeeded) / 1024 : 0);
    WriteNumber(entry, "NoModify", 1);
    WriteNumber(entry, "NoRepair", 1);
}

StartupRecord ReadInstallRecordForStartup() {
    StartupRecord r;
    const RegKey key = RegKey::Open(HKEY_LOCAL_MACHINE, kRecordKey, KEY_QUERY_VALUE);
    if (!key) return r;
    const std::optional<std::string> version = ReadCountedText(key, "Version", kMaxVersion);
    if (!version || *version == kNoVersion) return r;
    r.OldVersion = *version;
    const std::optional<std::string> dir = ReadCountedText(key, "InstallDir");
    // An empty folder would make "\Quilstr.exe", a file in the current drive's root: no usable folder either.
    if (!dir || dir->empty()) {
        r.OldVersion = kNoVersion;
    } else {
        const std::string folder = IncludeTrailingBackslash(*dir);
        if (FileExists(folder + kProgramFile))
            r.Dirs[IndexOf(PakRole::Main)] = folder;
        else
            r.OldVersion = kNoVersion;  // a stale record: the application is no longer there
    }
    for (const PakRole role : kDelphiRoles)
        r.Dirs[IndexOf(role)] = ReadCountedText(key, std::string(FactsOf(role).RecordName) + "Dir");
    return r;
}

UninstallLists ReadUninstallLists() {
    const RegKey key = RegKey::Open(HKEY_LOCAL_MACHINE, kRecordKey, KEY_ALL_ACCESS);
    if (!key) throw Exception(kCannotUninstall);
    const std::optional<uint32_t> mainSize = ReadNumber(key, "InstallFilesSize");
    if (!mainSize) throw Exception(kCannotUninstall);
    UninstallLists l;
    l.Files[IndexOf(PakRole::Main)] = ReadList(key, "InstallFiles", *mainSize);
    for (const PakRole role : kDelphiRoles) {
        const std::string name = FactsOf(role).RecordName;
        if (const auto size = ReadNumber(key, name + "FilesSize")) l.Files[IndexOf(role)] = ReadList(key, name + "Files", *size);
    }
    return l;
}

}  // namespace qs
