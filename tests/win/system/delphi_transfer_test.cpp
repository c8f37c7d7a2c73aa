// The application's Transfer entries in DELPHI.INI (in the Windows folder) and in the Delphi 2.0 registry key,
// added and removed against Wine's real profile functions and registry.
#include <gtest/gtest.h>

#include <chrono>

#include "SystemTestSupport.h"
#include "base/Exceptions.h"
#include "system/DelphiTransfer.h"
#include "system/IniFile.h"
#include "system/InstallRecord.h"

namespace qs::test {
namespace {

using DelphiTransferTest = SystemTest;

void WriteIni(const std::string& text) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "DELPHI.INI");
    WriteFileBytes(DelphiIniPath(), text);
}

std::string IniText() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "DELPHI.INI");  // flush what the system caches
    return ReadFileBytes(DelphiIniPath());
}

bool IniHasKey(const std::string& key) {
    for (const auto& k : TIniFile("DELPHI.INI").ReadKeyNames("Transfer"))
        if (k == key) return true;
    return false;
}

struct Entry {
    std::string title, workingDir, path, params;
};

Entry IniEntry(int n) {
    const std::string i = std::to_string(n);
    return {IniValue("Transfer", "Title" + i), IniValue("Transfer", "WorkingDir" + i), IniValue("Transfer", "Path" + i),
            IniValue("Transfer", "Params" + i)};
}

Entry RegEntry(int n) {
    const std::string i = std::to_string(n);
    auto v = [&](const char* f) { return SzOf(HKEY_CURRENT_USER, kDelphi20Key, f + i).value_or("<missing>"); };
    return {v("Title"), v("WorkingDir"), v("Path"), v("Params")};
}

void ExpectEntry(const Entry& e, const std::string& title, const std::string& dir, const std::string& path,
                 const std::string& params = "") {
    EXPECT_EQ(e.title, title);
    EXPECT_EQ(e.workingDir, dir);
    EXPECT_EQ(e.path, path);
    EXPECT_EQ(e.params, params);
}

void SeedIniEntry(int n, const std::string& title, const std::string& path) {
    const std::string i = std::to_string(n);
    WritePrivateProfileStringA("Transfer", ("Title" + i).c_str(), title.c_str(), "DELPHI.INI");
    WritePrivateProfileStringA("Transfer", ("WorkingDir" + i).c_str(), ("WD" + i).c_str(), "DELPHI.INI");
    WritePrivateProfileStringA("Transfer", ("Path" + i).c_str(), path.c_str(), "DELPHI.INI");
    WritePrivateProfileStringA("Transfer", ("Params" + i).c_str(), ("P" + i).c_str(), "DELPHI.INI");
}

void SeedRegEntry(int n, const std::string& title, const std::string& path) {
    const std::string i = std::to_string(n);
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Title" + i, title);
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "WorkingDir" + i, "WD" + i);
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Path" + i, path);
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Params" + i, "P" + i);
}

// ---- Adding, Delphi 1.0

TEST_F(DelphiTransferTest, AddDelphi10Transfer_NoIniOrNoSection_WritesEntryZeroAndCountOne) {
    for (bool otherSection : {false, true}) {
        ResetSystemStores();
        if (otherSection) WriteIni("[Library]\r\nSearchPath=C:\\DELPHI\\LIB\r\n");
        AddDelphi10Transfer("C:\\NoSuchFolder\\");
        ExpectEntry(IniEntry(0), "&Quillostrand", "C:\\NoSuchFolder\\", "C:\\NoSuchFolder\\Quilstr.exe");
        EXPECT_TRUE(IniHasKey("Params0"));  // written, with nothing after "="
        EXPECT_EQ(IniValue("Transfer", "Count"), "1");
        if (otherSection) {
            EXPECT_EQ(IniValue("Library", "SearchPath"), "C:\\DELPHI\\LIB");
        }
    }
}

