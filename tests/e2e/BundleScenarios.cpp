// The one-file download QstSetup.exe: QstSetupStub.exe with Setup.exe and the packages appended, made here with
// the packing tool's own bundle writer and started as a user starts a download.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PakBundle.h"
#include "Scenarios.h"
#include "Steps.h"
#include "base/WideText.h"

// The stub of this build (tests/e2e/CMakeLists.txt gives its path); without it the scenario is skipped.
#ifndef E2E_STUB_EXE
#define E2E_STUB_EXE ""
#endif

namespace e2e {
namespace {

const std::string kRoot = "C:\\qs-e2e-bundle\\";
// The text the stub refuses a damaged or cut download with.
const std::string kDamagedText =
    "The file QstSetup.exe is damaged or incomplete, and nothing was installed.\n\nPlease download it again.";
// What the stub's folder grants: full control to Administrators and SYSTEM, inherited, nothing from above; and
// what every file in it then carries.
const std::string kFolderAcl = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
const std::string kFileAcl = "D:AI(A;ID;FA;;;BA)(A;ID;FA;;;SY)";

// SHA-256 with the system's crypto API, for the bundle writer.
void Sha256(const uint8_t* data, size_t size, uint8_t (&digest)[32]) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    DWORD len = 32;
    const bool ok = CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
                    CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
                    CryptHashData(hash, data, DWORD(size), 0) && CryptGetHashParam(hash, HP_HASHVAL, digest, &len, 0);
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
    Expect(ok && len == 32, "no SHA-256 from the crypto API");
}

// The bundle of the media folder's files (those a bundle carries) and any extra ones, made by the packing
// tool's writer.
std::vector<uint8_t> MakeBundle(const std::string& media, std::vector<qs::pak::BundleFile> extra = {}) {
    std::vector<qs::pak::BundleFile> files;
    for (const std::string& name : qs::pak::BundleNames())
        if (Exists(media + name)) files.push_back({name, ReadBytes(media + name)});
    files.insert(files.end(), extra.begin(), extra.end());
    return qs::pak::BuildBundle(ReadBytes(DosPath(E2E_STUB_EXE)), files, Sha256);
}

// The process started by parent from a program of the given name, once it is there (up to ms).
std::unique_ptr<Process> WaitForChild(DWORD parent, const std::string& exe, DWORD ms) {
    DWORD pid = 0;
    WaitUntil(
        [&] {
            HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            if (snap == INVALID_HANDLE_VALUE) return false;
            PROCESSENTRY32W e{};
            e.dwSize = sizeof e;
            for (BOOL more = Process32FirstW(snap, &e); more && !pid; more = Process32NextW(snap, &e))
                if (e.th32ParentProcessID == parent && lstrcmpiW(e.szExeFile, qs::Widen(exe).c_str()) == 0)
                    pid = e.th32ProcessID;
            CloseHandle(snap);
            return pid != 0;
        },
        ms);
    Expect(pid != 0, exe + " was not started by process " + std::to_string(parent));
    auto p = std::make_unique<Process>(pid);
    Expect(p->Started(), "cannot open " + exe + " (error " + std::to_string(p->StartError()) + ")");
    return p;
}

// The access list of a file or folder in the form the system writes it ("D:P(A;OICI;FA;;;BA)...").
std::string AclText(const std::string& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    PACL dacl = nullptr;
    const DWORD rc = GetNamedSecurityInfoW(qs::Widen(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                           nullptr, nullptr, &dacl, nullptr, &sd);
    Expect(rc == ERROR_SUCCESS, "cannot read the access list of " + path + " (error " + std::to_string(rc) + ")");
    wchar_t* text = nullptr;
    const BOOL ok = ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    LocalFree(sd);
    Expect(ok, "cannot write the access list of " + path + " as text");
    const std::string out = qs::Narrow(text);
    LocalFree(text);
    return out;
}

// The one folder the running stub made under temp, holding the media's files; its path, with "\\".
std::string ExpectExtractedFolder(const std::string& temp, const std::string& media) {
    const auto tree = TreeBelow(temp);
    Expect(tree.size() >= 1 && tree[0].rfind("QstSetup-", 0) == 0 && tree[0].back() == '\\',
           temp + " holds " + Join(tree) + ", not the stub's folder");
    const std::string folder = temp + tree[0];
    std::vector<std::string> want;
    for (const std::string& name : qs::pak::BundleNames())
        if (Exists(media + name)) want.push_back(name);
    auto got = FilesIn(folder);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    Expect(got == want, folder + " holds " + Join(got) + ", expected " + Join(want));
    for (const std::string& name : want)
        Expect(ReadBytes(folder + name) == ReadBytes(media + name), folder + name + " differs from the media's");
    Log("  extracted into " + folder + ": " + Join(got));
    return folder;
}

void ExpectEmpty(const std::string& temp, const std::string& when) {
    const auto left = TreeBelow(temp);
    Expect(left.empty(), when + ": " + temp + " still holds " + Join(left));
}

// Starts the bundle at path; a damaged one is refused with the stub's box before anything is extracted.
void ExpectRefused(Run& run, const std::string& path, const std::string& temp, const std::string& what) {
    auto p = run.Start(path);
    const Box box = ExpectBox(p->Pid(), kCaption, kDamagedText, true, what);
    run.ShotBox(box, "refused");
    ExpectEmpty(temp, what + ", while the refusal is shown");
    Answer(box, "OK");
    Expect(p->WaitExit(kUiMs), what + ": the stub did not end after its refusal");
    Expect(p->ExitCode() == 1, what + ": the stub ended with code " + std::to_string(p->ExitCode()));
    Log("  refused: " + what);
}

// Starts QstSetup.exe from the downloads folder and installs version 1.0 with both Delphi editors through the
// window; the extracted folder is checked while Setup.exe runs and must be gone once the stub has ended.
void InstallFromBundle(Run& run, const Paks& paks, const std::string& downloads, const std::string& temp) {
    const std::string bundle = downloads + "QstSetup.exe";
    Clean();
    SeedIde();
    auto stub = run.Start(bundle, downloads);
    auto setup = WaitForChild(stub->Pid(), "Setup.exe", kStartMs);
    SetupWindow w = SetupWindow::Attach(*setup, kStartMs);
    ExpectExtractedFolder(temp, run.Media());
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "fresh install from " + bundle);
    w.SelectTab("Install");
    ExpectEq(w.Text("LabelVersion"), "1.0", "version shown");
    w.SetEditText("EditInstallDir", kInstallDir);
    run.Shot(w, "install");
    PressAndWaitPage(run, w, *setup, "NowBtn2", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*setup, "Quit Setup");
    Expect(stub->WaitExit(kUiMs), "the stub did not end after Setup.exe");
    Expect(stub->ExitCode() == 0, "the stub ended with code " + std::to_string(stub->ExitCode()));
    ExpectEmpty(temp, "after the install from " + bundle);
    CheckEverythingInstalled(run, VersionOneWithBothEditors(paks, kDelphi1Lib, kDelphi2Lib));
    Log("  installed from " + bundle + ", nothing left in " + temp);
}

// Two copies of a bundle large enough for the progress window, started together, run one after the other: the
// second shows nothing, extracts nothing and starts no Setup.exe until the first one's Setup.exe has ended.
void TwoAtOnce(Run& run, const std::string& downloads, const std::string& temp) {
    const std::string bundle = downloads + "QstSetup.exe";
    Clean();
    auto first = run.Start(bundle, downloads);
    auto firstSetup = WaitForChild(first->Pid(), "Setup.exe", kStartMs);
    SetupWindow::Attach(*firstSetup, kStartMs);
    auto second = run.Start(bundle, downloads);
    Sleep(1500);
    Expect(second->Running(), "the second copy ended while the first one ran (code " +
                                  std::to_string(second->ExitCode()) + ")");
    Expect(TopWindows(second->Pid()).empty(), "the second copy shows a window while it waits for its turn");
    const auto folders = TreeBelow(temp);
    Expect(folders.size() == 6, "while the first copy runs " + temp + " holds " + Join(folders) +
                                    ", expected the first copy's folder and its five files");
    firstSetup->Kill();
    Expect(first->WaitExit(kRunMs), "the first copy did not end after its Setup.exe");
    auto secondSetup = WaitForChild(second->Pid(), "Setup.exe", kStartMs);
    SetupWindow::Attach(*secondSetup, kStartMs);
    secondSetup->Kill();
    Expect(second->WaitExit(kRunMs), "the second copy did not end after its Setup.exe");
    ExpectEmpty(temp, "after two copies");
    Log("  two copies at once ran one after the other");
}

// The prefix's DPI (LogPixels, which Wine reads as a program starts) for the programs started meanwhile.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) : old_(ReadDword(HKEY_CURRENT_USER, kKey, kValue)) {
        Expect(qs::test::WriteDword(HKEY_CURRENT_USER, kKey, kValue, dpi), "cannot set LogPixels");
    }
    ~ScreenDpi() {
        if (old_) qs::test::WriteDword(HKEY_CURRENT_USER, kKey, kValue, *old_);
        else qs::test::DeleteValue(HKEY_CURRENT_USER, kKey, kValue);
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;

private:
    static constexpr const char* kKey = "Control Panel\\Desktop";
    static constexpr const char* kValue = "LogPixels";
    std::optional<DWORD> old_;
};

