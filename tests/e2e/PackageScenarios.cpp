// Scenarios of the packages on the media: one missing, one damaged, and signed ones with the keyed Setup.exe.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "Scenarios.h"
#include "Steps.h"

namespace e2e {

void NoPackage(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), {{"Delphi10.pak", paks.d10.image}, {"Delphi20.pak", paks.d20.image}});
    auto p = run.StartFromMedia();
    const Box box = ExpectBox(p->Pid(), kCaption, "File Quilstr.pak not found", true, "no Quilstr.pak");
    Expect(box.buttons == std::vector<std::string>({"OK"}), "only OK: " + Describe(box));
    // The splash window is still up behind the start-up's message.
    bool splash = false;
    for (HWND h : TopWindows(p->Pid())) {
        RECT r;
        GetClientRect(h, &r);
        if (ClassOf(h) != "#32770" && r.right == 271 && r.bottom == 48) splash = true;
    }
    Expect(splash, "the splash window should stay on the screen while the start-up's message shows");
    run.ShotBox(box, "not-found");
    Answer(box, "OK");
    ExpectEnds(*p, "after the refusal");
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "the refusal wrote:" + traces);
    Expect(!IsFolder(DefaultInstallDir()), "the refusal made the install folder");
    Expect(!Exists(IniPath()), "the refusal wrote DELPHI.INI");
}

void DamagedPackage(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    struct Case {
        const char* tag;
        std::vector<uint8_t> image;
        const char* text;
        bool icon;
    };
    const Case cases[] = {
        {"wrong-magic", WithWrongMagic(paks.q10.image), "PAK file corrupt.", true},
        {"wrong-product", WithWrongProduct(paks.q10.image), "File Quilstr.pak is corrupt", false},
    };
    for (const auto& c : cases) {
        Log(std::string("  case ") + c.tag);
        LayOutMedia(run.Media(), run.Src(),
                    {{"Quilstr.pak", c.image}, {"Delphi10.pak", paks.d10.image}, {"Delphi20.pak", paks.d20.image}});
        auto p = run.StartFromMedia();
        const Box box = ExpectBox(p->Pid(), kCaption, c.text, c.icon, c.tag);
        Expect(box.buttons == std::vector<std::string>({"OK"}), std::string(c.tag) + ": only OK: " + Describe(box));
        run.ShotBox(box, c.tag);
        Answer(box, "OK");
        ExpectEnds(*p, c.tag);
        const std::string traces = InstallTraces();
        Expect(traces.empty(), std::string(c.tag) + " wrote:" + traces);
        Expect(!IsFolder(DefaultInstallDir()), std::string(c.tag) + " made the install folder");
    }
}

namespace {

// ---- Signed packages: the keyed Setup.exe of the tests and the packages mkpak signed for it at build time

// The signed media's files by name, read from the folder the build made (Quilstr, Delphi10 and Delphi20 with
// their .sig files, and "Other.sig": Quilstr.pak signed with a stranger's key).
std::map<std::string, std::vector<uint8_t>> SignedFiles(const Sources& src) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const char* name : {"Quilstr.pak", "Quilstr.sig", "Delphi10.pak", "Delphi10.sig", "Delphi20.pak",
                             "Delphi20.sig", "Other.sig"}) {
        files[name] = ReadBytes(WithSlash(src.signedMedia) + name);
        Expect(!files[name].empty(), "the build made no " + WithSlash(src.signedMedia) + name);
    }
    return files;
}

void LayOutKeyedMedia(Run& run, const Images& files) {
    LayOutMedia(run.Media(), run.Src(), files);
    Expect(CopyFileA(run.Src().keyedSetupExe.c_str(), (run.Media() + "Setup.exe").c_str(), FALSE) != FALSE,
           "cannot copy the keyed Setup.exe into the media folder");
}

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

// Overwrites the program's key resource with bytes that are no key, in the language the build gave it.
void DamageKeyResource(const std::string& exe) {
    WORD language = 0xFFFF;
    if (HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesA(m, MAKEINTRESOURCEA(10), "PAKKEY", TakeLanguage, reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(m);
    }
    Expect(language != 0xFFFF, exe + " carries no key resource");
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    Expect(update != nullptr, "cannot open " + exe + " for a resource update");
    char garbage[64] = "not a key";
    const BOOL put = UpdateResourceA(update, MAKEINTRESOURCEA(10), "PAKKEY", language, garbage, sizeof garbage);
    Expect(EndUpdateResourceA(update, !put) && put, "cannot damage the key resource of " + exe);
}

// Starts Setup.exe from the media and expects it to refuse with text before anything is written.
void ExpectRefused(Run& run, const std::string& text, const std::string& when, const std::string& shot = "") {
    auto p = run.StartFromMedia();
    const Box box = ExpectBox(p->Pid(), kCaption, text, true, when);
    Expect(box.buttons == std::vector<std::string>({"OK"}), when + ": only OK: " + Describe(box));
    if (!shot.empty()) run.ShotBox(box, shot);
    Answer(box, "OK");
    ExpectEnds(*p, when);
    const std::string traces = InstallTraces();
    Expect(traces.empty(), when + ": the refusal wrote:" + traces);
    Expect(!IsFolder(DefaultInstallDir()) && !IsFolder(kInstallRoot), when + ": the refusal made a folder");
}

}  // namespace