TEST_F(DelphiTransferTest, AddDelphi10Transfer_CountReadAsInteger_AppendsAtThatIndex) {
    struct Case {
        const char* count;
        int index;
    };
    for (const Case& c : {Case{"3", 3}, Case{"0x2", 2}, Case{"0X0a", 10}, Case{"many", 0}, Case{"", 0},
                          Case{"-4", 0}, Case{"$2", 0}}) {
        ResetSystemStores();
        WriteIni(std::string("[Transfer]\r\nCount=") + c.count + "\r\nTitle0=Other\r\n");
        AddDelphi10Transfer("C:\\NoSuchFolder\\");
        EXPECT_EQ(IniEntry(c.index).title, "&Quillostrand") << c.count;
        EXPECT_EQ(IniValue("Transfer", "Count"), std::to_string(c.index + 1)) << c.count;
        if (c.index != 0) {
            EXPECT_EQ(IniEntry(0).title, "Other") << c.count;
        }
    }
}

// A missing or unreadable Count in DELPHI.INI never lets the new entry overwrite one of the user's.
TEST_F(DelphiTransferTest, AddDelphi10Transfer_NoReadableCount_AddsAfterTheEntriesThere) {
    for (const char* countLine : {"", "Count=many\r\n"}) {
        ResetSystemStores();
        WriteIni(std::string("[Transfer]\r\n") + countLine + "Title0=Other\r\npath0=C:\\O.EXE\r\nPath1=C:\\T.EXE\r\n");
        AddDelphi10Transfer("C:\\NoSuchFolder\\");
        EXPECT_EQ(IniEntry(0).title, "Other") << countLine;
        EXPECT_EQ(IniEntry(2).title, "&Quillostrand") << countLine;
        EXPECT_EQ(IniValue("Transfer", "Count"), "3") << countLine;
    }
}

TEST_F(DelphiTransferTest, AddTransfer_LongFolderNames_IniGetsShortFormRegistryLongForm) {
    ScratchDir scratch("transfer");
    const std::string folder = scratch.Path() + "Quillostrand Long Folder Name\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    char shortBuf[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(folder.c_str(), shortBuf, MAX_PATH), 0u);
    std::string shortForm = shortBuf;
    if (shortForm.back() != '\\') shortForm += '\\';
    ASSERT_NE(shortForm, folder);
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "0");

    AddDelphi10Transfer(folder);
    AddDelphi20Transfer(folder);

    ExpectEntry(IniEntry(0), "&Quillostrand", shortForm, shortForm + "Quilstr.exe");
    ExpectEntry(RegEntry(0), "&Quillostrand", folder, folder + "Quilstr.exe");
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "1");
}

// An update finds the earlier install's entry between the user's own and renews it there; no second one.
TEST_F(DelphiTransferTest, AddTransfer_EarlierEntry_RenewedInPlaceBetweenTheUsersOwn) {
    SeedIniEntry(0, "&Grep", "C:\\TOOLS\\GREP.EXE");
    SeedIniEntry(1, "&Quillostrand", "C:\\OLD\\QUILSTR.EXE");
    SeedIniEntry(2, "&Notes", "C:\\TOOLS\\NOTES.EXE");
    WritePrivateProfileStringA("Transfer", "Count", "3", "DELPHI.INI");
    SeedRegEntry(0, "&Workshop", "C:\\D2\\WORKSHOP.EXE");
    SeedRegEntry(1, "&Quillostrand", "C:\\OLD\\Quilstr.exe");
    SeedRegEntry(2, "&Notes", "C:\\TOOLS\\NOTES.EXE");
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "3");
    for (int run = 0; run < 2; ++run) {
        AddDelphi10Transfer("C:\\Q\\");
        AddDelphi20Transfer("C:\\Q\\");
    }
    EXPECT_EQ(IniValue("Transfer", "Count"), "3");
    ExpectEntry(IniEntry(0), "&Grep", "WD0", "C:\\TOOLS\\GREP.EXE", "P0");
    ExpectEntry(IniEntry(1), "&Quillostrand", "C:\\Q\\", "C:\\Q\\Quilstr.exe");
    ExpectEntry(IniEntry(2), "&Notes", "WD2", "C:\\TOOLS\\NOTES.EXE", "P2");
    EXPECT_FALSE(IniHasKey("Title3"));
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "3");
    ExpectEntry(RegEntry(0), "&Workshop", "WD0", "C:\\D2\\WORKSHOP.EXE", "P0");
    ExpectEntry(RegEntry(1), "&Quillostrand", "C:\\Q\\", "C:\\Q\\Quilstr.exe");
    ExpectEntry(RegEntry(2), "&Notes", "WD2", "C:\\TOOLS\\NOTES.EXE", "P2");
    EXPECT_EQ(RegEntry(3).title, "<missing>");
}