// A bundle large enough for the progress window, on a screen at 150 %: the window is sized for it (320 by 100 at
// 96 DPI), and its line and bar are the system's controls, which screen readers read. Then Setup.exe ended by
// force: the folder goes all the same.
void SetupEndedByForce(Run& run, const std::string& downloads, const std::string& temp) {
    const std::string bundle = downloads + "QstSetup.exe";
    Clean();
    const ScreenDpi dpi(144);
    auto stub = run.Start(bundle, downloads);
    RECT shown{};
    std::string line = "(no static text)";
    bool bar = false;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(stub->Pid())) {
                if (ClassOf(h) != "QstSetupStubProgress" || !GetWindowRect(h, &shown)) continue;
                if (HWND text = FindWindowExW(h, nullptr, L"Static", nullptr)) line = WindowText(text);
                bar = FindWindowExW(h, nullptr, L"msctls_progress32", nullptr) != nullptr;
                return true;
            }
            return !stub->Running();
        },
        kStartMs);
    Expect(shown.right > shown.left, "no progress window while a 24 MB payload was extracted");
    ExpectEq(std::to_string(shown.right - shown.left) + " x " + std::to_string(shown.bottom - shown.top), "480 x 150",
             "the progress window's size at 144 DPI");
    ExpectEq(line, "Preparing Quillostrand Setup...", "the progress window's line");
    Expect(bar, "the progress window has no progress bar control");
    run.ShotRect(shown, "progress-144dpi");
    auto setup = WaitForChild(stub->Pid(), "Setup.exe", kStartMs);
    // Its window is laid out for 144 DPI, where the driver's page lookup knows the places at 96: shown is enough.
    Expect(WaitUntil([&] { return !TopWindows(setup->Pid()).empty(); }, kStartMs), "Setup.exe shows no window");
    Expect(!TreeBelow(temp).empty(), "nothing extracted into " + temp + " while Setup.exe runs");
    setup->Kill();
    Expect(stub->WaitExit(kRunMs), "the stub did not end after Setup.exe was ended");
    ExpectEq(std::to_string(stub->ExitCode()), "99", "the stub's exit code: Setup.exe's");
    ExpectEmpty(temp, "after Setup.exe was ended by force");
    Log("  progress window shown at 144 DPI; Setup.exe ended by force; nothing left in " + temp);
}


