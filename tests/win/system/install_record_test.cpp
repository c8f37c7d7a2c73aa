// The install record, the shell entries and the uninstall entry against Wine's real registry: written byte for byte,
// read back by start-up and by the uninstall run, and deleted again.
#include <gtest/gtest.h>

#include "FileListBytes.h"
#include "SystemTestSupport.h"
#include "base/Exceptions.h"
#include "system/DelphiTransfer.h"
#include "system/InstallRecord.h"
#include "system/Registry.h"
#include "system/Uninstall.h"

namespace qs::test {
namespace {

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

InstallRecordInput Input(const std::string& folder) {
    InstallRecordInput in;
    in.InstallVersion = "2.0";
    in.InstallPath = folder;
    in.Of(PakRole::Main).Files = FileList({"QUILSTR.EXE", "QUILSTR.HLP", "README.TXT"});
    in.SpaceNeeded = 1500000;
    return in;
}

void ExpectRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
    const auto raw = ReadRaw(root, key, name);
    ASSERT_TRUE(raw) << key << " " << name;
    EXPECT_EQ(raw->type, type) << name;
    EXPECT_EQ(raw->bytes, bytes) << name;
}

using InstallRecordTest = SystemTest;

TEST_F(InstallRecordTest, WriteInstallRecord_ProgramFilesFolder_StoresRecordByteForByte) {
    WriteInstallRecord(Input("C:\\Program Files\\Quillostrand\\"));
    const auto dir = ReadRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir");
    ASSERT_TRUE(dir);
    EXPECT_EQ(dir->type, DWORD(REG_BINARY));
    ASSERT_EQ(dir->bytes.size(), 31u);
    EXPECT_EQ(uint8_t(dir->bytes[0]), 30);
    EXPECT_EQ(dir->bytes.substr(1), "C:\\Program Files\\Quillostrand\\");
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, std::string("\x03" "2.0"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFilesSize", REG_DWORD, DwordBytes(39));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFiles", REG_BINARY,
              Bytes(FileList({"QUILSTR.EXE", "QUILSTR.HLP", "README.TXT"})));
    // Unticked Delphi options write none of their values.
    for (const char* name : {"Delphi10Dir", "Delphi10FilesSize", "Delphi10Files", "Delphi20Dir", "Delphi20FilesSize",
                             "Delphi20Files"})
        EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kRecordKey, name)) << name;
}

TEST_F(InstallRecordTest, WriteInstallRecord_PackageWithoutFiles_StoresEmptyList) {
    InstallRecordInput in = Input("C:\\Q\\");
    in.Of(PakRole::Main).Files.clear();
    WriteInstallRecord(in);
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFilesSize", REG_DWORD, DwordBytes(0));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFiles", REG_BINARY, "");
}

TEST_F(InstallRecordTest, WriteInstallRecord_LongTexts_CutTo255AndVersionTo32) {
    const std::string folder = "C:\\" + std::string(296, 'f') + "\\";  // 300 characters
    InstallRecordInput in = Input(folder);
    in.InstallVersion = std::string(40, 'v');
    in.Of(PakRole::Delphi10).Chosen = true;
    in.Of(PakRole::Delphi10).Dir = std::string(300, 'd');
    WriteInstallRecord(in);
    const std::string cut = folder.substr(0, 255);
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir", REG_BINARY, CountedText(cut));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir", REG_BINARY, CountedText(std::string(255, 'd')));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, CountedText(std::string(32, 'v')));
    // Composed texts are cut again: the folder alone already fills them.
    EXPECT_EQ(SzOf(HKEY_CLASSES_ROOT, "QuillostrandProject\\DefaultIcon", ""), cut);
    const std::string quotedCut = ("\"" + folder).substr(0, 255);
    EXPECT_EQ(SzOf(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), quotedCut);
    EXPECT_EQ(SzOf(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open\\Command", ""), quotedCut);
}

TEST_F(InstallRecordTest, WriteInstallRecord_DelphiOptionsTicked_StoresFoldersAsLeftAndLists) {
    InstallRecordInput in = Input("C:\\Q\\");
    in.Of(PakRole::Delphi10).Chosen = in.Of(PakRole::Delphi20).Chosen = true;
    in.Of(PakRole::Delphi10).Dir = "C:\\DELPHI\\LIB";
    in.Of(PakRole::Delphi20).Dir = "C:\\Delphi 2.0\\Lib";
    in.Of(PakRole::Delphi10).Files = FileList({"QSPROP.DCU"});
    in.Of(PakRole::Delphi20).Files = FileList({"QSPROP.DCU", "QSPROP.DCR"});
    WriteInstallRecord(in);
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir", REG_BINARY, CountedText("C:\\DELPHI\\LIB"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10FilesSize", REG_DWORD, DwordBytes(13));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Files", REG_BINARY, Bytes(in.Of(PakRole::Delphi10).Files));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20Dir", REG_BINARY, CountedText("C:\\Delphi 2.0\\Lib"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20FilesSize", REG_DWORD, DwordBytes(26));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20Files", REG_BINARY, Bytes(in.Of(PakRole::Delphi20).Files));
}