// ---- Adding, Delphi 2.0

TEST_F(DelphiTransferTest, AddDelphi20Transfer_CountZero_WritesRegSzValuesWithTheirNul) {
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "0");
    AddDelphi20Transfer("D:\\Q\\");
    for (auto [name, text] : {std::pair<const char*, const char*>{"Title0", "&Quillostrand"},
                              {"WorkingDir0", "D:\\Q\\"},
                              {"Path0", "D:\\Q\\Quilstr.exe"},
                              {"Params0", ""},
                              {"Count", "1"}}) {
        const auto raw = ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, name);
        ASSERT_TRUE(raw) << name;
        EXPECT_EQ(raw->type, DWORD(REG_SZ)) << name;
        EXPECT_EQ(raw->bytes, Sz(text)) << name;
    }
}

TEST_F(DelphiTransferTest, AddDelphi20Transfer_KeyMissing_CreatesNothing) {
    SetSz(HKEY_CURRENT_USER, "Software\\Borland\\Delphi\\2.0", "Other", "1");
    AddDelphi20Transfer("C:\\Q\\");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kDelphi20Key));
}

// Without a Count the new entry goes after the consecutive Path values there, so a user's own entry is never
// overwritten; the uninstall then finds ours by the Count the install wrote.
TEST_F(DelphiTransferTest, AddDelphi20Transfer_NoCount_AddsAfterTheEntriesThere) {
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Title0", "Stale");  // no Path0: no entry
    AddDelphi20Transfer("C:\\Q\\");
    EXPECT_EQ(RegEntry(0).title, "&Quillostrand");
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "1");

    ResetSystemStores();
    SeedRegEntry(0, "Other", "C:\\O\\Other.exe");
    AddDelphi20Transfer("C:\\Q\\");
    ExpectEntry(RegEntry(0), "Other", "WD0", "C:\\O\\Other.exe", "P0");
    ExpectEntry(RegEntry(1), "&Quillostrand", "C:\\Q\\", "C:\\Q\\Quilstr.exe");
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "2");
    RemoveDelphi20Transfer();
    ExpectEntry(RegEntry(0), "Other", "WD0", "C:\\O\\Other.exe", "P0");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, "Path1"));
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "1");
}

// The Delphi 2.0 Count is decimal only: hexadecimal spellings are conversion errors, on adding and on removing.
TEST_F(DelphiTransferTest, Delphi20Transfer_CountNotDecimal_RaisesAndChangesNothing) {
    for (const char* count : {"4x", "0x1", "$1", "1.5"}) {
        ResetSystemStores();
        SeedRegEntry(0, "&Quillostrand", "C:\\Q\\Quilstr.exe");
        SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", count);
        const std::string expected = std::string("'") + count + "' is not a valid integer value";
        for (void (*run)() : {+[] { AddDelphi20Transfer("C:\\New\\"); }, +[] { RemoveDelphi20Transfer(); }}) {
            try {
                run();
                ADD_FAILURE() << "no error for " << count;
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.Message(), expected);
            }
        }
        ExpectEntry(RegEntry(0), "&Quillostrand", "WD0", "C:\\Q\\Quilstr.exe", "P0");
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, "Title1"));
        EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), count);
    }
}