void SignedPackages(Run& run) {
    if (run.Src().signedMedia.empty()) throw Skipped("the build made no signed packages (no host mkpak)");
    const auto f = SignedFiles(run.Src());
    const std::string notSigned = "File Quilstr.pak is not signed";
    const std::string changed = "File Quilstr.pak does not match its signature";
    const auto withMain = [&](const std::vector<uint8_t>& pak, const std::vector<uint8_t>& sig) {
        Images files = {{"Quilstr.pak", pak}, {"Delphi10.pak", f.at("Delphi10.pak")},
                        {"Delphi10.sig", f.at("Delphi10.sig")}};
        if (!sig.empty()) files.push_back({"Quilstr.sig", sig});
        return files;
    };

    // Refusals of the main package: each comes before the window and before anything is written.
    std::vector<uint8_t> oneByte = f.at("Quilstr.pak");
    oneByte[oneByte.size() / 2] ^= 0x01;
    const std::vector<uint8_t> sig = f.at("Quilstr.sig");
    const struct {
        const char* what;
        Images files;
        const std::string& text;
    } refusals[] = {
        {"one changed byte", withMain(oneByte, sig), changed},
        {"signature by another key", withMain(f.at("Quilstr.pak"), f.at("Other.sig")), changed},
        {"signature of another package", withMain(f.at("Quilstr.pak"), f.at("Delphi10.sig")), changed},
        {"no signature", withMain(f.at("Quilstr.pak"), {}), notSigned},
        {"empty signature", withMain(f.at("Quilstr.pak"), {}), notSigned},
        {"cut signature", withMain(f.at("Quilstr.pak"), std::vector<uint8_t>(sig.begin(), sig.end() - 1)), notSigned},
        {"signature file over 64 KB", withMain(f.at("Quilstr.pak"), std::vector<uint8_t>(65 * 1024, 'A')), notSigned},
    };
    for (const auto& r : refusals) {
        Log(std::string("  -- ") + r.what);
        LayOutKeyedMedia(run, r.files);
        if (std::string(r.what) == "empty signature") WriteBytes(run.Media() + "Quilstr.sig", {});
        ExpectRefused(run, r.text, r.what, &r == &refusals[0] ? "changed" : "");
    }

    // A damaged key inside the program refuses every package; it never falls back to checking nothing.
    {
        Log("  -- damaged key resource");
        LayOutKeyedMedia(run, withMain(f.at("Quilstr.pak"), sig));
        DamageKeyResource(run.Media() + "Setup.exe");
        ExpectRefused(run, notSigned, "damaged key resource");
    }

    // Signed media: the window opens. A Delphi package whose check fails is treated as missing: a signed
    // Delphi10.pak renamed to Delphi20.pak (with its signature) does not pass for Delphi20.pak.
    Log("  -- signed media");
    LayOutKeyedMedia(run, {{"Quilstr.pak", f.at("Quilstr.pak")}, {"Quilstr.sig", sig},
                           {"Delphi10.pak", f.at("Delphi10.pak")}, {"Delphi10.sig", f.at("Delphi10.sig")},
                           {"Delphi20.pak", f.at("Delphi10.pak")}, {"Delphi20.sig", f.at("Delphi10.sig")}});
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "signed media");
    w.SelectTab("Delphi");
    Expect(w.Enabled("CheckDelphi10"), "signed Delphi10.pak: its option is offered");
    Expect(!w.Enabled("CheckDelphi20") && !w.Checked("CheckDelphi20"),
           "Delphi10.pak renamed to Delphi20.pak: the Delphi 2.0 option unticked and disabled");
    run.Shot(w, "signed-delphi");

    // While the window is open the checked packages cannot be replaced, grown, cut or renamed.
    const std::string pak = run.Media() + "Quilstr.pak";
    HANDLE h = CreateFileA(pak.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    const DWORD writeError = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    Expect(writeError == ERROR_SHARING_VIOLATION, "Quilstr.pak could be opened for writing while Setup.exe checks it");
    WriteBytes(run.Media() + "Other.pak", oneByte);
    Expect(!MoveFileExA((run.Media() + "Other.pak").c_str(), pak.c_str(), MOVEFILE_REPLACE_EXISTING),
           "Quilstr.pak could be replaced while Setup.exe holds it");
    Expect(!MoveFileA(pak.c_str(), (run.Media() + "Moved.pak").c_str()), "Quilstr.pak could be renamed");
    Expect(!MoveFileA((run.Media() + "Delphi10.pak").c_str(), (run.Media() + "Moved.pak").c_str()),
           "Delphi10.pak could be renamed while Setup.exe holds it");

    // The install takes the checked bytes.
    w.SetChecked("CheckDelphi10", true);
    const std::string d10Dir = w.Text("EditDelphi10");
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kInstallDir);
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");
    const Package q = LoadPackage(pak, "Quilstr.pak");
    const Package d10 = LoadPackage(run.Media() + "Delphi10.pak", "Delphi10.pak");
    Installed in;
    in.dir = kInstallDir + "\\";
    in.version = "1.0";
    in.quilstr = &q;
    in.d10 = &d10;
    in.d10Dir = d10Dir;
    ExpectInstalled(run, in);

    // The installed copy started alone: uninstall only, with no package and no signature to read.
    auto copy = run.Start(in.dir + "Setup.exe");
    SetupWindow u = SetupWindow::Attach(*copy, kStartMs);
    ExpectTabs(u, {"Uninstall"}, kUninstall, "keyed copy started alone");
    u.Click("CancelBtn4");
    ExpectEnds(*copy, "No!!! That would be a desaster!");
}

}  // namespace e2e