// The folders of a bundle scenario, the media laid out and bundled, the programs' temporary folder set.
struct BundlePlaces {
    std::string media = kRoot + "media\\";
    std::string temp = kRoot + "Temp Ωμέγα 临时\\";
    std::string downloads = kRoot + "Downloads\\";
    std::string downloadsWide = kRoot + "Pobrane Łódź Загрузки 下载\\";
    std::vector<uint8_t> bundle;
};

BundlePlaces Prepare(Run& run, const Paks& paks) {
    if (!*E2E_STUB_EXE) throw Skipped("this build made no QstSetupStub.exe");
    BundlePlaces at;
    RemoveTree(kRoot);
    LayOutMedia(at.media, run.Src(), AllThree(paks, paks.q10));
    run.SetMedia(at.media);
    for (const std::string& folder : {at.temp, at.downloads, at.downloadsWide}) MakeFolders(folder);
    run.SetEnvironment({{"TEMP", at.temp}, {"TMP", at.temp}});
    at.bundle = MakeBundle(at.media);
    Log("  bundle of " + at.media + ": " + std::to_string(at.bundle.size()) + " bytes");
    return at;
}

struct RemoveRoot {
    ~RemoveRoot() { RemoveTree(kRoot); }
};

// Whether this host's file system keeps a folder's access list as given: Wine maps one to Unix permission bits,
// which hold no Administrators or SYSTEM entries.
bool HostKeepsAccessLists(const std::string& parent) {
    const std::string probe = parent + "acl-probe";
    PSECURITY_DESCRIPTOR sd = nullptr;
    Expect(ConvertStringSecurityDescriptorToSecurityDescriptorW(qs::Widen(kFolderAcl).c_str(), SDDL_REVISION_1, &sd,
                                                                nullptr),
           "cannot make the access list " + kFolderAcl);
    SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
    const bool made = CreateDirectoryW(qs::Widen(probe).c_str(), &sa) != FALSE;
    LocalFree(sd);
    Expect(made, "cannot create " + probe);
    const std::string got = AclText(probe);
    RemoveTree(probe);
    if (got != kFolderAcl) Log("  a folder made with " + kFolderAcl + " reads back as " + got);
    return got == kFolderAcl;
}

}  // namespace