TEST_F(DelphiTransferTest, WriteInstallRecord_BothOptionsUnticked_LeavesBothStoresUntouched) {
    const std::string ini = "[Transfer]\r\nCount=1\r\nTitle0=Other\r\nPath0=C:\\X\\X.EXE\r\n";
    WriteIni(ini);
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "0");
    InstallRecordInput in;
    in.InstallVersion = "2.0";
    in.InstallPath = "C:\\Q\\";
    WriteInstallRecord(in);
    EXPECT_EQ(IniText(), ini);
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "0");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, "Title0"));
}

// ---- Removing, Delphi 1.0

TEST_F(DelphiTransferTest, RemoveDelphi10Transfer_TwoMatches_RemovesOnlyTheFirstAndKeepsOldLastKeys) {
    SeedIniEntry(0, "Tool A", "C:\\A\\A.EXE");
    SeedIniEntry(1, "&Quillostrand", "C:\\PROGRA~1\\QUILLO~1\\QUILSTR.EXE");
    SeedIniEntry(2, "Tool B", "C:\\B\\B.EXE");
    SeedIniEntry(3, "Second", "C:\\Old\\myQuilstr.exe");
    WritePrivateProfileStringA("Transfer", "Count", "4", "DELPHI.INI");
    RemoveDelphi10Transfer();
    EXPECT_EQ(IniValue("Transfer", "Count"), "3");
    ExpectEntry(IniEntry(0), "Tool A", "WD0", "C:\\A\\A.EXE", "P0");
    ExpectEntry(IniEntry(1), "Tool B", "WD2", "C:\\B\\B.EXE", "P2");
    ExpectEntry(IniEntry(2), "Second", "WD3", "C:\\Old\\myQuilstr.exe", "P3");
    ExpectEntry(IniEntry(3), "Second", "WD3", "C:\\Old\\myQuilstr.exe", "P3");  // beyond Count, left in the file
}

TEST_F(DelphiTransferTest, RemoveDelphi10Transfer_MatchIsLast_OnlyCountDrops) {
    SeedIniEntry(0, "Tool A", "C:\\A\\A.EXE");
    SeedIniEntry(1, "&Quillostrand", "C:\\Q\\Quilstr.exe");
    WritePrivateProfileStringA("Transfer", "Count", "2", "DELPHI.INI");
    RemoveDelphi10Transfer();
    EXPECT_EQ(IniValue("Transfer", "Count"), "1");
    ExpectEntry(IniEntry(0), "Tool A", "WD0", "C:\\A\\A.EXE", "P0");
    EXPECT_EQ(IniEntry(1).title, "&Quillostrand");
}

TEST_F(DelphiTransferTest, RemoveDelphi10Transfer_NoIniNoCountNoMatch_ChangesNothing) {
    RemoveDelphi10Transfer();
    EXPECT_FALSE(PathExists(DelphiIniPath()));

    const std::string noCount = "[Transfer]\r\nTitle0=&Quillostrand\r\nPath0=C:\\Q\\Quilstr.exe\r\n";
    WriteIni(noCount);
    RemoveDelphi10Transfer();
    EXPECT_EQ(IniText(), noCount);

    // The match lies beyond Count: not a valid entry.
    const std::string beyond = "[Transfer]\r\nCount=1\r\nPath0=C:\\A.EXE\r\nPath1=C:\\Q\\Quilstr.exe\r\n";
    WriteIni(beyond);
    RemoveDelphi10Transfer();
    EXPECT_EQ(IniText(), beyond);
}

TEST_F(DelphiTransferTest, RemoveDelphi10Transfer_HugeDamagedCount_FinishesAtOnce) {
    WriteIni("[Transfer]\r\nCount=2000000000\r\nPath0=C:\\A.EXE\r\nPath1=C:\\Q\\Quilstr.exe\r\nTitle2=Last\r\n");
    const auto start = std::chrono::steady_clock::now();
    RemoveDelphi10Transfer();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(IniValue("Transfer", "Count"), "1999999999");
    EXPECT_EQ(IniValue("Transfer", "Path0"), "C:\\A.EXE");
    EXPECT_EQ(IniValue("Transfer", "Title1"), "Last");
    EXPECT_EQ(IniValue("Transfer", "Path1"), "");
}

