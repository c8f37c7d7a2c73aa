// The two Windows builds interchangeable, and the headless demo.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "Scenarios.h"
#include "Steps.h"
#include "base/Text.h"
#include "package/Crc32.h"

namespace e2e {

namespace {

// Every file below folder (recursively) as "path size crc" lines; the program's own copy by name only, as each
// build's copy differs (the steps check that it is the program that ran).
void ListFiles(const std::string& folder, const std::string& shown, std::string& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names;
    do {
        const std::string name = fd.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const std::string path = folder + "\\" + name;
        if (IsFolder(path)) {
            out += shown + "\\" + name + "\\\n";
            ListFiles(path, shown + "\\" + name, out);
        } else if (qs::AsciiUpper(name) == "SETUP.EXE") {
            out += shown + "\\" + name + " (the program that ran)\n";
        } else {
            const auto bytes = ReadBytes(path);
            char line[64];
            std::snprintf(line, sizeof line, " %zu %08X\n", bytes.size(),
                          unsigned(qs::Crc32UpdateLong(bytes.data(), bytes.size(), 0xFFFFFFFFu)));
            out += shown + "\\" + name + line;
        }
    }
}

long long BytesBelow(const std::string& folder) {
    long long total = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        total += IsFolder(path) ? BytesBelow(path) : FileSize(path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return total;
}

// What the install, update and uninstall leave, as text: every registry value below the keys they write,
// DELPHI.INI, the shortcuts and the files below the install and Delphi folders. The uninstall entry's size figure
// counts the program's own copy, so it is given as its difference from the files on disk.
std::string MachineState() {
    std::string reg;
    for (const char* key : {"Software\\QV", kUninstallKey, kAppPathsKey}) reg += DumpRegTree(HKEY_LOCAL_MACHINE, key);
    for (const char* key : {".qst", "QuillostrandProject"}) reg += DumpRegTree(HKEY_CLASSES_ROOT, key);
    reg += DumpRegTree(HKEY_CURRENT_USER, kTransferKey);
    std::string state;
    size_t from = 0;
    for (size_t to; (to = reg.find('\n', from)) != std::string::npos; from = to + 1) {
        const std::string line = reg.substr(from, to - from);
        if (line.find("[EstimatedSize]") == std::string::npos) {
            state += line + "\n";
            continue;
        }
        const long long onDisk = BytesBelow(kInstallRoot) + BytesBelow(kDelphi1Root) + BytesBelow(kDelphi2Root);
        const long long figure = ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize").value_or(0);
        state += "EstimatedSize minus the kB on disk: " + std::to_string(figure - onDisk / 1024) + "\n";
    }
    const auto ini = ReadBytes(IniPath());
    state += "DELPHI.INI:\n" + std::string(ini.begin(), ini.end()) + "\n";
    for (const auto& path : LinkPaths()) {
        const auto link = ReadLink(path);
        state += path;
        state += link ? " -> " + link->target + " in " + link->workingDir + ", " + link->description + ", " +
                            link->iconPath + "," + std::to_string(link->iconIndex) + "\n"
                      : " (none)\n";
    }
    for (const std::string& folder : {kInstallRoot, kDelphi1Root, kDelphi2Root}) ListFiles(folder, folder, state);
    return state;
}

struct States {
    std::string installed, updated, removed;
};

// Version 1.0 with everything installed by firstSetup, updated to 2.0 by secondSetup, and removed by the copy the
// update left (the uninstall entry's command); what the machine holds after each step.
States InstallUpdateRemove(const Settings& settings, const std::string& firstSetup, const std::string& secondSetup,
                           const std::string& tag) {
    Log("  install with " + firstSetup + ", update and uninstall with " + secondSetup);
    Clean();
    Settings one = settings, two = settings;
    one.src.setupExe = firstSetup;
    two.src.setupExe = secondSetup;
    Run first(one, tag + "-first"), second(two, tag + "-second");
    const Paks& paks = TestPaks(settings.src);
    States states;

    LayOutMedia(first.Media(), one.src, AllThree(paks, paks.q10));
    Installed in = InstallEverything(first, paks.q10, paks.d10, paks.d20, false);
    CheckEverythingInstalled(first, in);
    states.installed = MachineState();

    LayOutMedia(second.Media(), two.src, AllThree(paks, paks.q20));
    auto p = second.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Delphi", "Update", "Uninstall"}, kUpdate, "the installed version found");
    ExpectEq(w.Text("LabelOldVersion"), "1.0", "installed version shown");
    PressAndWaitPage(second, w, *p, "UpdateBtn", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");
    in.version = "2.0";
    in.quilstr = &paks.q20;
    in.kept = {"Sample.qst"};
    ExpectInstalled(second, in);
    ExpectLinks(in);
    states.updated = MachineState();

    UninstallFromInstalledCopy(second, in, false);
    // What stays (the IDE's own entries, of which the update added one more) is compared with the same steps alone.
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    states.removed = MachineState();
    return states;
}

// The first line where got and want part, side by side.
void ExpectSameState(const std::string& got, const std::string& want, const std::string& when) {
    if (got == want) return;
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    const size_t begin = at == 0 ? 0 : got.rfind('\n', at - 1) + 1;  // npos + 1 is 0: the first line
    const auto lineOf = [begin](const std::string& s) { return s.substr(begin, s.find('\n', begin) - begin); };
    throw Failure(when + ": the machine differs from the same steps with one build alone:\n    got:  " + lineOf(got) +
                  "\n    want: " + lineOf(want));
}

}  // namespace

void RunCrossBuild(const std::string& otherSetup, const Settings& settings) {
    struct Cleanup {
        ~Cleanup() { Clean(); }
    } cleanup;
    const std::string own = settings.src.setupExe;
    const States alone = InstallUpdateRemove(settings, own, own, "x1");
    const States there = InstallUpdateRemove(settings, otherSetup, own, "x2");
    const States back = InstallUpdateRemove(settings, own, otherSetup, "x3");
    Log("  each step's registry values, DELPHI.INI, shortcuts and files compared: " +
        std::to_string(std::count(alone.installed.begin(), alone.installed.end(), '\n')) + " lines after the install");
    for (const auto& [states, name] : {std::pair{&there, "installed by the other build"},
                                       std::pair{&back, "updated and removed by the other build"}}) {
        ExpectSameState(states->installed, alone.installed, std::string(name) + ", after the install");
        ExpectSameState(states->updated, alone.updated, std::string(name) + ", after the update");
        ExpectSameState(states->removed, alone.removed, std::string(name) + ", after the uninstall");
    }
}

namespace {

void RunAndEcho(const std::string& commandLine) {
    std::fflush(stdout);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        Log("  (cannot run " + commandLine + ")");
        return;
    }
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace

void RunDemo(const std::string& media, const Settings& settings) {
    Run run(settings, "demo");
    run.SetMedia(media);
    Clean();
    const Package q = LoadPackage(run.Media() + "Quilstr.pak", "Quilstr.pak");
    const Package d10 = LoadPackage(run.Media() + "Delphi10.pak", "Delphi10.pak");
    const Package d20 = LoadPackage(run.Media() + "Delphi20.pak", "Delphi20.pak");
    Log("demo: installing from " + run.Media());
    Installed in = InstallEverything(run, q, d10, d20, true);
    in.quilstr = &q;
    CheckEverythingInstalled(run, in);

    Log("");
    Log("demo: Quillostrand was installed into " + in.dir);
    for (const auto& f : FilesIn(in.dir)) Log("  " + in.dir + f);
    Log("demo: Delphi 1.0 editor in " + in.d10Dir + ", Delphi 2.0 editor in " + in.d20Dir);
    Log("demo: the install record:");
    RunAndEcho("reg.exe query \"HKLM\\Software\\QV\\Quillostrand\\Installation\"");
    Log("demo: the uninstall entry:");
    RunAndEcho("reg.exe query \"HKLM\\" + std::string(kUninstallKey) + "\"");
    Log("demo: shortcuts:");
    for (const auto& l : LinkPaths()) {
        const auto link = ReadLink(l);
        if (link) Log("  " + l + " -> " + link->target);
    }
    Log("");
    Log("demo: removing it again with the installed Setup.exe");
    UninstallFromInstalledCopy(run, in, true);
    CheckEverythingRemoved(in);
    Log("demo: uninstalled; nothing of it is left");
    Clean();
}

}  // namespace e2e