void BundleDownload(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    const RemoveRoot cleanup;
    const BundlePlaces at = Prepare(run, paks);
    Expect(MakeBundle(at.media) == at.bundle, "two bundles of the same media differ");

    // One byte changed in the middle of Quilstr.pak, which follows Setup.exe; then the bundle cut short.
    std::vector<uint8_t> damaged = at.bundle;
    const size_t setupEnd = ReadBytes(DosPath(E2E_STUB_EXE)).size() + ReadBytes(at.media + "Setup.exe").size();
    damaged[setupEnd + ReadBytes(at.media + "Quilstr.pak").size() / 2] ^= 0x01;
    const std::string path = at.downloads + "QstSetup.exe";
    WriteBytes(path, damaged);
    ExpectRefused(run, path, at.temp, "a bundle with one changed byte");
    WriteBytes(path, std::vector<uint8_t>(at.bundle.begin(), at.bundle.begin() + at.bundle.size() / 2));
    ExpectRefused(run, path, at.temp, "a bundle cut short");

    for (const std::string& folder : {at.downloads, at.downloadsWide}) {
        WriteBytes(folder + "QstSetup.exe", at.bundle);
        InstallFromBundle(run, paks, folder, at.temp);
    }
    // The progress window shows from 8 MB of payload on.
    const std::vector<uint8_t> large = MakeBundle(run.Media(), {{"Filler.bin", std::vector<uint8_t>(24 << 20, 0x5A)}});
    WriteBytes(at.downloads + "QstSetup.exe", large);
    TwoAtOnce(run, at.downloads, at.temp);
    WriteBytes(at.downloadsWide + "QstSetup.exe", large);
    SetupEndedByForce(run, at.downloadsWide, at.temp);
}

void BundleFolderAcl(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    const RemoveRoot cleanup;
    const BundlePlaces at = Prepare(run, paks);
    if (!HostKeepsAccessLists(at.temp))
        throw Skipped("this host keeps no access lists on files (Wine maps them to Unix permission bits), so the "
                      "stub's folder cannot show its own");
    const std::string path = at.downloadsWide + "QstSetup.exe";
    WriteBytes(path, at.bundle);
    auto stub = run.Start(path, at.downloadsWide);
    auto setup = WaitForChild(stub->Pid(), "Setup.exe", kStartMs);
    SetupWindow::Attach(*setup, kStartMs);
    const std::string folder = ExpectExtractedFolder(at.temp, at.media);
    ExpectEq(AclText(folder), kFolderAcl, "access list of " + folder);
    for (const char* name : {"Setup.exe", "Quilstr.pak"})
        ExpectEq(AclText(folder + name), kFileAcl, "access list of " + folder + name);
    Log("  " + folder + ": " + kFolderAcl + ", its files " + kFileAcl);
    setup->Kill();
    Expect(stub->WaitExit(kRunMs), "the stub did not end after Setup.exe was ended");
    ExpectEmpty(at.temp, "after Setup.exe was ended");
}

}  // namespace e2e