TEST_F(DelphiTransferTest, RemoveDelphi10Transfer_UnwritableIni_RaisesUnableToWrite) {
    SeedIniEntry(0, "&Quillostrand", "C:\\Q\\Quilstr.exe");
    SeedIniEntry(1, "Tool", "C:\\T.EXE");
    WritePrivateProfileStringA("Transfer", "Count", "2", "DELPHI.INI");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "DELPHI.INI");
    // Another program holds the file open for reading and lets nobody write (a read-only attribute would not do:
    // the tests may run as root, whom the host's file permissions do not stop).
    const HANDLE holder =
        CreateFileA(DelphiIniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    try {
        RemoveDelphi10Transfer();
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_STREQ(e.what(), "Unable to write to DELPHI.INI");
    }
    CloseHandle(holder);
    EXPECT_EQ(IniValue("Transfer", "Count"), "2");
}

// ---- Removing, Delphi 2.0

TEST_F(DelphiTransferTest, RemoveDelphi20Transfer_TwoMatches_RemovesOnlyTheFirstAndDeletesOldLast) {
    SeedRegEntry(0, "&Quillostrand", "C:\\Q\\QUILSTR.EXE");
    SeedRegEntry(1, "Tool B", "C:\\B\\B.EXE");
    SeedRegEntry(2, "Second", "C:\\Q2\\Quilstr.exe");
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "3");
    RemoveDelphi20Transfer();
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "2");
    ExpectEntry(RegEntry(0), "Tool B", "WD1", "C:\\B\\B.EXE", "P1");
    ExpectEntry(RegEntry(1), "Second", "WD2", "C:\\Q2\\Quilstr.exe", "P2");
    for (const char* name : {"Title2", "WorkingDir2", "Path2", "Params2"})
        EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, name)) << name;
}

TEST_F(DelphiTransferTest, RemoveDelphi20Transfer_MatchIsLast_DeletesItsValues) {
    SeedRegEntry(0, "Tool A", "C:\\A.EXE");
    SeedRegEntry(1, "&Quillostrand", "C:\\Q\\Quilstr.exe");
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "2");
    RemoveDelphi20Transfer();
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Count"), "1");
    ExpectEntry(RegEntry(0), "Tool A", "WD0", "C:\\A.EXE", "P0");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, "Title1"));
}

TEST_F(DelphiTransferTest, RemoveDelphi20Transfer_MovesLongValuesWhole) {
    SeedRegEntry(0, "&Quillostrand", "C:\\Q\\Quilstr.exe");
    SeedRegEntry(1, "Tool", "C:\\T.EXE");
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Params1", std::string(400, 'p'));
    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", "2");
    RemoveDelphi20Transfer();
    EXPECT_EQ(SzOf(HKEY_CURRENT_USER, kDelphi20Key, "Params0"), std::string(400, 'p'));
}

TEST_F(DelphiTransferTest, RemoveDelphi20Transfer_NoKeyNoCountOrOverlongCount_ChangesNothing) {
    RemoveDelphi20Transfer();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kDelphi20Key));

    SeedRegEntry(0, "&Quillostrand", "C:\\Q\\Quilstr.exe");
    RemoveDelphi20Transfer();
    EXPECT_EQ(RegEntry(0).title, "&Quillostrand");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kDelphi20Key, "Count"));

    SetSz(HKEY_CURRENT_USER, kDelphi20Key, "Count", std::string(261, '1'));
    RemoveDelphi20Transfer();
    EXPECT_EQ(RegEntry(0).title, "&Quillostrand");
}

}  // namespace
}  // namespace qs::test