TEST_F(InstallRecordTest, WriteInstallRecord_UpdateWithDelphiUnticked_KeepsEarlierDelphiValuesRewritesTheRest) {
    InstallRecordInput first = Input("C:\\Q\\");
    first.Of(PakRole::Delphi10).Chosen = first.Of(PakRole::Delphi20).Chosen = true;
    first.Of(PakRole::Delphi10).Dir = "C:\\D1\\LIB";
    first.Of(PakRole::Delphi20).Dir = "C:\\D2\\LIB";
    first.Of(PakRole::Delphi10).Files = FileList({"A.DCU"});
    first.Of(PakRole::Delphi20).Files = FileList({"B.DCU"});
    WriteInstallRecord(first);
    const auto openBefore = SzOf(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open\\Command", "");

    InstallRecordInput update = Input("C:\\Q\\");
    update.InstallVersion = "2.1";
    update.Of(PakRole::Main).Files = FileList({"QUILSTR.EXE", "NEW.DLL"});
    update.Of(PakRole::Delphi10).Dir = "C:\\ELSEWHERE";  // unticked: must not be written
    update.Of(PakRole::Delphi10).Files = FileList({"X.DCU", "Y.DCU"});
    WriteInstallRecord(update);

    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, CountedText("2.1"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFilesSize", REG_DWORD, DwordBytes(26));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFiles", REG_BINARY, Bytes(update.Of(PakRole::Main).Files));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir", REG_BINARY, CountedText("C:\\Q\\"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir", REG_BINARY, CountedText("C:\\D1\\LIB"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Files", REG_BINARY, Bytes(first.Of(PakRole::Delphi10).Files));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20Dir", REG_BINARY, CountedText("C:\\D2\\LIB"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20FilesSize", REG_DWORD, DwordBytes(13));
    EXPECT_EQ(SzOf(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open\\Command", ""), openBefore);
    EXPECT_EQ(SzOf(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "2.1");
}

// The commands the shell runs quote the program's path, which may hold blanks; App Paths keeps it bare.
TEST_F(InstallRecordTest, WriteInstallRecord_FolderWithBlanks_WritesTheSevenShellKeys) {
    WriteInstallRecord(Input("D:\\Q R\\"));
    struct Row {
        HKEY root;
        const char* key;
        const char* text;
    };
    const Row rows[] = {
        {HKEY_CLASSES_ROOT, ".qst", "QuillostrandProject"},
        {HKEY_CLASSES_ROOT, "QuillostrandProject", "Quillostrand Project"},
        {HKEY_CLASSES_ROOT, "QuillostrandProject\\DefaultIcon", "D:\\Q R\\Quilstr.exe,0"},
        {HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell", "Open"},
        {HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open\\Command", "\"D:\\Q R\\Quilstr.exe\" \"%1\""},
        {HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Compile\\Command", "\"D:\\Q R\\Quilstr.exe\" \"%1\" /C"},
        {HKEY_LOCAL_MACHINE, kAppPathsKey, "D:\\Q R\\Quilstr.exe"},
    };
    for (const Row& r : rows) ExpectRaw(r.root, r.key, "", REG_SZ, Sz(r.text));
    // The command keys' parents exist but carry no value.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open"));
    EXPECT_FALSE(ReadRaw(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open", ""));
    EXPECT_FALSE(ReadRaw(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Compile", ""));
}

TEST_F(InstallRecordTest, WriteInstallRecord_FolderDQ_WritesUninstallEntry) {
    WriteInstallRecord(Input("D:\\Q\\"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", REG_SZ, Sz("Quillostrand"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", REG_SZ, Sz("\"D:\\Q\\Setup.exe\""));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon", REG_SZ, Sz("D:\\Q\\Quilstr.exe,0"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", REG_SZ, Sz("2.0"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", REG_SZ, Sz("D:\\Q\\"));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", REG_DWORD, DwordBytes(1500000 / 1024));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify", REG_DWORD, DwordBytes(1));
    ExpectRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair", REG_DWORD, DwordBytes(1));
}

TEST_F(InstallRecordTest, WriteInstallRecord_BadDelphi20Count_RaisesAndWritesNoUninstallEntry) {
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "two");
    InstallRecordInput in = Input("C:\\Q\\");
    in.Of(PakRole::Delphi10).Chosen = in.Of(PakRole::Delphi20).Chosen = true;
    try {
        WriteInstallRecord(in);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'two' is not a valid integer value");
    }
    EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version"));
    EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kAppPathsKey, ""));
    EXPECT_EQ(IniValue("Transfer", "Count"), "1");  // Delphi 1.0 comes first
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, "Title0"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(InstallRecordTest, WriteInstallRecord_UnwritableDelphiIni_RaisesBeforeDelphi20AndUninstallEntry) {
    CreateDirectoryA(DelphiIniPath().c_str(), nullptr);  // a folder where the file should be: every write fails
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "0");
    InstallRecordInput in = Input("C:\\Q\\");
    in.Of(PakRole::Delphi10).Chosen = in.Of(PakRole::Delphi20).Chosen = true;
    try {
        WriteInstallRecord(in);
        FAIL() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_STREQ(e.what(), "Unable to write to DELPHI.INI");
    }
    RemoveDirectoryA(DelphiIniPath().c_str());
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "0");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// ---- Start-up's reading

TEST_F(InstallRecordTest, ReadInstallRecordForStartup_NoRecord_GivesNone) {
    const StartupRecord r = ReadInstallRecordForStartup();
    EXPECT_EQ(r.OldVersion, "None");
    EXPECT_FALSE(r.DirOf(PakRole::Main));
    EXPECT_FALSE(r.DirOf(PakRole::Delphi10));
    EXPECT_FALSE(r.DirOf(PakRole::Delphi20));
}

TEST_F(InstallRecordTest, ReadInstallRecordForStartup_AfterInstall_GivesVersionFolderAndDelphiFolders) {
    ScratchDir dir("rec");
    WriteFileBytes(dir.Path() + "Quilstr.exe", "MZ");
    InstallRecordInput in = Input(dir.Path());
    in.Of(PakRole::Delphi10).Chosen = true;
    in.Of(PakRole::Delphi10).Dir = "C:\\DELPHI\\LIB";
    WriteInstallRecord(in);
    const StartupRecord r = ReadInstallRecordForStartup();
    EXPECT_EQ(r.OldVersion, "2.0");
    EXPECT_EQ(r.DirOf(PakRole::Main), dir.Path());
    EXPECT_EQ(r.DirOf(PakRole::Delphi10), "C:\\DELPHI\\LIB");
    EXPECT_FALSE(r.DirOf(PakRole::Delphi20));
}

TEST_F(InstallRecordTest, ReadInstallRecordForStartup_FolderWithoutBackslash_GetsOne) {
    ScratchDir dir("rec");
    WriteFileBytes(dir.Path() + "Quilstr.exe", "MZ");
    const std::string bare = dir.Path().substr(0, dir.Path().size() - 1);
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, CountedText("1.5"));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir", REG_BINARY, CountedText(bare));
    const StartupRecord r = ReadInstallRecordForStartup();
    EXPECT_EQ(r.OldVersion, "1.5");
    EXPECT_EQ(r.DirOf(PakRole::Main), dir.Path());
}

TEST_F(InstallRecordTest, ReadInstallRecordForStartup_VersionNone_ReadsNothingElse) {
    ScratchDir dir("rec");
    WriteFileBytes(dir.Path() + "Quilstr.exe", "MZ");
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, CountedText("None"));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir", REG_BINARY, CountedText(dir.Path()));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir", REG_BINARY, CountedText("C:\\D1"));
    const StartupRecord r = ReadInstallRecordForStartup();
    EXPECT_EQ(r.OldVersion, "None");
    EXPECT_FALSE(r.DirOf(PakRole::Main));
    EXPECT_FALSE(r.DirOf(PakRole::Delphi10));
}

TEST_F(InstallRecordTest, ReadInstallRecordForStartup_StaleOrMissingFolder_GivesNoneButStillDelphiFolders) {
    ScratchDir dir("rec");  // holds no Quilstr.exe
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, CountedText("2.0"));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir", REG_BINARY, CountedText("C:\\D1"));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20Dir", REG_BINARY, CountedText("C:\\D2"));
    for (const std::optional<std::string>& folder : {std::optional<std::string>(dir.Path()),
                                                     std::optional<std::string>(""), std::optional<std::string>()}) {
        if (folder)
            SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir", REG_BINARY, CountedText(*folder));
        else
            DeleteValue(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir");
        const StartupRecord r = ReadInstallRecordForStartup();
        EXPECT_EQ(r.OldVersion, "None") << folder.value_or("<missing>");
        EXPECT_FALSE(r.DirOf(PakRole::Main));
        EXPECT_EQ(r.DirOf(PakRole::Delphi10), "C:\\D1");
        EXPECT_EQ(r.DirOf(PakRole::Delphi20), "C:\\D2");
    }
}

TEST_F(InstallRecordTest, ReadInstallRecordForStartup_DamagedVersion_GivesNone) {
    ScratchDir dir("rec");
    WriteFileBytes(dir.Path() + "Quilstr.exe", "MZ");
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir", REG_BINARY, CountedText(dir.Path()));
    // Longer than 33 bytes, and empty (no length byte).
    for (const std::string& bytes : {CountedText(std::string(33, 'v')), std::string()}) {
        SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, bytes);
        EXPECT_EQ(ReadInstallRecordForStartup().OldVersion, "None") << bytes.size();
    }
    // A length byte that claims more than the value holds gives what it holds.
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Version", REG_BINARY, std::string("\x20" "2.0"));
    EXPECT_EQ(ReadInstallRecordForStartup().OldVersion, "2.0");
}

// ---- The uninstall run's reading

void ExpectCannotUninstall() {
    try {
        ReadUninstallLists();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot uninstall!\rUninstall data has been removed from the registry.");
    }
}

TEST_F(InstallRecordTest, ReadUninstallLists_NoRecordOrNoSize_RaisesCannotUninstall) {
    ExpectCannotUninstall();
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFiles", REG_BINARY, Bytes(FileList({"A"})));
    ExpectCannotUninstall();
    ExpectCannotUninstall();  // a second press: the same
}

TEST_F(InstallRecordTest, ReadUninstallLists_AfterInstall_GivesTheThreeLists) {
    InstallRecordInput in = Input("C:\\Q\\");
    in.Of(PakRole::Delphi20).Chosen = true;
    in.Of(PakRole::Delphi20).Files = FileList({"A.DCU", "B.DCR"});
    WriteInstallRecord(in);
    const UninstallLists l = ReadUninstallLists();
    EXPECT_EQ(l.FilesOf(PakRole::Main), in.Of(PakRole::Main).Files);
    EXPECT_TRUE(l.FilesOf(PakRole::Delphi10).empty());
    EXPECT_EQ(l.FilesOf(PakRole::Delphi20), in.Of(PakRole::Delphi20).Files);
}

TEST_F(InstallRecordTest, ReadUninstallLists_DamagedLists_GiveTheBytesThere) {
    const auto three = FileList({"A", "B", "C"});
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFilesSize", REG_DWORD, DwordBytes(39));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFiles", REG_BINARY, Bytes(three).substr(0, 20));  // short
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10FilesSize", REG_DWORD, DwordBytes(13));             // list missing
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20Files", REG_BINARY, Bytes(three));              // size missing
    UninstallLists l = ReadUninstallLists();
    EXPECT_EQ(Bytes(l.FilesOf(PakRole::Main)), Bytes(three).substr(0, 20));
    EXPECT_TRUE(l.FilesOf(PakRole::Delphi10).empty());
    EXPECT_TRUE(l.FilesOf(PakRole::Delphi20).empty());

    // Longer than recorded: the recorded size rules. A negative size: no entries.
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFilesSize", REG_DWORD, DwordBytes(13));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "InstallFiles", REG_BINARY, Bytes(three));
    SetRaw(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20FilesSize", REG_DWORD, DwordBytes(uint32_t(-13)));
    l = ReadUninstallLists();
    EXPECT_EQ(l.FilesOf(PakRole::Main), FileList({"A"}));
    EXPECT_TRUE(l.FilesOf(PakRole::Delphi20).empty());
}

// ---- Removal

TEST_F(InstallRecordTest, DeleteRegistryEntries_RemovesSixKeysWithSubKeys_KeepsSoftwareQV) {
    InstallRecordInput in = Input("C:\\Q\\");
    WriteInstallRecord(in);
    SetSz(HKEY_CURRENT_USER, "Software\\QV\\Quillostrand\\Settings\\Deep", "X", "1");
    SetSz(HKEY_LOCAL_MACHINE, "Software\\QV\\Other", "Keep", "1");
    DeleteRegistryEntries();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\QV\\Quillostrand"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".qst"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "QuillostrandProject"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\QV"));
    EXPECT_EQ(SzOf(HKEY_LOCAL_MACHINE, "Software\\QV\\Other", "Keep"), "1");
    // Their siblings stay.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"));
    DeleteRegistryEntries();  // nothing left to delete: passes over quietly
}

// ---- The registry encodings themselves

TEST_F(InstallRecordTest, RegistryReads_RefuseValuesThatDoNotFit) {
    const std::string key = "Software\\QV\\Quillostrand\\Probe";
    SetSz(HKEY_LOCAL_MACHINE, key, "Exact", std::string(260, 'x'));
    SetSz(HKEY_LOCAL_MACHINE, key, "Long", std::string(261, 'x'));
    SetRaw(HKEY_LOCAL_MACHINE, key, "Short", REG_DWORD, "\x01\x02");
    SetRaw(HKEY_LOCAL_MACHINE, key, "NoNul", REG_SZ, "abc");
    const RegKey k = RegKey::Open(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE);
    ASSERT_TRUE(k);
    EXPECT_EQ(ReadText(k, "Exact"), std::string(260, 'x'));
    EXPECT_FALSE(ReadText(k, "Long"));
    EXPECT_FALSE(ReadText(k, "Missing"));
    EXPECT_EQ(ReadText(k, "NoNul"), "abc");
    EXPECT_FALSE(ReadNumber(k, "Short"));
    EXPECT_FALSE(ReadNumber(k, "Missing"));
    EXPECT_FALSE(ReadText(RegKey(), "Exact"));  // a key that did not open
}

}  // namespace
}  // namespace qs::test
